// "The drawing kept as operations, with export": the list the canvas, the pictures and the
// printed page are painted from.
#include "core/operation_list.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;
using testing::Recorder;

// A list and a recorder on one surface: what the list replays must be what the recorder saw
// since the last erase, led by the erase's background and the scale then in force.
struct Both {
  Surface surface{"main", 632, 434};
  OperationList list{632, 434, kLightGrey};
  Recorder seen;
  Both() {
    surface.AddSink(&list);
    surface.AddSink(&seen);
  }
  std::vector<Op> replayed() const {
    Recorder r;
    list.Replay(r);
    return r.ops;
  }
};

bool Same(const Op& a, const Op& b) {
  return a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
         a.color == b.color && a.width == b.width && a.text == b.text;
}

void ExpectOps(const std::vector<Op>& got, const std::vector<Op>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(Same(got[i], want[i])) << "op " << i;
}

TEST(OperationList, ANewListIsItsBackgroundOnly) {
  OperationList list(100, 50, kWhite);
  Recorder r;
  list.Replay(r);
  ASSERT_EQ(r.ops.size(), 2u);
  EXPECT_EQ(r.ops[0].kind, Op::Background);
  EXPECT_EQ(r.ops[0].color, kWhite);
  EXPECT_EQ(r.ops[1].kind, Op::Scale);
  EXPECT_EQ(list.widthPx(), 100);
  EXPECT_EQ(list.heightPx(), 50);
}

// Each case draws, erases in its own way, draws again; the list holds only what follows the
// last erase, with the background then set and the scale then in force.
TEST(OperationList, KeepsWhatFollowsTheLastErase) {
  struct Case {
    const char* name;
    bool background;  // erase by a background (else by a clear)
    bool scaleAfter;  // a new scale after the erase
  };
  for (const Case c :
       {Case{"background", true, false}, Case{"clear", false, false},
        Case{"background, new scale", true, true}, Case{"clear, new scale", false, true}}) {
    SCOPED_TRACE(c.name);
    Both b;
    b.surface.SetScale(-3.2, 2.4, 3.2, -2.4);
    b.surface.SetBackground(Palette(11));
    b.surface.Line(0, 0, 1, 1, Palette(12));
    b.surface.Print(PrintLine().Tab(5).Text("gone").items());
    b.surface.SetScale(-6.4, 4.8, 6.4, -4.8);
    c.background ? b.surface.SetBackground(kWhite) : b.surface.Clear();
    b.seen.clear();
    if (c.scaleAfter) b.surface.SetScale(0, 10, 10, 0);
    b.surface.SetDrawWidth(3);
    b.surface.Point(1, 2, Palette(9));
    b.surface.SetForeColor(Palette(4));
    b.surface.Print(PrintLine().Text("x=").Tab(20).Double(1.5).items());
    b.surface.Line(-1e30, 0, 2, 2, Palette(0));

    std::vector<Op> want;
    Op erase;
    erase.kind = Op::Background;
    erase.color = c.background ? kWhite : Palette(11);
    want.push_back(erase);
    Op scale;
    scale.kind = Op::Scale;
    scale.x1 = -6.4f, scale.y1 = 4.8f, scale.x2 = 6.4f, scale.y2 = -4.8f;
    want.push_back(scale);
    want.insert(want.end(), b.seen.ops.begin(), b.seen.ops.end());
    ExpectOps(b.replayed(), want);
    EXPECT_EQ(b.list.background(), erase.color);
    ASSERT_EQ(b.list.texts().size(), 1u);
    EXPECT_EQ(b.list.texts()[0].flat, "x=" + std::string(17, ' ') + " 1.5 ");
  }
}

// Every command sets its frame again: the same scale twice is kept once; a changed one is kept.
TEST(OperationList, TheSameScaleAgainIsKeptOnce) {
  Both b;
  for (int i = 0; i < 3; ++i) b.surface.SetScale(-3.2, 2.4, 3.2, -2.4);
  b.surface.Line(0, 0, 1, 1, kBlack);
  b.surface.SetScale(-1, 1, 1, -1);
  b.surface.SetScale(-3.2, 2.4, 3.2, -2.4);
  std::size_t scales = 0;
  for (const OperationList::Op& op : b.list.ops()) {
    scales += op.kind == OperationList::Op::Kind::Scale;
  }
  EXPECT_EQ(scales, 3u);
  std::vector<Op> want = {Op{}};  // the background of the new list
  want[0].color = kLightGrey;
  Op start;
  start.kind = Op::Scale;
  start.x2 = start.y2 = 1;  // the surface's scale before any was set
  want.push_back(start);
  Recorder once;
  Surface s("main", 632, 434);
  s.AddSink(&once);
  s.SetScale(-3.2, 2.4, 3.2, -2.4);
  s.Line(0, 0, 1, 1, kBlack);
  s.SetScale(-1, 1, 1, -1);
  s.SetScale(-3.2, 2.4, 3.2, -2.4);
  want.insert(want.end(), once.ops.begin(), once.ops.end());
  ExpectOps(b.replayed(), want);
}

// The widest draw width and a long print survive the list whole.
TEST(OperationList, KeepsWidthsAndTextsWhole) {
  Both b;
  b.surface.SetScale(0, 0, 632, 434);
  b.surface.SetDrawWidth(1000);  // the surface clamps to 100
  b.surface.Point(3, 4, kBlack);
  const std::string longText(5000, 'w');
  b.surface.Print(longText);
  const std::vector<Op> ops = b.replayed();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[3].width, 100);
  EXPECT_EQ(ops[4].text, longText);
}

}  // namespace
}  // namespace curvalis
