// The sheet built from the engine's answers: the worked example event by event, a table of
// textbook functions through the sheet's lines, and the hostile cases.
#include <gtest/gtest.h>

#include <cmath>

#include "exact_engine/engine.h"
#include "study/canned_engine.h"
#include "study/sheet.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

using testing::Canned;
using testing::CannedEngine;
using testing::Cube;
using testing::Inf;
using testing::Iv;
using testing::N;
using testing::Near;
using testing::Reals;
using testing::Step;

std::vector<std::string> Events(const Sheet& s) {
  std::vector<std::string> out;
  for (int i = 0; i < kSectionCount; ++i) out.push_back(StudyEvent(s, SectionId(i)));
  return out;
}

// A number of the trace: {"text":...,"value":...,"exact":...}.
std::string J(const std::string& text, const std::string& value, bool exact = true) {
  return "{\"text\":\"" + text + "\",\"value\":" + value +
         ",\"exact\":" + (exact ? "true" : "false") + "}";
}
std::string Jiv(const std::string& from, const std::string& to, const std::string& extra = "") {
  return "{\"from\":" + from + ",\"to\":" + to + ",\"closed\":[false,false]" + extra + "}";
}

TEST(Sheet, WorkedExampleEventByEvent) {
  CannedEngine engine(testing::WorkedExample());
  const Sheet sheet = BuildSheet(engine, "(x^2-1)/(x-2)");
  const std::string mi = J("−∞", "\"-inf\""), pi = J("+∞", "\"+inf\""), two = J("2", "2"),
                    one = J("1", "1"), zero = J("0", "0");
  const std::string a = J("2 − √3", "0.2679491924311228"), b = J("2 + √3", "3.732050807568877");
  const std::vector<std::string> expected = {
      R"j({"op":"study","section":"function","text":"(x² − 1)/(x − 2)","latex":"\\frac{x^2-1}{x-2}","exact":true})j",
      R"j({"op":"study","section":"domain","text":"x ≠ 2","intervals":[)j" + Jiv(mi, two) + "," +
          Jiv(two, pi) + R"j(],"discontinuities":[{"x":)j" + two + R"j(,"kind":"second"}]})j",
      R"j({"op":"study","section":"parity","value":"none","why":"domain"})j",
      R"j({"op":"study","section":"intercepts","points":[{"x":)j" + zero +
          ",\"y\":" + J("1/2", "0.5") + "},{\"x\":" + J("−1", "-1") + ",\"y\":" + zero +
          "},{\"x\":" + one + ",\"y\":" + zero + "}]}",
      R"j({"op":"study","section":"sign","intervals":[)j" +
          Jiv(mi, J("−1", "-1"), ",\"sign\":\"-\"") + "," +
          Jiv(J("−1", "-1"), one, ",\"sign\":\"+\"") + "," + Jiv(one, two, ",\"sign\":\"-\"") +
          "," + Jiv(two, pi, ",\"sign\":\"+\"") + "]}",
      R"j({"op":"study","section":"limits","items":[{"at":)j" + mi +
          ",\"side\":\"right\",\"value\":" + mi + "},{\"at\":" + two +
          ",\"side\":\"left\",\"value\":" + mi + "},{\"at\":" + two +
          ",\"side\":\"right\",\"value\":" + pi + "},{\"at\":" + pi +
          ",\"side\":\"left\",\"value\":" + pi + "}]}",
      R"j({"op":"study","section":"asymptotes","items":[{"kind":"vertical","x":)j" + two +
          R"j(,"side":"both"},{"kind":"oblique","side":"-inf","m":)j" + one + ",\"q\":" + two +
          R"j(,"from":"below"},{"kind":"oblique","side":"+inf","m":)j" + one + ",\"q\":" + two +
          R"j(,"from":"above"}]})j",
      R"j({"op":"study","section":"derivative","text":"(x² − 4x + 1)/(x − 2)²","latex":"\\frac{x^2-4x+1}{(x-2)^2}","not_differentiable":[]})j",
      R"j({"op":"study","section":"monotonicity","intervals":[)j" +
          Jiv(mi, a, ",\"trend\":\"increasing\"") + "," + Jiv(a, two, ",\"trend\":\"decreasing\"") +
          "," + Jiv(two, b, ",\"trend\":\"decreasing\"") + "," +
          Jiv(b, pi, ",\"trend\":\"increasing\"") + "]}",
      R"j({"op":"study","section":"extrema","items":[{"kind":"max","x":)j" + a + ",\"y\":" +
          J("4 − 2√3", "0.5358983848622456") + R"j(,"absolute":false},{"kind":"min","x":)j" + b +
          ",\"y\":" + J("4 + 2√3", "7.464101615137754") + ",\"absolute\":false}]}",
      R"j({"op":"study","section":"second_derivative","text":"6/(x − 2)³","latex":"\\frac{6}{(x-2)^3}"})j",
      R"j({"op":"study","section":"concavity","intervals":[)j" +
          Jiv(mi, two, ",\"concavity\":\"down\"") + "," + Jiv(two, pi, ",\"concavity\":\"up\"") +
          "]}",
      R"j({"op":"study","section":"inflections","items":[]})j",
  };
  const std::vector<std::string> got = Events(sheet);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "event " << i;

  // The table: the turning points and the pole, the signs, the arrows with values and limits.
  const std::vector<std::string> table = TableLines(sheet);
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0], "x: −∞ | 2 − √3 | 2 | 2 + √3 | +∞");
  EXPECT_EQ(table[1], "segno di f′(x): + 0 − ‖ − 0 +");
  EXPECT_EQ(table[2], "segno di f″(x): − − − ‖ + + +");
  EXPECT_EQ(table[3], "f(x): −∞ ↗ 4 − 2√3 ↘ −∞ ‖ +∞ ↘ 4 + 2√3 ↗ +∞");
}

