// The relative minima and maxima: coarse scan, fine scan, marks on the graph and listings
// in their own columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

const std::string kMinHeading = std::string(8, ' ') + "Minimi";
const std::string kMaxHeading = std::string(35, ' ') + "Massimi";

// Listing lines as printed: "x=" at column 2 and "f(x)=" at 15 for the minima, at 30 and 43
// for the maxima.
std::string Min(const std::string& tail) {
  return " x=" + tail;
}
std::string Max(const std::string& tail) {
  return std::string(29, ' ') + "x=" + tail;
}

std::vector<std::string> Listing(testing::Bench& b, const char* formula, bool minima) {
  auto ctx = b.ctx(formula);
  minima ? mMinimi(ctx) : mMassimi(ctx);
  auto prints = b.rec.prints();
  EXPECT_FALSE(prints.empty()) << formula;
  if (!prints.empty()) {
    EXPECT_EQ(prints.front(), minima ? kMinHeading : kMaxHeading) << formula;
    prints.erase(prints.begin());
  }
  return prints;
}

struct ExtremaCase {
  const char* formula;
  std::vector<std::string> minima, maxima;
};

TEST(Extrema, Listings) {
  const ExtremaCase cases[] = {
      {"x^2", {Min(" 0         f(x)= 0 ")}, {}},
      // The fine points nearest to -pi/2 and pi/2 on the grid of .002.
      {"sin(x)", {Min("-1.57      f(x)=-1 ")}, {Max(" 1.57      f(x)= 1 ")}},
      {"x^3-3*x", {Min(" 1         f(x)=-2 ")}, {Max("-1         f(x)= 2 ")}},
      {"cos(x)",
       {Min("-3.142     f(x)=-1 "), Min(" 3.142     f(x)=-1 ")},
       {Max(" 0         f(x)= 1 ")}},
      {"abs(x)", {Min(" 0         f(x)= 0 ")}, {}},  // the corner
      {"2", {}, {}},                                 // every comparison strict on one side
      {"x^2+40", {}, {}},                            // |f| >= 32: neither marked nor listed
      {"1/x", {}, {}},
      {"tan(x)", {}, {}},
      // TRUE is 1: the first fine point inside the interval where the formula holds.
      {"x^2<1", {Min(" 1         f(x)= 0 ")}, {Max("-.998      f(x)= 1 ")}},
      // A hole narrower than two coarse steps, beside an extremum: the fine windows that
      // hold an undefined value report nothing (Decision 4).
      {"if(abs(x-0.02)<0.003,1/0,x^2)", {Min(" 0         f(x)= 0 ")}, {}},
      {"if(abs(x-0.02)<0.003,1/0,1-x^2)", {}, {Max(" 0         f(x)= 1 ")}},
  };
  for (const ExtremaCase& c : cases) {
    for (bool minima : {true, false}) {
      testing::Bench b;
      EXPECT_EQ(Listing(b, c.formula, minima), minima ? c.minima : c.maxima)
          << c.formula << (minima ? " minima" : " maxima");
      EXPECT_TRUE(b.host.messages.empty()) << c.formula;
    }
  }
}

struct MarkCase {
  bool minima;
  const char* formula;
  Rgb colour;
  std::vector<std::pair<float, float>> marks;
};

TEST(Extrema, MarksOnTheGraphAndRowsInTheTextFrame) {
  const MarkCase cases[] = {
      {true, "cos(x)", Palette(11), {{-3.142f, -0.99999992f}, {3.142f, -0.99999992f}}},
      {false, "x^3-3*x", Palette(10), {{-1.0f, 2.0f}}},
  };
  for (const MarkCase& c : cases) {
    testing::Bench b;
    b.surface.SetDrawWidth(3);
    auto ctx = b.ctx(c.formula);
    c.minima ? mMinimi(ctx) : mMassimi(ctx);
    auto marks = b.rec.points(c.colour);
    ASSERT_EQ(marks.size(), c.marks.size()) << c.formula;
    for (std::size_t k = 0; k < marks.size(); ++k) {
      EXPECT_NEAR(marks[k].x1, c.marks[k].first, 1e-6) << c.formula;
      EXPECT_NEAR(marks[k].y1, c.marks[k].second, 1e-6) << c.formula;
      EXPECT_EQ(marks[k].width, 4) << c.formula;
    }
    // The heading's white point with the width found, then one per extremum at width 1 on
    // rows 4, 6, ...; each listing line printed where its white point put it.
    auto white = b.rec.points(Palette(15));
    ASSERT_EQ(white.size(), 1 + c.marks.size()) << c.formula;
    EXPECT_EQ(white[0].width, 3);
    auto prints = b.rec.of(Op::Print);
    ASSERT_EQ(prints.size(), white.size());
    for (std::size_t k = 0; k < white.size(); ++k) {
      EXPECT_EQ(white[k].x1, 0);
      EXPECT_EQ(white[k].y1, 2 + 2 * k) << c.formula;
      EXPECT_EQ(prints[k].y1, 2 + 2 * k) << c.formula;
      if (k > 0) {
        EXPECT_EQ(white[k].width, 1);
      }
    }
    // The frame switches: text frame for the heading, then graph and text frame per mark.
    auto scales = b.rec.of(Op::Scale);
    ASSERT_EQ(scales.size(), 1 + 2 * c.marks.size());
    EXPECT_EQ(scales.back().x2, 48);
    EXPECT_EQ(scales.back().y2, 64);
    EXPECT_EQ(b.surface.drawWidth(), 1);
  }
}

TEST(Extrema, NothingMarkedKeepsTheDrawWidth) {
  testing::Bench b;
  b.surface.SetDrawWidth(3);
  auto ctx = b.ctx("x^2+40");
  mMinimi(ctx);
  EXPECT_EQ(b.rec.of(Op::Point).size(), 1u);  // the heading's white point
  EXPECT_EQ(b.surface.drawWidth(), 3);
}

TEST(Extrema, ListedFarFromTheOriginDecision6) {
  testing::Bench b;
  b.view.OffsetX = 100000;
  b.view.PresetView = 0;
  EXPECT_EQ(Listing(b, "sin(x)", true), std::vector<std::string>{Min(" 100001.6  f(x)=-1 ")});
  b.rec.clear();
  EXPECT_EQ(Listing(b, "sin(x)", false), std::vector<std::string>{Max(" 99998.46  f(x)= 1 ")});
  EXPECT_EQ(b.rec.points(Palette(10)).size(), 1u);
}

TEST(Extrema, AValueThatCannotBeRoundedLeavesOutTheTextLineButTakesItsRow) {
  // The minimum at 2.5E305: a thousand times it is no finite number, so its line can't be
  // printed; the row is still taken (its white point is plotted), and the mark, too far
  // for a single, is not drawn.
  testing::Bench b;
  b.view.ScaleUnit = 1E305;
  auto ctx = b.ctx("abs(x-2.5E305)/1E305");
  mMinimi(ctx);
  EXPECT_EQ(b.rec.prints(), std::vector<std::string>{kMinHeading});
  auto white = b.rec.points(Palette(15));
  ASSERT_EQ(white.size(), 2u);
  EXPECT_EQ(white[1].y1, 4);
  EXPECT_TRUE(b.rec.points(Palette(11)).empty());
}

}  // namespace
}  // namespace curvalis
