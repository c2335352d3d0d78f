// The relative minima and maxima, and what the five analyses share through the command frame.
#include <gtest/gtest.h>

#include <sstream>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

// Listing lines: "x=" at column 2 and "f(x)=" at 15 for the minima, at 30 and 43 for the maxima.
std::string Min(const std::string& tail) {
  return " x=" + tail;
}
std::string Max(const std::string& tail) {
  return std::string(29, ' ') + "x=" + tail;
}

TEST(Extrema, MarksAndListings) {
  struct Case {
    const char* formula;
    std::vector<std::string> minima, maxima;
    double offsetX = 0;
  };
  const Case cases[] = {
      {"x^2", {Min(" 0         f(x)= 0 ")}, {}},
      {"sin(x)", {Min("-1.57      f(x)=-1 ")}, {Max(" 1.57      f(x)= 1 ")}},
      {"x^3-3*x", {Min(" 1         f(x)=-2 ")}, {Max("-1         f(x)= 2 ")}},
      {"cos(x)",
       {Min("-3.142     f(x)=-1 "), Min(" 3.142     f(x)=-1 ")},
       {Max(" 0         f(x)= 1 ")}},
      {"abs(x)", {Min(" 0         f(x)= 0 ")}, {}},  // the corner
      {"2", {}, {}},                                 // every comparison strict on one side
      {"x^2+40", {}, {}},                            // |f| >= 32
      {"tan(x)", {}, {}},
      {"x^2<1", {Min(" 1         f(x)= 0 ")}, {Max("-.998      f(x)= 1 ")}},  // TRUE is 1
      // A hole narrower than two coarse steps beside the extremum: the fine windows that
      // hold an undefined value report nothing ("Fine windows with a gap").
      {"if(abs(x-0.02)<0.003,1/0,x^2)", {Min(" 0         f(x)= 0 ")}, {}},
      {"if(abs(x-0.02)<0.003,1/0,1-x^2)", {}, {Max(" 0         f(x)= 1 ")}},
      // Far from the origin the listing stays ("Wide rounding").
      {"sin(x)", {Min(" 100001.6  f(x)=-1 ")}, {Max(" 99998.46  f(x)= 1 ")}, 100000},
  };
  for (const Case& c : cases) {
    for (bool minima : {true, false}) {
      testing::Bench b;
      b.view.OffsetX = c.offsetX;
      b.surface.SetDrawWidth(3);
      auto ctx = b.ctx(c.formula);
      minima ? mMinimi(ctx) : mMassimi(ctx);
      const auto& expected = minima ? c.minima : c.maxima;
      const std::string what = std::string(c.formula) + (minima ? " minima" : " maxima");
      auto prints = b.rec.of(Op::Print);
      auto white = b.rec.points(Palette(15));
      auto marks = b.rec.points(Palette(minima ? 11 : 10));
      ASSERT_EQ(prints.size(), 1 + expected.size()) << what;
      ASSERT_EQ(white.size(), prints.size()) << what;
      ASSERT_EQ(marks.size(), expected.size()) << what;
      EXPECT_EQ(prints[0].text,
                minima ? std::string(8, ' ') + "Minimi" : std::string(35, ' ') + "Massimi");
      EXPECT_EQ(white[0].width, 3);  // the heading's white point takes the width found
      // Rows 4, 6, ...: each line printed where its white point of width 1 put it.
      for (std::size_t k = 1; k < prints.size(); ++k) {
        EXPECT_EQ(prints[k].text, expected[k - 1]) << what;
        EXPECT_TRUE(white[k].y1 == 2 + 2 * k && white[k].width == 1) << what;
        EXPECT_EQ(prints[k].y1, white[k].y1) << what;
        EXPECT_EQ(marks[k - 1].width, 4) << what;
      }
      EXPECT_EQ(b.surface.drawWidth(), expected.empty() ? 3 : 1) << what;
      EXPECT_EQ(b.surface.scale().right, 48) << what;  // the text frame stays
    }
  }
}

TEST(Extrema, AValueThatCannotBeRoundedLeavesOutItsLineButTakesItsRow) {
  testing::Bench b;
  b.view.ScaleUnit = 1E305;  // the minimum at 2.5E305: a thousand times it is no number
  auto ctx = b.ctx("abs(x-2.5E305)/1E305");
  mMinimi(ctx);
  EXPECT_EQ(b.rec.prints().size(), 1u);
  auto white = b.rec.points(Palette(15));
  ASSERT_EQ(white.size(), 2u);
  EXPECT_EQ(white[1].y1, 4);
}

// The five analyses through the command frame.
const std::pair<const char*, void (*)(CommandContext&)> kCommands[] = {
    {"mDominio", mDominio}, {"mDerivata", mDerivata}, {"mZeri", mZeri},
    {"mMinimi", mMinimi},   {"mMassimi", mMassimi},
};

std::string Dump(const std::vector<Op>& ops) {
  std::ostringstream out;
  out.precision(9);
  for (const Op& op : ops) {
    out << op.kind << ' ' << op.x1 << ' ' << op.y1 << ' ' << op.x2 << ' ' << op.y2 << ' '
        << int(op.color.r) << int(op.color.g) << int(op.color.b) << ' ' << op.width << ' '
        << op.text << '\n';
  }
  return out.str();
}

TEST(AnalysesFrame, RejectedFormulaShowsTheMessageOnceAndCleansUp) {
  for (auto [name, run] : kCommands) {
    testing::Bench b;
    b.surface.SetDrawWidth(3);
    auto ctx = b.ctx("sin(x");
    run(ctx);
    EXPECT_EQ(b.host.messages, std::vector<std::string>{"Errore nella formula!"}) << name;
    EXPECT_TRUE(b.host.busy() == 0 && b.surface.drawWidth() == 1) << name;
    EXPECT_FALSE(b.server.book().sheetTaken()) << name;
    // Drawn before the formula is stored: the heading, or the axes; nothing after it.
    auto prints = b.rec.prints();
    const std::string n = name;
    EXPECT_EQ(prints.size(), n == "mDerivata" ? 0u : n == "mDominio" ? 22u : 1u) << name;
    EXPECT_TRUE(b.rec.lines(Palette(8)).empty() && b.rec.lines(Palette(14)).empty()) << name;
    // Then the next run works, as on a fresh window.
    b.rec.clear();
    b.host.messages.clear();
    testing::Bench fresh;
    auto good = b.ctx("x^3-3*x"), same = fresh.ctx("x^3-3*x");
    run(good);
    run(same);
    EXPECT_TRUE(b.host.messages.empty()) << name;
    EXPECT_EQ(Dump(b.rec.ops), Dump(fresh.rec.ops)) << name;
  }
}

TEST(AnalysesFrame, RunTwiceGivesTheSameDrawing) {
  for (auto [name, run] : kCommands) {
    for (const char* formula : {"sin(x)", "1/x", "x^3-3*x"}) {
      testing::Bench b;
      auto ctx = b.ctx(formula);
      run(ctx);
      const std::string first = Dump(b.rec.ops);
      b.rec.clear();
      run(ctx);
      EXPECT_EQ(Dump(b.rec.ops), first) << name << " " << formula;
    }
  }
}

}  // namespace
}  // namespace curvalis
