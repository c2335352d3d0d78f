#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct Asymptote {
  double z;           // about where the line stands
  const char* label;  // nullptr: no label
};

struct VerticalCase {
  const char* formula;
  std::vector<Asymptote> lines;
};

class VerticaliCases : public ::testing::TestWithParam<VerticalCase> {};

TEST_P(VerticaliCases, LinesAndLabels) {
  const VerticalCase& c = GetParam();
  testing::Bench b;
  auto ctx = b.ctx(c.formula);
  mVerticali(ctx);

  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  EXPECT_EQ(b.surface.scale().right, 3.2f);  // the graph frame stays

  // Every line is followed by its label, if it has one: pair them up in drawing order.
  std::vector<Op> lines;
  std::vector<std::string> labels;
  for (const Op& op : b.rec.ops) {
    if (op.kind == Op::Line) {
      lines.push_back(op);
      labels.emplace_back();
    } else if (op.kind == Op::Print) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(op.x1, lines.back().x2);  // at the upper end of the line
      EXPECT_EQ(op.y1, lines.back().y2);
      labels.back() = op.text;
    }
  }
  ASSERT_EQ(lines.size(), c.lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(lines[k].color, Palette(9));
    EXPECT_EQ(lines[k].x1, lines[k].x2);
    EXPECT_EQ(lines[k].y1, -2.4f);
    EXPECT_EQ(lines[k].y2, 2.4f);
    EXPECT_NEAR(lines[k].x1, c.lines[k].z, 1e-6);
    EXPECT_EQ(labels[k], c.lines[k].label ? c.lines[k].label : "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    StartView, VerticaliCases,
    ::testing::Values(
        // Falling then rising peak: drawn once, in the first refinement, at x(-2) + 9 steps.
        VerticalCase{"1/x", {{-0.063 + 9 * 0.0064, nullptr}}},
        // One rising peak per pole, drawn on the fine sample left of the pole.
        VerticalCase{"tan(x)", {{-1.631 + 9 * 0.0064, "-1.57 "}, {1.537 + 5 * 0.0064, " 1.57 "}}},
        // Tends to +infinity on both sides: a single peak, at x(0).
        VerticalCase{"1/x^2", {{0.001, nullptr}}},
        VerticalCase{"1/(x-0.2)", {{0.161 + 6 * 0.0064, " .2 "}}},
        // Left edge of the domain: the first fine abscissa where f is undefined.
        VerticalCase{"ln(x)", {{0.001 - 0.0032, nullptr}}},
        // Right edge of the domain, mirrored.
        VerticalCase{"ln(-x)", {{-0.031 + 10 * 0.0032, nullptr}}},
        VerticalCase{"ln(-x+1)", {{0.993 + 3 * 0.0032, " 1 "}}},
        // Not steep enough at the edge, no pole, or a sharp top that no fine window confirms.
        VerticalCase{"sqrt(x)", {}}, VerticalCase{"x^2-1", {}}, VerticalCase{"-1000*x^2", {}},
        VerticalCase{"sin(x)", {}},
        // A fine value that is no number in the refinement of a pole cannot be tested and
        // counts as passed: each of the three fine windows holding it draws a line.
        VerticalCase{"IF(ABS(x-0.5)<0.002,1/0,1/(x-0.5))",
                     {{0.449 + 7 * 0.0064, " .49 "},
                      {0.449 + 8 * 0.0064, " .5 "},
                      {0.449 + 9 * 0.0064, " .51 "}}}));

TEST(Verticali, LabelOnlyAwayFromTheAxis) {
  // The label is left out while |z| <= 0.1 ScaleUnit: at ScaleUnit 0.1 the pole of
  // 1/(x-0.02) lies beyond that bound, at ScaleUnit 1 inside it.
  struct Case {
    double scaleUnit;
    bool labelled;
  };
  for (const Case& c : {Case{1, false}, Case{0.1, true}}) {
    SCOPED_TRACE(c.scaleUnit);
    testing::Bench b;
    b.view.ScaleUnit = c.scaleUnit;
    auto ctx = b.ctx("1/(x-0.02)");
    mVerticali(ctx);
    auto lines = b.rec.lines(Palette(9));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].x1, 0.02, 0.0064 * c.scaleUnit);
    EXPECT_EQ(b.rec.prints().size(), c.labelled ? 1u : 0u);
  }
}

TEST(Verticali, FarFromTheOriginLabelsStillPrint) {
  // Decision 6: a label of 1000 and more is printed, not dropped.
  testing::Bench b;
  b.view.OffsetX = 1000;
  auto ctx = b.ctx("1/(x-1000.5)");
  mVerticali(ctx);
  auto prints = b.rec.prints();
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(prints[0], " 1000.49 ");
}

}  // namespace
}  // namespace curvalis
