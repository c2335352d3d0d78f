// The batch mode as a script uses it: arguments, exit codes and the trace on standard output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_run.h"

namespace {

using curvalis::testing::BatchRun;
using curvalis::testing::Quote;

// Runs the batch mode; its standard error is dropped, or with `withErrors` mixed into the lines.
BatchRun Batch(const std::vector<std::string>& args, bool withErrors = false) {
  std::string cmd = std::string("QT_QPA_PLATFORM=offscreen CURVALIS_DATA_DIR=") +
                    Quote(std::string(CURVALIS_TEST_DATA_DIR)) + " " + Quote(CURVALIS_PROGRAM) +
                    " --batch";
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += withErrors ? " 2>&1" : " 2>/dev/null";
  return curvalis::testing::RunCommand(cmd);
}

int Count(const BatchRun& r, const std::string& needle) {
  int n = 0;
  for (const auto& l : r.lines) n += l.find(needle) != std::string::npos;
  return n;
}

TEST(Batch, BadArgumentsExit2BeforeAnythingRuns) {
  const std::vector<std::vector<std::string>> cases = {
      {"mNonEsiste"},
      {"--formula"},
      {"--trace"},
      {"--colore", "rosso"},
      {"Valore.Sconosciuto=1"},
      // The pointer's commands take two finite numbers, nothing else.
      {"Tervano.Punta="},
      {"Tervano.Punta=316"},
      {"Tervano.Punta=1,2,3"},
      {"Tervano.Punta=a,b"},
      {"Tervano.Punta= 316,217"},
      {"Tervano.Trascina=nan,0"},
      {"Tervano.Trascina=0,inf"},
      {"Tervano.Trascina=1E999,0"},
      {"Tervano.Trascina=-100;0"},
      {"mGrafico", "Tervano.Trascina=1,0x10"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> withTrace = {"--trace", "-"};
    withTrace.insert(withTrace.end(), args.begin(), args.end());
    BatchRun r = Batch(withTrace);
    EXPECT_EQ(r.code, 2) << args[0];
    EXPECT_TRUE(r.lines.empty()) << args[0];
  }
}

TEST(Batch, WithoutCommandsTheTraceHoldsTheStartPicture) {
  BatchRun r = Batch({"--trace", "-"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Count(r, "\"op\":\"line\""), 2);
  EXPECT_EQ(Count(r, "\"op\":\"point\""), 13 + 9);
  EXPECT_EQ(Count(r, "\"text\":\" .5 \""), 2);
  EXPECT_EQ(Count(r, "\"text\":\"-.5 \""), 2);
  EXPECT_EQ(Count(r, "\"text\":\" 0 \""), 2);
  EXPECT_EQ(r.lines.front(),
            "{\"op\":\"scale\",\"surface\":\"main\",\"left\":-3.2,\"top\":2.4,\"right\":3.2,"
            "\"bottom\":-2.4}");
}

TEST(Batch, TanGraphLeavesThePointsAtThePolesAlone) {
  BatchRun r = Batch({"--formula", "tan(x)", "mGrafico", "--trace", "-"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Count(r, "{\"op\":\"command\",\"name\":\"mGrafico\"}"), 1);
  EXPECT_EQ(Count(r, "\"op\":\"point\",\"surface\":\"main\",\"x\":1.6,"), 1);
  EXPECT_EQ(Count(r, "\"x1\":1.6,"), 0);
  EXPECT_EQ(Count(r, "\"x2\":1.6,"), 0);
  EXPECT_EQ(Count(r, "\"x1\":-1.6,"), 0);
  EXPECT_EQ(Count(r, "\"x2\":-1.6,"), 0);
  EXPECT_EQ(Count(r, "\"x2\":1.7,"), 1);  // from 1.8 back to 1.7
}

TEST(Batch, EmptyFormulaGivesOneMessageAndTheAxes) {
  BatchRun r = Batch({"mGrafico", "--trace", "-"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Count(r,
                  "{\"op\":\"message\",\"text\":\"Errore nella formula!\",\"detail\":"
                  "\"Formula vuota\"}"),
            1);
  EXPECT_EQ(Count(r, "\"color\":\"#FF0000\""), 0);
}

// A rejected formula: the message keeps its text and says why in "detail", in the trace and
// on standard error, from the main window's commands and from both side windows.
TEST(Batch, RejectedFormulaSaysWhyAndWhere) {
  struct Case {
    std::vector<std::string> commands;
    int messages;  // a study runs seven analyses, each with its message
  };
  const Case cases[] = {
      {{"mGrafico"}, 1},
      {{"mStudio"}, 7},
      {{"Valore.ValoreX=1", "Valore.Uguale"}, 1},
      {{"Integrale.Superiore=1", "Integrale.Uguale"}, 1},
      {{"Integrale.Superiore=1", "Integrale.Diagramma"}, 1},
  };
  const std::string line =
      "{\"op\":\"message\",\"text\":\"Errore nella formula!\",\"detail\":"
      "\"Nome sconosciuto \u00abX\u00bb (colonna 1)\"}";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands.back());
    // The text sent is "=X^2", as it always was: a capital X is no variable.
    std::vector<std::string> args = {"--formula", "X^2", "--trace", "-"};
    args.insert(args.end(), c.commands.begin(), c.commands.end());
    BatchRun r = Batch(args, true);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(Count(r, line), c.messages);
    EXPECT_EQ(
        Count(r, "Curvalis: Errore nella formula! Nome sconosciuto \u00abX\u00bb (colonna 1)"),
        c.messages);
    EXPECT_EQ(Count(r, "\"color\":\"#FF0000\""), 0);
  }
}

TEST(Batch, CommandsRunInOrderAndFunzioneCanBeTyped) {
  BatchRun r = Batch({"--trace", "-", "Funzione=x", "mGrafico", "Funzione=", "mGrafico"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Count(r, "\"color\":\"#FF0000\""), 128);
  EXPECT_EQ(Count(r, "Errore nella formula!"), 1);
}

// The value of a member `"key":` in a trace line, as a number.
double Member(const std::string& line, const std::string& key) {
  std::size_t at = line.find("\"" + key + "\":");
  return at == std::string::npos ? std::nan("") : std::stod(line.substr(at + key.size() + 3));
}

// The lines that start with `prefix`, in order.
std::vector<std::string> Lines(const BatchRun& r, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& l : r.lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

TEST(Batch, PointerReadsTheCoordinates) {
  BatchRun r = Batch({"--formula", "x^2", "--trace", "-", "Tervano.Punta=316,217",
                      "Tervano.Punta=0,0", "Tervano.Punta=-1,0", "Funzione=1/x",
                      "Tervano.Punta=316,100", "Funzione=x+", "Tervano.Punta=316,217"});
  ASSERT_EQ(r.code, 0);
  const std::string head = "{\"op\":\"text\",\"control\":\"Tervano.Coordinate\",\"text\":";
  EXPECT_EQ(Lines(r, head),
            (std::vector<std::string>{
                head + "\"x = 0   f(x) = 0\"}", head + "\"x = -3.2   f(x) = 10.24\"}",
                head + "\"\"}",  // outside the drawing: no tooltip
                head + "\"x = 0   f(x) non definita\"}",
                head + "\"\"}",  // a rejected formula: nothing, and no message
            }));
  EXPECT_EQ(Count(r, "\"op\":\"command\""), 0);
  EXPECT_EQ(Count(r, "\"op\":\"message\""), 0);
  EXPECT_EQ(Count(r, "\"op\":\"scale\""), 1);  // the start picture only: nothing drawn
}

TEST(Batch, DragMovesTheViewAndRedrawsAsATranslation) {
  BatchRun r = Batch({"--formula", "x^3-3*x", "--trace", "-", "Tervano.Trascina=-100,0", "m6"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Lines(r, "{\"op\":\"command\""),
            (std::vector<std::string>{
                "{\"op\":\"command\",\"name\":\"Tervano.Trascina\"}",
                "{\"op\":\"command\",\"name\":\"mGrafico\"}",
                "{\"op\":\"command\",\"name\":\"mMinimi\"}",
                "{\"op\":\"command\",\"name\":\"mMassimi\"}",
                "{\"op\":\"command\",\"name\":\"mFlessi\"}",
                "{\"op\":\"command\",\"name\":\"mZeri\"}",
                "{\"op\":\"command\",\"name\":\"mObliquiP\"}",
                "{\"op\":\"command\",\"name\":\"mObliquiM\"}",
                "{\"op\":\"command\",\"name\":\"mVerticali\"}",
                "{\"op\":\"command\",\"name\":\"m6\"}",
                "{\"op\":\"command\",\"name\":\"mGrafico\"}",
            }));
  // Dragged left, the view moved right: OffsetX = 100/632 6.4 (the trace writes singles).
  const double offsetX = 100.0 / 632 * 6.4;
  std::vector<std::string> scales = Lines(r, "{\"op\":\"scale\",\"surface\":\"main\",\"left\":");
  ASSERT_GE(scales.size(), 3u);
  EXPECT_NEAR(Member(scales[1], "left"), offsetX - 3.2, 1e-6);
  EXPECT_NEAR(Member(scales[1], "right"), offsetX + 3.2, 1e-6);
  EXPECT_EQ(Member(scales[1], "top"), 2.4);
  // PresetView 0: the graph leaves out the centre ticks; the preset brings the start view back.
  std::size_t graph = 0, preset = 0;
  for (std::size_t i = 0; i < r.lines.size(); ++i) {
    if (r.lines[i] == "{\"op\":\"command\",\"name\":\"mGrafico\"}" && graph == 0) graph = i;
    if (r.lines[i] == "{\"op\":\"command\",\"name\":\"m6\"}") preset = i;
  }
  int ticks = 0, startTicks = 0;
  for (std::size_t i = graph; i < r.lines.size(); ++i) {
    if (r.lines[i].find("\"color\":\"#0000FF\",\"width\":2") == std::string::npos) continue;
    if (r.lines[i].find("\"op\":\"point\"") == std::string::npos) continue;
    if (i > preset) {
      ++startTicks;
    } else if (i < preset) {
      ++ticks;
    }
  }
  EXPECT_EQ(ticks, 12 + 8);
  EXPECT_EQ(startTicks, 13 + 9);
  EXPECT_EQ(scales.back(),
            "{\"op\":\"scale\",\"surface\":\"main\",\"left\":-3.2,\"top\":2.4,\"right\":3.2,"
            "\"bottom\":-2.4}");
}

// A drag that ends where it began is no drag: nothing is traced or drawn.
TEST(Batch, DragOfNoLengthDoesNothing) {
  BatchRun r = Batch({"--formula", "x", "--trace", "-", "Tervano.Trascina=0,0"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(Count(r, "\"op\":\"command\""), 0);
  EXPECT_EQ(Count(r, "\"op\":\"scale\""), 1);
}

TEST(Batch, WritesTheImage) {
  std::string path = std::string(CURVALIS_TEST_DATA_DIR) + "/batch-image.png";
  std::remove(path.c_str());
  BatchRun r = Batch({"--formula", "sin(x)", "mGrafico", "--image", path});
  ASSERT_EQ(r.code, 0);
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char magic[8] = {};
  EXPECT_EQ(std::fread(magic, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(magic[1], 'P');
  EXPECT_EQ(magic[2], 'N');
  EXPECT_EQ(magic[3], 'G');
}

}  // namespace
