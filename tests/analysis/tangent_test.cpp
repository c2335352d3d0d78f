#include <gtest/gtest.h>

#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct Tangent {
  double x, slope;  // about where the point is, and the tangent's slope
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
  EXPECT_EQ(b.surface.foreColor(), kBlack);
  auto lines = b.rec.lines(Palette(2));
  auto anchors = b.rec.points(kLightGrey);
  auto texts = b.rec.of(Op::Print);
  ASSERT_EQ(lines.size(), c.tangents.size());
  ASSERT_EQ(anchors.size(), c.tangents.size());
  ASSERT_EQ(texts.size(), c.tangents.size());
  for (std::size_t k = 0; k < c.tangents.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR((lines[k].y2 - lines[k].y1) / 8, c.tangents[k].slope, 0.002);
    // Half a unit left of the point and a tenth above the tangent there.
    const double xm = anchors[k].x1 + 0.5;
    EXPECT_NEAR(xm, c.tangents[k].x, 0.032);
    EXPECT_NEAR(anchors[k].y1 - 0.1, lines[k].y1 + (lines[k].y2 - lines[k].y1) * (xm + 4) / 8,
                1e-4);
    EXPECT_TRUE(texts[k].x1 == anchors[k].x1 && texts[k].y1 == anchors[k].y1);
    EXPECT_EQ(texts[k].color, Palette(4));
    EXPECT_EQ(texts[k].text, c.tangents[k].text);
  }
}

constexpr double kPi = 3.14159265358979;
const char* const kCc = "Concava    Convessa";
const char* const kCv = "Convessa    Concava";

INSTANTIATE_TEST_SUITE_P(
    StartView, TangenteCases,
    ::testing::Values(TangentCase{"x^3", {{0, 0.001, kCc}}},
                      TangentCase{"-x^3", {{0, -0.001, kCv}}},
                      TangentCase{"x^3-3*x", {{0, -3, kCc}}},
                      TangentCase{"sin(x)", {{-kPi, -1, kCc}, {0, 1, kCv}, {kPi, -1, kCc}}},
                      TangentCase{"2*x+1", {}},
                      // No number at the point near 0: no tangent, no text ("Inflection rows").
                      TangentCase{"IF(ABS(x+0.01599)<0.0001,1/0,sin(x))",
                                  {{-kPi, -1, kCc}, {kPi, -1, kCc}}},
                      // 1E39 at the point: neither the tangent nor the text's place can be drawn,
                      // so the text is left out rather than printed wherever the position was.
                      TangentCase{"IF(ABS(x+0.01599)<0.0001,1E39,x^3)", {}}));

}  // namespace
}  // namespace curvalis
