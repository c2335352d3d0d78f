// The numbers and texts of a periodic f: what a fault in each would write wrong.
#include "study/periodic.h"

#include <gtest/gtest.h>

#include <cmath>

#include "study/sheet.h"

namespace {

using namespace curvalis::study;

Number Exactly(double v, const char* text) {
  Number n;
  n.text = text;
  n.latex = text;
  n.value = v;
  n.exact = true;
  return n;
}

TEST(Periodic, RationalOrPiMultiple) {
  const struct {
    double value;
    const char* text;  // nullptr: no exact text
    const char* latex;
  } rows[] = {
      {0, "0", "0"},
      {M_PI / 2, "π/2", "\\frac{\\pi}{2}"},
      {-M_PI / 2, "−π/2", "-\\frac{\\pi}{2}"},
      {3 * M_PI / 4, "3π/4", "\\frac{3\\pi}{4}"},
      {2 * M_PI, "2π", "2\\pi"},
      {-M_PI, "−π", "-\\pi"},
      {1.5, "3/2", "\\frac{3}{2}"},  // a rational, not π times something
      {-2, "−2", "-2"},
      {std::atan(2.0), nullptr, nullptr},   // arctg(2) is no rational multiple of π
      {M_PI / 2 + 1e-9, nullptr, nullptr},  // near π/2 is not π/2
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    auto n = RationalOrPiMultiple(row.value);
    if (!row.text) {
      EXPECT_FALSE(n) << n->text;
      continue;
    }
    ASSERT_TRUE(n);
    EXPECT_EQ(n->text, row.text);
    EXPECT_EQ(n->latex, row.latex);
    EXPECT_TRUE(n->exact);
  }
}

TEST(Periodic, ShiftedByPeriods) {
  const Number pi = Exactly(M_PI, "π"), twoPi = Exactly(2 * M_PI, "2π");
  const Number root = Exactly(std::atan(2.0), "arctg(2)");
  Number approx = Exactly(1.2, "≈ 1.200000000");
  approx.exact = false;
  const struct {
    Number n, by;
    int times;
    const char* text;  // nullptr: cannot be written exactly
  } rows[] = {
      {Exactly(M_PI / 2, "π/2"), pi, -1, "−π/2"},
      {Exactly(3 * M_PI / 2, "3π/2"), twoPi, -1, "−π/2"},
      {Exactly(0, "0"), twoPi, 1, "2π"},
      {root, pi, -1, nullptr},           // arctg(2) − π is not written by guesswork
      {approx, pi, 1, "≈ 4.341592654"},  // a decimal stays a decimal
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.n.text);
    auto s = Shifted(row.n, row.by, row.times);
    if (!row.text) {
      EXPECT_FALSE(s);
      continue;
    }
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, row.text);
    EXPECT_NEAR(s->value, row.n.value + row.times * row.by.value, 1e-12);
  }
}

TEST(Periodic, EveryPeriod) {
  const Number pi = Exactly(M_PI, "π"), twoPi = Exactly(2 * M_PI, "2π");
  const struct {
    std::vector<Number> points;
    Number period;
    std::vector<std::string> texts;
  } rows[] = {
      {{Exactly(0, "0")}, pi, {"kπ"}},
      {{Exactly(M_PI / 2, "π/2")}, pi, {"π/2 + kπ"}},
      // −π/2 and π/2 are the same points one period apart: written once, from [0; T[.
      {{Exactly(-M_PI / 2, "−π/2"), Exactly(M_PI / 2, "π/2")}, pi, {"π/2 + kπ"}},
      // 0 and π over 2π are one progression of step π.
      {{Exactly(0, "0"), Exactly(M_PI, "π")}, twoPi, {"kπ"}},
      // π/2 and 3π/2 over 2π: one progression π/2 + kπ.
      {{Exactly(M_PI / 2, "π/2"), Exactly(3 * M_PI / 2, "3π/2")}, twoPi, {"π/2 + kπ"}},
      // Unevenly spaced points stay apart.
      {{Exactly(M_PI / 6, "π/6"), Exactly(5 * M_PI / 6, "5π/6")},
       twoPi,
       {"π/6 + 2kπ", "5π/6 + 2kπ"}},
      {{Exactly(1, "1")}, Exactly(2, "2"), {"1 + 2k"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.points.front().text + " / " + row.period.text);
    EXPECT_EQ(EveryPeriod(row.points, row.period), row.texts);
  }
}

TEST(Periodic, KTimesAndTicks) {
  EXPECT_EQ(KTimes(Exactly(M_PI / 2, "π/2")), "kπ/2");
  EXPECT_EQ(KTimes(Exactly(2 * M_PI / 3, "2π/3")), "2kπ/3");
  EXPECT_EQ(KTimes(Exactly(1, "1")), "k");
  const auto ticks = PiTicks(-2, 3.5, M_PI / 2);
  std::vector<std::string> texts;
  for (const auto& t : ticks) texts.push_back(t.second);
  EXPECT_EQ(texts, (std::vector<std::string>{"−π/2", "0", "π/2", "π"}));
  EXPECT_TRUE(PiTicks(0, 1e9, M_PI / 2).empty()) << "too many ticks to draw";
}

}  // namespace