// Records the order in which the sections arrive.
class Recorder : public SheetObserver {
 public:
  std::vector<SectionId> order;
  int finished = 0;
  std::atomic<bool>* cancelAfter3 = nullptr;
  void SectionReady(const Sheet& sheet, SectionId id) override {
    EXPECT_TRUE(curvalis::study::SectionReady(sheet, id));
    order.push_back(id);
    if (cancelAfter3 && order.size() == 3) cancelAfter3->store(true);
  }
  void Finished(const Sheet& sheet) override {
    EXPECT_TRUE(sheet.tableReady);
    ++finished;
  }
};

TEST(Sheet, SectionsArriveInOrderAndACancelStopsTheRest) {
  CannedEngine engine(testing::WorkedExample());
  Recorder all;
  BuildSheet(engine, "(x^2-1)/(x-2)", &all);
  ASSERT_EQ(all.order.size(), std::size_t(kSectionCount));
  for (int i = 0; i < kSectionCount; ++i) EXPECT_EQ(int(all.order[i]), i);
  EXPECT_EQ(all.finished, 1);

  std::atomic<bool> cancel{false};
  Recorder part;
  part.cancelAfter3 = &cancel;
  const Sheet s = BuildSheet(engine, "(x^2-1)/(x-2)", &part, &cancel);
  EXPECT_EQ(part.order.size(), 3u);
  EXPECT_EQ(part.finished, 0);
  EXPECT_FALSE(s.intercepts.ready);
  EXPECT_EQ(StudyEvent(s, SectionId::Sign).find("\"undetermined\":true") != std::string::npos,
            true);
}

// --- textbook functions ----------------------------------------------------------------------

Canned HalfCircle() {
  Canned c;
  c.funzione = "sqrt(4-x^2)";
  c.f = {"√(4 − x²)", "\\sqrt{4-x^2}", true};
  c.d1 = {"−x/√(4 − x²)", "", true};
  c.d2 = {"−4/√(4 − x²)³", "", true};
  c.domain[0] = {"−2 ≤ x ≤ 2", {Iv(N("−2", -2), N("2", 2), true, true)}};
  c.domain[1] = c.domain[2] = {"−2 < x < 2", {Iv(N("−2", -2), N("2", 2))}};
  c.roots[0] = {N("−2", -2), N("2", 2)};
  c.roots[1] = {N("0", 0)};
  c.symmetry.parity = Parity::Even;
  c.values = {{"0", N("2", 2)}, {"−2", N("0", 0)}, {"2", N("0", 0)}};
  return c;
}

Canned AbsParabola() {
  Canned c;
  c.funzione = "|x^2-4|";
  c.f = {"|x² − 4|", "", true};
  c.d1 = {"2x(x² − 4)/|x² − 4|", "", true};
  c.d2 = {"2(x² − 4)/|x² − 4|", "", true};
  c.domain[0] = Reals();
  c.domain[1] = c.domain[2] = {
      "x ≠ ±2",
      {Iv(Inf(false), N("−2", -2)), Iv(N("−2", -2), N("2", 2)), Iv(N("2", 2), Inf(true))}};
  c.roots[0] = {N("−2", -2), N("2", 2)};
  c.roots[1] = {N("0", 0)};
  c.limits = {{"", Approach::MinusInfinity, Inf(true)}, {"", Approach::PlusInfinity, Inf(true)}};
  c.symmetry.parity = Parity::Even;
  c.values = {{"0", N("4", 4)}, {"−2", N("0", 0)}, {"2", N("0", 0)}};
  return c;
}

