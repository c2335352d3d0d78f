#include "numeric/roots.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace curvalis::study {

namespace {

// Bisection of a sign change of g between lo and hi; NaN when it is a pole, a jump or a gap.
double Refine(const std::function<double(double)>& g, double lo, double hi, double glo,
              double ghi) {
  const double scale = std::max({1.0, std::fabs(glo), std::fabs(ghi)});
  for (int i = 0; i < 200; ++i) {
    const double mid = lo + (hi - lo) / 2;
    if (!(mid > lo && mid < hi)) break;
    const double gm = g(mid);
    if (std::isnan(gm)) return std::numeric_limits<double>::quiet_NaN();
    if (gm == 0) return mid;
    if ((gm < 0) == (glo < 0)) {
      lo = mid;
      glo = gm;
    } else {
      hi = mid;
      ghi = gm;
    }
  }
  const double r = std::fabs(glo) <= std::fabs(ghi) ? lo : hi;
  const double gr = std::min(std::fabs(glo), std::fabs(ghi));
  return gr <= 1e-6 * scale ? r : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

std::vector<double> NumericRoots(const std::function<double(double)>& g, double from, double to,
                                 int steps) {
  std::vector<double> roots;
  const bool bounded = std::isfinite(from) && std::isfinite(to);
  const double t0 = bounded ? from : std::atan(from);
  const double t1 = bounded ? to : std::atan(to);
  auto xAt = [&](int i) {
    const double t = t0 + (t1 - t0) * i / steps;
    return bounded ? t : std::tan(t);
  };
  auto valueAt = [&](int i) {
    const double x = xAt(i);
    return std::isfinite(x) && x >= from && x <= to ? g(x)
                                                    : std::numeric_limits<double>::quiet_NaN();
  };
  double px = 0, pg = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i <= steps; ++i) {
    const double x = xAt(i);
    if (!std::isfinite(x) || x < from || x > to) continue;
    const double gx = g(x);
    if (gx == 0) {
      // A zero between values that are not: a tail that has underflowed to 0 (e^(−x²) far
      // out) is no root.
      const double next = valueAt(i + 1);
      if (std::isfinite(pg) && pg != 0 && std::isfinite(next) && next != 0) roots.push_back(x);
    } else if (std::isfinite(gx) && std::isfinite(pg) && pg != 0 && (gx < 0) != (pg < 0)) {
      const double r = Refine(g, px, x, pg, gx);
      if (!std::isnan(r)) roots.push_back(r);
    }
    px = x;
    pg = gx;
  }
  std::sort(roots.begin(), roots.end());
  roots.erase(std::unique(roots.begin(), roots.end(),
                          [](double kept, double r) {
                            return std::fabs(r - kept) <= 1e-9 * std::max(1.0, std::fabs(r));
                          }),
              roots.end());
  return roots;
}

}  // namespace curvalis::study
