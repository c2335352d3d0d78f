// The writers of the exact engine: the student notation of trees, its LaTeX, and the property
// that every text Curvalis writes reads back, typed into f(x)=, with the value of its tree.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "exact_engine/numbers.h"
#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {
namespace {

struct Row {
  const char* tree;
  const char* text;
};

// Each row: a form the writer could get wrong or write in a way our parser reads otherwise.
const Row kTexts[] = {
    {"(* (+ (^ x 2) (neg (* 4 x)) 1) (inv (^ (+ x -2) 2)))", "(x² − 4x + 1)/(x − 2)²"},
    {"(+ (neg (^ 3 1/2)) 2)", "2 − √3"},
    {"(+ (neg (* 2 (^ 3 1/2))) 4)", "4 − 2√3"},
    {"(exp 2)", "e²"},
    {"(exp 1)", "e"},
    {"(ln 2)", "ln(2)"},
    {"(* pi (inv 4))", "π/4"},
    {"(* 3/4 pi)", "3π/4"},
    {"(* x (ln x))", "x·ln(x)"},
    {"(* 2 (exp x))", "2·e^x"},  // "2e^x" reads, but "2e3" would be a number
    {"(exp (neg (^ x 2)))", "e^(−x²)"},
    {"(^ (+ x 1) 1/3)", "(x + 1)^(1/3)"},
    {"(* -1/2 x)", "−x/2"},
    {"(* 3/2 x)", "3x/2"},
    {"(abs (+ x -1))", "|x − 1|"},
    {"(* 2 (abs x))", "2·|x|"},
    {"(* (+ x 1) (+ x -1))", "(x + 1)(x − 1)"},
    {"(inv (* x (+ x 1)))", "1/(x·(x + 1))"},
    {"(^ (sqrt x) 3)", "(√x)³"},
    {"(* 6 (inv (^ (+ x -2) 3)))", "6/(x − 2)³"},
    {"(^ x -2)", "1/x²"},
    {"(+ x (neg (* 2 (atan x))))", "x − 2arctg(x)"},
    {"(^ -2 x)", "(−2)^x"},
    {"(sqrt (+ (^ x 2) -1))", "√(x² − 1)"},
    {"(^ x (+ x 1))", "x^(x + 1)"},
    {"(* 2 (inv (* 3 x)))", "2/(3x)"},
    {"(+ (neg x) 1)", "1 − x"},
    {"(* (tan x) (inv (sin x)))", "tg(x)/sin(x)"},
    {"(* x (^ (+ (^ x 2) -1) -1/2))", "x/√(x² − 1)"},
    {"-inf", "−∞"},
    {"+inf", "+∞"},
    {"undef", "?"},  // never written as a value, but never a loop either
};

TEST(StudentText, WritesAsAStudentWrites) {
  for (const Row& r : kTexts) {
    std::optional<Node> t = ParseTree(r.tree);
    ASSERT_TRUE(t.has_value()) << r.tree;
    EXPECT_EQ(StudentText(*t), r.text) << r.tree;
  }
}

const Row kLatex[] = {
    {"(* (+ (^ x 2) (neg (* 4 x)) 1) (inv (^ (+ x -2) 2)))",
     "\\frac{x^{2} - 4x + 1}{\\left(x - 2\\right)^{2}}"},
    {"(+ (neg (^ 3 1/2)) 2)", "2 - \\sqrt{3}"},
    {"(exp (neg x))", "e^{-x}"},
    {"(* (abs x) (atan x))", "\\left|x\\right| \\cdot \\operatorname{arctg}\\left(x\\right)"},
    {"-inf", "-\\infty"},
};

TEST(LatexText, WritesLatex) {
  for (const Row& r : kLatex) {
    std::optional<Node> t = ParseTree(r.tree);
    ASSERT_TRUE(t.has_value()) << r.tree;
    EXPECT_EQ(LatexText(*t), r.text) << r.tree;
  }
}

TEST(WriteNumber, ExactOnlyWhenShortAndConfirmed) {
  struct NumRow {
    const char* tree;
    const char* text;
    bool exact;
  } rows[] = {
      {"(+ (neg (^ 3 1/2)) 2)", "2 − √3", true},
      {"~1.1673039782614187", "≈ 1.167303978", false},  // a decimal of the CAS
      {"-7/3", "−7/3", true},
      {"(* -1 (^ 2 1/2))", "−√2", true},
      {"123456789012345678901234567890123456789012345", "≈ 1.234567890E+44", false},  // long
      {"(+ (^ 2 1/2) (^ 3 1/2) (^ 5 1/2) (^ 6 1/2) (^ 7 1/2) (^ 10 1/2) (^ 11 1/2) (^ 13 1/2) (^ "
       "14 1/2))",
       "≈ 24.30368451", false},
  };
  for (const NumRow& r : rows) {
    std::optional<Node> t = ParseTree(r.tree);
    ASSERT_TRUE(t.has_value()) << r.tree;
    Number n = WriteNumber(*t);
    EXPECT_EQ(n.text, r.text) << r.tree;
    EXPECT_EQ(n.exact, r.exact) << r.tree;
    EXPECT_NEAR(n.value, TreeValue(*t), 1e-9 * std::fabs(TreeValue(*t)) + 1e-12) << r.tree;
    // A decimal reads back too ("1.234567890e+44" would read as 1.234567890·e + 44).
    const std::string digits = n.text.substr(n.exact ? 0 : std::string("≈ ").size());
    EXPECT_NEAR(ReadBack(digits), n.value, 1e-9 * std::fabs(n.value)) << r.tree;
  }
}

// A random elementary expression of x.
Node RandomTree(std::mt19937& rng, int depth) {
  std::uniform_int_distribution<int> pick(0, depth <= 0 ? 3 : 22);
  std::uniform_int_distribution<int> small(1, 9);
  const int k = pick(rng);
  auto sub = [&] { return RandomTree(rng, depth - 1); };
  switch (k) {
    case 0:
    case 1:
      return Node::Var();
    case 2:
      return Node::Num(std::to_string(small(rng)));
    case 3: {
      const char* atoms[] = {"pi", "3/2", "-2", "1/7"};
      std::optional<Node> a = ParseTree(atoms[small(rng) % 4]);
      return *a;
    }
    case 4:
    case 5:
      return Node::Of("+", {sub(), sub()});
    case 6:
      return Node::Of("+", {sub(), Node::Of("neg", {sub()})});
    case 7:
    case 8:
      return Node::Of("*", {sub(), sub()});
    case 9:
      return Node::Of("*", {sub(), Node::Of("inv", {sub()})});
    case 10: {
      const char* exps[] = {"2", "3", "4", "-1", "-2", "1/2", "-1/2", "x"};
      return Node::Of("^", {sub(), *ParseTree(exps[small(rng) % 8])});
    }
    case 11:
      return Node::Of("neg", {sub()});
    default: {
      const char* fns[] = {"exp",  "ln",   "log10", "sqrt", "sin",  "cos",  "tan",
                           "asin", "acos", "atan",  "sinh", "cosh", "tanh", "abs"};
      return Node::Of(fns[(k + small(rng)) % 14], {sub()});
    }
  }
}

// The property: what the writer writes, Curvalis reads back with the same value at sample
// points, or both have no value there.
TEST(StudentText, ReadsBackWithTheSameValue) {
  std::mt19937 rng(20261208);
  const double xs[] = {-2.3, -0.7, 0.45, 1.9, 3.1};
  int compared = 0;
  for (int i = 0; i < 3000; ++i) {
    const Node t = RandomTree(rng, 4);
    const std::string text = StudentText(t);
    Translation back = TranslateFormula(text);
    ASSERT_TRUE(back.tree.has_value()) << text << " from " << TreeText(t) << ": " << back.reason;
    for (double x : xs) {
      const double want = TreeValue(t, x);
      const double got = ReadBack(text, x);
      if (!std::isfinite(want) || !std::isfinite(got) || std::fabs(want) > 1e12) {
        continue;  // no value, or one too large to compare; both undefined is checked below
      }
      EXPECT_NEAR(got, want, 1e-7 * std::max(1.0, std::fabs(want)))
          << text << " from " << TreeText(t) << " at " << x;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000);
}

// A text as one operand: each row a way of getting the parentheses wrong, after "lim" or in a
// quotient (where a wrong one changes the value: 1/2x reads as x/2).
TEST(Operand, ParenthesesWhereTheValueNeedsThem) {
  struct Row {
    const char* text;
    bool quotient;
    const char* want;
  };
  const Row rows[] = {
      {"x² + 1", false, "(x² + 1)"},
      {"ln(1 + x)", false, "ln(1 + x)"},
      {"−ln(x)", false, "−ln(x)"},
      {"1/x", false, "1/x"},
      {"2x", true, "(2x)"},
      {"3π", true, "(3π)"},
      {"2(x + 1)", true, "(2(x + 1))"},
      {"1/x", true, "(1/x)"},
      {"−x", true, "(−x)"},
      {"ln(x)·x", true, "(ln(x)·x)"},
      {"sin(x)/x", true, "(sin(x)/x)"},
      {"√(x² + 1)", true, "√(x² + 1)"},
      {"e^(1/x)", true, "e^(1/x)"},
      {"ln(1 + 2/x)", true, "ln(1 + 2/x)"},
      {"x²", true, "x²"},
      {"x", true, "x"},
      {"(x − 1)²", false, "(x − 1)²"},
      {"(x − 1)^4", true, "(x − 1)^4"},
      {"(x + 1)/(x − 1)", true, "((x + 1)/(x − 1))"},
  };
  for (const Row& r : rows) EXPECT_EQ(Operand(r.text, r.quotient), r.want) << r.text;
}

}  // namespace
}  // namespace curvalis::study