Canned ExpOfInverse() {
  Canned c;
  c.funzione = "e^(1/x)";
  c.f = {"e^(1/x)", "e^{1/x}", true};
  c.d1 = {"−e^(1/x)/x²", "", true};
  c.d2 = {"e^(1/x)(2x + 1)/x^4", "", true};
  const Domain d{"x ≠ 0", {Iv(Inf(false), N("0", 0)), Iv(N("0", 0), Inf(true))}};
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[2] = {N("−1/2", -0.5)};
  c.limits = {{"", Approach::MinusInfinity, N("1", 1)},
              {"0", Approach::Left, N("0", 0)},
              {"0", Approach::Right, Inf(true)},
              {"", Approach::PlusInfinity, N("1", 1)}};
  c.asymptote[0] = c.asymptote[1] = Line{N("0", 0), N("1", 1)};
  c.values = {{"−1/2", N("1/e²", std::exp(-2.0))}};
  return c;
}

Canned XMinusTwoArctan() {
  const double pi = M_PI;
  Canned c;
  c.funzione = "x-2atan(x)";
  c.f = {"x − 2arctg(x)", "", true};
  c.d1 = {"(x² − 1)/(x² + 1)", "", true};
  c.d2 = {"4x/(x² + 1)²", "", true};
  c.domain[0] = c.domain[1] = c.domain[2] = Reals();
  c.roots[0] = {Near("≈ −2.331122370", -2.3311223704144226), N("0", 0),
                Near("≈ 2.331122370", 2.3311223704144226)};
  c.roots[1] = {N("−1", -1), N("1", 1)};
  c.roots[2] = {N("0", 0)};
  c.limits = {{"", Approach::MinusInfinity, Inf(false)}, {"", Approach::PlusInfinity, Inf(true)}};
  c.asymptote[0] = Line{N("1", 1), N("π", pi)};
  c.asymptote[1] = Line{N("1", 1), N("−π", -pi)};
  c.symmetry.parity = Parity::Odd;
  c.values = {{"0", N("0", 0)}, {"−1", N("π/2 − 1", pi / 2 - 1)}, {"1", N("1 − π/2", 1 - pi / 2)}};
  return c;
}

Canned Sine() {
  const double pi = M_PI;
  Canned c;
  c.funzione = "sin(x)";
  c.f = {"sin(x)", "\\sin x", true};
  c.d1 = {"cos(x)", "\\cos x", true};
  c.d2 = {"−sin(x)", "-\\sin x", true};
  c.domain[0] = c.domain[1] = c.domain[2] = Reals();
  c.roots[0] = {N("0", 0), N("π", pi)};
  c.roots[1] = {N("π/2", pi / 2), N("3π/2", 3 * pi / 2)};
  c.roots[2] = {N("0", 0), N("π", pi)};
  c.symmetry = {Parity::Odd, N("2π", 2 * pi, "2\\pi")};
  c.values = {{"0", N("0", 0)},
              {"π", N("0", 0)},
              {"π/2", N("1", 1)},
              {"3π/2", N("−1", -1)},
              {"2π", N("0", 0)}};
  return c;
}

// The engine may answer the domain of a periodic f inside its period.
Canned SineInPeriod() {
  Canned c = Sine();
  c.domain[0] = c.domain[1] =
      c.domain[2] = {"0 ≤ x < 2π", {Iv(N("0", 0), N("2π", 2 * M_PI), true)}};
  return c;
}

// A periodic f with a pole at the start of its period: T is a pole too.
Canned Cosecant() {
  const double pi = M_PI;
  Canned c;
  c.funzione = "1/sin(x)";
  c.f = {"1/sin(x)", "", true};
  c.d1 = {"−cos(x)/sin(x)²", "", true};
  c.d2 = {"(2 − sin(x)²)/sin(x)³", "", true};
  const Domain d{"0 < x < π ∨ π < x < 2π",
                 {Iv(N("0", 0), N("π", pi)), Iv(N("π", pi), N("2π", 2 * pi))}};
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[1] = {N("π/2", pi / 2), N("3π/2", 3 * pi / 2)};
  c.limits = {{"0", Approach::Right, Inf(true)},
              {"π", Approach::Left, Inf(true)},
              {"π", Approach::Right, Inf(false)},
              {"2π", Approach::Left, Inf(false)}};
  c.symmetry = {Parity::Odd, N("2π", 2 * pi, "2\\pi")};
  c.values = {{"π/2", N("1", 1)}, {"3π/2", N("−1", -1)}};
  return c;
}

// tg(x): the engine answers inside [0; π[, the sheet studies the branch ]−π/2; π/2[.
Canned Tangent() {
  const double pi = M_PI;
  Canned c;
  c.funzione = "tan(x)";
  c.f = {"tg(x)", "", true};
  c.d1 = {"tg(x)² + 1", "", true};
  c.d2 = {"2tg(x)³ + 2tg(x)", "", true};
  Domain d{"0 ≤ x < π/2 ∨ π/2 < x < π",
           {Iv(N("0", 0), N("π/2", pi / 2)), Iv(N("π/2", pi / 2), N("π", pi))}};
  d.intervals[0].closedLeft = true;
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[0] = {N("0", 0)};
  c.roots[2] = {N("0", 0)};
  c.limits = {{"π/2", Approach::Left, Inf(true)}, {"−π/2", Approach::Right, Inf(false)}};
  c.symmetry = {Parity::Odd, N("π", pi, "\\pi")};
  c.values = {{"0", N("0", 0)}};
  return c;
}

