// "Mouse readout and drag": the coordinates under the pointer and the drag of the drawing,
// without the window.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "analysis/analyses.h"
#include "session/main_commands.h"
#include "session/pointer_readout.h"
#include "support/main_bench.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Readout, DecimalsFollowThePixel) {
  struct Case {
    double scaleUnit;
    int decimals;
  };
  const Case cases[] = {{1, 2}, {0.1, 3}, {10, 1}, {0.125, 3}, {0.5, 3}, {8, 2}, {2, 2}};
  for (const Case& c : cases) {
    ViewState v;
    v.ScaleUnit = c.scaleUnit;
    EXPECT_EQ(ReadoutDecimals(PixelWidth(v)), c.decimals) << c.scaleUnit;
  }
  EXPECT_EQ(ReadoutDecimals(1), 0);
  EXPECT_EQ(ReadoutDecimals(5), 0);
  EXPECT_EQ(ReadoutDecimals(0.001), 3);  // 10^-3 itself is fine enough
}

TEST(Readout, Texts) {
  struct Case {
    const char* funzione;
    double scaleUnit, offsetX;
    double px, py;
    const char* separator;
    const char* text;
  };
  const Case cases[] = {
      // The centre, the edges, a pixel in between (-3.2 + 400 6.4/632 = 0.8506...).
      {"x^2", 1, 0, 316, 217, ".", "x = 0   f(x) = 0"},
      {"x^2", 1, 0, 0, 0, ".", "x = -3.2   f(x) = 10.24"},
      {"x^2", 1, 0, 632, 434, ".", "x = 3.2   f(x) = 10.24"},
      {"x^2", 1, 0, 400, 100, ".", "x = 0.85   f(x) = 0.7225"},
      {"x^2", 1, 0, 400, 100, ",", "x = 0,85   f(x) = 0,7225"},
      // f at the rounded abscissa; the decimals follow the scale.
      {"x^2", 0.1, 0, 400, 100, ".", "x = 0.085   f(x) = 0.007225"},
      {"x^2", 10, 0, 400, 100, ".", "x = 8.5   f(x) = 72.25"},
      {"x", 1, 3, 316, 217, ".", "x = 3   f(x) = 3"},
      // At most 6 significant digits, E notation as in the general format; no negative zero.
      {"pi()*x", 1, 0, 400, 100, ".", "x = 0.85   f(x) = 2.67035"},
      {"x*1234567", 1, 0, 400, 100, ",", "x = 0,85   f(x) = 1,04938E+06"},
      {"x/1000000", 1, 0, 400, 100, ".", "x = 0.85   f(x) = 8.5E-07"},
      {"-x", 1, 0, 316, 217, ".", "x = 0   f(x) = 0"},
      {"-x", 1, 0, 315, 217, ".", "x = -0.01   f(x) = 0.01"},
      // Where f gives no number.
      {"1/x", 1, 0, 316, 217, ".", "x = 0   f(x) non definita"},
      {"sqrt(x)", 1, 0, 0, 0, ".", "x = -3.2   f(x) non definita"},
      {"IF(x>0,\"a\",x)", 1, 0, 400, 0, ".", "x = 0.85   f(x) non definita"},
      {"IF(x>0,\"a\",x)", 1, 0, 0, 0, ".", "x = -3.2   f(x) = -3.2"},
      {"10^(1000*x)", 1, 0, 400, 0, ".", "x = 0.85   f(x) non definita"},
      {"x>0", 1, 0, 400, 0, ".", "x = 0.85   f(x) = 1"},  // a truth value as the graph takes it
      // Far from the origin the abscissa keeps its size.
      {"x", 1, 1e20, 316, 217, ".", "x = 1E+20   f(x) = 1E+20"},
      {"x", 1, 123456.78, 316, 217, ",", "x = 123456,78   f(x) = 123457"},
      // Nothing while Funzione is empty or rejected, nor outside the drawing.
      {"", 1, 0, 316, 217, ".", ""},
      {"   ", 1, 0, 316, 217, ".", ""},
      {"x+", 1, 0, 316, 217, ".", ""},
      {"sin(x", 1, 0, 316, 217, ".", ""},
      {"x^2", 1, 0, -1, 217, ".", ""},
      {"x^2", 1, 0, 633, 217, ".", ""},
      {"x^2", 1, 0, 316, -0.5, ".", ""},
      {"x^2", 1, 0, 316, 435, ".", ""},
      {"x^2", 1, 0, kNaN, 217, ".", ""},
      {"x^2", 1, 0, 316, kNaN, ".", ""},
  };
  PointerReadout shared;  // one readout for all, as the window keeps one
  for (const Case& c : cases) {
    ViewState v;
    v.ScaleUnit = c.scaleUnit;
    v.OffsetX = c.offsetX;
    PointerReadout fresh;
    EXPECT_EQ(fresh.Text(c.funzione, v, c.px, c.py, c.separator), c.text) << c.funzione;
    EXPECT_EQ(shared.Text(c.funzione, v, c.px, c.py, c.separator), c.text) << c.funzione;
  }
}

// The readout keeps one compiled formula for a text: a new text is compiled afresh, also one
// that follows a rejected text.
TEST(Readout, FollowsEveryNewTextOfFunzione) {
  PointerReadout r;
  ViewState v;
  EXPECT_EQ(r.Text("x^2", v, 0, 0, "."), "x = -3.2   f(x) = 10.24");
  EXPECT_EQ(r.Text("x^", v, 0, 0, "."), "");
  EXPECT_EQ(r.Text("x^3", v, 0, 0, "."), "x = -3.2   f(x) = -32.768");
  EXPECT_EQ(r.Text("x^3", v, 632, 0, "."), "x = 3.2   f(x) = 32.768");
  EXPECT_EQ(r.Text("", v, 632, 0, "."), "");
  EXPECT_EQ(r.Text("x^2", v, 632, 0, "."), "x = 3.2   f(x) = 10.24");
}

