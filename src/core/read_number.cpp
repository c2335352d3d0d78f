#include "core/read_number.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace curvalis {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool Ignored(char c) {
  return c == ' ' || c == '\t' || c == '\n';
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

// Beyond this an exponent stops growing: no mantissa that fits in memory brings it back into
// the range of a double.
constexpr long long kExponentCap = 1'000'000'000'000'000LL;

}  // namespace

std::size_t ScanDecimal(std::string_view s, double& out, bool& overflow) {
  overflow = false;
  auto isDigit = [&](std::size_t k) { return k < s.size() && IsDigit(s[k]); };
  std::size_t i = 0;
  while (isDigit(i)) ++i;
  const std::size_t intDigits = i;
  std::size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    while (isDigit(j)) ++j;
    fracDigits = j - i - 1;
    if (intDigits + fracDigits > 0) i = j;
  }
  if (intDigits + fracDigits == 0) return 0;
  const std::size_t mantissaEnd = i;
  long long exp10 = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    bool negExp = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negExp = s[j++] == '-';
    if (isDigit(j)) {
      while (isDigit(j)) {
        exp10 = std::min(exp10 * 10 + (s[j] - '0'), kExponentCap);
        ++j;
      }
      if (negExp) exp10 = -exp10;
      i = j;
    }
  }
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + i, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Too large or too small: the decimal exponent of the first significant digit tells which.
    long long magnitude = 0;
    bool found = false;
    for (std::size_t k = 0; k < mantissaEnd && !found; ++k) {
      if (s[k] == '.' || s[k] == '0') continue;
      found = true;
      magnitude = k < intDigits ? static_cast<long long>(intDigits - 1 - k)
                                : -static_cast<long long>(k - intDigits);
    }
    if (found && magnitude + exp10 > 0) overflow = true;
    v = 0;
  } else if (res.ec != std::errc() || res.ptr != s.data() + i) {
    return 0;
  }
  out = v;
  return i;
}

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
  } else {
    bool overflow = false;
    if (ScanDecimal(std::string_view(s).substr(pos), v, overflow) == 0) v = 0;
    if (overflow) v = std::numeric_limits<double>::infinity();
  }
  return negative ? -v : v;
}

}  // namespace curvalis
