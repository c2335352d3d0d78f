#include "core/print_format.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace curvalis {
namespace {

// %.<digits>G in the C locale whatever the process locale: E notation below 1E-4 and from
// 1E<digits> on, at least two exponent digits.
std::string FormatG(double v, int digits) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
  std::string s(buf, res.ptr);
  std::replace(s.begin(), s.end(), 'e', 'E');
  return s;
}

// The leading zero of "0.5" and "-0.5" is dropped; blanks as the print rules place them.
std::string PrintNumber(double v, int digits) {
  if (v == 0) v = 0;  // a negative zero prints as zero
  std::string s = FormatG(v, digits);
  if (s.rfind("0.", 0) == 0) {
    s.erase(0, 1);
  } else if (s.rfind("-0.", 0) == 0) {
    s.erase(1, 1);
  }
  if (s.empty() || s[0] != '-') s.insert(s.begin(), ' ');
  s.push_back(' ');
  return s;
}

}  // namespace

std::string PrintDouble(double v) {
  return PrintNumber(v, 15);
}

std::string PrintSingle(float v) {
  return PrintNumber(static_cast<double>(v), 7);
}

std::optional<float> RoundedPrintValue(double v, double scale) {
  double scaled = v * scale;
  if (!std::isfinite(scaled)) return std::nullopt;
  double whole = std::nearbyint(scaled);  // the default rounding mode: ties to even
  double back = whole / scale;
  if (!(std::fabs(back) <= FLT_MAX)) return std::nullopt;
  return static_cast<float>(back);
}

double FloorThousandths(double v) {
  return std::floor(1000 * v) / 1000;
}

std::string FormatGeneral(double v, std::string_view decimalSeparator, int digits) {
  if (v == 0) v = 0;
  std::string s = FormatG(v, digits);
  std::size_t dot = s.find('.');
  if (dot != std::string::npos) s.replace(dot, 1, decimalSeparator);
  return s;
}

}  // namespace curvalis
