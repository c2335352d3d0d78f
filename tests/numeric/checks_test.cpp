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

namespace curvalis::study {
namespace {

constexpr double kInf = INFINITY;

// As our evaluator gives it: no value where an intermediate result overflows.
double ExpOrNaN(double x) {
  const double e = std::exp(x);
  return std::isfinite(e) ? e : NAN;
}

TEST(Checks, LimitsHaveThreeOutcomes) {
  struct Row {
    const char* what;  // the fault the row catches
    F f;
    double a;
    int side;
    double limit;
    Check expected;
  } rows[] = {
      {"slow divergence at a finite end (|f| never reaches 10³ there)",
       [](double x) { return std::log(x - 3); }, 3, 1, -kInf, Check::Confirmed},
      {"slower still, at +∞", [](double x) { return std::log(std::log(x)); }, kInf, 0, kInf,
       Check::Confirmed},
      {"values that settle refute an infinity", [](double x) { return std::atan(x); }, kInf, 0,
       kInf, Check::Refuted},
      {"the other infinity is refuted", [](double x) { return std::log(x - 3); }, 3, 1, kInf,
       Check::Refuted},
      {"oscillation that happens to grow along one sequence is no infinity",
       [](double x) { return x * std::sin(x); }, kInf, 0, kInf, Check::Unconfirmed},
      {"f overflows far out: the farthest finite points decide",
       [](double x) { return x / (1 + ExpOrNaN(x)); }, kInf, 0, 0, Check::Confirmed},
      {"cancellation far out does not refute", [](double x) { return std::sqrt(x * x + x) - x; },
       kInf, 0, 0.5, Check::Confirmed},
      {"a finite limit where the values settle elsewhere", [](double x) { return std::sin(x) / x; },
       0, -1, 0, Check::Refuted},
      {"a finite limit where the values grow", [](double x) { return 1 / x; }, 0, 1, 5,
       Check::Refuted},
      {"values approaching slowly, still far: neither", [](double x) { return 1 / std::log(x); },
       kInf, 0, 0, Check::Unconfirmed},
      {"values that keep away from the limit without approaching it",
       [](double x) { return 0.5 + 0.4 * std::sin(x); }, kInf, 0, 0, Check::Refuted},
      {"no values at all: neither", [](double) { return NAN; }, 2, 1, 1, Check::Unconfirmed},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CheckLimit(r.f, r.a, r.side, r.limit), r.expected) << r.what;
  }
}

TEST(Checks, LimitOfValuesNeedsAgreementOrClearGrowth) {
  struct Row {
    const char* what;
    F f;
    double a;
    int side;
    std::optional<double> expected;
  } rows[] = {
      {"a value the values settle to", [](double x) { return std::sin(x) / x; }, 0, 1, 1.0},
      {"a pole", [](double x) { return 1 / (x - 2); }, 2, -1, -kInf},
      {"x·sin(x) has no limit", [](double x) { return x * std::sin(x); }, kInf, 0, std::nullopt},
      {"slow growth alone is not enough to claim an infinity",
       [](double x) { return std::log(x - 3); }, 3, 1, std::nullopt},
  };
  for (const Row& r : rows) {
    const auto v = LimitOfValues(r.f, r.a, r.side);
    ASSERT_EQ(v.has_value(), r.expected.has_value()) << r.what;
    if (v && std::isinf(*v)) {
      EXPECT_EQ(*v, *r.expected) << r.what;
    } else if (v) {
      EXPECT_NEAR(*v, *r.expected, 1e-6) << r.what;
    }
  }
}

TEST(Checks, LinesFarOut) {
  struct Row {
    const char* what;
    F f;
    double s, m, q;
    Check expected;
  } rows[] = {
      {"the oblique line", [](double x) { return (x * x - 1) / (x - 2); }, 1, 1, 2,
       Check::Confirmed},
      {"y = 0 where e^x overflows beyond 710", [](double x) { return x / (1 + ExpOrNaN(x)); }, 1, 0,
       0, Check::Confirmed},
      {"a wrong height", [](double x) { return (x * x - 1) / (x - 2); }, -1, 1, 3, Check::Refuted},
      {"a step function follows no line", [](double x) { return std::floor(x) + 0.5; }, 1, 1, 0.5,
       Check::Refuted},
  };
  for (const Row& r : rows) EXPECT_EQ(CheckLine(r.f, r.s, r.m, r.q), r.expected) << r.what;
}

}  // namespace
}  // namespace curvalis::study
