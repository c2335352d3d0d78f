#include "numeric/checks.h"

#include <algorithm>
#include <cmath>

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

}  // namespace curvalis::study
