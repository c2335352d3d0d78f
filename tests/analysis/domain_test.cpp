// The domain hatching: grey vertical lines at the sampled abscissas where f has no value.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct HatchCase {
  const char* formula;
  double offsetX;
  int count;
  float first, last;  // abscissas of the first and last line, when there are any
};

TEST(Domain, HatchesTheUndefinedSamples) {
  const HatchCase cases[] = {
      {"ln(x)", 0, 33, -3.2f, 0.0f},
      {"sqrt(x)", 0, 32, -3.2f, -0.1f},  // defined at 0
      {"1/x", 0, 1, 0.0f, 0.0f},         // x(0) is exactly OffsetX
      {"1/x", 0.05, 0, 0, 0},            // no sample falls on 0
      {"x^3-3*x", 0, 0, 0, 0},
      {"if(x<0,\"\",x)", 0, 32, -3.2f, -0.1f},  // the empty text is undefined
      {"if(x<0,\"a\",x)", 0, 0, 0, 0},          // any other text is defined
      {"x>0", 0, 0, 0, 0},                      // truth values are defined
      {"ln(x-10)", 10, 33, 6.8f, 10.0f},        // the samples follow the view
  };
  for (const HatchCase& c : cases) {
    testing::Bench b;
    b.view.OffsetX = c.offsetX;
    auto ctx = b.ctx(c.formula);
    mDominio(ctx);
    auto grey = b.rec.lines(Palette(8));
    ASSERT_EQ(static_cast<int>(grey.size()), c.count) << c.formula;
    for (const Op& l : grey) {
      EXPECT_EQ(l.x1, l.x2) << c.formula;
      EXPECT_EQ(l.y1, -2.4f) << c.formula;
      EXPECT_EQ(l.y2, 2.4f) << c.formula;
      EXPECT_EQ(l.width, 1) << c.formula;
    }
    if (c.count > 0) {
      EXPECT_FLOAT_EQ(grey.front().x1, c.first) << c.formula;
      EXPECT_FLOAT_EQ(grey.back().x1, c.last) << c.formula;
    }
    EXPECT_TRUE(b.host.messages.empty()) << c.formula;
    EXPECT_EQ(b.surface.drawWidth(), 1) << c.formula;
  }
}

TEST(Domain, ErasesThenDrawsAxesWithoutCentreTickAndHatchesOverThem) {
  testing::Bench b;
  b.view = ViewState{2, 1, -1, 0};  // zoomed and moved: no centre tick
  auto ctx = b.ctx("sqrt(x)");
  mDominio(ctx);
  ASSERT_FALSE(b.rec.ops.empty());
  EXPECT_EQ(b.rec.ops.front().kind, Op::Background);
  EXPECT_EQ(b.rec.ops.front().color, kLightGrey);
  EXPECT_TRUE(b.rec.of(Op::Clear).empty());
  auto scale = b.rec.of(Op::Scale);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_FLOAT_EQ(scale[0].x1, 1 - 6.4f);
  EXPECT_FLOAT_EQ(scale[0].y1, -1 + 4.8f);
  EXPECT_EQ(b.rec.lines(Palette(0)).size(), 2u);
  EXPECT_EQ(b.rec.points(Palette(9)).size(), 12u + 8u);
  EXPECT_TRUE(b.rec.lines(Palette(12)).empty());  // no curve
  // Samples from 1 - 6.4 to 1 + 6.4 a fifth apart; sqrt is undefined left of 0: -5.4 ... -.2.
  auto grey = b.rec.lines(Palette(8));
  ASSERT_EQ(grey.size(), 27u);
  EXPECT_FLOAT_EQ(grey.front().x1, -5.4f);
  EXPECT_FLOAT_EQ(grey.back().x1, -0.2f);
  EXPECT_FLOAT_EQ(grey.front().y1, -1 - 4.8f);
  EXPECT_FLOAT_EQ(grey.front().y2, -1 + 4.8f);
  // The hatching comes after the axes and their labels.
  std::size_t lastAxisOp = 0, firstHatch = b.rec.ops.size();
  for (std::size_t k = 0; k < b.rec.ops.size(); ++k) {
    const Op& op = b.rec.ops[k];
    if (op.kind == Op::Print) lastAxisOp = k;
    if (op.kind == Op::Line && op.color == Palette(8) && firstHatch == b.rec.ops.size()) {
      firstHatch = k;
    }
  }
  EXPECT_LT(lastAxisOp, firstHatch);
}

}  // namespace
}  // namespace curvalis
