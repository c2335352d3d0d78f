// The working the exact engine gives with the real helper: the rules of derivation applied,
// the conditions of existence solved, f(−x), f(0) written out and the numerator of a quotient;
// and the property that every line's expression reads back with the value it claims.
#include "exact_engine/working.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "exact_engine/helper_engine.h"
#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {
namespace {

std::unique_ptr<ExactEngine> Engine() {
  EngineOptions o;
  o.helperPath = CURVALIS_EXACT_HELPER;
  o.timeLimit = std::chrono::milliseconds(10000);  // the sanitizer build is slow
  unsetenv("CURVALIS_EXACT");
  return MakeExactEngine(o);
}

std::string Rules(const std::vector<Step>& steps) {
  std::string s;
  for (const Step& st : steps) s += (s.empty() ? "" : " ") + std::string(StepRuleName(st.rule));
  return s;
}

struct Row {
  const char* f;
  const char* rules;      // of f′, outermost first
  const char* first;      // the line of the whole of f
  const char* condition;  // the first condition of existence ("" for none)
  const char* solution;   // its solution ("" when none is given)
};

// Each rule of derivation and each kind of condition; each row a way the working goes wrong:
// a rule misread from the tree, a derivative from the table written wrong, an operand left
// out, a condition solved wrong or given for a periodic f.
const Row kRows[] = {
    {"(x^2-1)/(x-2)", "quotient polynomial polynomial", "f′(x) = (2x·(x − 2) − (x² − 1))/(x − 2)²",
     "x − 2 ≠ 0", "x ≠ 2"},
    {"x*e^x", "product elementary", "f′(x) = e^x + x·e^x", "", ""},
    {"5sin(x)", "constant_factor elementary", "f′(x) = 5cos(x)", "", ""},
    {"sin(x^2)+ln(x)", "sum chain elementary polynomial elementary", "f′(x) = 2x·cos(x²) + 1/x",
     "x > 0", "x > 0"},
    {"x*ln(x)-x", "sum product elementary", "f′(x) = ln(x) + 1 − 1", "x > 0", "x > 0"},
    {"x^x", "power_of_x", "f′(x) = x^x·(ln(x) + 1)", "x > 0", "x > 0"},
    {"sqrt(1-x^2)", "chain elementary polynomial", "f′(x) = −2x/(2√(1 − x²))", "1 − x² ≥ 0",
     "−1 ≤ x ≤ 1"},
    {"3/(x+1)", "quotient polynomial", "f′(x) = −3/(x + 1)²", "x + 1 ≠ 0", "x ≠ −1"},
    {"ln(x^2-4)", "chain elementary polynomial", "f′(x) = 2x/(x² − 4)", "x² − 4 > 0",
     "x < −2 ∨ x > 2"},
    {"2^x/x", "quotient elementary", "f′(x) = (2^x·ln(2)·x − 2^x)/x²", "x ≠ 0", "x ≠ 0"},
    {"arcsin(2x-1)", "chain elementary polynomial", "f′(x) = 2/√(1 − (2x − 1)²)", "−1 ≤ 2x − 1 ≤ 1",
     "0 ≤ x ≤ 1"},
    {"arccos(x)+arctg(x)", "sum elementary elementary", "f′(x) = 1/(1 + x²) − 1/√(1 − x²)",
     "−1 ≤ x ≤ 1", "−1 ≤ x ≤ 1"},
    {"1/sqrt(x+3)", "quotient chain elementary polynomial", "f′(x) = −1/(2√(x + 3)·(x + 3))",
     "x + 3 > 0", "x > −3"},
    {"tg(x)", "elementary", "f′(x) = 1 + tg(x)²", "x ≠ π/2 + kπ", ""},  // periodic: not solved
};

TEST(Working, TableOfFunctions) {
  auto e = Engine();
  for (const Row& row : kRows) {
    ASSERT_TRUE(e->SetFunction(row.f).determined) << row.f;
    const auto steps = e->DerivationSteps(Which::D1);
    ASSERT_TRUE(steps.determined) << row.f;
    EXPECT_EQ(Rules(steps.value), row.rules) << row.f;
    ASSERT_FALSE(steps.value.empty()) << row.f;
    EXPECT_EQ(steps.value[0].text, row.first) << row.f;
    const auto conditions = e->ExistenceConditions();
    ASSERT_TRUE(conditions.determined) << row.f;
    if (*row.condition == 0) {
      EXPECT_TRUE(conditions.value.empty()) << row.f;
      continue;
    }
    ASSERT_FALSE(conditions.value.empty()) << row.f;
    const ConditionWork& c = conditions.value[0];
    EXPECT_EQ(c.condition.text, row.condition) << row.f;
    EXPECT_EQ(c.solution ? c.solution->condition : "", row.solution) << row.f;
  }
}

TEST(Working, WorkedExample) {
  auto e = Engine();
  ASSERT_TRUE(e->SetFunction("(x^2-1)/(x-2)").determined);
  const auto mirrored = e->Mirrored();
  ASSERT_TRUE(mirrored.determined);
  ASSERT_EQ(mirrored.value.size(), 2u);
  EXPECT_EQ(mirrored.value[0].text, "((−x)² − 1)/(−x − 2)");  // as written, then simplified
  EXPECT_EQ(mirrored.value[1].text, "(1 − x²)/(x + 2)");
  const auto at0 = e->Substituted(Which::F, Number{"0", "0", 0, true});
  ASSERT_TRUE(at0.determined);
  EXPECT_EQ(at0.value.text, "(0² − 1)/(0 − 2)");
  EXPECT_EQ(e->Numerator(Which::F).value.text, "x² − 1");
  EXPECT_EQ(e->Numerator(Which::D1).value.text, "x² − 4x + 1");
  const auto d2 = e->DerivationSteps(Which::D2);
  ASSERT_TRUE(d2.determined);
  EXPECT_EQ(Rules(d2.value), "quotient polynomial polynomial");
  EXPECT_EQ(d2.value[0].text, "f″(x) = ((2x − 4)(x − 2)² − (x² − 4x + 1)(2x − 4))/(x − 2)^4");
  EXPECT_EQ(d2.value[0].latex.rfind("f''(x) = \\frac{", 0), 0u);
  // No quotient at the top: no numerator to give.
  ASSERT_TRUE(e->SetFunction("x*e^x").determined);
  EXPECT_FALSE(e->Numerator(Which::F).determined);
}

// A random elementary expression of x (the operations of the formula language).
Node RandomTree(std::mt19937& rng, int depth) {
  std::uniform_int_distribution<int> pick(0, depth <= 0 ? 2 : 16);
  std::uniform_int_distribution<int> small(1, 5);
  auto sub = [&] { return RandomTree(rng, depth - 1); };
  const int k = pick(rng);
  switch (k) {
    case 0:
    case 1:
      return Node::Var();
    case 2:
      return Node::Num(std::to_string(small(rng)));
    case 3:
    case 4:
      return Node::Of("+", {sub(), sub()});
    case 5:
      return Node::Of("+", {sub(), Node::Of("neg", {sub()})});
    case 6:
    case 7:
      return Node::Of("*", {sub(), sub()});
    case 8:
      return Node::Of("*", {sub(), Node::Of("inv", {sub()})});
    case 9:
      return Node::Of("^", {sub(), Node::Num(std::to_string(small(rng) % 3 + 2))});
    default: {
      const char* fns[] = {"exp", "ln", "sqrt", "sin", "cos", "tan", "atan", "asin", "abs"};
      return Node::Of(fns[(k + small(rng)) % 9], {sub()});
    }
  }
}

// The difference quotient of a student text at x (NaN where it has no value nearby).
double SlopeOf(const std::string& text, double x) {
  const double h = 1e-5 * std::max(1.0, std::fabs(x));
  const double a = ReadBack(text, x - h), b = ReadBack(text, x + h), c = ReadBack(text, x);
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return NAN;
  return (b - a) / (2 * h);
}

// The property: every line "D[u] = v" and "f′(x) = v", read back by our evaluator, has v equal
// to the difference quotient of u (of f) at points where both have a value.
TEST(Working, EveryLineReadsBackAsTheDerivative) {
  auto e = Engine();
  std::mt19937 rng(20261209);
  const double xs[] = {-2.3, -0.7, 0.45, 1.9, 3.1};
  int compared = 0;
  for (int i = 0; i < 60; ++i) {
    const Node t = RandomTree(rng, 3);
    const std::string f = StudentText(t);
    if (!e->SetFunction(f).determined) continue;
    const auto steps = e->DerivationSteps(Which::D1);
    if (!steps.determined) continue;
    for (const Step& s : steps.value) {
      std::string of = f;
      if (s.text.rfind("D[", 0) == 0) of = s.text.substr(2, s.text.find("] = ") - 2);
      ASSERT_FALSE(TranslateFormula(s.formula).rejected) << s.text;  // it reads back
      for (double x : xs) {
        const double want = SlopeOf(of, x), got = ReadBack(s.formula, x);
        if (!std::isfinite(want) || !std::isfinite(got) || std::fabs(want) > 1e6) continue;
        EXPECT_NEAR(got, want, 1e-3 * std::max(1.0, std::fabs(want)))
            << s.text << " of " << f << " at " << x;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 200);
}

// The parts of a random quotient at +∞, as the working of Limiti writes them: numerator over
// denominator (or the two parts of a product or sum, where the denominator has no x) is f at
// points, each part's limit is what its values approach, and the
// derivatives given for De l'Hôpital are those of the parts.
TEST(Working, QuotientPartsReadBackAtInfinity) {
  auto e = Engine();
  std::mt19937 rng(20261210);
  const double xs[] = {-2.3, -0.7, 0.45, 1.9, 3.1};
  int compared = 0, derivatives = 0;
  for (int i = 0; i < 40; ++i) {
    const Node t = Node::Of("*", {RandomTree(rng, 2), Node::Of("inv", {RandomTree(rng, 2)})});
    const std::string f = StudentText(t);
    if (!e->SetFunction(f).determined) continue;
    const auto q = e->QuotientLimits(Number{"+∞", "", INFINITY, true}, Approach::PlusInfinity);
    if (!q.determined) continue;
    const std::string& n = q.value.numerator.text;
    const std::string& d = q.value.denominator.text;
    for (double x : xs) {
      const double u = ReadBack(n, x), v = ReadBack(d, x);
      const double want = ReadBack(f, x), got = q.value.op == '/'   ? u / v
                                                : q.value.op == '*' ? u * v
                                                                    : u + v;
      if (!std::isfinite(want) || !std::isfinite(got)) continue;
      EXPECT_NEAR(got, want, 1e-7 * std::max(1.0, std::fabs(want))) << f << " at " << x;
      ++compared;
    }
    for (const auto& [part, limit] :
         {std::pair{n, q.value.numeratorLimit}, std::pair{d, q.value.denominatorLimit}}) {
      const double far = ReadBack(part, 1e6);
      if (std::isinf(limit.value) && std::isfinite(far)) {
        EXPECT_GT(far * limit.value, 0) << part << " → " << limit.text;
      } else if (std::isfinite(limit.value) && std::isfinite(far)) {
        EXPECT_NEAR(far, limit.value, 1e-2 * std::max(1.0, std::fabs(limit.value)))
            << part << " → " << limit.text;
      }
    }
    if (q.value.numeratorDerivative) {
      for (double x : xs) {
        const double want = SlopeOf(n, x), got = ReadBack(q.value.numeratorDerivative->text, x);
        if (!std::isfinite(want) || !std::isfinite(got) || std::fabs(want) > 1e6) continue;
        EXPECT_NEAR(got, want, 1e-3 * std::max(1.0, std::fabs(want))) << n;
        ++derivatives;
      }
    }
  }
  EXPECT_GT(compared, 40);
  EXPECT_GT(derivatives, 0);
}

}  // namespace
}  // namespace curvalis::study
