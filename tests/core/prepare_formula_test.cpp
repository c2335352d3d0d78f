// PrepareFormula: the text of Funzione as the formula the evaluator receives.
#include <gtest/gtest.h>

#include <cmath>

#include "core/formula.h"
#include "core/prepare_formula.h"

namespace curvalis {
namespace {

TEST(PrepareFormulaTest, RewritesTheWholeWordVariable) {
  struct Case {
    const char* funzione;
    const char* prepared;
  };
  const Case cases[] = {
      // "Whole-word variable".
      {"exp(x)", "=exp(x1)"},
      {"xp(x)", "=xp(x1)"},
      {"X^2", "=X^2"},  // a capital X is no variable
      {"sin(x)", "=sin(x1)"},
      {"x*exp(x)", "=x1*exp(x1)"},
      {"10^x", "=10^x1"},
      {"max(x,1)", "=max(x1,1)"},  // the x of max stays
      {"x", "=x1"},
      {"", "="},
      {"(x)-x", "=(x1)-x1"},
      {"x^x^x", "=x1^x1^x1"},
      {" x ", "= x1 "},
      {"xx+x2+x_+x.5+_x+xe", "=xx+x2+x_+x.5+_x+xe"},  // x inside a longer name stays
      {"2x", "=2x1"},                                 // a digit may stand before the variable
      {"\xC3\xA8x", "=\xC3\xA8x1"},                   // so may a character outside ASCII
      {"x1", "=x1"},
      {"\"x\"&x", "=\"x\"&x1"},  // text literals stay as they are
      {"\"a\"\"x\"&x", "=\"a\"\"x\"&x1"},
      {"\"x", "=\"x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrepareFormula(c.funzione), c.prepared) << c.funzione;
  }
}

// The formulas of the archive, prepared, are all accepted and give the expected values.
TEST(PrepareFormulaTest, ArchiveFormulasEvaluate) {
  struct Case {
    const char* funzione;
    double x;
    double want;  // NaN: undefined there
  };
  const double nan = std::nan("");
  const Case cases[] = {
      {"x", 2, 2},          {"x^2", -3, 9},     {"x^3", -2, -8},      {"sqrt(x)", 4, 2},
      {"sqrt(x)", -1, nan}, {"x^(1/3)", 8, 2},  {"x^(1/3)", -8, nan}, {"exp(x)", 0, 1},
      {"10^x", 2, 100},     {"ln(x)", 1, 0},    {"ln(x)", 0, nan},    {"log(x)", 100, 2},
      {"sin(x)", 0, 0},     {"cos(x)", 0, 1},   {"tan(x)", 0, 0},     {"asin(x)", 2, nan},
      {"acos(x)", 1, 0},    {"atan(x)", 0, 0},  {"sinh(x)", 0, 0},    {"cosh(x)", 0, 1},
      {"tanh(x)", 0, 0},    {"asinh(x)", 0, 0}, {"acosh(x)", 1, 0},   {"atanh(x)", 1, nan},
      {"max(x,1)", 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.funzione);
    CompiledFormula f;
    ASSERT_EQ(f.Compile(PrepareFormula(c.funzione)), FormulaReject::None);
    double got = f.EvaluateNumber(c.x);
    if (std::isnan(c.want)) {
      EXPECT_TRUE(std::isnan(got)) << got;
    } else {
      EXPECT_DOUBLE_EQ(got, c.want);
    }
  }
  CompiledFormula f;
  EXPECT_EQ(f.Compile(PrepareFormula("")), FormulaReject::Empty);
  // An unknown function and an unknown name drew nothing before; now they are rejected.
  EXPECT_EQ(f.Compile(PrepareFormula("xp(x)")), FormulaReject::UnknownName);
  EXPECT_EQ(f.Compile(PrepareFormula("X^2")), FormulaReject::UnknownName);
}

}  // namespace
}  // namespace curvalis