// The engine answers a non-elementary f numerically; a line its far values seem to follow at
// whole abscissas is no asymptote.
Canned StepWithNumericLine() {
  Canned c;
  c.funzione = "INT(x)+0.5";
  c.f = {"INT(x)+0.5", "", false};
  c.domain[0] = Reals();
  c.asymptote[0] = c.asymptote[1] =
      Line{testing::Near("≈ 1.000000000", 1), testing::Near("≈ 0.5000000000", 0.5)};
  return c;
}

struct Row {
  const char* what;  // the fault the row would catch
  Canned canned;
  std::vector<std::pair<SectionId, std::string>> present;  // lines the sheet must hold
  std::vector<std::pair<SectionId, std::string>> absent;   // texts it must not hold
};

std::string Lines(const Sheet& s, SectionId id) {
  std::string out;
  for (const std::string& l : SectionLines(s, id)) out += l + "\n";
  return out;
}

TEST(Sheet, TextbookFunctions) {
  using S = SectionId;
  const std::vector<Row> rows = {
      {"closed domain ends: extrema at the ends, absolute; not differentiable at the ends",
       HalfCircle(),
       {{S::Domain, "D = [−2; 2]\n"},
        {S::Parity, "pari"},
        {S::Intercepts, "(0; 2)\n(−2; 0)\n(2; 0)\n"},
        {S::Sign, "f > 0 in ]−2; 2[\n"},
        {S::Limits, "nessun limite"},
        {S::Derivative, "f non è derivabile in x = −2 e x = 2"},
        {S::Monotonicity, "crescente in [−2; 0[\ndecrescente in ]0; 2]\n"},
        {S::Extrema,
         "minimo relativo e assoluto (−2; 0)\nmassimo relativo e assoluto (0; 2)\n"
         "minimo relativo e assoluto (2; 0)\n"}},
       {{S::Limits, "lim x"}}},
      {"corners: extrema where the trend changes, no inflection at a corner",
       AbsParabola(),
       {{S::Derivative, "f non è derivabile in x = −2 e x = 2"},
        {S::Monotonicity, "crescente in ]−2; 0[ e ]2; +∞[\ndecrescente in ]−∞; −2[ e ]0; 2[\n"},
        {S::Extrema,
         "minimo relativo e assoluto (−2; 0)\nmassimo relativo (0; 4)\n"
         "minimo relativo e assoluto (2; 0)\n"},
        {S::Concavity,
         "concava verso l'alto in ]−∞; −2[ e ]2; +∞[\nconcava verso il basso in ]−2; 2[\n"},
        {S::Inflections, "nessun flesso"},
        {S::Asymptotes, "nessun asintoto"}},
       {}},
      {"one-sided vertical asymptote, horizontal on both sides, no zeros",
       ExpOfInverse(),
       {{S::Intercepts, "nessuna intersezione con gli assi"},
        {S::Sign, "f > 0 in ]−∞; 0[ e ]0; +∞[\n"},
        {S::Limits,
         "lim x→−∞ f(x) = 1\nlim x→0⁻ f(x) = 0⁺\nlim x→0⁺ f(x) = +∞\nlim x→+∞ f(x) = 1\n"
         "x = 0: discontinuità di seconda specie\n"},
        {S::Asymptotes,
         "asintoto verticale x = 0 (da destra)\n"
         "asintoto orizzontale y = 1 (per x → −∞, grafico sotto l'asintoto)\n"
         "asintoto orizzontale y = 1 (per x → +∞, grafico sopra l'asintoto)\n"},
        {S::Monotonicity, "decrescente in ]−∞; 0[ e ]0; +∞[\n"},
        {S::Extrema, "nessun massimo né minimo"},
        {S::Concavity,
         "concava verso l'alto in ]−1/2; 0[ e ]0; +∞[\nconcava verso il basso in ]−∞; −1/2[\n"},
        {S::Inflections, "flesso (−1/2; 1/e²)\n"}},
       {{S::Asymptotes, "entrambi"}}},
      {"oblique asymptotes with a transcendental q; zeros found only numerically",
       XMinusTwoArctan(),
       {{S::Parity, "dispari"},
        {S::Intercepts, "(0; 0)\n(≈ −2.331122370; 0)\n(≈ 2.331122370; 0)\n"},
        {S::Asymptotes,
         "asintoto obliquo y = x + π (per x → −∞, grafico sotto l'asintoto)\n"
         "asintoto obliquo y = x − π (per x → +∞, grafico sopra l'asintoto)\n"},
        {S::Extrema, "massimo relativo (−1; π/2 − 1)\nminimo relativo (1; 1 − π/2)\n"},
        {S::Inflections, "flesso (0; 0)\n"}},
       {{S::Inflections, "tangente"}}},
      {"inflection with horizontal tangent; neighbours of one trend are one interval",
       Cube(),
       {{S::Monotonicity, "crescente in ]−∞; +∞[\n"},
        {S::Extrema, "nessun massimo né minimo"},
        {S::Concavity, "concava verso l'alto in ]0; +∞[\nconcava verso il basso in ]−∞; 0[\n"},
        {S::Inflections, "flesso (0; 0) a tangente orizzontale\n"}},
       {{S::Monotonicity, "decrescente"}}},
      {"periodic: one period [0; T[, no limits at the period's cut",
       Sine(),
       {{S::Parity,
         "dispari: f(−x) = −f(x) per ogni x del dominio\nperiodica di periodo 2π: lo studio che "
         "segue è nel periodo [0; 2π[\n"},
        {S::Intercepts, "(0; 0)\n(π; 0)\n"},
        {S::Sign, "f > 0 in ]0; π[\nf < 0 in ]π; 2π[\n"},
        {S::Limits, "nessun limite"},
        {S::Monotonicity, "crescente in [0; π/2[ e ]3π/2; 2π[\ndecrescente in ]π/2; 3π/2[\n"},
        {S::Extrema,
         "massimo relativo e assoluto (π/2; 1)\nminimo relativo e assoluto (3π/2; −1)\n"},
        {S::Inflections, "flesso (0; 0)\nflesso (π; 0)\n"}},
       {{S::Asymptotes, "asintoto verticale"}, {S::Extrema, "(0;"}}},
      {"periodic, the engine's domain inside the period: 0 is no end of D",
       SineInPeriod(),
       {{S::Extrema,
         "massimo relativo e assoluto (π/2; 1)\nminimo relativo e assoluto (3π/2; −1)\n"},
        {S::Inflections, "flesso (0; 0)\nflesso (π; 0)\n"}},
       {{S::Extrema, "(0;"}}},
      {"not elementary: says why, finds numerically, claims no trend across a jump",
       Step(),
       {{S::Function, "Nessuno studio esatto (funzione non elementare: INT)"},
        {S::Domain, "D = ]−∞; +∞[\n"},
        {S::Parity, "né pari né dispari"},
        {S::Intercepts, "(0; ≈ 0.5000000000)\n"},
        {S::Sign, "f > 0 in ]≈ 0.000000000; +∞[\nf < 0 in ]−∞; ≈ 0.000000000[\n"},
        {S::Derivative, "non determinato: funzione non elementare: INT"},
        {S::Monotonicity, "non determinato: f ha un salto"},
        {S::Extrema, "non determinato"}},
       {{S::Monotonicity, "costante"}}},
      {"periodic with a pole at 0: the limit at T, the pole at T",
       Cosecant(),
       {{S::Limits,
         "lim x→0⁺ f(x) = +∞\nlim x→π⁻ f(x) = +∞\nlim x→π⁺ f(x) = −∞\nlim x→2π⁻ f(x) = −∞\n"},
        {S::Extrema, "minimo relativo (π/2; 1)\nmassimo relativo (3π/2; −1)\n"}},
       {{S::Extrema, "assoluto"}}},
      {"periodic with poles: the branch between two poles, every period written",
       Tangent(),
       {{S::Domain, "x ≠ π/2 + kπ, k ∈ ℤ\nnel periodo studiato ]−π/2; π/2[: D = ]−π/2; π/2[\n"},
        {S::Intercepts, "(0; 0)\nzeri in ogni periodo: x = kπ, k ∈ ℤ\n"},
        {S::Limits, "lim x→−π/2⁺ f(x) = −∞\nlim x→π/2⁻ f(x) = +∞\n"},
        {S::Asymptotes, "asintoti verticali in ogni periodo: x = π/2 + kπ, k ∈ ℤ"},
        {S::Monotonicity, "crescente in ]−π/2; π/2[\n"},
        {S::Inflections, "flesso (0; 0)\n"}},
       {{S::Limits, "π⁻"}, {S::Derivative, "non è derivabile"}}},
      {"a step function follows no line",
       StepWithNumericLine(),
       {{S::Asymptotes, "nessun asintoto"}},
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CannedEngine engine(row.canned);
    const Sheet sheet = BuildSheet(engine, row.canned.funzione);
    for (const auto& [id, text] : row.present) {
      EXPECT_NE(Lines(sheet, id).find(text), std::string::npos) << SectionName(id) << ":\n"
                                                                << Lines(sheet, id) << "expected:\n"
                                                                << text;
    }
    for (const auto& [id, text] : row.absent) {
      EXPECT_EQ(Lines(sheet, id).find(text), std::string::npos) << SectionName(id) << ":\n"
                                                                << Lines(sheet, id);
    }
  }
}

// --- hostile ---------------------------------------------------------------------------------

TEST(Sheet, RejectedFormulaGivesTheReasonAndNothingElse) {
  const std::pair<const char*, const char*> rows[] = {
      {"", "Errore nella formula: Formula vuota"},
      {"sen2(x)", "Errore nella formula: Nome sconosciuto «sen2» (colonna 1)"},
      {"(x+1", "Errore nella formula: Parentesi non chiusa (colonna 1)"},
  };
  for (const auto& [formula, reason] : rows) {
    CannedEngine engine(testing::WorkedExample());
    const Sheet sheet = BuildSheet(engine, formula);
    EXPECT_EQ(sheet.rejected, reason);
    EXPECT_EQ(engine.questions, 0) << "a rejected formula is not sent to the engine";
    for (const std::string& e : Events(sheet)) {
      EXPECT_NE(e.find(std::string("\"undetermined\":true,\"reason\":\"") + reason + "\""),
                std::string::npos)
          << e;
    }
    EXPECT_TRUE(sheet.table.xs.empty());
    EXPECT_TRUE(sheet.points.empty());
  }
}

// An engine that does not answer: the study is numerical, and no number is called exact but
// the infinities and the origin.
TEST(Sheet, NoEngineNoExactClaims) {
  struct Case {
    const char* what;
    std::unique_ptr<ExactEngine> engine;
    std::string reason;
  };
  const std::string unavailable = "motore di calcolo esatto non disponibile";
  Canned timesOut = testing::WorkedExample();
  timesOut.noStudy = "-";
  timesOut.noStudyWhy = Reason::TimeUp;
  Canned noHelper = testing::WorkedExample();
  noHelper.helperDown = true;
  std::vector<Case> cases;
  cases.push_back(
      {"f written, helper missing", std::make_unique<CannedEngine>(noHelper), unavailable});
  cases.push_back({"missing", MakeUnavailableEngine(), unavailable});
  cases.push_back(
      {"times out", std::make_unique<CannedEngine>(timesOut), "non determinato: tempo scaduto"});
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Sheet sheet = BuildSheet(*c.engine, "(x^2-1)/(x-2)");
    EXPECT_FALSE(sheet.function.data.exact);
    EXPECT_EQ(sheet.function.data.reason, c.reason);
    if (auto* canned = dynamic_cast<CannedEngine*>(c.engine.get())) {
      EXPECT_LE(canned->questions, 2) << "a helper that is missing or timed out is not asked again";
    }
    // The pole is found although no sample lands on it.
    EXPECT_EQ(Lines(sheet, SectionId::Domain), "D = ]−∞; ≈ 2.000000000[ ∪ ]≈ 2.000000000; +∞[\n");
    EXPECT_NE(Lines(sheet, SectionId::Intercepts).find("(≈ −1.000000000; 0)\n(≈ 1.000000000; 0)"),
              std::string::npos)
        << Lines(sheet, SectionId::Intercepts);
    EXPECT_NE(
        Lines(sheet, SectionId::Extrema).find("massimo relativo (≈ 0.2679491924; ≈ 0.5358983849)"),
        std::string::npos)
        << Lines(sheet, SectionId::Extrema);
    for (const std::string& e : Events(sheet)) {
      for (std::size_t at = e.find("\"exact\":true"); at != std::string::npos;
           at = e.find("\"exact\":true", at + 1)) {
        const std::size_t text = e.rfind("{\"text\":", at);
        const std::string number = e.substr(text, at - text);
        EXPECT_TRUE(number.find("\"text\":\"0\"") != std::string::npos ||
                    number.find("∞") != std::string::npos)
            << number;
      }
    }
  }
}

