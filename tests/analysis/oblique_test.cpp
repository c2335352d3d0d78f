#include <gtest/gtest.h>

#include <string>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct AsymptoteCase {
  const char* formula;
  bool plus;             // mObliquiP, else mObliquiM
  const char* equation;  // nullptr: nothing is shown
};

class ObliquiCases : public ::testing::TestWithParam<AsymptoteCase> {};

TEST_P(ObliquiCases, LineAndEquation) {
  const AsymptoteCase& c = GetParam();
  testing::Bench b;
  auto ctx = b.ctx(c.formula);
  c.plus ? mObliquiP(ctx) : mObliquiM(ctx);
  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  auto lines = b.rec.lines(Palette(9));
  auto prints = b.rec.of(Op::Print);
  ASSERT_EQ(lines.size(), c.equation ? 1u : 0u);
  ASSERT_EQ(prints.size(), c.equation ? 1u : 0u);
  if (!c.equation) return;
  EXPECT_EQ(prints[0].y1, c.plus ? 55.0f : 57.0f);
  EXPECT_EQ(prints[0].text, std::string(89, ' ') +
                                (c.plus ? "Asintoto(+Inf.): y= " : "Asintoto (-Inf.): y= ") +
                                c.equation);
}

INSTANTIATE_TEST_SUITE_P(
    StartView, ObliquiCases,
    ::testing::Values(
        AsymptoteCase{"1/x", true, "( 0 )*x+( 0 )"}, AsymptoteCase{"1/x", false, "( 0 )*x+( 0 )"},
        // The slope read at 1E9 is 2 + 1E-9, which moves the intercept at 1E6 to .999.
        AsymptoteCase{"2*x+1+1/x", true, "( 2 )*x+( .999 )"},
        AsymptoteCase{"2*x+1+1/x", false, "( 2 )*x+( .999 )"},
        AsymptoteCase{"exp(x)", false, "( 0 )*x+( 0 )"},
        AsymptoteCase{"-x/2+3+exp(x)", false, "(-.5 )*x+( 2.997 )"},
        // The intercept passes the test below 32 and is rounded afterwards.
        AsymptoteCase{"32.0316", true, "( 0 )*x+( 32 )"}, AsymptoteCase{"32.04", true, nullptr},
        AsymptoteCase{"x^2", true, nullptr}, AsymptoteCase{"sqrt(x)", true, nullptr},
        // No number far out: the command ends quietly, the book closed.
        AsymptoteCase{"sqrt(x)", false, nullptr}, AsymptoteCase{"exp(x)", true, nullptr},
        AsymptoteCase{"IF(x=2000000,1/0,1/x)", true, nullptr},
        // Two far values fit a line to these too; the third is off it ("Third value for
        // asymptotes").
        // "Third value for asymptotes".
        AsymptoteCase{"ln(x)", true, nullptr}, AsymptoteCase{"ln(x^2+1)", false, nullptr},
        AsymptoteCase{"sin(x)", true, nullptr}, AsymptoteCase{"cos(x)", true, nullptr},
        AsymptoteCase{"tan(x)", false, nullptr}));

}  // namespace
}  // namespace curvalis
