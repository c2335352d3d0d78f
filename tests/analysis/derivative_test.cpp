// The derivative: forward difference quotients joined by yellow segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

TEST(Derivative, PolylineOfTheForwardQuotient) {
  struct Case {
    const char* formula;
    std::size_t segments;
    double slope, height;   // every segment lies on y = slope x + height ...
    double gapFrom, gapTo;  // ... and reaches no x inside this open interval
    float from;             // the leftmost x reached (the rightmost is 3.168)
  };
  const Case cases[] = {
      {"x^2", 198, 2, 0.032, 0, 0, -3.168f},  // the forward quotient is 2x + h
      {"2*x+1", 198, 0, 2, 0, 0, -3.168f},
      {"x>0", 196, 0, 0, 0, 0, -3.168f},           // TRUE is 1; the step is too steep to be joined
      {"1/x", 187, NAN, 0, -0.15, 0.15, -3.168f},  // undefined at 0, steep beside it
      {"sqrt(x)", 99, NAN, 0, -4, -0.001, 0},      // three defined samples from 0 on
      // The quotient across the step overflows: no segment uses it ("Overflow is undefined").
      {"if(x<0,-1E308,1E308)", 196, 0, 0, -0.033, -0.031, -3.168f},
  };
  for (const Case& c : cases) {
    testing::Bench b;
    b.surface.SetDrawWidth(3);
    auto ctx = b.ctx(c.formula);
    mDerivata(ctx);
    auto lines = b.rec.lines(Palette(14));
    ASSERT_EQ(lines.size(), c.segments) << c.formula;
    EXPECT_EQ(b.rec.ops.size(), 1 + lines.size());  // the graph frame, then the polyline
    float lo = 9, hi = -9;
    for (const Op& l : lines) {
      EXPECT_EQ(l.width, 3);
      EXPECT_NEAR(l.x1 - l.x2, 0.032, 1e-6);  // from x(i-1) back to x(i-2)
      for (auto [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
        EXPECT_TRUE(std::isnan(c.slope) || std::fabs(y - (c.slope * x + c.height)) < 1e-5)
            << c.formula << " at " << x;
        EXPECT_FALSE(x > c.gapFrom && x < c.gapTo) << c.formula << " reaches " << x;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
    EXPECT_FLOAT_EQ(lo, c.from) << c.formula;
    EXPECT_FLOAT_EQ(hi, 3.168f) << c.formula;
  }
}

TEST(Derivative, AbsoluteValueJoinsItsPiecesWithOneSteepSegment) {
  testing::Bench b;
  auto ctx = b.ctx("abs(x)");
  mDerivata(ctx);
  std::vector<Op> steep;
  for (const Op& l : b.rec.lines(Palette(14))) {
    if (l.y1 != l.y2) steep.push_back(l);
  }
  ASSERT_EQ(steep.size(), 1u);  // from (x(0), 1) to (x(-1), -1)
  EXPECT_EQ(steep[0].x1, 0);
  EXPECT_FLOAT_EQ(steep[0].y1, 1);
  EXPECT_FLOAT_EQ(steep[0].x2, -0.032f);
  EXPECT_FLOAT_EQ(steep[0].y2, -1);
}

}  // namespace
}  // namespace curvalis
