// The domain hatching: grey vertical lines at the sampled abscissas where f has no value.
#include <gtest/gtest.h>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

TEST(Domain, HatchesTheUndefinedSamplesOverTheAxes) {
  struct Case {
    const char* formula;
    double offsetX;
    std::size_t count;
    float first, last;  // abscissas of the first and the last line
  };
  const Case cases[] = {
      {"ln(x)", 0, 33, -3.2f, 0},
      {"sqrt(x)", 0, 32, -3.2f, -0.1f},         // defined at 0
      {"1/x", 0, 1, 0, 0},                      // x(0) is exactly OffsetX
      {"1/x", 0.05, 0, 0, 0},                   // no sample on 0
      {"x^3-3*x", 0, 0, 0, 0},                  //
      {"if(x<0,\"\",x)", 0, 32, -3.2f, -0.1f},  // the empty text is undefined,
      {"if(x<0,\"a\",x>1)", 0, 0, 0, 0},        // any other text or truth value is not
      {"ln(x-10)", 10, 33, 6.8f, 10},           // the samples follow the view
  };
  for (const Case& c : cases) {
    testing::Bench b;
    b.view.OffsetX = c.offsetX;
    auto ctx = b.ctx(c.formula);
    mDominio(ctx);
    ASSERT_FALSE(b.rec.ops.empty());
    EXPECT_EQ(b.rec.ops.front().kind, Op::Background) << c.formula;
    EXPECT_EQ(b.rec.lines(Palette(0)).size(), 2u) << c.formula;  // the axes
    auto grey = b.rec.lines(Palette(8));
    ASSERT_EQ(grey.size(), c.count) << c.formula;
    for (const Op& l : grey) {
      EXPECT_TRUE(l.x1 == l.x2 && l.y1 == -2.4f && l.y2 == 2.4f && l.width == 1) << c.formula;
    }
    if (c.count == 0) continue;
    EXPECT_FLOAT_EQ(grey.front().x1, c.first) << c.formula;
    EXPECT_FLOAT_EQ(grey.back().x1, c.last) << c.formula;
    EXPECT_EQ(b.rec.ops.back().color, Palette(8)) << c.formula;  // after the tick labels
  }
}

}  // namespace
}  // namespace curvalis