// Answers that our evaluator refuses are not shown as exact.
TEST(Sheet, WrongAnswersAreNotShownAsExact) {
  Canned c = testing::WorkedExample();
  c.roots[0] = {N("−1", -1), N("3/2", 1.5)};       // 3/2 is no zero
  c.values[0] = {"0", N("1/3", 1.0 / 3)};          // f(0) is 1/2
  c.d2 = {"7/(x − 2)³", "", true};                 // not f″
  c.limits[1] = {"2", Approach::Left, Inf(true)};  // it is −∞
  c.asymptote[1] = Line{N("1", 1), N("3", 3)};     // q is 2
  CannedEngine engine(c);
  const Sheet s = BuildSheet(engine, c.funzione);
  EXPECT_NE(Lines(s, SectionId::Intercepts).find("(0; ≈ 0.5000000000)"), std::string::npos);
  EXPECT_NE(Lines(s, SectionId::Intercepts).find("(≈ 1.500000000; 0)"), std::string::npos);
  EXPECT_NE(Lines(s, SectionId::SecondDerivative).find("non determinato"), std::string::npos);
  EXPECT_NE(Lines(s, SectionId::Limits).find("lim x→2⁻ f(x) = −∞"), std::string::npos)
      << Lines(s, SectionId::Limits);
  EXPECT_EQ(Lines(s, SectionId::Asymptotes).find("y = x + 3"), std::string::npos);
  EXPECT_NE(Lines(s, SectionId::Concavity).find("concava verso il basso in ]−∞; 2["),
            std::string::npos)
      << "the signs of f″ come from our own difference quotients";
}

