// The kernels of formula_kernels.h that are too long to inline: the failure paths, factorial,
// MOD, LOG with a base, ATAN2, ROUND and TRUNC, and the list functions MIN, MAX, AND, OR.
#include "core/formula_kernels.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace curvalis::formula {

double Fail1(double a, ErrorCode e) {
  return IsErr(a) ? a : Boxed(e);
}

double Fail2(double a, double b, ErrorCode e) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  return Boxed(e);
}

double FailDiv(double a, double b) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  return Boxed(b == 0 ? ErrorCode::Div0 : ErrorCode::Num);
}

namespace {

constexpr std::array<double, 171> MakeFactorials() {
  std::array<double, 171> f{};
  f[0] = 1;
  for (std::size_t i = 1; i < f.size(); ++i) f[i] = f[i - 1] * static_cast<double>(i);
  return f;
}
constexpr std::array<double, 171> kFactorials = MakeFactorials();

// Rounds |x| (not 0, finite) to `digits` decimals, working on its decimal digits the way the
// program shows the number (15 significant digits), so that 2.675 rounds to 2.68 although the
// double is a little below it. Where more digits are asked for, 17 digits (exact enough to read
// back the same double) decide; beyond them the number is returned unchanged.
double RoundDecimal(double x, int digits, bool awayFromZero) {
  const bool negative = x < 0;
  const double ax = std::fabs(x);
  char buf[48];
  int precision = 15;
  int exponent = 0;
  int keep = 0;
  for (;;) {
    auto res =
        std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, precision - 1);
    *res.ptr = '\0';
    const char* e = std::strchr(buf, 'e');
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, exponent);
    keep = exponent + 1 + digits;  // significant digits kept
    if (keep < precision) break;
    if (precision == 17) return x;
    precision = 17;
  }
  if (keep < 0) return 0.0;
  // The digits without the point: buf[0], buf[2 .. precision].
  char mant[20];
  mant[0] = buf[0];
  std::memcpy(mant + 1, buf + 2, static_cast<std::size_t>(precision - 1));
  long long n = 0;
  for (int i = 0; i < keep; ++i) n = n * 10 + (mant[i] - '0');
  if (awayFromZero && mant[keep] >= '5') ++n;
  if (n == 0) return 0.0;
  char out[48];
  auto r1 = std::to_chars(out, out + 24, n);
  *r1.ptr++ = 'e';
  auto r2 = std::to_chars(r1.ptr, out + sizeof out, exponent + 1 - keep);
  double v = 0;
  auto parsed = std::from_chars(out, r2.ptr, v);
  if (parsed.ec != std::errc() || !std::isfinite(v)) return Boxed(ErrorCode::Num);
  return negative ? -v : v;
}

double RoundKernel(double x, double digits, bool awayFromZero) {
  if (IsErr(x)) return x;
  if (IsErr(digits)) return digits;
  if (x == 0) return 0.0;
  // Past +-400 decimals nothing changes any more, or everything is 0.
  double d = std::clamp(std::trunc(digits), -400.0, 400.0);
  return RoundDecimal(x, static_cast<int>(d), awayFromZero);
}

}  // namespace

double KFact(double a) {
  if (IsErr(a)) return a;
  if (a < 0) return Boxed(ErrorCode::Num);
  double n = std::floor(a);
  if (n >= static_cast<double>(kFactorials.size())) return Boxed(ErrorCode::Num);
  return kFactorials[static_cast<std::size_t>(n)];
}

// The spreadsheet's own definition, a - b*INT(a/b), computed in that order: the result has the
// sign of the divisor (MOD(-1, 3) is 2, MOD(1, -3) is -2), and a dividend that is a whole
// multiple of the divisor as the student wrote it gives 0 (MOD(0.5, 0.1), where fmod would give
// a remainder of nearly 0.1).
double KMod(double a, double b) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  if (b == 0) return Boxed(ErrorCode::Div0);
  const double r = a - b * std::floor(a / b);
  if (!std::isfinite(r)) return Fail2(a, b, ErrorCode::Num);
  return r + 0.0;
}

// Base 10 and 2 use their own logarithms, and a quotient within rounding of a whole number n
// with base^n == x is n: LOG(1000, 10) and LOG(27, 3) are exactly 3.
double KLogBase(double x, double base) {
  if (IsErr(x)) return x;
  if (IsErr(base)) return base;
  if (x <= 0 || base <= 0) return Boxed(ErrorCode::Num);
  if (base == 1) return Boxed(ErrorCode::Div0);
  double r;
  if (base == 10) {
    r = std::log10(x);
  } else if (base == 2) {
    r = std::log2(x);
  } else {
    r = std::log(x) / std::log(base);
    double n = std::nearbyint(r);
    if (n != r && std::fabs(r - n) <= 1e-14 * std::max(1.0, std::fabs(n)) &&
        std::pow(base, n) == x) {
      r = n;
    }
  }
  return Check1(r, x);
}

// ATAN2 in the spreadsheet's order: x first. Both 0 is #DIV/0!.
double KAtan2(double x, double y) {
  if (IsErr(x)) return x;
  if (IsErr(y)) return y;
  if (x == 0 && y == 0) return Boxed(ErrorCode::Div0);
  return std::atan2(y + 0.0, x + 0.0);  // + 0.0: a negative zero counts as zero
}

double KRound(double x, double digits) {
  return RoundKernel(x, digits, true);
}
double KTrunc(double x, double digits) {
  return RoundKernel(x, digits, false);
}

double KMin(const double* v, int n) {
  double m = 0;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    if (i == 0 || v[i] < m) m = v[i];
  }
  return m;
}

double KMax(const double* v, int n) {
  double m = 0;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    if (i == 0 || v[i] > m) m = v[i];
  }
  return m;
}

double KAnd(const double* v, int n) {
  if (n == 0) return Boxed(ErrorCode::Value);
  bool all = true;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    all = all && v[i] != 0;
  }
  return all ? 1.0 : 0.0;
}

double KOr(const double* v, int n) {
  if (n == 0) return Boxed(ErrorCode::Value);
  bool any = false;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    any = any || v[i] != 0;
  }
  return any ? 1.0 : 0.0;
}

}  // namespace curvalis::formula
