#include "core/read_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace curvalis {
namespace {

bool Ignored(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of a digit in base 16, or -1.
int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The digits of a radix number; a digit string too long for a double grows to infinity.
double ReadRadix(const std::string& s, std::size_t pos, int radix) {
  double v = 0;
  for (; pos < s.size(); ++pos) {
    int d = HexDigit(s[pos]);
    if (d < 0 || d >= radix) break;
    v = v * radix + d;
  }
  return v;
}

// The decimal number at the start of `s` (no sign): digits, ".", digits, exponent.
double ReadDecimal(const std::string& s) {
  std::size_t i = 0;
  std::size_t mantissaDigits = 0;
  // Decimal position of the first significant digit relative to the point, to tell an
  // overflow from an underflow when the value does not fit.
  long long leadExponent = 0;
  bool seenSignificant = false;
  bool afterPoint = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    if (!IsDigit(c)) break;
    ++mantissaDigits;
    if (c != '0' && !seenSignificant) seenSignificant = true;
    if (seenSignificant && !afterPoint) ++leadExponent;
    if (!seenSignificant && afterPoint) --leadExponent;
  }
  if (mantissaDigits == 0) return 0;  // "." alone, or no digit at all
  std::size_t end = i;
  long long exponent = 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      negative = s[j] == '-';
      ++j;
    }
    if (j < s.size() && IsDigit(s[j])) {
      for (; j < s.size() && IsDigit(s[j]); ++j) {
        // Far beyond any double either way: stop growing, the result is already settled.
        if (exponent < 1000000000LL) exponent = exponent * 10 + (s[j] - '0');
      }
      if (negative) exponent = -exponent;
      end = j;
    }
  }
  if (!seenSignificant) return 0;
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + end, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    return leadExponent + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  if (res.ec != std::errc()) return 0;
  return v;
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (!Ignored(c)) s.push_back(c);
  }
  std::size_t pos = 0;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  double v = 0;
  if (pos + 1 < s.size() && s[pos] == '&' && (s[pos + 1] == 'H' || s[pos + 1] == 'h')) {
    v = ReadRadix(s, pos + 2, 16);
  } else if (pos + 1 < s.size() && s[pos] == '&' && (s[pos + 1] == 'O' || s[pos + 1] == 'o')) {
    v = ReadRadix(s, pos + 2, 8);
  } else if (pos < s.size() && (IsDigit(s[pos]) || s[pos] == '.')) {
    v = ReadDecimal(s.substr(pos));
  }
  return negative ? -v : v;
}

}  // namespace curvalis
