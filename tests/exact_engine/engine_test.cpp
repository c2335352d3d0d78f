// The exact engine with the real helper program: the worked example of the written study and
// a table of textbook functions whose answers are checked against our own evaluator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "exact_engine/helper_engine.h"
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

std::string Texts(const std::vector<Number>& v) {
  std::string s;
  for (const Number& n : v) s += (s.empty() ? "" : "; ") + n.text;
  return s;
}

Number Exact(std::string text, double v) {
  return Number{text, "", v, true};
}

TEST(ExactEngine, WorkedExample) {
  auto e = Engine();
  auto f = e->SetFunction("(x^2-1)/(x-2)");
  ASSERT_TRUE(f.determined) << f.reason();
  EXPECT_EQ(f.value.text, "(x² − 1)/(x − 2)");
  auto d1 = e->Derivative(Which::D1);
  ASSERT_TRUE(d1.determined) << d1.reason();
  EXPECT_EQ(d1.value.text, "(x² − 4x + 1)/(x − 2)²");
  EXPECT_TRUE(d1.value.exact);
  EXPECT_EQ(d1.value.latex, "\\frac{x^{2} - 4x + 1}{\\left(x - 2\\right)^{2}}");
  auto d2 = e->Derivative(Which::D2);
  ASSERT_TRUE(d2.determined) << d2.reason();
  EXPECT_EQ(d2.value.text, "6/(x − 2)³");

  auto dom = e->DomainOf(Which::F);
  ASSERT_TRUE(dom.determined) << dom.reason();
  EXPECT_EQ(dom.value.condition, "x ≠ 2");
  ASSERT_EQ(dom.value.intervals.size(), 2u);
  EXPECT_EQ(dom.value.intervals[0].from.text, "−∞");
  EXPECT_EQ(dom.value.intervals[0].to.text, "2");
  EXPECT_FALSE(dom.value.intervals[0].closedRight);
  EXPECT_EQ(dom.value.intervals[1].to.text, "+∞");

  auto z = e->Solve(Which::F);
  ASSERT_TRUE(z.determined) << z.reason();
  EXPECT_EQ(Texts(z.value), "−1; 1");
  auto z1 = e->Solve(Which::D1);
  ASSERT_TRUE(z1.determined) << z1.reason();
  EXPECT_EQ(Texts(z1.value), "2 − √3; 2 + √3");
  ASSERT_EQ(z1.value.size(), 2u);
  EXPECT_TRUE(z1.value[0].exact);
  auto z2 = e->Solve(Which::D2);
  ASSERT_TRUE(z2.determined);
  EXPECT_TRUE(z2.value.empty());

  auto v = e->ValueAt(Which::F, z1.value[0]);
  ASSERT_TRUE(v.determined) << v.reason();
  EXPECT_EQ(v.value.text, "4 − 2√3");
  EXPECT_TRUE(v.value.exact);

  const Number two = Exact("2", 2);
  struct Row {
    Approach side;
    std::string text;
  } rows[] = {{Approach::MinusInfinity, "−∞"},
              {Approach::Left, "−∞"},
              {Approach::Right, "+∞"},
              {Approach::PlusInfinity, "+∞"}};
  for (const Row& r : rows) {
    auto l = e->Limit(Which::F, two, r.side);
    ASSERT_TRUE(l.determined) << l.reason();
    ASSERT_TRUE(l.value.has_value());
    EXPECT_EQ(l.value->text, r.text) << static_cast<int>(r.side);
    EXPECT_TRUE(l.value->exact);
  }
  for (bool plus : {false, true}) {
    auto a = e->Asymptote(plus);
    ASSERT_TRUE(a.determined) << a.reason();
    ASSERT_TRUE(a.value.has_value());
    EXPECT_EQ(a.value->m.text, "1");
    EXPECT_EQ(a.value->q.text, "2");
    EXPECT_TRUE(a.value->q.exact);
  }
  auto s = e->SymmetryOf();
  ASSERT_TRUE(s.determined);
  EXPECT_EQ(s.value.parity, Parity::None);
  EXPECT_FALSE(s.value.period.has_value());
}

}  // namespace
}  // namespace curvalis::study