TEST(Readout, FormatsAtTheEdges) {
  EXPECT_EQ(ReadoutXText(-0.0, 2, "."), "0");
  EXPECT_EQ(ReadoutXText(1.5, 2, "."), "1.5");
  EXPECT_EQ(ReadoutXText(-1.25, 2, ","), "-1,25");
  EXPECT_EQ(ReadoutXText(12, 1, "."), "12");
  EXPECT_EQ(ReadoutYText(-0.0, "."), "0");
  EXPECT_EQ(ReadoutYText(123456.5, "."), "123456");  // ties to even at the sixth digit
  EXPECT_EQ(ReadoutYText(0.0001, "."), "0.0001");
  EXPECT_EQ(ReadoutYText(0.00001234, "."), "1.234E-05");
  EXPECT_EQ(ReadoutYText(-1e300, ","), "-1E+300");
}

using Main = testing::MainBench;

const std::vector<std::string> kDragRedraw = {"Tervano.Trascina", "mGrafico",  "mMinimi",
                                              "mMassimi",         "mFlessi",   "mZeri",
                                              "mObliquiP",        "mObliquiM", "mVerticali"};

TEST(Drag, TheViewFollowsThePointerAndTheTranslationRedrawRuns) {
  struct Case {
    int preset;
    double dx, dy;
  };
  const Case cases[] = {{6, -100, 0}, {6, 100, 0}, {6, 0, 50},     {6, 25, -40},
                        {7, -100, 0}, {1, 3, 7},   {11, -632, 434}};
  for (const Case& c : cases) {
    Main m;
    m.main.Preset(c.preset);
    m.b.host.commands.clear();
    m.b.rec.clear();
    const double u = MainCommands::PresetScale(c.preset);
    ASSERT_TRUE(m.main.Trascina(c.dx, c.dy));
    // Dragged left (dx < 0) the view shows what lies to the right: the centre moves right.
    EXPECT_NEAR(m.view().OffsetX, -c.dx / 632 * 6.4 * u, 1e-12 * u) << c.dx;
    EXPECT_NEAR(m.view().OffsetY, c.dy / 434 * 4.8 * u, 1e-12 * u) << c.dy;
    EXPECT_EQ(m.view().ScaleUnit, u);
    EXPECT_EQ(m.view().PresetView, 0);
    EXPECT_EQ(m.b.host.commands, kDragRedraw);
    auto scales = m.b.rec.of(Op::Scale);
    ASSERT_FALSE(scales.empty());
    EXPECT_FLOAT_EQ(scales[0].x1, float(m.view().OffsetX - 3.2 * u));
    EXPECT_FLOAT_EQ(scales[0].y1, float(m.view().OffsetY + 2.4 * u));
  }
}

TEST(Drag, FromTheStartViewAHundredPixelsLeft) {
  Main m;
  ASSERT_TRUE(m.main.Trascina(-100, 0));
  EXPECT_DOUBLE_EQ(m.view().OffsetX, 100.0 / 632 * 6.4);
  EXPECT_EQ(m.view().OffsetY, 0);
  // PresetView 0: the next graph leaves out the centre tick and its labels.
  m.b.rec.clear();
  m.main.Run(Cmd::mGrafico);
  EXPECT_EQ(m.b.rec.points(Palette(9)).size(), 12u + 8u);
  // A drag back brings the centre home; a preset brings the whole start view back.
  ASSERT_TRUE(m.main.Trascina(100, 0));
  EXPECT_EQ(m.view().OffsetX, 0);
  m.main.Trascina(30, -20);
  m.main.Preset(6);
  EXPECT_EQ(m.view().OffsetX, 0);
  EXPECT_EQ(m.view().OffsetY, 0);
  EXPECT_EQ(m.view().PresetView, 1);
}

// A drag that ends where it began, one of no finite size, and one that would carry the centre
// beyond the doubles change nothing, draw nothing and trace no command.
TEST(Drag, RefusedDragsLeaveEverythingAsItWas) {
  struct Case {
    double offsetX, scaleUnit, dx, dy;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0, 1, 0, 0},   {0, 1, -0.0, 0}, {0, 1, kNaN, 0},          {0, 1, 0, kNaN},
      {0, 1, inf, 0}, {0, 1, 0, -inf}, {DBL_MAX, 10, -1e308, 0}, {-DBL_MAX, 10, 1e308, 0},
  };
  for (const Case& c : cases) {
    Main m;
    m.view().OffsetX = c.offsetX;
    m.view().ScaleUnit = c.scaleUnit;
    const ViewState before = m.view();
    EXPECT_FALSE(m.main.Trascina(c.dx, c.dy)) << c.dx << "," << c.dy;
    EXPECT_EQ(m.view().OffsetX, before.OffsetX);
    EXPECT_EQ(m.view().OffsetY, before.OffsetY);
    EXPECT_EQ(m.view().PresetView, 1);
    EXPECT_TRUE(m.b.rec.ops.empty());
    EXPECT_TRUE(m.b.host.commands.empty());
  }
}

TEST(Drag, WithARejectedFormulaEachCommandReportsOnceAndTheViewMoves) {
  Main m;
  m.funzione = "x+";
  ASSERT_TRUE(m.main.Trascina(-10, 0));
  EXPECT_EQ(m.b.host.messages, std::vector<std::string>(8, "Errore nella formula!"));
  EXPECT_GT(m.view().OffsetX, 0);
  EXPECT_EQ(m.b.host.busy(), 0);
  EXPECT_EQ(m.b.surface.drawWidth(), 1);
}

}  // namespace
}  // namespace curvalis
