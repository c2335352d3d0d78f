#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct Tangent {
  double x;      // about where the point is
  double slope;  // about the tangent's slope
  const char* text;
};

struct TangentCase {
  const char* formula;
  std::vector<Tangent> tangents;
};

class TangenteCases : public ::testing::TestWithParam<TangentCase> {};

TEST_P(TangenteCases, LinesAndTexts) {
  const TangentCase& c = GetParam();
  testing::Bench b;
  b.surface.SetForeColor(Palette(12));
  auto ctx = b.ctx(c.formula);
  mTangente(ctx);

  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  EXPECT_EQ(b.surface.foreColor(), kBlack);
  EXPECT_TRUE(b.rec.points(Palette(13)).empty());  // no marks

  auto lines = b.rec.lines(Palette(2));
  auto anchors = b.rec.points(kLightGrey);
  auto texts = b.rec.of(Op::Print);
  ASSERT_EQ(lines.size(), c.tangents.size());
  ASSERT_EQ(anchors.size(), c.tangents.size());
  ASSERT_EQ(texts.size(), c.tangents.size());
  for (std::size_t k = 0; k < c.tangents.size(); ++k) {
    SCOPED_TRACE(k);
    const Op& line = lines[k];
    EXPECT_EQ(line.width, 1);
    EXPECT_EQ(line.x1, -4.0f);
    EXPECT_EQ(line.x2, 4.0f);
    EXPECT_NEAR((line.y2 - line.y1) / 8, c.tangents[k].slope, 0.002);
    // The text starts half a unit left of the point and a tenth above it, in red.
    const double xm = anchors[k].x1 + 0.5;
    EXPECT_NEAR(xm, c.tangents[k].x, 0.032);
    const double onLine = line.y1 + (line.y2 - line.y1) * (xm + 4) / 8;
    EXPECT_NEAR(anchors[k].y1 - 0.1, onLine, 1e-4);
    EXPECT_EQ(texts[k].x1, anchors[k].x1);
    EXPECT_EQ(texts[k].y1, anchors[k].y1);
    EXPECT_EQ(texts[k].color, Palette(4));
    EXPECT_EQ(texts[k].text, c.tangents[k].text);
  }
}

constexpr double kPi = 3.14159265358979;

INSTANTIATE_TEST_SUITE_P(StartView, TangenteCases,
                         ::testing::Values(TangentCase{"x^3", {{0, 0.001, "Concava    Convessa"}}},
                                           TangentCase{"-x^3",
                                                       {{0, -0.001, "Convessa    Concava"}}},
                                           TangentCase{"x^3-3*x", {{0, -3, "Concava    Convessa"}}},
                                           TangentCase{"sin(x)",
                                                       {{-kPi, -1, "Concava    Convessa"},
                                                        {0, 1, "Convessa    Concava"},
                                                        {kPi, -1, "Concava    Convessa"}}},
                                           TangentCase{"2*x+1", {}}, TangentCase{"1/x", {}},
                                           // No number at the point near 0: no tangent, and no text
                                           // left wherever the last drawing ended (Decision 5).
                                           TangentCase{"IF(ABS(x+0.01599)<0.0001,1/0,sin(x))",
                                                       {{-kPi, -1, "Concava    Convessa"},
                                                        {kPi, -1, "Concava    Convessa"}}}));

TEST(Tangente, LeavesGraphFrameAndWidthOne) {
  testing::Bench b;
  b.surface.SetDrawWidth(4);
  auto ctx = b.ctx("x^3");
  mTangente(ctx);
  EXPECT_EQ(b.surface.drawWidth(), 1);
  EXPECT_EQ(b.surface.scale().left, -3.2f);
  EXPECT_EQ(b.surface.scale().top, 2.4f);
}

TEST(Tangente, PointOutOfTheSingleRangeDrawsNoText) {
  // f is 1E39 at the point only: neither the tangent nor the anchor of the text can be
  // drawn, so no text appears either.
  testing::Bench b;
  auto ctx = b.ctx("IF(ABS(x+0.01599)<0.0001,1E39,x^3)");
  mTangente(ctx);
  EXPECT_TRUE(b.rec.of(Op::Print).empty());
  EXPECT_TRUE(b.rec.of(Op::Line).empty());
  EXPECT_EQ(b.surface.foreColor(), kBlack);
}

}  // namespace
}  // namespace curvalis
