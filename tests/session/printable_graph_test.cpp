// The printable graph of "Salva grafico" and "Stampa grafico", through a recorder.
#include "session/printable_graph.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

struct ViewCase {
  const char* name;
  ViewState view;
  bool centreTick;
};

// The printable drawing for the start view, a translation and a zoom: white, the graph
// frame, heavier ticks (the centre one only in a preset view), the red curve, and the
// caption " f(x)=" directly followed by the formula, near the lower-left corner.
TEST(PrintableGraph, WhiteFrameTicksCurveCaption) {
  const ViewCase cases[] = {{"start view", ViewState{}, true},
                            {"after a translation", ViewState{1, 3, 0, 0}, false},
                            {"zoomed out", ViewState{2, 0, -4, 0}, false}};
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::Bench b;
    b.view = c.view;
    CommandContext ctx = b.ctx("sin(x)");
    ASSERT_TRUE(DrawPrintableGraph(ctx, "mSalva", true));
    const double U = c.view.ScaleUnit, OX = c.view.OffsetX, OY = c.view.OffsetY;

    ASSERT_GE(b.rec.ops.size(), 3u);
    EXPECT_EQ(b.rec.ops[0].kind, Op::Background);
    EXPECT_EQ(b.rec.ops[0].color, kWhite);
    EXPECT_EQ(b.rec.ops[1].kind, Op::Clear);
    ASSERT_EQ(b.rec.ops[2].kind, Op::Scale);
    EXPECT_FLOAT_EQ(b.rec.ops[2].x1, float(OX - 3.2 * U));
    EXPECT_FLOAT_EQ(b.rec.ops[2].y1, float(OY + 2.4 * U));
    EXPECT_FLOAT_EQ(b.rec.ops[2].x2, float(OX + 3.2 * U));
    EXPECT_FLOAT_EQ(b.rec.ops[2].y2, float(OY - 2.4 * U));

    std::vector<Op> ticks = b.rec.points(Palette(9));
    EXPECT_EQ(ticks.size(), c.centreTick ? 22u : 20u);
    for (const Op& t : ticks) {
      EXPECT_EQ(t.width, 3);
      if (!c.centreTick) {
        EXPECT_FALSE(t.x1 == float(OX) && t.y1 == float(OY));
      }
    }
    EXPECT_EQ(b.rec.lines(Palette(0)).size(), 2u);
    std::vector<Op> curve = b.rec.points(Palette(12));
    EXPECT_EQ(curve.size(), 64u);
    for (const Op& p : curve) EXPECT_EQ(p.width, 1);

    const Op& place = b.rec.ops[b.rec.ops.size() - 2];
    const Op& caption = b.rec.ops.back();
    EXPECT_EQ(place.kind, Op::Point);
    EXPECT_EQ(place.color, Palette(15));
    ASSERT_EQ(caption.kind, Op::Print);
    EXPECT_FLOAT_EQ(caption.x1, float(OX - 3 * U));
    EXPECT_FLOAT_EQ(caption.y1, float(OY - 1.8 * U));
    EXPECT_EQ(caption.text, " f(x)=sin(x)");
    EXPECT_EQ(b.host.commands, (std::vector<std::string>{"mSalva"}));
    EXPECT_TRUE(b.host.messages.empty());
    EXPECT_EQ(b.host.busy(), 0);
    EXPECT_EQ(b.surface.background(), kWhite);
  }
}

// The print commands write the caption themselves, after emptying the text box; the caption
// is the text as typed, where the view puts it.
TEST(PrintableGraph, CaptionAsTyped) {
  testing::Bench b;
  CommandContext ctx = b.ctx("x^2");
  ASSERT_TRUE(DrawPrintableGraph(ctx, "mStampa", false));
  EXPECT_EQ(b.rec.ops.back().kind, Op::Line);  // the curve is the last thing drawn
  EXPECT_EQ(b.host.commands, (std::vector<std::string>{"mStampa"}));
  struct Case {
    std::string funzione;
    ViewState view;
    float x, y;
  };
  const Case cases[] = {{"IF(x>0,x,\"\")", ViewState{}, -3, -1.8f},
                        {" x ^ 2 ", ViewState{0.5, 1, 1, 0}, -0.5f, 0.1f},
                        {"", ViewState{10, 0, 0, 0}, -30, -18}};
  for (const Case& c : cases) {
    b.rec.clear();
    DrawCaption(b.surface, c.view, c.funzione);
    ASSERT_EQ(b.rec.ops.size(), 2u);
    EXPECT_EQ(b.rec.ops[0].color, Palette(15));
    EXPECT_FLOAT_EQ(b.rec.ops[0].x1, c.x);
    EXPECT_FLOAT_EQ(b.rec.ops[0].y1, c.y);
    EXPECT_EQ(b.rec.ops[1].text, " f(x)=" + c.funzione);
  }
}

// A rejected formula: the message, the white surface with axes and labels, no curve and no
// caption; false, so that no file is written and nothing printed.
TEST(PrintableGraph, RejectedFormula) {
  for (const char* formula : {"sin(", "", "x+"}) {
    SCOPED_TRACE(formula);
    testing::Bench b;
    CommandContext ctx = b.ctx(formula);
    EXPECT_FALSE(DrawPrintableGraph(ctx, "mSalvaT", true));
    EXPECT_EQ(b.host.messages, (std::vector<std::string>{"Errore nella formula!"}));
    EXPECT_EQ(b.rec.ops[0].color, kWhite);
    EXPECT_EQ(b.rec.points(Palette(9)).size(), 22u);
    EXPECT_TRUE(b.rec.points(Palette(12)).empty());
    EXPECT_TRUE(b.rec.points(Palette(15)).empty());
    EXPECT_EQ(b.host.busy(), 0);
    EXPECT_EQ(b.surface.drawWidth(), 1);
    EXPECT_FALSE(b.server.book().sheetTaken());
  }
}

}  // namespace
}  // namespace curvalis
