#include "numeric/checks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace curvalis::study {

bool DerivativeAgrees(const std::function<double(double)>& of,
                      const std::function<double(double)>& d, const std::vector<double>& xs,
                      double step) {
  int compared = 0;
  for (double x : xs) {
    const double h = step * std::max(1.0, std::fabs(x));
    const double a = of(x - h), b = of(x + h), v = d(x);
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(v)) continue;
    const double q = (b - a) / (2 * h);
    if (std::fabs(q - v) > kDerivativeTolerance * std::max(1.0, std::fabs(v))) return false;
    ++compared;
  }
  return compared > 0;
}

namespace {

// f(x) and f(y) (sign −1: −f(x) and f(y)) agree at every x of `xs` where f has values, f has
// values at both or at neither, and at least one pair was compared.
bool PairsAgree(const std::function<double(double)>& f, const std::vector<double>& xs,
                double (*y)(double x, double t), double t, double sign, double tolerance) {
  int compared = 0;
  for (double x : xs) {
    const double a = f(x), b = f(y(x, t));
    if (std::isnan(a) != std::isnan(b)) return false;
    if (std::isnan(a)) continue;
    if (std::fabs(sign * a - b) > tolerance * std::max({1.0, std::fabs(a), std::fabs(b)})) {
      return false;
    }
    ++compared;
  }
  return compared > 0;
}

}  // namespace

bool SymmetryHolds(const std::function<double(double)>& f, const std::vector<double>& xs,
                   bool odd) {
  return PairsAgree(
      f, xs, [](double x, double) { return -x; }, 0, odd ? -1 : 1, kSymmetryTolerance);
}

bool PeriodHolds(const std::function<double(double)>& f, double t, const std::vector<double>& xs) {
  return PairsAgree(
      f, xs, [](double x, double t) { return x + t; }, t, 1, kPeriodTolerance);
}

bool LineHolds(const std::function<double(double)>& f, double m, double q,
               const std::vector<double>& xs) {
  int compared = 0;
  for (double x : xs) {
    const double y = f(x);
    if (std::isnan(y)) continue;
    if (std::fabs(y - (m * x + q)) > kLineTolerance * std::max(1.0, std::fabs(q))) return false;
    ++compared;
  }
  return compared > 0;
}

std::vector<double> LimitSequence(double a, int side, double shift) {
  std::vector<double> xs;
  if (std::isinf(a)) {
    const double s = a > 0 ? 1 : -1;
    for (int k = 1; k <= 18; ++k) xs.push_back(s * shift * std::pow(10.0, k / 2.0));
    return xs;
  }
  const double scale = shift * std::max(1.0, std::fabs(a));
  for (int k = 2; k <= 18; ++k) {
    const double x = a + side * std::pow(10.0, -k / 2.0) * scale;
    if (x != a) xs.push_back(x);
  }
  return xs;
}

std::vector<double> ApproachValues(const std::function<double(double)>& f, double a, int side,
                                   double shift) {
  std::vector<double> ys;
  for (double x : LimitSequence(a, side, shift)) {
    const double y = f(x);
    if (std::isfinite(y)) {
      ys.push_back(y);
    } else if (!ys.empty()) {
      break;  // overflow or underflow from here on: the farthest finite values are the last
    }
  }
  return ys;
}

