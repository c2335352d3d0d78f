// The batch mode as a script uses it: arguments, exit codes and the trace on standard output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct BatchRun {
  int code = -1;
  std::vector<std::string> lines;
  std::string out;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the batch mode; its standard error is dropped, or with `withErrors` mixed into the lines.
BatchRun Batch(const std::vector<std::string>& args, bool withErrors = false) {
  std::string cmd = std::string("QT_QPA_PLATFORM=offscreen CURVALIS_DATA_DIR=") +
                    Quote(std::string(CURVALIS_TEST_DATA_DIR)) + " " + Quote(CURVALIS_PROGRAM) +
                    " --batch";
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += withErrors ? " 2>&1" : " 2>/dev/null";
  BatchRun run;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return run;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) run.out.append(buf.data(), n);
  int status = pclose(p);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

int Count(const BatchRun& r, const std::string& needle) {
  int n = 0;
  for (const auto& l : r.lines) n += l.find(needle) != std::string::npos;
  return n;
}

TEST(Batch, BadArgumentsExit2BeforeAnythingRuns) {
  const std::vector<std::vector<std::string>> cases = {
      {"mNonEsiste"}, {"--formula"}, {"--trace"}, {"--colore", "rosso"}, {"Valore.Sconosciuto=1"},
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