// Propose, confirm, never drop: each row a class of fault of answers the values must judge.
TEST(Sheet, AnswersConfirmedRefutedOrMarkedNeverDropped) {
  const Number x3 = N("3", 3);
  Canned ln3;  // slow divergence at a finite end: |f| never passes 10³ near 3⁺
  ln3.funzione = "ln(x-3)";
  ln3.f = {"ln(x − 3)", "", true};
  ln3.d1 = {"1/(x − 3)", "", true};
  ln3.d2 = {"−1/(x − 3)²", "", true};
  ln3.domain[0] = ln3.domain[1] = ln3.domain[2] = Domain{"x > 3", {Iv(x3, Inf(true))}};
  ln3.roots[0] = {N("4", 4)};
  ln3.limits = {{"3", Approach::Right, Inf(false)}, {"", Approach::PlusInfinity, Inf(true)}};

  Canned farOut;  // the engine's own line test found no values beyond e^x's overflow
  farOut.funzione = "x/(1+e^x)";
  farOut.f = {"x/(1 + e^x)", "", true};
  farOut.domain[0] = Reals();
  farOut.roots[0] = {N("0", 0)};
  farOut.limits = {{"", Approach::MinusInfinity, Inf(false)},
                   {"", Approach::PlusInfinity, N("0", 0)}};
  farOut.asymptote[0] = Line{N("1", 1), N("0", 0)};

  Canned slow;  // 1/ln(x) approaches 0 too slowly to confirm, too steadily to refute
  slow.funzione = "1/ln(x)";
  slow.f = {"1/ln(x)", "", true};
  slow.domain[0] = Domain{"x > 0 ∧ x ≠ 1", {Iv(N("0", 0), N("1", 1)), Iv(N("1", 1), Inf(true))}};
  slow.limits = {{"0", Approach::Right, N("0", 0)},
                 {"1", Approach::Left, Inf(false)},
                 {"1", Approach::Right, Inf(true)},
                 {"", Approach::PlusInfinity, N("0", 0)}};

  Canned wrong = ln3;  // the engine's +∞ at 3⁺ is refuted, and the values show no other value
  wrong.limits = {{"3", Approach::Right, Inf(true)}, {"", Approach::PlusInfinity, Inf(true)}};

  Canned none;  // no answer and no settled values: said, not dropped
  none.funzione = "x*sin(x)";
  none.f = {"x·sin(x)", "", true};
  none.domain[0] = Reals();

  struct Row {
    const char* what;
    Canned canned;
    SectionId id;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } rows[] = {
      {"slow divergence at 3⁺ kept", ln3, SectionId::Limits, {"lim x→3⁺ f(x) = −∞"}, {"nessun"}},
      {"its vertical asymptote", ln3, SectionId::Asymptotes, {"asintoto verticale x = 3"}, {}},
      {"a finite limit at +∞ gives y = 0 though the engine has no line there",
       farOut,
       SectionId::Asymptotes,
       {"asintoto orizzontale y = 0 (per x → +∞", "asintoto obliquo y = x (per x → −∞)"},
       {}},
      {"an unconfirmed limit shown as given, marked",
       slow,
       SectionId::Limits,
       {"lim x→+∞ f(x) = 0⁺ (non verificato)", "lim x→1⁺ f(x) = +∞\n"},
       {}},
      {"a refuted limit is not shown; slow growth alone claims no other: said why",
       wrong,
       SectionId::Limits,
       {"lim x→3⁺ f(x): non determinato: i valori di f contraddicono"},
       {"= +∞\nlim"}},
      {"a limit not found says why",
       none,
       SectionId::Limits,
       {"lim x→−∞ f(x): non determinato", "lim x→+∞ f(x): non determinato"},
       {}},
  };
  for (const Row& r : rows) {
    CannedEngine engine(r.canned);
    const Sheet sheet = BuildSheet(engine, r.canned.funzione);
    const std::string lines = Lines(sheet, r.id);
    for (const std::string& t : r.present)
      EXPECT_NE(lines.find(t), std::string::npos) << r.what << ":\n" << lines;
    for (const std::string& t : r.absent)
      EXPECT_EQ(lines.find(t), std::string::npos) << r.what << ":\n" << lines;
  }
  // The trace says which number was not checked.
  CannedEngine engine(slow);
  const std::string event = StudyEvent(BuildSheet(engine, slow.funzione), SectionId::Limits);
  EXPECT_NE(event.find("\"exact\":true,\"checked\":false"), std::string::npos) << event;
}

