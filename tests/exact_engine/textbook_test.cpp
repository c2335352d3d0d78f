// A table of textbook functions through the exact engine and the real helper: the written f′
// and f″ read back by our evaluator and compared with central differences, the solutions, the
// domain and the limit at +∞.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "exact_engine/helper_engine.h"
#include "exact_engine/writer.h"

namespace curvalis::study {
namespace {

std::string Texts(const std::vector<Number>& v) {
  std::string s;
  for (const Number& n : v) s += (s.empty() ? "" : "; ") + n.text;
  return s;
}

// The derivative written as `text` against central differences of the function written as
// `of`, at points where both have values. Returns the number of points compared.
int CompareWithDifferences(const std::string& of, const std::string& text, const char* name) {
  int compared = 0;
  for (double x = -4.87; x < 5; x += 0.37) {
    const double h = 1e-5;
    const double a = ReadBack(of, x - h), b = ReadBack(of, x + h), d = ReadBack(text, x);
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(d)) continue;
    const double cd = (b - a) / (2 * h);
    EXPECT_NEAR(d, cd, 1e-4 * std::max(1.0, std::fabs(cd))) << name << ": " << text << " at " << x;
    ++compared;
  }
  return compared;
}

struct Row {
  const char* f;
  const char* d1;       // f′ as written
  const char* zeros;    // f = 0
  const char* zeros1;   // f′ = 0
  const char* domain;   // the condition
  const char* plusInf;  // lim x→+∞ f(x), "" for none
};

// Each row: a kind of textbook function (rational, roots, exponentials, logarithms, absolute
// values, arctangent, periodic) whose study breaks if a piece of the engine does.
const Row kRows[] = {
    {"(x^2-1)/(x-2)", "(x² − 4x + 1)/(x − 2)²", "−1; 1", "2 − √3; 2 + √3", "x ≠ 2", "+∞"},
    {"x^3-3x", "3x² − 3", "−√3; 0; √3", "−1; 1", "x ∈ ℝ", "+∞"},
    {"1/(x^2-1)", "−2x/(x² − 1)²", "", "0", "x ≠ −1 ∧ x ≠ 1", "0"},
    {"(x^2+1)/x", "(x² − 1)/x²", "", "−1; 1", "x ≠ 0", "+∞"},
    {"x/(x^2+1)", "(1 − x²)/(x² + 1)²", "0", "−1; 1", "x ∈ ℝ", "0"},
    {"√(x^2-1)", "x/√(x² − 1)", "−1; 1", "", "x ≤ −1 ∨ x ≥ 1", "+∞"},
    {"√(4-x²)", "−x/√(4 − x²)", "−2; 2", "0", "−2 ≤ x ≤ 2", nullptr},
    {"x√x", "3√x/2", "0", "0", "x ≥ 0", "+∞"},
    {"e^x/x", "e^x·(x − 1)/x²", "", "1", "x ≠ 0", "+∞"},
    {"x e^(-x)", "−e^(−x)·(x − 1)", "0", "1", "x ∈ ℝ", "0"},
    {"e^(-x^2)", "−2x/e^(x²)", "", "0", "x ∈ ℝ", "0"},
    {"ln(x)/x", "(1 − ln(x))/x²", "1", "e", "x > 0", "0"},
    {"x ln(x)", "ln(x) + 1", "1", "1/e", "x > 0", "+∞"},
    {"ln(x^2-4)", "2x/(x² − 4)", "−√5; √5", "", "x < −2 ∨ x > 2", "+∞"},
    {"|x^2-4|", nullptr, "−2; 2", "0", "x ∈ ℝ", "+∞"},
    {"|x|/(x-1)", nullptr, "0", "", "x ≠ 1", "1"},
    {"arctg(x)", "1/(x² + 1)", "0", "", "x ∈ ℝ", "π/2"},
    {"x - 2arctg(x)", "(x² − 1)/(x² + 1)", "≈ −2.331122370; 0; ≈ 2.331122370", "−1; 1", "x ∈ ℝ",
     "+∞"},
    {"(x-1)e^x", "x·e^x", "1", "0", "x ∈ ℝ", "+∞"},
    {"ln(1+x^2)", "2x/(x² + 1)", "0", "0", "x ∈ ℝ", "+∞"},
    {"x^4-2x^2", "4x³ − 4x", "−√2; 0; √2", "−1; 0; 1", "x ∈ ℝ", "+∞"},
    {"sen(x)+cos(x)", "cos(x) − sin(x)", "3π/4; 7π/4", "π/4; 5π/4", nullptr, ""},
    {"x^5-x-1", "5x^4 − 1", "≈ 1.167303978", nullptr, "x ∈ ℝ", "+∞"},
};

TEST(ExactEngine, TextbookFunctions) {
  unsetenv("CURVALIS_EXACT");
  EngineOptions o;
  o.helperPath = CURVALIS_EXACT_HELPER;
  o.timeLimit = std::chrono::milliseconds(10000);
  auto e = MakeExactEngine(o);
  for (const Row& r : kRows) {
    auto f = e->SetFunction(r.f);
    ASSERT_TRUE(f.determined) << r.f << ": " << f.reason();
    auto d1 = e->Derivative(Which::D1);
    auto d2 = e->Derivative(Which::D2);
    ASSERT_TRUE(d1.determined && d2.determined) << r.f << ": " << d1.reason() << d2.reason();
    EXPECT_TRUE(d1.value.exact && d2.value.exact) << r.f;
    if (r.d1) {
      EXPECT_EQ(d1.value.text, r.d1) << r.f;
    }
    EXPECT_GT(CompareWithDifferences(f.value.text, d1.value.text, r.f), 5) << r.f;
    EXPECT_GT(CompareWithDifferences(d1.value.text, d2.value.text, r.f), 5) << r.f;

    auto z = e->Solve(Which::F);
    ASSERT_TRUE(z.determined) << r.f << ": " << z.reason();
    EXPECT_EQ(Texts(z.value), r.zeros) << r.f;
    for (const Number& n : z.value) {
      EXPECT_NEAR(ReadBack(r.f, n.value), 0, 1e-9) << r.f << " at " << n.text;
    }
    if (r.zeros1) {
      auto z1 = e->Solve(Which::D1);
      ASSERT_TRUE(z1.determined) << r.f << ": " << z1.reason();
      EXPECT_EQ(Texts(z1.value), r.zeros1) << r.f;
    }
    if (r.domain) {
      auto d = e->DomainOf(Which::F);
      ASSERT_TRUE(d.determined) << r.f << ": " << d.reason();
      EXPECT_EQ(d.value.condition, r.domain) << r.f;
    }
    if (r.plusInf) {
      auto l = e->Limit(Which::F, Number{}, Approach::PlusInfinity);
      ASSERT_TRUE(l.determined) << r.f << ": " << l.reason();
      EXPECT_EQ(l.value ? l.value->text : "", r.plusInf) << r.f;
    }
  }
}

std::unique_ptr<ExactEngine> Engine() {
  unsetenv("CURVALIS_EXACT");
  EngineOptions o;
  o.helperPath = CURVALIS_EXACT_HELPER;
  o.timeLimit = std::chrono::milliseconds(10000);
  return MakeExactEngine(o);
}

// Each row: a parity or a period the study could miss or invent.
TEST(ExactEngine, SymmetryAndPeriod) {
  struct Row {
    const char* f;
    Parity parity;
    const char* period;  // "" for none
  } rows[] = {
      {"x^3-3x", Parity::Odd, ""},           {"e^(-x^2)", Parity::Even, ""},
      {"|x^2-4|", Parity::Even, ""},         {"(x^2-1)/(x-2)", Parity::None, ""},
      {"sen(x)+cos(x)", Parity::None, "2π"}, {"tg(x)", Parity::Odd, "π"},
      {"cos(2x)", Parity::Even, "π"},        {"x sin(x)", Parity::Even, ""},
  };
  auto e = Engine();
  for (const Row& r : rows) {
    ASSERT_TRUE(e->SetFunction(r.f).determined) << r.f;
    auto s = e->SymmetryOf();
    ASSERT_TRUE(s.determined) << r.f << ": " << s.reason();
    EXPECT_EQ(s.value.parity, r.parity) << r.f;
    EXPECT_EQ(s.value.period ? s.value.period->text : "", r.period) << r.f;
  }
}

// Each row: a one-sided limit or an asymptote that needs the right side or the right check.
TEST(ExactEngine, LimitsAtPointsAndAsymptotes) {
  struct Row {
    const char* f;
    const char* at;
    double atValue;
    Approach side;
    const char* limit;  // "" when there is none
  } rows[] = {
      {"√(x^2-1)", "1", 1, Approach::Right, "0"},
      {"1/x^2", "0", 0, Approach::Left, "+∞"},
      {"|x|/x", "0", 0, Approach::Left, "−1"},
      {"|x|/x", "0", 0, Approach::Right, "1"},
      {"sin(x)/x", "0", 0, Approach::Right, "1"},
      {"ln(x)", "0", 0, Approach::Right, "−∞"},
      {"e^(1/x)", "0", 0, Approach::Left, "0"},
      {"sin(x)", "", 0, Approach::PlusInfinity, ""},
      {"x e^(-x)", "", 0, Approach::PlusInfinity, "0"},
      {"(1+1/x)^x", "", 0, Approach::PlusInfinity, "e"},
  };
  auto e = Engine();
  for (const Row& r : rows) {
    ASSERT_TRUE(e->SetFunction(r.f).determined) << r.f;
    auto l = e->Limit(Which::F, Number{r.at, "", r.atValue, true}, r.side);
    ASSERT_TRUE(l.determined) << r.f << ": " << l.reason();
    EXPECT_EQ(l.value ? l.value->text : "", r.limit) << r.f;
    if (l.value) {
      EXPECT_TRUE(l.value->exact) << r.f;
    }
  }
  struct Asym {
    const char* f;
    bool plus;
    const char* line;  // "m; q", "" for none
  } asym[] = {
      {"x - 2arctg(x)", true, "1; −π"},
      {"x - 2arctg(x)", false, "1; π"},
      {"e^x/x", false, "0; 0"},
      {"e^x/x", true, ""},
      {"√(x^2+1)", true, "1; 0"},
      {"√(x^2+1)", false, "−1; 0"},
      {"sin(x)", true, ""},
      {"(2x^2+1)/(x^2-1)", true, "0; 2"},
      {"tg(x)", true, ""},       // periodic: no line
      {"arcsen(x)", false, ""},  // no values far out
      {"√x", false, ""},
  };
  for (const Asym& r : asym) {
    ASSERT_TRUE(e->SetFunction(r.f).determined) << r.f;
    auto a = e->Asymptote(r.plus);
    ASSERT_TRUE(a.determined) << r.f << ": " << a.reason();
    EXPECT_EQ(a.value ? a.value->m.text + "; " + a.value->q.text : "", r.line) << r.f;
  }
}

// The domains of f, f′ and f″ differ where f is not differentiable; a periodic f covers one
// period.
TEST(ExactEngine, DomainsOfTheDerivatives) {
  auto e = Engine();
  ASSERT_TRUE(e->SetFunction("√(x^2-1)").determined);
  EXPECT_EQ(e->DomainOf(Which::F).value.condition, "x ≤ −1 ∨ x ≥ 1");
  EXPECT_EQ(e->DomainOf(Which::D1).value.condition, "x < −1 ∨ x > 1");
  ASSERT_TRUE(e->SetFunction("tg(x)").determined);
  auto d = e->DomainOf(Which::F);
  ASSERT_TRUE(d.determined) << d.reason();
  EXPECT_EQ(d.value.condition, "0 ≤ x < π/2 ∨ π/2 < x < π");
  ASSERT_TRUE(e->SetFunction("sin(x)/x").determined);
  EXPECT_EQ(e->Solve(Which::F).reason(), "non determinato: infinite soluzioni");
  ASSERT_TRUE(e->SetFunction("x+sin(x)").determined);
  EXPECT_EQ(e->Solve(Which::D1).reason(), "non determinato: infinite soluzioni");  // π + 2kπ
  ASSERT_TRUE(e->SetFunction("INT(x)").determined == false);
  auto none = e->Asymptote(true);  // samples at whole numbers would give y = x
  ASSERT_TRUE(none.determined);
  EXPECT_FALSE(none.value.has_value());
  ASSERT_TRUE(e->SetFunction("INT(x)+x").determined == false);
  auto n = e->Solve(Which::F);
  ASSERT_TRUE(n.determined);  // the numeric study goes on
  EXPECT_EQ(e->DomainOf(Which::F).reason(), "funzione non elementare: INT");
}

}  // namespace
}  // namespace curvalis::study
