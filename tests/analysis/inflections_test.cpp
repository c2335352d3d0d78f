#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "analysis/inflections.h"
#include "core/prepare_formula.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

// A text line of the listing as the user reads it: the column of its first character, the
// row it stands on and the text from there.
struct Listed {
  int column;
  float row;
  std::string text;
};

std::vector<Listed> Listing(const testing::Recorder& rec) {
  std::vector<Listed> out;
  for (const Op& op : rec.of(Op::Print)) {
    std::size_t first = op.text.find_first_not_of(' ');
    if (first == std::string::npos) first = op.text.size();
    out.push_back({static_cast<int>(first) + 1, op.y1, op.text.substr(first)});
  }
  return out;
}

struct ListingCase {
  const char* formula;
  std::size_t marks;               // magenta points on the graph
  std::vector<std::string> lines;  // listed lines under the heading, rows 4, 6, ...
};

class FlessiListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(FlessiListing, MarksAndRows) {
  const ListingCase& c = GetParam();
  testing::Bench b;
  auto ctx = b.ctx(c.formula);
  mFlessi(ctx);

  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.host.busy(), 0);
  EXPECT_FALSE(b.server.book().sheetTaken());
  auto marks = b.rec.points(Palette(13));
  EXPECT_EQ(marks.size(), c.marks);
  for (const Op& m : marks) EXPECT_EQ(m.width, 4);

  auto listing = Listing(b.rec);
  ASSERT_EQ(listing.size(), c.lines.size() + 1);
  EXPECT_EQ(listing[0].column, 77);
  EXPECT_EQ(listing[0].row, 2);
  EXPECT_EQ(listing[0].text, "Flessi");
  for (std::size_t k = 0; k < c.lines.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(listing[k + 1].column, 70);
    EXPECT_EQ(listing[k + 1].row, 4 + 2 * static_cast<float>(k));
    EXPECT_EQ(listing[k + 1].text, c.lines[k]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StartView, FlessiListing,
    ::testing::Values(
        // One point, in the window whose chord runs from x(-1) to x(0).
        ListingCase{"x^3", 1, {"x=-.016      f(x)= 0 "}}, ListingCase{"2*x+1", 0, {}},
        ListingCase{"x^2", 0, {}},
        // The slopes around the pole differ far too much.
        ListingCase{"1/x", 0, {}},
        // Concave wherever it is defined; the undefined left half is passed over.
        ListingCase{"ln(x)", 0, {}},
        ListingCase{
            "sin(x)",
            3,
            {"x=-3.152     f(x)= .01 ", "x=-.016      f(x)=-.016 ", "x= 3.152     f(x)=-.01 "}},
        // Values of 32 and more are marked but take no row: the next point is listed on
        // row 4, nothing is printed over the heading (Decision 5).
        ListingCase{"x^3+32.5", 1, {}}, ListingCase{"x^3+40", 1, {}},
        // Too large to be drawn: no mark either.
        ListingCase{"IF(ABS(x+0.01599)<0.0001,1E39,x^3)", 0, {}},
        ListingCase{
            "sin(x)+IF(x<-2,32.5,0)", 3, {"x=-.016      f(x)=-.016 ", "x= 3.152     f(x)=-.01 "}},
        ListingCase{
            "sin(x)+IF(x<-2,40,0)", 3, {"x=-.016      f(x)=-.016 ", "x= 3.152     f(x)=-.01 "}},
        // f gives no number at the middle of the chord near 0: that point is neither
        // marked nor listed, and it leaves no empty row (Decision 5).
        ListingCase{"IF(ABS(x+0.01599)<0.0001,1/0,sin(x))",
                    2,
                    {"x=-3.152     f(x)= .01 ", "x= 3.152     f(x)=-.01 "}},
        // Right after a gap the sample before the window is undefined: the window is
        // skipped, so no concavity from before the gap is taken for a change (Decision 5).
        ListingCase{"IF(x<0,-x^2,x^2)+0*sqrt(ABS(x)-0.05)", 0, {}},
        // Differences of such values overflow: nothing is found from them (Decision 12).
        ListingCase{"IF(x<0,-1E308,1E308)", 0, {}}));

TEST(Flessi, FirstPointAtTheChordMiddle) {
  testing::Bench b;
  auto ctx = b.ctx("x^3");
  mFlessi(ctx);
  auto marks = b.rec.points(Palette(13));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x1, static_cast<float>(((0.032 * -1 + 0.00001) + 0.00001) / 2));
  EXPECT_EQ(b.surface.drawWidth(), 1);
}

TEST(Flessi, ShiftedViewFindsTheSamePoint) {
  // The grid follows the view: x^3 - 3x^2 has its inflection at 1, with f(1) = -2.
  testing::Bench b;
  b.view.OffsetX = 1;
  b.view.OffsetY = -2;
  auto ctx = b.ctx("x^3-3*x^2");
  mFlessi(ctx);
  auto marks = b.rec.points(Palette(13));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_NEAR(marks[0].x1, 1, 0.032);
  EXPECT_NEAR(marks[0].y1, -2, 0.1);
}

TEST(ScanInflections, TellsConcavityAndChordSlope) {
  struct Case {
    const char* formula;
    double slope;  // the chord's slope at the point
    bool convexOnTheRight;
  };
  const Case cases[] = {{"x^3", 0.001, true}, {"-x^3", -0.001, false}, {"x^3+x", 1.001, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    testing::Bench b;
    auto ctx = b.ctx(c.formula);
    std::vector<InflectionPoint> found;
    ScanInflections(ctx, PrepareFormula(c.formula),
                    [&](const InflectionPoint& p) { found.push_back(p); });
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].m1, c.slope, 0.0002);
    EXPECT_EQ(found[0].d1 < 0, c.convexOnTheRight);
    EXPECT_FALSE(b.server.book().sheetTaken());
  }
}

// Every command of this area with a formula the evaluator rejects: one message, the cursor
// back, the book free, draw width 1; "Flessi" keeps its heading, nothing else is drawn.
TEST(RejectedFormula, OneMessagePerCommand) {
  struct Command {
    const char* name;
    std::function<void(CommandContext&)> run;
    std::size_t prints;
  };
  const Command commands[] = {{"mFlessi", mFlessi, 1},
                              {"mTangente", mTangente, 0},
                              {"mObliquiP", mObliquiP, 0},
                              {"mObliquiM", mObliquiM, 0},
                              {"mVerticali", mVerticali, 0}};
  for (const char* formula : {"", "x+", "sin(x", "sin(x,1)"}) {
    for (const Command& c : commands) {
      SCOPED_TRACE(std::string(c.name) + " " + formula);
      testing::Bench b;
      b.surface.SetDrawWidth(3);
      b.surface.SetForeColor(Palette(12));
      auto ctx = b.ctx(formula);
      c.run(ctx);
      EXPECT_EQ(b.host.messages, std::vector<std::string>{"Errore nella formula!"});
      EXPECT_EQ(b.host.busy(), 0);
      EXPECT_FALSE(b.server.book().sheetTaken());
      EXPECT_EQ(b.surface.drawWidth(), 1);
      EXPECT_EQ(b.surface.foreColor(), Palette(12));
      EXPECT_EQ(b.rec.prints().size(), c.prints);
      EXPECT_TRUE(b.rec.of(Op::Line).empty());
      // A later command on the same book works normally.
      auto next = b.ctx("x^3");
      mFlessi(next);
      EXPECT_EQ(b.rec.points(Palette(13)).size(), 1u);
      EXPECT_EQ(b.host.messages.size(), 1u);
    }
  }
}

}  // namespace
}  // namespace curvalis
