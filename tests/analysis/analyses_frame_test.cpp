// What the five analyses share through the command frame: a rejected formula, a second run.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct Command {
  const char* name;
  void (*run)(CommandContext&);
  const char* heading;  // what is printed before the formula is stored, if anything
};

const Command kCommands[] = {
    {"mDominio", mDominio, nullptr}, {"mDerivata", mDerivata, nullptr}, {"mZeri", mZeri, "Zeri"},
    {"mMinimi", mMinimi, "Minimi"},  {"mMassimi", mMassimi, "Massimi"},
};

// Every operation with every field, to compare two runs.
std::string Dump(const std::vector<Op>& ops) {
  std::ostringstream out;
  out.precision(9);
  for (const Op& op : ops) {
    out << op.kind << ' ' << op.x1 << ' ' << op.y1 << ' ' << op.x2 << ' ' << op.y2 << ' '
        << int(op.color.r) << ',' << int(op.color.g) << ',' << int(op.color.b) << ' ' << op.width
        << " [" << op.text << "]\n";
  }
  return out.str();
}

TEST(AnalysesFrame, RejectedFormulaShowsTheMessageOnceAndCleansUp) {
  for (const Command& c : kCommands) {
    for (const char* formula : {"", "sin(x", "x+"}) {
      testing::Bench b;
      b.surface.SetDrawWidth(3);
      auto ctx = b.ctx(formula);
      c.run(ctx);
      EXPECT_EQ(b.host.commands, std::vector<std::string>{c.name});
      EXPECT_EQ(b.host.messages, std::vector<std::string>{"Errore nella formula!"})
          << c.name << " " << formula;
      EXPECT_EQ(b.host.busy(), 0) << c.name;
      EXPECT_EQ(b.surface.drawWidth(), 1) << c.name;
      EXPECT_FALSE(b.server.book().sheetTaken()) << c.name;
      // Nothing evaluated is drawn: the heading alone, or for the domain the axes alone.
      auto prints = b.rec.prints();
      if (c.heading) {
        ASSERT_EQ(prints.size(), 1u) << c.name;
        EXPECT_EQ(prints[0].substr(prints[0].find_first_not_of(' ')), c.heading);
      }
      EXPECT_TRUE(b.rec.lines(Palette(8)).empty()) << c.name;
      EXPECT_TRUE(b.rec.lines(Palette(14)).empty()) << c.name;
      EXPECT_TRUE(b.rec.points(Palette(10)).empty()) << c.name;
      EXPECT_TRUE(b.rec.points(Palette(11)).empty()) << c.name;
    }
  }
}

TEST(AnalysesFrame, AfterARejectedFormulaTheNextRunWorks) {
  for (const Command& c : kCommands) {
    testing::Bench b;
    auto bad = b.ctx("(");
    c.run(bad);
    b.rec.clear();
    b.host.messages.clear();
    testing::Bench fresh;
    auto good = b.ctx("x^3-3*x"), same = fresh.ctx("x^3-3*x");
    c.run(good);
    c.run(same);
    EXPECT_TRUE(b.host.messages.empty()) << c.name;
    EXPECT_EQ(b.host.busy(), 0) << c.name;
    EXPECT_EQ(Dump(b.rec.ops), Dump(fresh.rec.ops)) << c.name;
  }
}

TEST(AnalysesFrame, RunTwiceGivesTheSameDrawing) {
  for (const Command& c : kCommands) {
    for (const char* formula : {"sin(x)", "1/x", "x^3-3*x"}) {
      testing::Bench b;
      auto ctx = b.ctx(formula);
      c.run(ctx);
      const std::string first = Dump(b.rec.ops);
      b.rec.clear();
      c.run(ctx);
      EXPECT_EQ(Dump(b.rec.ops), first) << c.name << " " << formula;
      EXPECT_FALSE(first.empty());
      EXPECT_FALSE(b.server.book().sheetTaken());
    }
  }
}

}  // namespace
}  // namespace curvalis
