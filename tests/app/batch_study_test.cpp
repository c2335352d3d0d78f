// "Studio completo" in the batch mode: its events in the trace, in order and before the next
// command, and the report by the file's ending.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_run.h"

namespace {

using curvalis::testing::BatchRun;
using curvalis::testing::Quote;

// The batch mode with the exact engine's helper missing (a path where nothing is), or with
// `helper`.
BatchRun Batch(const std::vector<std::string>& args,
               const std::string& helper = "/nonexistent/curvalis-exact") {
  std::string cmd = "QT_QPA_PLATFORM=offscreen CURVALIS_EXACT=" + Quote(helper) +
                    " CURVALIS_DATA_DIR=" + Quote(CURVALIS_TEST_DATA_DIR) + " " +
                    Quote(CURVALIS_PROGRAM) + " --batch";
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += " 2>&1";
  return curvalis::testing::RunCommand(cmd);
}

const std::vector<std::string> kSections = {"function",
                                            "domain",
                                            "parity",
                                            "intercepts",
                                            "sign",
                                            "limits",
                                            "asymptotes",
                                            "derivative",
                                            "monotonicity",
                                            "extrema",
                                            "second_derivative",
                                            "concavity",
                                            "inflections"};

// The study events of a run, and what came right after the last one.
std::vector<std::string> StudySections(const BatchRun& r, std::string* after = nullptr) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < r.lines.size(); ++i) {
    const std::string& l = r.lines[i];
    const std::string head = "{\"op\":\"study\",\"section\":\"";
    if (l.rfind(head, 0) != 0) continue;
    out.push_back(l.substr(head.size(), l.find('"', head.size()) - head.size()));
    if (after) *after = i + 1 < r.lines.size() ? r.lines[i + 1] : "";
  }
  return out;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(BatchStudy, ThirteenEventsInOrderBeforeTheNextCommand) {
  const BatchRun r = Batch({"--formula", "(x^2-1)/(x-2)", "--trace", "-", "mScheda", "mZeri"});
  ASSERT_EQ(r.code, 0) << r.out;
  std::string after;
  EXPECT_EQ(StudySections(r, &after), kSections);
  EXPECT_EQ(after, "{\"op\":\"command\",\"name\":\"mZeri\"}");
  // Without its helper the study is numerical and says why.
  EXPECT_NE(r.out.find("\"exact\":false,\"reason\":\"motore di calcolo esatto non disponibile\""),
            std::string::npos);
  EXPECT_NE(r.out.find("\"text\":\"≈ 2.000000000\""), std::string::npos)
      << "the pole, found numerically";
}

