#include "exact_engine/conditions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exact_engine/translate.h"

namespace curvalis::study {
namespace {

using K = ConditionKind;
using S = ConditionSource;

struct Want {
  K kind;
  S source;
  const char* text;
};

struct Row {
  const char* formula;
  std::vector<Want> conditions;
};

// Each row a kind of condition or a way a reader gets one wrong: a condition missed, a
// constant or an always-true one written, the order a student writes them, one written twice.
const Row kRows[] = {
    {"(x^2-1)/(x-2)", {{K::NonZero, S::Denominator, "x − 2 ≠ 0"}}},
    {"x^2+3x-1", {}},  // a polynomial: none
    {"1/(x-2)^2+3/|x+1|",
     {{K::NonZero, S::Denominator, "x − 2 ≠ 0"},        // the power dropped
      {K::NonZero, S::Denominator, "x + 1 ≠ 0"}}},      // the bars dropped
    {"x^-2", {{K::NonZero, S::Denominator, "x ≠ 0"}}},  // a negative whole exponent
    {"ln(x^2-4)", {{K::Positive, S::LogArgument, "x² − 4 > 0"}}},
    {"log(x)+ln(x)", {{K::Positive, S::LogArgument, "x > 0"}}},  // once
    {"sqrt(1-x^2)", {{K::NonNegative, S::Radicand, "1 − x² ≥ 0"}}},
    {"arcsen(x/2)+arccos(x)",
     {{K::InUnitInterval, S::ArcsinArgument, "−1 ≤ x/2 ≤ 1"},
      {K::InUnitInterval, S::ArccosArgument, "−1 ≤ x ≤ 1"}}},
    {"tg(2x)", {{K::NotHalfPiPlusKPi, S::TangentArgument, "2x ≠ π/2 + kπ"}}},
    {"x^x", {{K::Positive, S::PowerBase, "x > 0"}}},
    {"(x-1)^(1/3)", {{K::NonNegative, S::PowerBase, "x − 1 ≥ 0"}}},
    {"e^x/(1+e^x)+1/e^x+ln(e^x)+1/(2-1)", {{K::NonZero, S::Denominator, "1 + e^x ≠ 0"}}},
    // Inside first: the argument's own condition before the condition on the argument.
    {"ln(ln(x))",
     {{K::Positive, S::LogArgument, "x > 0"}, {K::Positive, S::LogArgument, "ln(x) > 0"}}},
    // Reading from the left: the radicand, then the denominator.
    {"sqrt(x)/(x-1)",
     {{K::NonNegative, S::Radicand, "x ≥ 0"}, {K::NonZero, S::Denominator, "x − 1 ≠ 0"}}},
    {"1/sqrt(x+3)", {{K::Positive, S::Radicand, "x + 3 > 0"}}},  // a root below: > 0
};

TEST(ConditionsOfExistence, TableOfFormulas) {
  for (const Row& row : kRows) {
    const Translation t = TranslateFormula(row.formula);
    ASSERT_TRUE(t.tree) << row.formula;
    const std::vector<Condition> got = ConditionsOfExistence(*t.tree);
    ASSERT_EQ(got.size(), row.conditions.size()) << row.formula;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].kind, row.conditions[i].kind) << row.formula << " #" << i;
      EXPECT_EQ(got[i].source, row.conditions[i].source) << row.formula << " #" << i;
      EXPECT_EQ(ConditionText(got[i]), row.conditions[i].text) << row.formula << " #" << i;
    }
  }
}

// Where every condition holds f has a value, and where one fails it has none: the conditions
// are the domain the evaluator computes, and the guard of each has exactly its domain.
TEST(ConditionsOfExistence, HoldExactlyWhereFHasAValue) {
  for (const Row& row : kRows) {
    const Translation t = TranslateFormula(row.formula);
    ASSERT_TRUE(t.tree);
    const std::vector<Condition> cs = ConditionsOfExistence(*t.tree);
    for (double x = -4.95; x < 5; x += 0.1) {
      bool all = true;
      for (const Condition& c : cs) {
        all = all && ConditionHolds(c, x);
        EXPECT_EQ(ConditionHolds(c, x), std::isfinite(TreeValue(ConditionGuard(c), x)))
            << row.formula << " " << ConditionText(c) << " at " << x;
      }
      EXPECT_EQ(all, std::isfinite(TreeValue(*t.tree, x))) << row.formula << " at " << x;
    }
  }
}

TEST(ConditionsOfExistence, LatexAndSource) {
  const Translation t = TranslateFormula("tg(x)+ln(x)+1/x+sqrt(x+1)+arcsin(x)");
  const std::vector<Condition> cs = ConditionsOfExistence(*t.tree);
  ASSERT_EQ(cs.size(), 5u);
  EXPECT_EQ(ConditionLatex(cs[0]), "x \\neq \\frac{\\pi}{2} + k\\pi");
  EXPECT_EQ(ConditionLatex(cs[1]), "x > 0");
  EXPECT_EQ(ConditionLatex(cs[2]), "x \\neq 0");
  EXPECT_EQ(ConditionLatex(cs[3]), "x + 1 \\geq 0");
  EXPECT_EQ(ConditionLatex(cs[4]), "-1 \\leq x \\leq 1");
  EXPECT_EQ(ConditionSourceText(cs[0].source), "argomento della tangente");
  EXPECT_EQ(ConditionSourceText(cs[3].source), "radicando");
}

}  // namespace
}  // namespace curvalis::study
