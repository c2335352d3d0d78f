// "Studio completo" in the batch mode: its events in the trace, in order and before the next
// command, and the report by the file's ending.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
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

// The values of every "key":"..." of a trace line, in order, joined by `sep`.
std::string Fields(const std::string& line, const std::string& key, const char* sep) {
  const std::string field = "\"" + key + "\":\"";
  std::string out;
  for (std::size_t at = line.find(field); at != std::string::npos; at = line.find(field, at + 1)) {
    const std::size_t from = at + field.size();
    out += (out.empty() ? "" : sep) + line.substr(from, line.find('"', from) - from);
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
      {"\"value\":\"none\",\"why\":\"domain\""},
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
      {"\"text\":\"(x² − 4x + 1)/(x − 2)²\"", "\"not_differentiable\":[]"},
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

// The working of the worked example, line by line, from the trace: the rule of each line and
// its text, in the order a student writes them.
TEST(BatchStudy, WorkedExampleWorkingWithTheHelper) {
  const BatchRun r =
      Batch({"--formula", "(x^2-1)/(x-2)", "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
  ASSERT_EQ(r.code, 0) << r.out;
  auto steps = [](const std::vector<std::pair<std::string, std::string>>& lines) {
    std::string out = ",\"steps\":[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out += (i ? ",{\"rule\":\"" : "{\"rule\":\"") + lines[i].first + "\",\"text\":\"" +
             lines[i].second + "\"";
      out += ",\"latex\":";  // the LaTeX is checked where it is written
    }
    return out;
  };
  const std::map<std::string, std::vector<std::pair<std::string, std::string>>> expected = {
      {"domain",
       {{"condition", "x − 2 ≠ 0 (denominatore)"},
        {"condition_solved", "x ≠ 2"},
        {"intersection", "D = ]−∞; 2[ ∪ ]2; +∞["}}},
      {"parity", {{"domain_not_symmetric", "D non è simmetrico rispetto a 0"}}},
      {"intercepts",
       {{"value_at_zero", "f(0) = (0² − 1)/(0 − 2) = 1/2"},
        {"numerator", "f(x) = 0 ⇔ x² − 1 = 0"},
        {"solutions", "x = −1 ∨ x = 1"}}},
      {"limits",
       {{"limit_parts", "lim x→−∞ (x² − 1) = +∞, lim x→−∞ (x − 2) = −∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 2 del numeratore > grado 1 del denominatore ⇒ lim x→−∞ f(x) = −∞"},
        {"limit_parts", "lim x→2⁻ (x² − 1) = 3, lim x→2⁻ (x − 2) = 0⁻"},
        {"limit_form", "3/0⁻ = −∞"},
        {"limit_parts", "lim x→2⁺ (x² − 1) = 3, lim x→2⁺ (x − 2) = 0⁺"},
        {"limit_form", "3/0⁺ = +∞"},
        {"limit_parts", "lim x→+∞ (x² − 1) = +∞, lim x→+∞ (x − 2) = +∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 2 del numeratore > grado 1 del denominatore ⇒ lim x→+∞ f(x) = +∞"}}},
      {"asymptotes",
       {{"vertical_from_limit", "lim x→2⁻ f(x) = −∞, lim x→2⁺ f(x) = +∞ ⇒ x = 2"},
        {"oblique_slope", "m = lim x→−∞ f(x)/x = 1"},
        {"rewritten", "f(x)/x = (x² − 1)/(x² − 2x)"},
        {"limit_parts", "lim x→−∞ (x² − 1) = +∞, lim x→−∞ (x² − 2x) = +∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 2 del numeratore = grado 2 del denominatore ⇒ lim x→−∞ f(x)/x = 1"},
        {"oblique_intercept", "q = lim x→−∞ [f(x) − x] = 2"},
        {"rewritten", "f(x) − x = (2x − 1)/(x − 2)"},
        {"limit_parts", "lim x→−∞ (2x − 1) = −∞, lim x→−∞ (x − 2) = −∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 1 del numeratore = grado 1 del denominatore ⇒ lim x→−∞ [f(x) − x] = 2"},
        {"oblique_slope", "m = lim x→+∞ f(x)/x = 1"},
        {"rewritten", "f(x)/x = (x² − 1)/(x² − 2x)"},
        {"limit_parts", "lim x→+∞ (x² − 1) = +∞, lim x→+∞ (x² − 2x) = +∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 2 del numeratore = grado 2 del denominatore ⇒ lim x→+∞ f(x)/x = 1"},
        {"oblique_intercept", "q = lim x→+∞ [f(x) − x] = 2"},
        {"rewritten", "f(x) − x = (2x − 1)/(x − 2)"},
        {"limit_parts", "lim x→+∞ (2x − 1) = +∞, lim x→+∞ (x − 2) = +∞"},
        {"indeterminate_form", "forma indeterminata ∞/∞"},
        {"degrees_compared",
         "grado 1 del numeratore = grado 1 del denominatore ⇒ lim x→+∞ [f(x) − x] = 2"}}},
      {"derivative",
       {{"quotient", "f′(x) = (2x·(x − 2) − (x² − 1))/(x − 2)²"},
        {"polynomial", "D[x² − 1] = 2x"},
        {"polynomial", "D[x − 2] = 1"},
        {"simplified", "f′(x) = (x² − 4x + 1)/(x − 2)²"}}},
      {"monotonicity",
       {{"numerator", "f′(x) = 0 ⇔ x² − 4x + 1 = 0"}, {"solutions", "x = 2 − √3 ∨ x = 2 + √3"}}},
      {"extrema",
       {{"sign_change", "f′ cambia segno da + a − in x = 2 − √3 ⇒ massimo relativo"},
        {"ordinate", "f(2 − √3) = ((2 − √3)² − 1)/(2 − √3 − 2) = 4 − 2√3"},
        {"sign_change", "f′ cambia segno da − a + in x = 2 + √3 ⇒ minimo relativo"},
        {"ordinate", "f(2 + √3) = ((2 + √3)² − 1)/(2 + √3 − 2) = 4 + 2√3"}}},
      {"second_derivative",
       {{"quotient", "f″(x) = ((2x − 4)(x − 2)² − (x² − 4x + 1)(2x − 4))/(x − 2)^4"},
        {"polynomial", "D[x² − 4x + 1] = 2x − 4"},
        {"polynomial", "D[(x − 2)²] = 2x − 4"},
        {"simplified", "f″(x) = 6/(x − 2)³"}}},
      {"concavity",
       {{"numerator", "f″(x) = 0 ⇔ 6 = 0"}, {"solutions", "f″(x) = 0 non ha soluzioni in D"}}},
  };
  int seen = 0;
  for (const std::string& l : r.lines) {
    if (l.find("\"op\":\"study\"") == std::string::npos) continue;
    if (l.find("\"section\":\"sign\"") != std::string::npos) {
      // The sign chart: a row for each factor, the denominator's marked, then f by the rule of
      // signs, walking the intervals and the points −1, 1, 2 in order.
      EXPECT_NE(
          l.find(
              ",\"rows\":[{\"factor\":\"x − 1\",\"signs\":[\"-\",\"-\",\"-\",\"0\",\"+\","
              "\"+\",\"+\"]},{\"factor\":\"x + 1\",\"signs\":[\"-\",\"0\",\"+\",\"+\",\"+\","
              "\"+\",\"+\"]},{\"factor\":\"x − 2\",\"denominator\":true,\"signs\":[\"-\",\"-\","
              "\"-\",\"-\",\"-\",\"0\",\"+\"]},{\"factor\":\"f(x)\",\"signs\":[\"-\",\"0\",\"+\","
              "\"0\",\"-\",\"‖\",\"+\"]}]}"),
          std::string::npos)
          << l;
      EXPECT_NE(l.find("\"chart\":{\"points\":[{\"text\":\"−1\""), std::string::npos) << l;
      continue;
    }
    const std::size_t at = l.find("\"section\":\"") + 11;
    const std::string section = l.substr(at, l.find('"', at) - at);
    auto it = expected.find(section);
    if (it == expected.end()) {
      // Without a working: the event as it was, no "steps".
      EXPECT_EQ(l.find("\"steps\""), std::string::npos) << l;
      continue;
    }
    ++seen;
    std::string want = steps(it->second);
    // Each line's rule and text in order: compare the event with its LaTeX fields cut out.
    std::string got = l.substr(l.find(",\"steps\":["));
    std::string cut;
    for (std::size_t i = 0; i < got.size();) {
      const std::size_t k = got.find(",\"latex\":", i);
      if (k == std::string::npos) break;
      cut += got.substr(i, k - i) + ",\"latex\":";
      std::size_t e = k + 9;  // past ,"latex":
      ++e;                    // the opening quote
      while (e < got.size() && got[e] != '"') e += got[e] == '\\' ? 2 : 1;
      i = e + 2;  // past the closing quote and the closing brace
    }
    EXPECT_EQ(cut, want) << l;
  }
  EXPECT_EQ(seen, 10);
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
        "| x | −π/2 |  | 0 |  | π/2 |",
        // The LaTeX names the same period as the text, not [0; π[.
        "nel periodo studiato $\\mathopen{]}-\\frac{\\pi}{2};\\, \\frac{\\pi}{2}\\mathclose{[}$",
        "è nel periodo $\\mathopen{]}-\\frac{\\pi}{2}"},
       {"[0; π[", "| π |", "[0; \\pi"}},
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
       {"lim x→−∞ f(x) = 0⁻", "lim x→+∞ f(x) = 0⁻", "pari: f(−x) = f(x)", "\"value\":\"even\""},
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
    const std::string md = (dir / "studio.md").string(), tex = (dir / "studio.tex").string();
    const BatchRun r = Batch({"--formula", row.formula, "--trace", "-", "--report", md,
                              "--report-results", tex, "mScheda"},
                             CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    // A text with a backslash is LaTeX: looked for in the LaTeX report as well.
    const std::string text = r.out + "\n" + ReadText(md), all = text + "\n" + ReadText(tex);
    for (const std::string& t : row.present)
      EXPECT_NE(all.find(t), std::string::npos) << t << "\n" << all;
    for (const std::string& t : row.absent)
      EXPECT_EQ((t.find('\\') != std::string::npos ? all : text).find(t), std::string::npos)
          << t << "\n"
          << all;
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

// The sign charts of textbook functions, of f under Segno, of f′ under Monotonia and of f″
// under Concavità: the factors they have rows for, or none where a factor's signs cannot be
// given between the points (a chart left out, never guessed); and the last row's signs, which
// must say what the section says on every interval and be "‖" where g is undefined.
TEST(BatchStudy, SignChartsWithTheHelper) {
  struct Row {
    const char* formula;
    const char* section;
    const char* factors;  // the rows' factors in order, "" for no chart
    const char* signs;    // the last row's signs, "" for any
  };
  const Row rows[] = {
      {"x^3-3x", "sign", "x|x − √3|x + √3|f(x)", ""},
      {"x*e^x", "sign", "x|e^x|f(x)", ""},                      // a factor that never changes sign
      {"(x^2-4)/(x+2)", "sign", "x − 2|x + 2|x + 2|f(x)", ""},  // the same factor above and below
      {"sqrt(x^2-1)/x", "sign", "", ""},                        // x changes sign outside D
      {"ln(x)", "sign", "", ""},                                // one factor: the signs say it all
      // f′ = 3(x − 1)(x + 1): both zeros are columns, the trend's signs in between.
      {"x^3-3x", "monotonicity", "x − 1|x + 1|f′(x)", "\"+\",\"0\",\"-\",\"0\",\"+\""},
      {"x*e^x", "monotonicity", "e^x|x + 1|f′(x)", "\"-\",\"0\",\"+\""},
      // f′ undefined at the poles ±1 though its numerator is not 0 there.
      {"(x^3-4x)/(x^2-1)", "monotonicity", "x^4 + x² + 4|(x − 1)²|(x + 1)²|f′(x)",
       "\"+\",\"‖\",\"+\",\"‖\",\"+\""},
      {"(x^3-4x)/(x^2-1)", "concavity", "x|x² + 3|(x − 1)³|(x + 1)³|f″(x)",
       "\"+\",\"‖\",\"-\",\"0\",\"+\",\"‖\",\"-\""},
      {"x^3-3x", "concavity", "", ""},  // f″ = 6x: one factor
  };
  for (const Row& row : rows) {
    const BatchRun r =
        Batch({"--formula", row.formula, "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    std::string factors, line;
    for (const std::string& l : r.lines) {
      if (l.find("\"section\":\"" + std::string(row.section) + "\"") == std::string::npos) continue;
      line = l;
      factors += Fields(l, "factor", "|");
    }
    EXPECT_EQ(factors, row.factors) << row.formula << " " << row.section;
    if (*row.signs) {
      const std::size_t last = line.rfind("\"signs\":[");
      ASSERT_NE(last, std::string::npos) << line;
      EXPECT_EQ(line.substr(last + 9, line.find(']', last) - last - 9), row.signs)
          << row.formula << " " << row.section;
    }
  }
}

// The working of Limiti, by its rule ids in order: the form each limit's numerator and
// denominator give, and how an indeterminate one is resolved; a step that cannot be given
// (the highest terms of a numerator cancel, f is no quotient) is left out, never guessed.
TEST(BatchStudy, LimitWorkingWithTheHelper) {
  struct Row {
    const char* formula;
    const char* rules;
    const char* key = "";  // a text one of the lines must hold
  };
  const Row rows[] = {
      // 0/0 at the hole: f simplified; ∞/∞ far out: the degrees.
      {"(x^2-4)/(x+2)",
       "limit_parts indeterminate_form degrees_compared limit_parts indeterminate_form "
       "simplified_limit limit_parts indeterminate_form simplified_limit limit_parts "
       "indeterminate_form degrees_compared"},
      // e^x beyond x at +∞; 0⁺/−∞ determined at −∞; 1/0∓ at the pole.
      {"e^x/x",
       "limit_parts limit_form limit_parts limit_form limit_parts limit_form limit_parts "
       "indeterminate_form hierarchy"},
      // −∞/0⁺ at the end of D; x beyond ln(x).
      {"ln(x)/x", "limit_parts limit_form limit_parts indeterminate_form hierarchy"},
      {"sin(x)/x",
       "limit_parts indeterminate_form notable_limit limit_parts indeterminate_form "
       "notable_limit"},
      {"ln(1+x)/x",
       "limit_parts limit_form limit_parts indeterminate_form notable_limit limit_parts "
       "indeterminate_form notable_limit limit_parts indeterminate_form hierarchy"},
      // Degree 1 below degree 2: the limits 0.
      {"x/(x^2+1)",
       "limit_parts indeterminate_form degrees_compared limit_parts indeterminate_form "
       "degrees_compared"},
      // The numerator reads degree 2 but is 2x + 1: no degrees claimed; De l'Hôpital instead.
      {"((x+1)^2-x^2)/x",
       "limit_parts indeterminate_form de_lhopital limit_parts limit_form limit_parts limit_form "
       "limit_parts indeterminate_form de_lhopital"},
      // 1 + e^x is no single infinity of the hierarchy: De l'Hôpital with e^x written.
      {"x/(1+e^x)", "limit_parts limit_form limit_parts indeterminate_form de_lhopital"},
      // A polynomial: ∞ − ∞, then its highest power decides.
      {"x^3-3x",
       "limit_parts indeterminate_form highest_power limit_parts indeterminate_form "
       "highest_power"},
      // 0·∞ as a quotient, the plain reciprocal of the factor that tends to 0 below.
      {"x*ln(x)",
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form de_lhopital "
       "limit_parts limit_form",
       "f(x) = ln(x)/(1/x)"},
      {"x*e^(-x)",
       "limit_parts limit_form limit_parts indeterminate_form rewritten limit_parts "
       "indeterminate_form hierarchy",
       "f(x) = x/e^x"},
      // No plain reciprocal of ln(1 + 2/x): it stays above, x goes below as 1/x; 1^∞ as e to a
      // product.
      {"(1+2/x)^x",
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form rewritten "
       "limit_parts indeterminate_form de_lhopital limit_form limit_parts limit_form "
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form rewritten "
       "limit_parts indeterminate_form de_lhopital limit_form limit_parts indeterminate_form "
       "rewritten limit_parts indeterminate_form rewritten limit_parts indeterminate_form "
       "de_lhopital limit_form",
       "x·ln(1 + 2/x) = ln(1 + 2/x)/(1/x)"},
      // 0⁰ through a product and a quotient, three levels.
      {"x^x",
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form rewritten "
       "limit_parts indeterminate_form de_lhopital limit_form limit_parts limit_form",
       "lim x→0⁺ f(x) = e^0 = 1"},
      // ∞⁰ and 1^∞ at the two ends; (1 + 1/t)^t recognised.
      {"(1+1/x)^x",
       "limit_parts indeterminate_form notable_limit limit_parts limit_form limit_parts "
       "indeterminate_form rewritten limit_parts indeterminate_form rewritten limit_parts "
       "indeterminate_form de_lhopital limit_form limit_parts indeterminate_form notable_limit",
       "(1 + 1/t)^t → e"},
      // The exponent already written as a quotient: no line that says ln(x)/x = ln(x)/x.
      {"x^(1/x)",
       "limit_parts limit_form limit_parts indeterminate_form rewritten limit_parts "
       "indeterminate_form limit_parts indeterminate_form hierarchy limit_form",
       "f(x) = e^(ln(x)/x)"},
      // ∞ − ∞ with the faster term collected; √(x² + 1) − x, whose quotient tends to −1, times
      // its conjugate over itself.
      {"x-ln(x)",
       "limit_parts limit_form limit_parts indeterminate_form rewritten limit_parts "
       "indeterminate_form hierarchy limit_form",
       "(+∞)·(1 + 0⁻) = +∞"},
      {"sqrt(x^2+1)-x",
       "limit_parts limit_form limit_parts indeterminate_form rewritten limit_parts limit_form",
       "= 1/(√(x² + 1) + x)"},
      // Neither factor of 0·∞ has a plain reciprocal, nor resolves over the other's: named only.
      {"ln(x)*ln(1+x)", "limit_parts indeterminate_form limit_parts limit_form"},
      {"x*sin(1/x)",
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form notable_limit "
       "limit_parts indeterminate_form rewritten limit_parts indeterminate_form notable_limit",
       "con t = 1/x"},
      // A function of an argument: the argument's limit, then the function's own (√(+∞) = +∞).
      {"sqrt(x)", "limit_parts limit_form", "√(+∞) = +∞"},
      {"ln(x^2-1)",
       "limit_parts limit_form limit_parts limit_form limit_parts limit_form limit_parts "
       "limit_form",
       "lim x→1⁺ (x² − 1) = 0⁺"},
      {"arctg(1/x)", "limit_parts limit_form limit_parts limit_form", "arctg(+∞) = π/2"},
  };
  for (const Row& row : rows) {
    const BatchRun r =
        Batch({"--formula", row.formula, "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    std::string rules;
    bool key = false;
    for (const std::string& l : r.lines) {
      if (l.find("\"section\":\"limits\"") == std::string::npos) continue;
      key = key || l.find(row.key) != std::string::npos;
      rules = Fields(l, "rule", " ");
    }
    EXPECT_EQ(rules, row.rules) << row.formula;
    EXPECT_TRUE(key) << row.formula << ": " << row.key;
  }
}

// The working of m and q of each oblique asymptote, by its rule ids in order and a key line:
// f(x)/x and f(x) − mx as the CAS simplifies them, then their limits worked out as in Limiti.
TEST(BatchStudy, ObliqueWorkingWithTheHelper) {
  struct Row {
    const char* formula;
    std::string rules;
    const char* key;
  };
  const std::string conjugate =
      "oblique_slope rewritten limit_parts indeterminate_form de_lhopital oblique_intercept "
      "rewritten limit_parts indeterminate_form rewritten limit_parts limit_form";
  const std::string degrees =
      "oblique_slope rewritten limit_parts indeterminate_form degrees_compared oblique_intercept "
      "rewritten limit_parts indeterminate_form degrees_compared";
  const Row rows[] = {
      // q by the conjugate on both sides; the root written u^(1/2) by the CAS is one too.
      {"sqrt(x^2+1)", conjugate + " " + conjugate,
       "f(x) + x = (√(x² + 1) + x)·(√(x² + 1) − x)/(√(x² + 1) − x) = 1/(√(x² + 1) − x)"},
      // f(x) − x simplifies to −3x/(x² − 1): a quotient under a minus sign.
      {"(x^3-4x)/(x^2-1)", "vertical_from_limit vertical_from_limit " + degrees + " " + degrees,
       "f(x) − x = −3x/(x² − 1)"},
      {"x+ln(x)/x",
       "vertical_from_limit oblique_slope rewritten limit_parts indeterminate_form de_lhopital "
       "oblique_intercept rewritten limit_parts indeterminate_form hierarchy",
       "lim x→+∞ [f(x) − x] = 0"},
      // f(x)/x = e^(1/x) has no parts to work on: m and q with their values only.
      {"x*e^(1/x)",
       "vertical_from_limit oblique_slope oblique_intercept oblique_slope oblique_intercept",
       "q = lim x→+∞ [f(x) − x] = 1"},
  };
  for (const Row& row : rows) {
    const BatchRun r =
        Batch({"--formula", row.formula, "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    std::string line;
    for (const std::string& l : r.lines) {
      if (l.find("\"section\":\"asymptotes\"") != std::string::npos) line = l;
    }
    EXPECT_EQ(Fields(line, "rule", " "), row.rules) << row.formula;
    EXPECT_NE(line.find(row.key), std::string::npos) << row.formula << ": " << row.key;
  }
}

// f″ identically 0 (a line with a hole) and f′ identically 0 (a constant): their working never
// says that f″ = 0 (f′ = 0) has no solutions.
TEST(BatchStudy, IdenticallyZeroDerivativeHasNoSolutionsLine) {
  for (const char* formula : {"(x^2-4)/(x+2)", "(x-1)/(x-1)"}) {
    const BatchRun r =
        Batch({"--formula", formula, "--trace", "-", "mScheda"}, CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    for (const std::string& l : r.lines) {
      if (l.find("\"section\":\"concavity\"") == std::string::npos &&
          (std::string(formula) != "(x-1)/(x-1)" ||
           l.find("\"section\":\"monotonicity\"") == std::string::npos)) {
        continue;
      }
      EXPECT_EQ(l.find("non ha soluzioni"), std::string::npos) << formula << "\n" << l;
    }
  }
}

// --report writes the working under each result, --report-results the results alone; both in
// one run, each by its own ending, in a folder made where it is missing (the LaTeX's too); a
// bad ending of either is a bad argument.
TEST(BatchStudy, ReportWithAndWithoutTheWorking) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "report";
  fs::create_directories(dir);
  fs::remove_all(dir / "nuova");
  const std::string md = (dir / "svolto.md").string(),
                    tex = (dir / "nuova" / "risultati.tex").string();
  BatchRun r =
      Batch({"--formula", "(x^2-1)/(x-2)", "--report", md, "--report-results", tex, "mScheda"},
            CURVALIS_EXACT_HELPER);
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string with = ReadText(md), without = ReadText(tex);
  EXPECT_NE(with.find("Svolgimento:\n\n1. x − 2 ≠ 0 (denominatore)\n2. x ≠ 2\n"), std::string::npos)
      << with;
  EXPECT_NE(with.find("17. q = lim x→+∞ [f(x) − x] = 2"), std::string::npos) << with;
  EXPECT_EQ(without.find("Svolgimento"), std::string::npos);
  EXPECT_NE(without.find("\\tkzTabInit"), std::string::npos);
  // The sign charts go with the working: f's and f′'s in one, none in the other.
  EXPECT_NE(with.find("| f(x) |"), std::string::npos) << with;
  EXPECT_NE(with.find("| f′(x) |"), std::string::npos) << with;
  EXPECT_EQ(without.find("(den.)"), std::string::npos) << without;
  r = Batch({"--formula", "x", "--report-results", (dir / "risultati.doc").string()});
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

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The LaTeX report of textbook functions through the real helper, compiled by pdflatex: every
// symbol set (no "Missing character" in the log, no "?" in the text where one stood), the
// heading typeset rather than the formula as typed, the graph drawn with the equations of its
// asymptotes, a value too long for the table moved under it, and the note on "≈" only where
// a value is approximate.
TEST(BatchStudy, LatexReportsCompileWithEverySymbolSet) {
  if (!Have("pdflatex") || !Have("pdftotext")) GTEST_SKIP() << "pdflatex or pdftotext missing";
  namespace fs = std::filesystem;
  struct Row {
    const char* name;
    const char* formula;
    std::vector<std::string> present;  // in the text of the PDF
    std::vector<std::string> absent;
  };
  const std::string note = "calcolati numericamente";
  const std::vector<Row> rows = {
      {"cubic", "(x^3-4x)/(x^2-1)", {"x ̸= −1 ∧ x ̸= 1", "x = −1", "x = 1", "y = x"}, {"x^3", note}},
      {"expx", "e^(-x)*(x^2-3)", {"y = 0", "dove y1 =", "(−1; −2 · e)"}, {"(x^2", note}},
      {"root", "sqrt(x^2-4)", {"x ≤ −2 ∨ x ≥ 2", "y = −x", "y = x"}, {"sqrt", note}},
      {"arctan", "x-2atan(x)", {"y = x + π", "y = x − π", note}, {"atan"}},
  };
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "latex";
  fs::create_directories(dir);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.formula);
    const fs::path tex = dir / (std::string(row.name) + ".tex");
    const BatchRun r = Batch({"--formula", row.formula, "--report", tex.string(), "mScheda"},
                             CURVALIS_EXACT_HELPER);
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string source = ReadText(tex);
    EXPECT_NE(source.find("\\begin{tikzpicture}[x="), std::string::npos) << "no graph";
    const std::string cmd = "cd " + Quote(dir.string()) +
                            " && pdflatex -interaction=nonstopmode -halt-on-error " +
                            Quote(tex.filename().string()) + " > /dev/null 2>&1";
    const std::string log = ReadText(dir / (std::string(row.name) + ".log"));
    ASSERT_EQ(std::system(cmd.c_str()), 0) << log;
    const std::string logAfter = ReadText(dir / (std::string(row.name) + ".log"));
    EXPECT_EQ(logAfter.find("Missing character"), std::string::npos) << logAfter;
    const fs::path txt = dir / (std::string(row.name) + ".txt");
    ASSERT_EQ(std::system(("pdftotext -enc UTF-8 " +
                           Quote((dir / (std::string(row.name) + ".pdf")).string()) + " " +
                           Quote(txt.string()))
                              .c_str()),
              0);
    const std::string text = ReadText(txt);
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    for (const std::string& t : row.present)
      EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
    for (const std::string& t : row.absent)
      EXPECT_EQ(text.find(t), std::string::npos) << t << "\n" << text;
  }
}

// The Markdown report has its graph beside it, an SVG picture of the same name that it links;
// where the picture cannot be written, the report says why and is written all the same.
TEST(BatchStudy, MarkdownReportLinksItsGraph) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(CURVALIS_TEST_DATA_DIR) / "markdown";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string md = (dir / "studio.md").string();
  BatchRun r =
      Batch({"--formula", "(x^2-1)/(x-2)", "--report", md, "mScheda"}, CURVALIS_EXACT_HELPER);
  ASSERT_EQ(r.code, 0) << r.out;
  std::string text = ReadText(md);
  EXPECT_NE(text.find("## Grafico\n\n![Grafico di f(x) = "), std::string::npos) << text;
  EXPECT_NE(text.find("](studio.svg)"), std::string::npos) << text;
  const std::string svg = ReadText(dir / "studio.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos) << "written whole";
  // The asymptote's equation and a point's label are texts of the picture.
  EXPECT_NE(svg.find("x = 2"), std::string::npos);
  EXPECT_NE(svg.find("(1; 0)"), std::string::npos);

  // A folder where the picture should go: the report says so.
  const std::string blocked = (dir / "chiuso.md").string();
  fs::create_directories(dir / "chiuso.svg");
  r = Batch({"--formula", "(x^2-1)/(x-2)", "--report", blocked, "mScheda"});
  ASSERT_EQ(r.code, 0) << r.out;
  text = ReadText(blocked);
  EXPECT_NE(text.find("## Grafico\n\nIl grafico non è stato scritto: chiuso.svg: "),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("](chiuso.svg)"), std::string::npos);
  EXPECT_NE(text.find("## Punti notevoli"), std::string::npos) << "the rest is written";
}

}  // namespace
