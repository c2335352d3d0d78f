// The derivative: forward difference quotients joined by yellow segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

std::vector<Op> Derive(testing::Bench& b, const char* formula) {
  auto ctx = b.ctx(formula);
  mDerivata(ctx);
  return b.rec.lines(Palette(14));
}

struct LineCase {
  const char* formula;
  std::size_t segments;
  std::function<double(double)> expected;  // height of the polyline over x
};

TEST(Derivative, PolylineOnTheForwardQuotient) {
  const LineCase cases[] = {
      {"x^2", 198, [](double x) { return 2 * x + 0.032; }},  // 2x + h
      {"2*x+1", 198, [](double) { return 2.0; }},
      {"3", 198, [](double) { return 0.0; }},
      {"x>0", 196, [](double) { return 0.0; }},  // TRUE is 1: the step itself is too steep
  };
  for (const LineCase& c : cases) {
    testing::Bench b;
    auto lines = Derive(b, c.formula);
    ASSERT_EQ(lines.size(), c.segments) << c.formula;
    float lo = 1e9f, hi = -1e9f;
    for (const Op& l : lines) {
      EXPECT_NEAR(l.y1, c.expected(l.x1), 1e-6) << c.formula << " at " << l.x1;
      EXPECT_NEAR(l.y2, c.expected(l.x2), 1e-6) << c.formula << " at " << l.x2;
      EXPECT_NEAR(l.x1 - l.x2, 0.032, 1e-6) << c.formula;  // from x(i-1) back to x(i-2)
      lo = std::min({lo, l.x1, l.x2});
      hi = std::max({hi, l.x1, l.x2});
    }
    EXPECT_FLOAT_EQ(lo, -3.168f) << c.formula;
    EXPECT_FLOAT_EQ(hi, 3.168f) << c.formula;
  }
}

TEST(Derivative, AbsoluteValueJoinsBothPiecesWithOneSteepSegment) {
  testing::Bench b;
  auto lines = Derive(b, "abs(x)");
  ASSERT_EQ(lines.size(), 198u);
  int steep = 0;
  for (const Op& l : lines) {
    if (l.y1 == l.y2) {
      EXPECT_NEAR(std::fabs(l.y1), 1, 1e-6);
      continue;
    }
    ++steep;
    EXPECT_FLOAT_EQ(l.x1, 0);  // from (x(0), 1) to (x(-1), -1)
    EXPECT_NEAR(l.y1, 1, 1e-6);
    EXPECT_FLOAT_EQ(l.x2, -0.032f);
    EXPECT_NEAR(l.y2, -1, 1e-6);
  }
  EXPECT_EQ(steep, 1);
}

struct GapCase {
  const char* formula;
  double gapFrom, gapTo;  // no segment reaches into this open interval of x
  std::size_t segments;
};

TEST(Derivative, GapsWhereSamplesAreUndefinedOrQuotientsJump) {
  const GapCase cases[] = {
      // 1/x: x(0) = 0 is undefined; the quotients near it jump by more than 10.
      {"1/x", -0.15, 0.15, 187},
      // Only where three samples in a row are defined: x(0) = 0 onwards.
      {"sqrt(x)", -4, -0.001, 99},
      // The difference quotient across the step overflows: it is no value, so neither
      // segment that would use it is drawn (Decision 12).
      {"if(x<0,-1E308,1E308)", -0.033, -0.031, 196},
  };
  for (const GapCase& c : cases) {
    testing::Bench b;
    auto lines = Derive(b, c.formula);
    EXPECT_EQ(lines.size(), c.segments) << c.formula;
    for (const Op& l : lines) {
      for (float x : {l.x1, l.x2}) {
        EXPECT_FALSE(x > c.gapFrom && x < c.gapTo) << c.formula << " reaches " << x;
      }
      EXPECT_LT(std::fabs(l.y1 - l.y2), 10) << c.formula;
    }
  }
}

TEST(Derivative, KeepsTheDrawWidthAndDrawsNothingElse) {
  testing::Bench b;
  b.surface.SetDrawWidth(3);
  b.view = ViewState{2, 5, 1, 0};
  auto lines = Derive(b, "x^2");
  ASSERT_EQ(lines.size(), 198u);
  for (const Op& l : lines) EXPECT_EQ(l.width, 3);
  EXPECT_EQ(b.surface.drawWidth(), 3);
  EXPECT_EQ(b.rec.ops.size(), 1u + 198u);  // the graph frame and the polyline
  auto scale = b.rec.of(Op::Scale);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_FLOAT_EQ(scale[0].x1, 5 - 6.4f);
  EXPECT_FLOAT_EQ(scale[0].y1, 1 + 4.8f);
  EXPECT_FLOAT_EQ(scale[0].x2, 5 + 6.4f);
  EXPECT_FLOAT_EQ(scale[0].y2, 1 - 4.8f);
  // The samples follow the view: from 5 - 6.336 to 5 + 6.336; d = 2x + 0.064.
  EXPECT_NEAR(lines.front().x2, 5 - 6.336, 1e-5);
  EXPECT_NEAR(lines.front().y2, 2 * (5 - 6.336) + 0.064, 1e-4);
  EXPECT_NEAR(lines.back().x1, 5 + 6.336, 1e-5);
}

}  // namespace
}  // namespace curvalis
