#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

enum class Towards { Plus, Minus };

struct AsymptoteCase {
  const char* formula;
  Towards towards;
  const char* equation;  // after the command's text; nullptr: nothing is shown
  double m = 0, q = 0;   // the line drawn
};

class ObliquiCases : public ::testing::TestWithParam<AsymptoteCase> {};

TEST_P(ObliquiCases, LineAndEquation) {
  const AsymptoteCase& c = GetParam();
  testing::Bench b;
  auto ctx = b.ctx(c.formula);
  const bool plus = c.towards == Towards::Plus;
  plus ? mObliquiP(ctx) : mObliquiM(ctx);

  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  EXPECT_EQ(b.host.commands, std::vector<std::string>{plus ? "mObliquiP" : "mObliquiM"});

  auto lines = b.rec.lines(Palette(9));
  auto prints = b.rec.of(Op::Print);
  if (!c.equation) {
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(prints.empty());
    return;
  }
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].x1, -4.0f);
  EXPECT_EQ(lines[0].x2, 4.0f);
  EXPECT_NEAR(lines[0].y1, -4 * c.m + c.q, 1e-3);
  EXPECT_NEAR(lines[0].y2, 4 * c.m + c.q, 1e-3);
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(prints[0].y1, plus ? 55.0f : 57.0f);
  const std::string text = plus ? "Asintoto(+Inf.): y= " : "Asintoto (-Inf.): y= ";
  EXPECT_EQ(prints[0].text, std::string(89, ' ') + text + c.equation);
}

INSTANTIATE_TEST_SUITE_P(
    StartView, ObliquiCases,
    ::testing::Values(
        AsymptoteCase{"1/x", Towards::Plus, "( 0 )*x+( 0 )"},
        AsymptoteCase{"1/x", Towards::Minus, "( 0 )*x+( 0 )"},
        // The slope read at 1E9 is 2 + 1E-9, which moves the intercept at 1E6 to .999.
        AsymptoteCase{"2*x+1+1/x", Towards::Plus, "( 2 )*x+( .999 )", 2, 0.999},
        AsymptoteCase{"2*x+1+1/x", Towards::Minus, "( 2 )*x+( .999 )", 2, 0.999},
        AsymptoteCase{"exp(x)", Towards::Minus, "( 0 )*x+( 0 )"},
        AsymptoteCase{"-x/2+3+exp(x)", Towards::Minus, "(-.5 )*x+( 2.997 )", -0.5, 2.997},
        // The intercept passes the test below 32 and is rounded afterwards.
        AsymptoteCase{"32.0316", Towards::Plus, "( 0 )*x+( 32 )", 0, 32},
        AsymptoteCase{"32.04", Towards::Plus, nullptr},
        AsymptoteCase{"x^2", Towards::Plus, nullptr}, AsymptoteCase{"x^2", Towards::Minus, nullptr},
        AsymptoteCase{"sqrt(x)", Towards::Plus, nullptr},
        // No number far out: the command ends quietly.
        AsymptoteCase{"sqrt(x)", Towards::Minus, nullptr},
        AsymptoteCase{"exp(x)", Towards::Plus, nullptr},
        AsymptoteCase{"ln(x)", Towards::Minus, nullptr},
        AsymptoteCase{"IF(x=2000000,1/0,1/x)", Towards::Plus, nullptr},
        // Two far values fit a line to these too, but the third one is off it (Decision 10).
        AsymptoteCase{"ln(x)", Towards::Plus, nullptr},
        AsymptoteCase{"ln(x^2+1)", Towards::Plus, nullptr},
        AsymptoteCase{"ln(x^2+1)", Towards::Minus, nullptr},
        AsymptoteCase{"sin(x)", Towards::Plus, nullptr},
        AsymptoteCase{"cos(x)", Towards::Plus, nullptr},
        AsymptoteCase{"tan(x)", Towards::Plus, nullptr},
        AsymptoteCase{"tan(x)", Towards::Minus, nullptr}));

TEST(Obliqui, BothEquationsStandOneUnderTheOther) {
  testing::Bench b;
  b.view.ScaleUnit = 2;
  b.view.OffsetX = 1;
  auto ctx = b.ctx("x/(x+1)");
  mObliquiP(ctx);
  mObliquiM(ctx);
  auto lines = b.rec.lines(Palette(9));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x1, -7.0f);  // OffsetX - 4 ScaleUnit
  EXPECT_EQ(lines[0].x2, 9.0f);
  auto prints = b.rec.of(Op::Print);
  ASSERT_EQ(prints.size(), 2u);
  EXPECT_EQ(prints[0].y1, 55.0f);
  EXPECT_EQ(prints[1].y1, 57.0f);
  EXPECT_EQ(prints[0].text.substr(89), "Asintoto(+Inf.): y= ( 0 )*x+( .999 )");
  EXPECT_EQ(prints[1].text.substr(89), "Asintoto (-Inf.): y= ( 0 )*x+( .999 )");
  // After a line was drawn the text frame is the surface's scale.
  EXPECT_EQ(b.surface.scale().right, 48.0f);
}

TEST(Obliqui, NoAsymptoteLeavesTheGraphFrame) {
  testing::Bench b;
  auto ctx = b.ctx("x^2");
  mObliquiP(ctx);
  EXPECT_EQ(b.surface.scale().right, 3.2f);
}

}  // namespace
}  // namespace curvalis
