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

}  // namespace curvalis::study
