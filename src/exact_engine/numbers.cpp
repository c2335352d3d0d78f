#include "exact_engine/numbers.h"

#include <cmath>
#include <limits>

#include "exact_engine/writer.h"

namespace curvalis::study {

Number Infinity(bool plus) {
  Number n = ApproxNumber(plus ? std::numeric_limits<double>::infinity()
                               : -std::numeric_limits<double>::infinity());
  n.exact = true;
  return n;
}

Number Approx(double value) {
  return ApproxNumber(std::fabs(value) < 1e-12 ? 0 : value);
}

bool SameX(double a, double b) {
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(a) + std::fabs(b));
}

}  // namespace curvalis::study