// The worked example with the real helper program, event by event: what each section must
// say.
TEST(BatchStudy, WorkedExampleWithTheHelper) {
  const BatchRun r =
      Batch({"--formula", "(x^2-1)/(x-2)", "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
  ASSERT_EQ(r.code, 0) << r.out;
  std::vector<std::string> events;
  for (const std::string& l : r.lines) {
    if (l.find("\"op\":\"study\"") != std::string::npos) events.push_back(l);
  }
  ASSERT_EQ(events.size(), 13u) << r.out;
  auto n = [](const std::string& text, const std::string& value) {
    return "{\"text\":\"" + text + "\",\"value\":" + value + ",\"exact\":true}";
  };
  const std::string mi = n("−∞", "\"-inf\""), pi = n("+∞", "\"+inf\""), two = n("2", "2");
  const std::string a = n("2 − √3", "0.2679491924311228"), b = n("2 + √3", "3.732050807568877");
  const std::string open = ",\"closed\":[false,false]";
  const std::vector<std::vector<std::string>> expected = {
      {"\"text\":\"(x² − 1)/(x − 2)\"", "\"exact\":true}"},
      {"\"text\":\"x ≠ 2\"", "{\"from\":" + mi + ",\"to\":" + two + open + "}",
       "{\"from\":" + two + ",\"to\":" + pi + open + "}]"},
      {"\"value\":\"none\",\"why\":\"domain\"}"},
      {"\"points\":[{\"x\":" + n("0", "0") + ",\"y\":" + n("1/2", "0.5") +
       "},{\"x\":" + n("−1", "-1") + ",\"y\":" + n("0", "0") + "},{\"x\":" + n("1", "1") +
       ",\"y\":" + n("0", "0") + "}]"},
      {"\"to\":" + n("−1", "-1") + open + ",\"sign\":\"-\"",
       "\"to\":" + n("1", "1") + open + ",\"sign\":\"+\"",
       "\"to\":" + two + open + ",\"sign\":\"-\"", "\"to\":" + pi + open + ",\"sign\":\"+\""},
      {"{\"at\":" + mi + ",\"side\":\"right\",\"value\":" + mi + "},{\"at\":" + two +
       ",\"side\":\"left\",\"value\":" + mi + "},{\"at\":" + two +
       ",\"side\":\"right\",\"value\":" + pi + "},{\"at\":" + pi +
       ",\"side\":\"left\",\"value\":" + pi + "}]"},
      {"{\"kind\":\"vertical\",\"x\":" + two + ",\"side\":\"both\"}",
       "{\"kind\":\"oblique\",\"side\":\"-inf\",\"m\":" + n("1", "1") + ",\"q\":" + two +
           ",\"from\":\"below\"}",
       "{\"kind\":\"oblique\",\"side\":\"+inf\",\"m\":" + n("1", "1") + ",\"q\":" + two +
           ",\"from\":\"above\"}"},
      {"\"text\":\"(x² − 4x + 1)/(x − 2)²\"", "\"not_differentiable\":[]}"},
      {"\"from\":" + mi + ",\"to\":" + a + open + ",\"trend\":\"increasing\"",
       "\"from\":" + a + ",\"to\":" + two + open + ",\"trend\":\"decreasing\"",
       "\"from\":" + two + ",\"to\":" + b + open + ",\"trend\":\"decreasing\"",
       "\"from\":" + b + ",\"to\":" + pi + open + ",\"trend\":\"increasing\""},
      {"{\"kind\":\"max\",\"x\":" + a + ",\"y\":" + n("4 − 2√3", "0.5358983848622456") +
           ",\"absolute\":false}",
       "{\"kind\":\"min\",\"x\":" + b + ",\"y\":" + n("4 + 2√3", "7.464101615137754") +
           ",\"absolute\":false}"},
      {"\"text\":\"6/(x − 2)³\""},
      {"\"from\":" + mi + ",\"to\":" + two + open + ",\"concavity\":\"down\"",
       "\"from\":" + two + ",\"to\":" + pi + open + ",\"concavity\":\"up\""},
      {"\"items\":[]}"},
  };
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_NE(events[i].find("\"section\":\"" + kSections[i] + "\""), std::string::npos)
        << events[i];
    for (const std::string& part : expected[i]) {
      EXPECT_NE(events[i].find(part), std::string::npos) << events[i] << "\nlacks " << part;
    }
  }
}

// Textbook functions through the real helper, read back from the Markdown report: the
// conventions of the sheet on the engine's own answers.
TEST(BatchStudy, TextbookFunctionsWithTheHelper) {
  namespace fs = std::filesystem;
  struct Row {
    const char* formula;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const std::vector<Row> rows = {
      {"sqrt(4-x^2)",  // closed ends of the domain: extrema there, absolute
       {"D = [−2; 2]", "crescente in [−2; 0[", "minimo relativo e assoluto (−2; 0)",
        "massimo relativo e assoluto (0; 2)", "f non è derivabile in x = −2 e x = 2"},
       {"lim x"}},
      {"|x^2-4|",  // corners: extrema, no inflection
       {"massimo relativo (0; 4)", "minimo relativo e assoluto (2; 0)", "nessun flesso",
        "f non è derivabile in x = −2 e x = 2"},
       {}},
      {"e^(1/x)",  // a one-sided vertical asymptote, no zeros
       {"asintoto verticale x = 0 (da destra)", "nessuna intersezione con gli assi",
        "lim x→0⁻ f(x) = 0⁺", "flesso (−1/2; 1/e²)"},
       {"entrambi"}},
      {"x-2atan(x)",  // oblique asymptotes with q = ±π, zeros found numerically
       {"asintoto obliquo y = x + π (per x → −∞, grafico sotto l'asintoto)",
        "asintoto obliquo y = x − π (per x → +∞, grafico sopra l'asintoto)", "(≈ 2.331122370; 0)",
        "massimo relativo (−1; π/2 − 1)"},
       {}},
      {"x^3",  // an inflection with horizontal tangent
       {"flesso (0; 0) a tangente orizzontale", "crescente in ]−∞; +∞["},
       {"decrescente"}},
      {"sin(x)",  // periodic: one period
       {"D = ]−∞; +∞[", "periodica di periodo 2π", "massimo relativo e assoluto (π/2; 1)",
        "flesso (π; 0)"},
       {"minimo relativo (0; 0)"}},
      {"INT(x)+0.5",  // not elementary
       {"Nessuno studio esatto (funzione non elementare", "(0; ≈ 0.5000000000)"},
       {"crescente", "asintoto obliquo"}},
      {"x e^-x",  // f underflows to 0 far out: no zero, sign or trend read there
       {"f > 0 in ]0; +∞[", "decrescente in ]1; +∞[", "massimo relativo e assoluto (1; 1/e)",
        "flesso (2; 2/e²)"},
       {"1273", "costante", "f = 0"}},
      {"INT(x)",  // a sign read at one point that its stretch does not keep is not given
       {"Segno\n\n- non determinato"},
       {"f = 0 in"}},
      {"ln(x)/x",
       {"massimo relativo e assoluto (e; 1/e)",
        "asintoto orizzontale y = 0 (per x → +∞, grafico sopra l'asintoto)"},
       {}},
  };
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "textbook";
  fs::create_directories(dir);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.formula);
    const std::string md = (dir / "studio.md").string();
    const BatchRun r =
        Batch({"--formula", row.formula, "--report", md, "mScheda"}, CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string text = ReadText(md);
    for (const std::string& t : row.present)
      EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
    for (const std::string& t : row.absent)
      EXPECT_EQ(text.find(t), std::string::npos) << t << "\n" << text;
  }
}

// The points a teacher asks about, one row per kind, through the real helper: what the trace
// and the Markdown report must say, and what they must not.
TEST(BatchStudy, PointsATeacherAsksAbout) {
  namespace fs = std::filesystem;
  auto n = [](const std::string& text, const std::string& value) {
    return "{\"text\":\"" + text + "\",\"value\":" + value + ",\"exact\":true}";
  };
  const std::string halfPi = n("π/2", "1.5707963267948966"),
                    mHalfPi = n("−π/2", "-1.5707963267948966");
  const std::string mInf = "{\"text\":\"−∞\",\"value\":\"-inf\",\"exact\":true}";
  const std::string pInf = "{\"text\":\"+∞\",\"value\":\"+inf\",\"exact\":true}";
  struct Row {
    const char* formula;
    std::vector<std::string> present;  // in the trace or the report
    std::vector<std::string> absent;
  };
  const std::vector<Row> rows = {
      {"tan(x)",  // periodic with poles: the period between two poles, every period written
       {"\"section\":\"domain\",\"text\":\"x ≠ π/2 + kπ, k ∈ ℤ\",\"intervals\":[{\"from\":" +
            mHalfPi + ",\"to\":" + halfPi + ",\"closed\":[false,false]}]",
        "\"every_period\":\"x = kπ, k ∈ ℤ\"", "\"every_period\":\"x = π/2 + kπ, k ∈ ℤ\"",
        "lo studio che segue è nel periodo ]−π/2; π/2[", "flesso (0; 0)",
        "| x | −π/2 |  | 0 |  | π/2 |"},
       {"[0; π[", "| π |"}},
      {"sin(x)",  // periodic without points outside D: [0; T[, zeros one progression
       {"nel periodo [0; 2π[", "zeri in ogni periodo: x = kπ, k ∈ ℤ"},
       {"x ≠"}},
      {"(x^2-4)/(x+2)",  // removable; f″ ≡ 0
       {"\"discontinuities\":[{\"x\":" + n("−2", "-2") + ",\"kind\":\"removable\"}]",
        "x = −2: discontinuità eliminabile (di terza specie), i due limiti valgono −4",
        "- (−2; −4) (escluso: discontinuità eliminabile)",
        "f″(x) = 0: in ogni intervallo del dominio il grafico è un tratto di retta",
        "né pari né dispari: il dominio non è simmetrico"},
       {"né concava né convessa", "≈ 0.000000000"}},
      {"x+abs(x)/x",  // jump
       {"\"discontinuities\":[{\"x\":" + n("0", "0") +
            ",\"kind\":\"jump\",\"jump\":" + n("2", "2") + "}]",
        "x = 0: discontinuità di salto (di prima specie), salto 2"},
       {"eliminabile"}},
      {"e^(1/x)",  // second kind: one side infinite; 0⁺ from the other
       {"\"kind\":\"second\"", "x = 0: discontinuità di seconda specie", "lim x→0⁻ f(x) = 0⁺"},
       {}},
      {"abs(x^2-4)",  // corners
       {"{\"x\":" + n("−2", "-2") + ",\"kind\":\"corner\",\"left\":" + n("−4", "-4") +
            ",\"right\":" + n("4", "4") + "}",
        "x = 2: punto angoloso, f′₋(2) = −4, f′₊(2) = 4"},
       {}},
      {"sqrt(abs(x+2))",  // a cusp; concave on each side, not on the whole line
       {"\"kind\":\"cusp\",\"left\":" + mInf + ",\"right\":" + pInf,
        "x = −2: cuspide, f′₋(−2) = −∞, f′₊(−2) = +∞",
        "concava verso il basso in ]−∞; −2[ e ]−2; +∞["},
       {"concava verso il basso in ]−∞; +∞["}},
      {"sqrt(x)-x",  // a vertical tangent at an end of D
       {"{\"x\":" + n("0", "0") + ",\"kind\":\"vertical_tangent\",\"left\":null,\"right\":" + pInf +
            "}",
        "x = 0: punto a tangente verticale, f′₊(0) = +∞"},
       {"f′₋"}},
      {"sqrt(abs(x)+x)-sqrt(abs(x)-x)",  // a vertical inflection
       {"\"kind\":\"vertical_inflection\",\"left\":" + pInf + ",\"right\":" + pInf,
        "x = 0: flesso a tangente verticale", "flesso (0; 0)"},
       {"nessun flesso"}},
      {"e^(-abs(x-1))",  // a corner cuts the concavity
       {"concava verso l'alto in ]−∞; 1[ e ]1; +∞[", "x = 1: punto angoloso"},
       {"concava verso l'alto in ]−∞; +∞["}},
      {"e^(-x)*(x^2-3)",  // 0⁺ at +∞, in Limiti and in the table
       {"lim x→+∞ f(x) = 0⁺", "| 0⁺ |",
        "asintoto orizzontale y = 0 (per x → +∞, grafico sopra l'asintoto)"},
       {"y = 0⁺"}},
      {"-1/(x^2+1)",  // 0⁻ on both sides; even, with its reason
       {"lim x→−∞ f(x) = 0⁻", "lim x→+∞ f(x) = 0⁻", "pari: f(−x) = f(x)", "\"value\":\"even\"}"},
       {"0⁺"}},
      {"2x+1",  // f″ ≡ 0; neither even nor odd on a symmetric domain
       {"f″(x) = 0: il grafico è una retta",
        "né pari né dispari: f(−x) non è uguale né a f(x) né a −f(x)", "\"why\":\"values\""},
       {"né concava né convessa", "≈ 0.000000000"}},
      {"3",  // f′ ≡ 0
       {"f′(x) = 0: f è costante"},
       {}},
  };
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "teacher";
  fs::create_directories(dir);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.formula);
    const std::string md = (dir / "studio.md").string();
    const BatchRun r = Batch({"--formula", row.formula, "--trace", "-", "--report", md, "mScheda"},
                             CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string text = r.out + "\n" + ReadText(md);
    for (const std::string& t : row.present)
      EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
    for (const std::string& t : row.absent)
      EXPECT_EQ(text.find(t), std::string::npos) << t << "\n" << text;
  }
}

