#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

// Each print as "row@column:text", the column being that of its first non-blank character.
std::vector<std::string> Listing(const testing::Recorder& rec) {
  std::vector<std::string> out;
  for (const Op& op : rec.of(Op::Print)) {
    std::size_t first = op.text.find_first_not_of(' ');
    out.push_back(std::to_string(int(op.y1)) + "@" + std::to_string(first + 1) + ":" +
                  op.text.substr(first));
  }
  return out;
}

struct ListingCase {
  const char* formula;
  std::size_t marks;
  std::vector<std::string> lines;  // after the heading
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
  EXPECT_EQ(b.rec.points(Palette(13)).size(), c.marks);
  std::vector<std::string> expected{"2@77:Flessi"};
  expected.insert(expected.end(), c.lines.begin(), c.lines.end());
  EXPECT_EQ(Listing(b.rec), expected);
}

const char* const kSinM = "4@70:x=-3.152     f(x)= .01 ";
const char* const kSin0 = "@70:x=-.016      f(x)=-.016 ";
const char* const kSinP = "@70:x= 3.152     f(x)=-.01 ";

INSTANTIATE_TEST_SUITE_P(
    StartView, FlessiListing,
    ::testing::Values(
        ListingCase{"x^3", 1, {"4@70:x=-.016      f(x)= 0 "}}, ListingCase{"2*x+1", 0, {}},
        ListingCase{"1/x", 0, {}}, ListingCase{"ln(x)", 0, {}},
        ListingCase{"sin(x)", 3, {kSinM, std::string("6") + kSin0, std::string("8") + kSinP}},
        // "Inflection rows": 32 and more is marked, takes no row and prints nothing over
        // another line.
        ListingCase{"x^3+32.5", 1, {}}, ListingCase{"x^3+40", 1, {}},
        ListingCase{
            "sin(x)+IF(x<-2,32.5,0)", 3, {std::string("4") + kSin0, std::string("6") + kSinP}},
        // No number at the chord's middle: no mark and no empty row ("Inflection rows").
        ListingCase{"IF(ABS(x+0.01599)<0.0001,1/0,sin(x))", 2, {kSinM, std::string("6") + kSinP}},
        // Beyond the single range: the mark cannot be drawn.
        ListingCase{"IF(ABS(x+0.01599)<0.0001,1E39,x^3)", 0, {}},
        // After a gap, the sample before the window is undefined: no concavity from before
        // the gap is taken for a change ("Inflection rows").
        ListingCase{"IF(x<0,-x^2,x^2)+0*sqrt(ABS(x)-0.05)", 0, {}},
        ListingCase{"IF(x<0,-1E308,1E308)", 0, {}}));  // "Overflow is undefined"

// Every command of this area with a formula the evaluator rejects: one message, the cursor
// back, the book free, width 1, the fore colour untouched; only "Flessi" prints (its heading).
TEST(RejectedFormula, OneMessagePerCommand) {
  const std::function<void(CommandContext&)> commands[] = {mFlessi, mTangente, mObliquiP, mObliquiM,
                                                           mVerticali};
  for (const char* formula : {"", "x+", "sin(x", "sin(x,1)"}) {
    for (std::size_t k = 0; k < 5; ++k) {
      SCOPED_TRACE(std::to_string(k) + formula);
      testing::Bench b;
      b.surface.SetDrawWidth(3);
      b.surface.SetForeColor(Palette(12));
      auto ctx = b.ctx(formula);
      commands[k](ctx);
      EXPECT_EQ(b.host.messages, std::vector<std::string>{"Errore nella formula!"});
      EXPECT_EQ(b.host.busy(), 0);
      EXPECT_FALSE(b.server.book().sheetTaken());
      EXPECT_EQ(b.surface.drawWidth(), 1);
      EXPECT_EQ(b.surface.foreColor(), Palette(12));
      EXPECT_EQ(b.rec.prints().size(), k == 0 ? 1u : 0u);
      EXPECT_TRUE(b.rec.of(Op::Line).empty());
    }
  }
}

}  // namespace
}  // namespace curvalis