// The domain: the engine's checked against the conditions of existence and a dense sample.
TEST(Sheet, DomainCheckedAgainstTheConditions) {
  Canned forgets;  // the engine's domain forgets the point where x + 1 = 0
  forgets.funzione = "atan((x-1)/(x+1))";
  forgets.f = {"arctg((x − 1)/(x + 1))", "", true};
  forgets.domain[0] = Reals();
  forgets.existence = std::vector<ExistenceCondition>{{"1/(x + 1)", "x + 1", true}};
  forgets.guardDomains = {
      {"1/(x + 1)", Domain{"x ≠ −1", {Iv(Inf(false), N("−1", -1)), Iv(N("−1", -1), Inf(true))}}}};

  Canned overflows;  // f overflows a double outside [−0.43; 0.43]: that is no gap of D
  overflows.funzione = "(x+1)^2000-(x-1)^2000";
  overflows.f = {"(x + 1)^2000 − (x − 1)^2000", "", true};
  overflows.domain[0] = Reals();
  overflows.existence = std::vector<ExistenceCondition>{};

  Canned guardOverflows;  // 1 + e^x itself overflows beyond 709.78: the condition still holds
  guardOverflows.funzione = "x/(1+exp(x))";
  guardOverflows.f = {"x/(1 + e^x)", "", true};
  guardOverflows.domain[0] = Reals();
  guardOverflows.existence = std::vector<ExistenceCondition>{{"1/(1 + e^x)", "1 + e^x", true}};

  Canned unread = overflows;  // without the conditions an overflow cannot be told from a gap
  unread.existence.reset();

  struct Row {
    const char* what;
    Canned canned;
    SectionId id;
    std::string present;
  } rows[] = {
      {"the point the engine forgot", forgets, SectionId::Domain,
       "x ≠ −1\nD = ]−∞; −1[ ∪ ]−1; +∞["},
      {"limits at the point it forgot", forgets, SectionId::Limits, "lim x→−1⁻ f(x)"},
      {"overflow inside D", overflows, SectionId::Domain, "D = ]−∞; +∞["},
      {"a condition whose own expression overflows", guardOverflows, SectionId::Domain,
       "D = ]−∞; +∞["},
      {"the sign where f overflows is not 0", overflows, SectionId::Sign, "non determinato"},
      {"nor is the concavity \"né concava né convessa\"", overflows, SectionId::Concavity,
       "non determinato"},
      {"conditions unknown: the values decide, as before", unread, SectionId::Domain, "≈ 0.4"},
  };
  for (const Row& r : rows) {
    CannedEngine engine(r.canned);
    const std::string lines = Lines(BuildSheet(engine, r.canned.funzione), r.id);
    EXPECT_NE(lines.find(r.present), std::string::npos) << r.what << ":\n" << lines;
  }
}

