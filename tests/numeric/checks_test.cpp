// The checks of an answer against our own values, each kind with its one tolerance.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "numeric/checks.h"

namespace curvalis::study {
namespace {

using F = std::function<double(double)>;

TEST(Checks, DerivativeAgreesWithinItsOneTolerance) {
  const F cube = [](double x) { return x * x * x; };
  const F root = [](double x) { return std::sqrt(x); };
  struct Row {
    const char* what;
    F of, d;
    std::vector<double> xs;
    bool agrees;
  } rows[] = {
      {"the derivative", cube, [](double x) { return 3 * x * x; }, {-2, 0.5, 3}, true},
      {"noise far below the tolerance",
       cube,
       [](double x) { return 3 * x * x * (1 + 1e-7); },
       {-2, 0.5, 3},
       true},
      // A looser 1e-3·(1 + |d|) would let this wrong coefficient pass.
      {"wrong by three parts in a thousand",
       cube,
       [](double x) { return 3.003 * x * x; },
       {-2, 0.5, 3},
       false},
      {"off by a constant", cube, [](double x) { return 3 * x * x + 0.01; }, {-2, 0.5, 3}, false},
      {"compared only where f has values",
       root,
       [](double x) { return 0.5 / std::sqrt(x); },
       {-4, -1, 1, 4},
       true},
      {"nowhere comparable", root, [](double x) { return 0.5 / std::sqrt(x); }, {-4, -1}, false},
      {"an infinite value is skipped, not a refutation",
       [](double x) { return std::log(std::fabs(x)); },
       [](double x) { return 1 / x; },
       {0, 1, 2.5},
       true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(DerivativeAgrees(r.of, r.d, r.xs, 1e-5), r.agrees) << r.what;
  }
}

TEST(Checks, SymmetryAndPeriodWithinTheirTolerances) {
  const std::vector<double> xs = {0.37, 1.1, 2.7, 4.6};
  const struct {
    const char* what;
    F f;
    bool even, odd;
  } symmetric[] = {
      {"x²", [](double x) { return x * x; }, true, false},
      {"x³", [](double x) { return x * x * x; }, false, true},
      {"x² plus a part in 10⁸ of x", [](double x) { return x * x + 1e-8 * x; }, false, false},
      {"defined on one side only", [](double x) { return std::sqrt(x); }, false, false},
      {"defined nowhere", [](double) { return std::nan(""); }, false, false},
  };
  for (const auto& r : symmetric) {
    EXPECT_EQ(SymmetryHolds(r.f, xs, false), r.even) << r.what;
    EXPECT_EQ(SymmetryHolds(r.f, xs, true), r.odd) << r.what;
  }
  const F sine = [](double x) { return std::sin(x); };
  EXPECT_TRUE(PeriodHolds(sine, 2 * M_PI, xs));
  EXPECT_FALSE(PeriodHolds(sine, M_PI, xs));
  EXPECT_FALSE(PeriodHolds(sine, 2 * M_PI * (1 + 1e-6), xs)) << "off by more than the tolerance";
}

TEST(Checks, LineFarOutWithinItsTolerance) {
  const std::vector<double> far = {1e5, 1e6, 1e7};
  const F oblique = [](double x) { return x + 2 + 1 / x; };
  EXPECT_TRUE(LineHolds(oblique, 1, 2, far));
  EXPECT_FALSE(LineHolds(oblique, 1, 2.01, far)) << "q off by more than 1e-3 of it";
  EXPECT_FALSE(LineHolds(oblique, 1.0001, 2, far)) << "m off: the gap grows with x";
  EXPECT_TRUE(LineHolds([](double x) { return x > 5e5 ? std::nan("") : 3.0; }, 0, 3, far))
      << "compared only where f has values";
  EXPECT_FALSE(LineHolds([](double) { return std::nan(""); }, 0, 0, far)) << "nowhere compared";
}

}  // namespace
}  // namespace curvalis::study
