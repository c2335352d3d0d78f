#include <gtest/gtest.h>

#include "analysis/analyses.h"
#include "session/main_commands.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

TEST(StartPicture, AxesTicksAndLabels) {
  testing::Bench b;
  MainCommands main(b.surface, b.host, [] { return std::string(); });
  main.Load();
  EXPECT_EQ(b.rec.lines(Palette(0)).size(), 2u);
  EXPECT_EQ(b.rec.points(Palette(9)).size(), 13u + 9u);
  auto labels = b.rec.prints();
  ASSERT_EQ(labels.size(), 22u);
  EXPECT_EQ(labels[0], "-3 ");
  EXPECT_EQ(labels[5], "-.5 ");
  EXPECT_EQ(labels[6], " 0 ");
  EXPECT_EQ(labels[7], " .5 ");
  EXPECT_EQ(labels[13 + 4], " 0 ");
  EXPECT_EQ(b.surface.drawWidth(), 1);
}

}  // namespace
}  // namespace curvalis

namespace curvalis {
namespace {

struct Graphed {
  testing::Bench b;
  explicit Graphed(const std::string& formula) {
    auto ctx = b.ctx(formula);
    mGrafico(ctx);
  }
  std::vector<Op> curve() const { return b.rec.lines(Palette(12)); }
  std::vector<Op> points() const { return b.rec.points(Palette(12)); }
  bool hasPointAt(float x) const {
    for (const Op& p : points()) {
      if (p.x1 == x) return true;
    }
    return false;
  }
  // Segments with an end at x.
  int segmentsAt(float x) const {
    int n = 0;
    for (const Op& l : curve()) n += (l.x1 == x || l.x2 == x);
    return n;
  }
};

TEST(Graph, FrameAxesAndCurveOrder) {
  Graphed g("sin(x)");
  const auto& ops = g.b.rec.ops;
  ASSERT_GE(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, Op::Background);
  EXPECT_EQ(ops[0].color, kLightGrey);
  EXPECT_EQ(ops[1].kind, Op::Clear);
  EXPECT_EQ(ops[2].kind, Op::Scale);
  EXPECT_EQ(g.points().size(), 64u);  // sample 0 has no point of its own
  EXPECT_EQ(g.curve().size(), 64u);
  for (const Op& l : g.curve()) EXPECT_EQ(l.width, 1);
  EXPECT_EQ(g.b.surface.drawWidth(), 1);
  EXPECT_TRUE(g.b.host.messages.empty());
  EXPECT_EQ(g.b.host.busy(), 0);
}

TEST(Graph, JumpLimitLeavesThePoleSamplesAlone) {
  Graphed g("tan(x)");
  for (float x : {1.6f, -1.6f}) {
    EXPECT_TRUE(g.hasPointAt(x)) << x;
    EXPECT_EQ(g.segmentsAt(x), 0) << x;
  }
  EXPECT_EQ(g.curve().size(), 60u);  // all other neighbours joined, also outside the view
}

TEST(Graph, UndefinedSamplesGiveNoPointAndNoSegment) {
  struct Case {
    const char* formula;
    std::size_t points, segments;
    float firstX;
  };
  const Case cases[] = {
      {"ln(x)", 32, 31, 0.1f},    // X(32) = 0 is undefined: the curve starts at 0.1
      {"sqrt(x)", 33, 32, 0.0f},  // nothing left of 0
      {"1/x", 63, 62, -3.1f},
      {"2", 64, 64, -3.1f},  // a horizontal line of 64 segments
      {"IF(x>0,x,\"\")", 32, 31, 0.1f},
      {"1E200*x^2", 1, 0, 0.0f},  // beyond the single range: left out as undefined
  };
  for (const Case& c : cases) {
    Graphed g(c.formula);
    EXPECT_EQ(g.points().size(), c.points) << c.formula;
    EXPECT_EQ(g.curve().size(), c.segments) << c.formula;
    ASSERT_FALSE(g.points().empty()) << c.formula;
    EXPECT_FLOAT_EQ(g.points().front().x1, c.firstX) << c.formula;
  }
  Graphed two("2");
  for (const Op& l : two.curve()) {
    EXPECT_EQ(l.y1, 2);
    EXPECT_EQ(l.y2, 2);
  }
}

TEST(Graph, RejectedFormulaKeepsTheAxesAndShowsOneMessage) {
  struct Case {
    const char* formula;
    const char* detail;  // under the message: why, and where
  };
  const Case cases[] = {
      {"", "Formula vuota"},
      {"(", "Parentesi non chiusa (colonna 1)"},
      {"x+", "Operatore senza operando (colonna 2)"},
      {"sin(x,2)", "Numero di argomenti sbagliato per \xC2\xABsin\xC2\xBB (colonna 1)"},
      {"\x01", "Carattere non ammesso (U+0001) (colonna 1)"},
      // "=X^2" drew nothing and said nothing; a capital X is no variable.
      {"X^2",
       "Nome sconosciuto \xC2\xAB"
       "X\xC2\xBB (colonna 1)"},
      {"sen x", "Manca la parentesi dopo \xC2\xABsen\xC2\xBB (colonna 1)"},
  };
  for (const Case& c : cases) {
    const char* formula = c.formula;
    Graphed g(formula);
    EXPECT_EQ(g.b.host.messages, std::vector<std::string>{"Errore nella formula!"}) << formula;
    EXPECT_EQ(g.b.host.details, std::vector<std::string>{c.detail}) << formula;
    EXPECT_EQ(g.b.rec.lines(Palette(0)).size(), 2u);
    EXPECT_TRUE(g.curve().empty());
    EXPECT_EQ(g.b.surface.drawWidth(), 1);
    EXPECT_EQ(g.b.host.busy(), 0);
    EXPECT_FALSE(g.b.server.book().sheetTaken());
  }
}

TEST(Graph, NextCommandWorksAfterARejection) {
  testing::Bench b;
  auto bad = b.ctx("x+");
  mGrafico(bad);
  b.rec.clear();
  auto good = b.ctx("x");
  mGrafico(good);
  EXPECT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.rec.lines(Palette(12)).size(), 64u);
}

TEST(Graph, CentreTicksOnlyWithAPresetView) {
  testing::Bench b;
  b.view.PresetView = 0;
  b.view.OffsetX = 3;
  auto ctx = b.ctx("x");
  mGrafico(ctx);
  EXPECT_EQ(b.rec.points(Palette(9)).size(), 12u + 8u);
}

// A dragged view centre is no multiple of a tick step: the labels keep three decimals, while
// the labels of every grid view stay the values themselves.
TEST(Graph, TickLabelsToTheThousandth) {
  struct Row {
    double offsetX, offsetY, unit;
    std::vector<std::string> first;  // the first three labels of the x axis
  };
  const Row rows[] = {
      {100.0 / 632 * 6.4, 0, 1, {"-1.987 ", "-1.487 ", "-.987 "}},
      {-0.123456, 0.0, 0.1, {"-.423 ", "-.373 ", "-.323 "}},
      {0.15, 0, 0.1, {"-.15 ", "-.1 ", "-.05 "}},
      {100000, 0, 10, {" 99970 ", " 99975 ", " 99980 "}},
  };
  for (const Row& r : rows) {
    testing::Bench b;
    b.view.PresetView = 0;
    b.view.OffsetX = r.offsetX;
    b.view.OffsetY = r.offsetY;
    b.view.ScaleUnit = r.unit;
    auto ctx = b.ctx("x");
    mGrafico(ctx);
    auto labels = b.rec.prints();
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + 3), r.first) << r.offsetX;
  }
}

}  // namespace
}  // namespace curvalis