namespace {

// The last values agree: they settle to the last one.
bool Settled(const std::vector<double>& ys) {
  const std::size_t n = ys.size();
  if (n < 3) return false;
  const double last = ys[n - 1], tol = 1e-6 * (1 + std::fabs(last));
  return std::fabs(ys[n - 2] - last) <= tol && std::fabs(ys[n - 3] - last) <= tol;
}

// The last values keep growing in magnitude with `sign`, their steps not dying out as those of
// values that settle do (a tenth each decade): slow growth, a logarithm's, counts.
bool Growing(const std::vector<double>& ys, double sign) {
  const std::size_t n = ys.size();
  if (n < 4) return false;
  const std::size_t from = n > 6 ? n - 6 : 0;
  for (std::size_t i = from; i < n; ++i) {
    if (!(ys[i] * sign > 0)) return false;
    if (i > from && !(std::fabs(ys[i]) > std::fabs(ys[i - 1]))) return false;
  }
  const double first = std::fabs(ys[from + 1]) - std::fabs(ys[from]);
  const double last = std::fabs(ys[n - 1]) - std::fabs(ys[n - 2]);
  return last >= 0.05 * first || std::fabs(ys[n - 1]) > 1e6 * std::max(1.0, std::fabs(ys[from]));
}

Check CheckLimitOn(const std::vector<double>& ys, double limit) {
  const std::size_t n = ys.size();
  if (n < 3) return Check::Unconfirmed;
  if (std::isinf(limit)) {
    const double sign = limit > 0 ? 1 : -1;
    if (Growing(ys, sign)) return Check::Confirmed;
    if (Growing(ys, -sign) || Settled(ys)) return Check::Refuted;
    return Check::Unconfirmed;
  }
  const double tol = 1e-3 * (1 + std::fabs(limit));
  auto err = [&](std::size_t i) { return std::fabs(ys[i] - limit); };
  if (err(n - 1) <= tol) return Check::Confirmed;
  // Slow approach: the distance keeps shrinking and is already small.
  bool shrinking = n >= 4;
  for (std::size_t i = n > 6 ? n - 5 : 1; i < n && shrinking; ++i) shrinking = err(i) < err(i - 1);
  if (shrinking && err(n - 1) <= 10 * tol) return Check::Confirmed;
  if (Settled(ys)) return Check::Refuted;
  if ((Growing(ys, 1) || Growing(ys, -1)) && err(n - 1) > 1e3 * tol) return Check::Refuted;
  // Values that keep away from it without approaching (a step function beside a line): their
  // distance, on the average of the last ones.
  double mean = 0;
  for (std::size_t i = n - 3; i < n; ++i) mean += err(i) / 3;
  if (!shrinking && mean > 100 * tol) return Check::Refuted;
  return Check::Unconfirmed;
}

std::optional<double> LimitOfValuesOn(const std::vector<double>& ys) {
  if (Settled(ys)) return ys.back();
  for (double sign : {1.0, -1.0}) {
    if (Growing(ys, sign) && std::fabs(ys.back()) > 1e6) {
      return sign * std::numeric_limits<double>::infinity();
    }
  }
  return std::nullopt;
}

// The second sequence's abscissas are shifted by this factor: a function that oscillates
// (x·sin(x)) does not look the same along both, one that has a limit does.
constexpr double kShift = 1.2345678901;

}  // namespace

Check CheckLimit(const std::function<double(double)>& f, double a, int side, double limit) {
  const Check one = CheckLimitOn(ApproachValues(f, a, side), limit);
  const Check two = CheckLimitOn(ApproachValues(f, a, side, kShift), limit);
  return one == two ? one : Check::Unconfirmed;
}

std::optional<double> LimitOfValues(const std::function<double(double)>& f, double a, int side) {
  const auto one = LimitOfValuesOn(ApproachValues(f, a, side));
  const auto two = LimitOfValuesOn(ApproachValues(f, a, side, kShift));
  if (!one || !two) return std::nullopt;
  if (std::isinf(*one) || std::isinf(*two)) return one == two ? one : std::nullopt;
  return std::fabs(*one - *two) <= 1e-6 * (1 + std::fabs(*one)) ? one : std::nullopt;
}

Check CheckLine(const std::function<double(double)>& f, double s, double m, double q) {
  const double far = s * std::numeric_limits<double>::infinity();
  // Not whole numbers, where a step function would look like a line.
  auto gap = [&](double x) {
    const double y = f(x * 1.12345678901);
    return y - (m * x * 1.12345678901 + q);
  };
  return CheckLimit(gap, far, 0, 0);
}

}  // namespace curvalis::study