// An empty or rejected formula: every section says the reason, and nothing else is studied.
TEST(BatchStudy, RejectedFormulaGivesOnlyTheReason) {
  const std::pair<std::string, std::string> rows[] = {
      {"", "Errore nella formula: Formula vuota"},
      {"x+", "Errore nella formula: Operatore senza operando (colonna 2)"},
  };
  for (const auto& [formula, reason] : rows) {
    const BatchRun r = Batch({"--formula", formula, "--trace", "-", "mScheda"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(StudySections(r), kSections);
    int undetermined = 0;
    for (const std::string& l : r.lines) {
      if (l.find("\"op\":\"study\"") == std::string::npos) continue;
      EXPECT_NE(l.find("\"undetermined\":true,\"reason\":\"" + reason + "\""), std::string::npos)
          << l;
      ++undetermined;
    }
    EXPECT_EQ(undetermined, 13);
  }
}

TEST(BatchStudy, ReportByItsEnding) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "report";
  fs::create_directories(dir);
  const std::string md = (dir / "studio.md").string(), tex = (dir / "studio.tex").string();
  BatchRun r = Batch({"--formula", "x^3-3x", "--report", md, "mScheda"});
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string text = ReadText(md);
  EXPECT_NE(text.find("## Dominio"), std::string::npos) << text;
  EXPECT_NE(text.find("## Flessi"), std::string::npos);
  EXPECT_NE(text.find("| x |"), std::string::npos);
  // Without mScheda the report studies Funzione as it is at the end.
  r = Batch({"--formula", "x^2", "--report", tex});
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(ReadText(tex).find("\\tkzTabInit"), std::string::npos);

  // Bad endings are bad arguments: exit 2 before anything runs, nothing written.
  for (const std::string bad : {"studio.doc", "studio", "studio.md.txt", "studio.MD5"}) {
    const std::string path = (dir / bad).string();
    r = Batch({"--formula", "x", "--report", path, "mScheda", "--trace", "-"});
    EXPECT_EQ(r.code, 2) << bad;
    EXPECT_EQ(r.out.find("\"op\":"), std::string::npos) << bad;
    EXPECT_FALSE(fs::exists(path)) << bad;
  }
  r = Batch({"--report"});
  EXPECT_EQ(r.code, 2);
}

// The PDF report is drawn by the study window's painting: its texts stay text, so pdftotext
// reads the values of the sheet back.
TEST(BatchStudy, PdfReportKeepsTheValuesAsText) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "report";
  fs::create_directories(dir);
  const std::string pdf = (dir / "studio.pdf").string();
  fs::remove(pdf);
  BatchRun r = Batch({"--formula", "x^3-3x", "--report", pdf, "mScheda"});
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(ReadText(pdf).rfind("%PDF", 0), 0u);
  FILE* p = popen(("pdftotext -enc UTF-8 " + Quote(pdf) + " - 2>/dev/null").c_str(), "r");
  ASSERT_TRUE(p);
  std::string text;
  std::array<char, 4096> buf;
  for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) text.append(buf.data(), n);
  if (pclose(p) != 0) GTEST_SKIP() << "pdftotext is not installed";
  for (const char* expected : {"Dominio", "Tabella dei segni e della variazione", "Grafico"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  // The PDF's heading is the one the Markdown and LaTeX reports have.
  EXPECT_EQ(text.rfind("Studio di funzione", 0), 0u) << text;
}

}  // namespace