// The sheet's time is bounded whatever the engine does: once the budget is spent no question
// is asked, and what is left is found numerically or said "tempo scaduto".
TEST(Sheet, BudgetBoundsTheQuestions) {
  struct Row {
    const char* what;
    int answerMs;
    int mostQuestions;  // asked before the budget of 4 s is spent
    bool timeUp;        // some section says "tempo scaduto"
  } rows[] = {
      {"a quick engine is asked everything", 0, 1000, false},
      {"an engine 1.5 s a question: three questions, then numbers", 1500, 3, true},
      {"an engine slower than the whole budget: one question", 10000, 1, true},
  };
  for (const Row& r : rows) {
    CannedEngine engine(testing::WorkedExample());
    engine.answerTime = std::chrono::milliseconds(r.answerMs);
    SheetBudget budget;
    budget.clock = [&] { return engine.now; };
    const Sheet sheet = BuildSheet(engine, "(x^2-1)/(x-2)", nullptr, nullptr, budget);
    EXPECT_LE(engine.questions, r.mostQuestions) << r.what;
    std::string all;
    for (int i = 0; i < kSectionCount; ++i) all += Lines(sheet, SectionId(i));
    EXPECT_EQ(all.find("tempo scaduto") != std::string::npos, r.timeUp) << r.what << "\n" << all;
    // The numbers still come: the limits from the values approaching.
    EXPECT_NE(Lines(sheet, SectionId::Limits).find("⁺ f(x) = +∞"), std::string::npos)
        << r.what << "\n"
        << Lines(sheet, SectionId::Limits);
    EXPECT_FALSE(engine.timeLeft.has_value()) << "the engine's bound is lifted after the sheet";
  }
}

}  // namespace
}  // namespace curvalis::study
