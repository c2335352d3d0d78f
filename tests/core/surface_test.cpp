#include "core/surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/trace.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

TEST(Surface, TabsBecomeBlanksFromTheStatementStart) {
  std::string flat;
  auto runs = Surface::Layout(PrintLine().Tab(5).Text("x=").Tab(10).Text("ab").items(), &flat);
  EXPECT_EQ(flat, "    x=   ab");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].column, 5);
  EXPECT_EQ(runs[1].column, 10);
}

TEST(Surface, UndrawableCoordinatesDrawNothingAndKeepThePosition) {
  Surface s("main", 632, 434);
  testing::Recorder rec;
  s.AddSink(&rec);
  s.SetScale(0, 0, 48, 64);
  EXPECT_TRUE(s.Point(1, 2, kWhite));
  EXPECT_FALSE(s.Point(1e39, 2, kWhite));
  EXPECT_FALSE(s.Line(0, 0, std::nan(""), 1, kWhite));
  EXPECT_EQ(s.currentX(), 1);
  EXPECT_EQ(s.currentY(), 2);
  EXPECT_EQ(rec.of(testing::Op::Point).size(), 1u);
  EXPECT_TRUE(rec.of(testing::Op::Line).empty());
}

TEST(Surface, LineBreakMovesOneTextLineDown) {
  Surface s("main", 632, 434);
  s.SetScale(0, 0, 48, 64);
  s.Point(0, 2, kWhite);
  s.Print("Zeri");
  EXPECT_EQ(s.currentX(), 0);
  EXPECT_FLOAT_EQ(s.currentY(), 2 + 64.0f * Surface::kLineHeightPx / 434);
}

TEST(Trace, LinesAreJsonWithShortestSingles) {
  std::ostringstream out;
  TraceWriter writer(out);
  TraceSink sink(writer, "main");
  Surface s("main", 632, 434);
  s.AddSink(&sink);
  s.SetScale(-3.2, 2.4, 3.2, -2.4);
  s.Point(1.57, 1, Palette(10));
  s.SetDrawWidth(4);
  s.Print(PrintLine().Tab(3).Text("x=").Single(1.57f).items());
  EXPECT_EQ(out.str(),
            "{\"op\":\"scale\",\"surface\":\"main\",\"left\":-3.2,\"top\":2.4,\"right\":3.2,"
            "\"bottom\":-2.4}\n"
            "{\"op\":\"point\",\"surface\":\"main\",\"x\":1.57,\"y\":1,\"color\":\"#00FF00\","
            "\"width\":1}\n"
            "{\"op\":\"print\",\"surface\":\"main\",\"x\":1.57,\"y\":1,\"color\":\"#000000\","
            "\"text\":\"  x= 1.57 \"}\n");
}

TEST(Trace, MessageCarriesItsDetailWhenThereIsOne) {
  std::ostringstream out;
  TraceWriter writer(out);
  writer.Message("Errore nella formula!", "Parentesi non chiusa (colonna 4)");
  writer.Message("Funzione non calcolabile o non definita!");
  EXPECT_EQ(out.str(),
            "{\"op\":\"message\",\"text\":\"Errore nella formula!\",\"detail\":"
            "\"Parentesi non chiusa (colonna 4)\"}\n"
            "{\"op\":\"message\",\"text\":\"Funzione non calcolabile o non definita!\"}\n");
}

TEST(Trace, StringsAreEscapedAndInvalidUtf8Replaced) {
  EXPECT_EQ(JsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
  EXPECT_EQ(JsonString("\xC3\xA8"), "\"\xC3\xA8\"");
  EXPECT_EQ(JsonString("\xE8x"), "\"\xEF\xBF\xBDx\"");
}

}  // namespace
}  // namespace curvalis
