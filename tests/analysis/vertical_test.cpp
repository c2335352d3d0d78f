#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct VerticalCase {
  const char* formula;
  std::vector<double> z;            // about where the lines stand
  std::vector<std::string> labels;  // each line's label, "" for none
  double scaleUnit = 1, offsetX = 0;
};

class VerticaliCases : public ::testing::TestWithParam<VerticalCase> {};

TEST_P(VerticaliCases, LinesAndLabels) {
  const VerticalCase& c = GetParam();
  testing::Bench b;
  b.view.ScaleUnit = c.scaleUnit;
  b.view.OffsetX = c.offsetX;
  auto ctx = b.ctx(c.formula);
  mVerticali(ctx);
  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  std::vector<Op> lines;
  std::vector<std::string> labels;
  for (const Op& op : b.rec.ops) {
    if (op.kind == Op::Line) {
      lines.push_back(op);
      labels.emplace_back();
    } else if (op.kind == Op::Print) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(op.y1, lines.back().y2);  // at the line's upper end
      labels.back() = op.text;
    }
  }
  ASSERT_EQ(lines.size(), c.z.size());
  EXPECT_EQ(labels, c.labels);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    EXPECT_TRUE(lines[k].color == Palette(9) && lines[k].x1 == lines[k].x2 &&
                lines[k].y2 == float(2.4 * c.scaleUnit));
    EXPECT_NEAR(lines[k].x1, c.z[k], 1e-6 * (1 + c.offsetX));
  }
}

INSTANTIATE_TEST_SUITE_P(
    StartView, VerticaliCases,
    ::testing::Values(
        // Falling then rising peak: drawn once, in the first refinement, at x(-2) + 9 steps.
        VerticalCase{"1/x", {-0.063 + 9 * 0.0064}, {""}},
        VerticalCase{"tan(x)", {-1.631 + 9 * 0.0064, 1.537 + 5 * 0.0064}, {"-1.57 ", " 1.57 "}},
        VerticalCase{"1/x^2", {0.001}, {""}},  // one peak, the same infinity on both sides
        VerticalCase{"1/(x-0.2)", {0.161 + 6 * 0.0064}, {" .2 "}},
        VerticalCase{"ln(x)", {0.001 - 0.0032}, {""}},         // left edge of the domain
        VerticalCase{"ln(-x)", {-0.031 + 10 * 0.0032}, {""}},  // right edge
        VerticalCase{"ln(-x+1)", {0.993 + 3 * 0.0032}, {" 1 "}}, VerticalCase{"sqrt(x)", {}, {}},
        VerticalCase{"x^2-1", {}, {}},
        VerticalCase{"-1000*x^2", {}, {}},  // a sharp top no fine window confirms
        // A fine value that is no number makes its three fine windows pass.
        VerticalCase{"IF(ABS(x-0.5)<0.002,1/0,1/(x-0.5))",
                     {0.449 + 7 * 0.0064, 0.449 + 8 * 0.0064, 0.449 + 9 * 0.0064},
                     {" .49 ", " .5 ", " .51 "}},
        // A label only beyond a tenth of a unit from x = 0.
        VerticalCase{"1/(x-0.02)", {-0.031 + 7 * 0.0064}, {""}},
        VerticalCase{"1/(x-0.02)", {0.0138 + 9 * 0.00064}, {" .02 "}, 0.1},
        VerticalCase{"1/(x-1000.5)", {1000.449 + 7 * 0.0064}, {" 1000.49 "}, 1, 1000}));

}  // namespace
}  // namespace curvalis
