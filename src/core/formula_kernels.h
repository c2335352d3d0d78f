// The arithmetic of the formula language on plain doubles, shared by both interpreters and by
// constant folding, so that every path computes exactly the same values.
//
// A number travels as a finite double. An error value travels as a quiet NaN whose low bits
// hold its ErrorCode (a "boxed" error). Every operation returns its leftmost erroneous operand
// unchanged, and turns any non-finite result into a boxed #NUM! (or #DIV/0! where a division
// by zero caused it), so no infinity and no unboxed NaN ever reaches the next operation.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "core/value.h"

namespace curvalis::formula {

inline constexpr std::uint64_t kBoxBits = 0x7FF8'0000'0000'0000ull;

inline double Boxed(ErrorCode e) {
  return std::bit_cast<double>(kBoxBits | static_cast<std::uint64_t>(e));
}
inline bool IsErr(double v) {
  return v != v;
}
// The error a NaN carries; a NaN without a code (which no kernel lets out) counts as #NUM!.
inline ErrorCode ErrorOf(double v) {
  auto low = std::bit_cast<std::uint64_t>(v) & 0xFF;
  if (low >= static_cast<std::uint64_t>(ErrorCode::Div0) &&
      low <= static_cast<std::uint64_t>(ErrorCode::Name)) {
    return static_cast<ErrorCode>(low);
  }
  return ErrorCode::Num;
}

// The slow paths, kept out of line so the fast paths stay small.
[[gnu::cold, gnu::noinline]] double Fail1(double a, ErrorCode e);
[[gnu::cold, gnu::noinline]] double Fail2(double a, double b, ErrorCode e);
[[gnu::cold, gnu::noinline]] double FailDiv(double a, double b);

// r computed from a: r itself when finite, else a's error, else #NUM!.
inline double Check1(double r, double a) {
  return std::isfinite(r) ? r : Fail1(a, ErrorCode::Num);
}
inline double Check2(double r, double a, double b) {
  return std::isfinite(r) ? r : Fail2(a, b, ErrorCode::Num);
}

// ---- unary ----
inline double KNeg(double a) {
  return Check1(-a, a);
}
inline double KPercent(double a) {
  return Check1(a / 100, a);
}
inline double KToNumber(double a) {
  return a;
}
inline double KSquare(double a) {
  return Check1(a * a, a);
}
inline double KCube(double a) {
  return Check1(a * a * a, a);
}
inline double KAbs(double a) {
  return Check1(std::fabs(a), a);
}
inline double KSign(double a) {
  if (IsErr(a)) return a;
  return static_cast<double>((a > 0) - (a < 0));
}
inline double KInt(double a) {
  return Check1(std::floor(a), a);
}
inline double KSqrt(double a) {
  return Check1(std::sqrt(a), a);
}
inline double KExp(double a) {
  return Check1(std::exp(a), a);
}
inline double KLn(double a) {
  return Check1(std::log(a), a);
}
inline double KLog10(double a) {
  return Check1(std::log10(a), a);
}
inline double KSin(double a) {
  return Check1(std::sin(a), a);
}
inline double KCos(double a) {
  return Check1(std::cos(a), a);
}
inline double KTan(double a) {
  return Check1(std::tan(a), a);
}
inline double KAsin(double a) {
  return Check1(std::asin(a), a);
}
inline double KAcos(double a) {
  return Check1(std::acos(a), a);
}
inline double KAtan(double a) {
  return Check1(std::atan(a), a);
}
inline double KSinh(double a) {
  return Check1(std::sinh(a), a);
}
inline double KCosh(double a) {
  return Check1(std::cosh(a), a);
}
inline double KTanh(double a) {
  return Check1(std::tanh(a), a);
}
inline double KAsinh(double a) {
  return Check1(std::asinh(a), a);
}
inline double KAcosh(double a) {
  return Check1(std::acosh(a), a);
}
inline double KAtanh(double a) {
  return Check1(std::atanh(a), a);
}
inline double KSec(double a) {
  if (IsErr(a)) return a;
  double c = std::cos(a);
  return c == 0 ? Boxed(ErrorCode::Div0) : Check1(1 / c, a);
}
inline double KCsc(double a) {
  if (IsErr(a)) return a;
  double s = std::sin(a);
  return s == 0 ? Boxed(ErrorCode::Div0) : Check1(1 / s, a);
}
inline double KCot(double a) {
  if (IsErr(a)) return a;
  double s = std::sin(a);
  return s == 0 ? Boxed(ErrorCode::Div0) : Check1(std::cos(a) / s, a);
}
double KFact(double a);
inline double KDegrees(double a) {
  return Check1(a * 180 / std::numbers::pi, a);
}
inline double KRadians(double a) {
  return Check1(a * std::numbers::pi / 180, a);
}

// Truth values as numbers: 1 or 0. KNot takes a truth value (see TruthOf).
inline double KNot(double t) {
  return IsErr(t) ? t : (t == 0 ? 1.0 : 0.0);
}
inline double KIsError(double a) {
  return IsErr(a) ? 1.0 : 0.0;
}
// Only for operands that are numbers whenever they are no error.
inline double KIsNumber(double a) {
  return IsErr(a) ? 0.0 : 1.0;
}

// ---- binary ----
inline double KAdd(double a, double b) {
  return Check2(a + b, a, b);
}
inline double KSub(double a, double b) {
  return Check2(a - b, a, b);
}
inline double KMul(double a, double b) {
  return Check2(a * b, a, b);
}
inline double KDiv(double a, double b) {
  double r = a / b;
  return std::isfinite(r) ? r : FailDiv(a, b);
}
// a^b: 0^0 is #NUM!, 0 to a negative power #DIV/0!, a negative base with a fractional
// exponent #NUM! ((-8)^(1/3) included), an overflow #NUM!.
inline double KPow(double a, double b) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  if (a == 0) {
    if (b == 0) return Boxed(ErrorCode::Num);
    return b < 0 ? Boxed(ErrorCode::Div0) : 0.0;
  }
  // Squares and cubes are products, as KSquare and KCube compute them.
  if (b == 2) return KSquare(a);
  if (b == 3) return KCube(a);
  if (a < 0 && b != std::trunc(b)) return Boxed(ErrorCode::Num);
  return Check1(std::pow(a, b), a);
}
double KMod(double a, double b);
double KLogBase(double x, double base);
double KAtan2(double x, double y);
double KRound(double x, double digits);
double KTrunc(double x, double digits);

// Comparisons of two numbers, or of two truth values held as 1 and 0.
inline double KEq(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a == b ? 1.0 : 0.0);
}
inline double KNe(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a != b ? 1.0 : 0.0);
}
inline double KLt(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a < b ? 1.0 : 0.0);
}
inline double KLe(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a <= b ? 1.0 : 0.0);
}
inline double KGt(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a > b ? 1.0 : 0.0);
}
inline double KGe(double a, double b) {
  return IsErr(a) ? a : IsErr(b) ? b : (a >= b ? 1.0 : 0.0);
}

// ---- lists: n values in order, the first error wins ----
double KMin(const double* v, int n);
double KMax(const double* v, int n);
double KAnd(const double* v, int n);  // truth values
double KOr(const double* v, int n);

}  // namespace curvalis::formula
