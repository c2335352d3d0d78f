// ReadLeadingNumber on any text, as typed into the value window's x, the integral's limits and
// its segment count. Properties:
// - it never fails and never gives NaN: a number too large reads as an infinity of its sign,
//   one too small as a zero of its sign;
// - blanks, tabs and line feeds change nothing wherever they stand;
// - a leading "-" negates, a leading "+" changes nothing;
// - a comma ends the number: what follows it changes nothing;
// - a decimal number reads as the C library's strtod reads the same digits (correctly
//   rounded, an infinity on overflow, a zero on underflow).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/read_number.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "read_number_fuzz: %s (text of %zu bytes)\n", what, text.size());
  std::abort();
}

bool Same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The decimal number at the start of s (no blanks, no sign), as strtod reads it; false when s
// does not start with one that has a digit.
bool StrtodValue(const std::string& s, double* out) {
  std::size_t i = 0, digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  std::size_t end = i;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      end = j;
    }
  }
  *out = std::strtod(s.substr(0, end).c_str(), nullptr);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = curvalis::ReadLeadingNumber(text);
  if (std::isnan(v)) Fail("NaN", text);

  std::string bare;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') bare.push_back(c);
  }
  if (!Same(curvalis::ReadLeadingNumber(bare), v)) Fail("blanks changed the number", text);
  if (!Same(curvalis::ReadLeadingNumber(std::string(text) + ",5"), v)) {
    Fail("what follows a comma changed the number", text);
  }
  const bool signed_ = !bare.empty() && (bare[0] == '+' || bare[0] == '-');
  if (!signed_) {
    if (!Same(curvalis::ReadLeadingNumber("-" + bare), -v)) Fail("- does not negate", text);
    if (!Same(curvalis::ReadLeadingNumber("+" + bare), v)) Fail("+ changed the number", text);
    double expected = 0;
    if (StrtodValue(bare, &expected) && !Same(v, expected)) Fail("strtod reads otherwise", text);
  }
  return 0;
}
