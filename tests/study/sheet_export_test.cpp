// The sheet written out: Markdown read back section by section, LaTeX compiled by pdflatex and
// read back by pdftotext (both are installed by scripts/deps.sh; the LaTeX case is skipped only
// on a machine without them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "study/canned_engine.h"
#include "study/sheet.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

namespace fs = std::filesystem;
using testing::Canned;
using testing::CannedEngine;
using testing::Cube;
using testing::Inf;
using testing::Iv;
using testing::N;
using testing::Near;
using testing::Reals;
using testing::Step;

Sheet Build(const Canned& c) {
  CannedEngine engine(c);
  return BuildSheet(engine, c.funzione);
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every heading in the order of the sheet, each followed by its lines as bullets, then the
// table: the Markdown says what the sheet says.
TEST(SheetExport, MarkdownReadsBackAsTheSheet) {
  const Sheet sheet = Build(testing::WorkedExample());
  const std::string md = SheetMarkdown(sheet);
  std::istringstream in(md);
  std::vector<std::string> headings;
  std::map<std::string, std::vector<std::string>> bullets;
  std::vector<std::string> tableRows;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) {
      headings.push_back(line.substr(3));
    } else if (line.rfind("- ", 0) == 0 && !headings.empty()) {
      bullets[headings.back()].push_back(line.substr(2));
    } else if (line.rfind("|", 0) == 0) {
      tableRows.push_back(line);
    }
  }
  ASSERT_EQ(headings.size(), std::size_t(kSectionCount + 2));
  for (int i = 0; i < kSectionCount; ++i) {
    EXPECT_EQ(headings[i], SectionTitle(SectionId(i)));
    EXPECT_EQ(bullets[headings[i]], SectionLines(sheet, SectionId(i))) << headings[i];
  }
  EXPECT_EQ(bullets["Dominio"], (std::vector<std::string>{"x ≠ 2", "D = ]−∞; 2[ ∪ ]2; +∞["}));
  ASSERT_EQ(tableRows.size(), 5u) << md;  // x, the rule, f′, f″, f
  EXPECT_EQ(tableRows[0], "| x | −∞ |  | 2 − √3 |  | 2 |  | 2 + √3 |  | +∞ |");
  EXPECT_EQ(tableRows[4], "| f(x) | −∞ | ↗ | 4 − 2√3 | ↘ | −∞ ‖ +∞ | ↘ | 4 + 2√3 | ↗ | +∞ |");
  EXPECT_NE(md.find("(2 − √3; 4 − 2√3)"), std::string::npos);
  // The heading is f as the sheet writes it, not the formula as typed.
  EXPECT_EQ(md.rfind("# Studio di funzione\n\nf(x) = (x² − 1)/(x − 2)\n", 0), 0u) << md;
}

TEST(SheetExport, MarkdownOfARejectedFormulaIsTheReasonOnly) {
  CannedEngine engine(testing::WorkedExample());
  const std::string md = SheetMarkdown(BuildSheet(engine, "sen2(x)"));
  EXPECT_NE(md.find("Errore nella formula: Nome sconosciuto «sen2» (colonna 1)"),
            std::string::npos);
  EXPECT_EQ(md.find("## "), std::string::npos) << md;
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

Canned Root() {
  Canned c;
  c.funzione = "sqrt(x)";
  c.f = {"√x", "\\sqrt{x}", true};
  c.d1 = {"1/(2√x)", "\\frac{1}{2\\sqrt{x}}", true};
  c.d2 = {"−1/(4x√x)", "-\\frac{1}{4x\\sqrt{x}}", true};
  c.domain[0] = {"x ≥ 0", {Iv(N("0", 0), Inf(true), true, false)}};
  c.domain[1] = c.domain[2] = {"x > 0", {Iv(N("0", 0), Inf(true))}};
  c.roots[0] = {N("0", 0)};
  c.limits = {{"", Approach::PlusInfinity, Inf(true)}};
  c.values = {{"0", N("0", 0)}};
  return c;
}

Canned ExpOfInverse() {
  Canned c;
  c.funzione = "e^(1/x)";
  c.f = {"e^(1/x)", "e^{1/x}", true};
  c.d1 = {"−e^(1/x)/x²", "-\\frac{e^{1/x}}{x^2}", true};
  c.d2 = {"e^(1/x)(2x + 1)/x^4", "\\frac{e^{1/x}(2x+1)}{x^4}", true};
  const Domain d{"x ≠ 0", {Iv(Inf(false), N("0", 0)), Iv(N("0", 0), Inf(true))}};
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[2] = {N("−1/2", -0.5, "-\\frac{1}{2}")};
  c.limits = {{"", Approach::MinusInfinity, N("1", 1)},
              {"0", Approach::Left, N("0", 0)},
              {"0", Approach::Right, Inf(true)},
              {"", Approach::PlusInfinity, N("1", 1)}};
  c.asymptote[0] = c.asymptote[1] = Line{N("0", 0), N("1", 1)};
  c.values = {{"−1/2", N("1/e²", std::exp(-2.0), "\\frac{1}{e^2}")}};
  return c;
}

// The LaTeX document compiles with pdflatex, with its tkz-tab table, and the PDF holds the
// values: a pole with its two limits, a value on a rising arrow, a closed end, a function with
// no table.
TEST(SheetExport, LatexCompilesAndHoldsTheValues) {
  if (!Have("pdflatex") || !Have("pdftotext")) GTEST_SKIP() << "pdflatex or pdftotext missing";
  struct Row {
    const char* name;
    Canned canned;
    std::vector<std::string> texts;  // what pdftotext must find
    bool approximate;                // some value is written with "≈": the note says so
  };
  const std::string note = "calcolati numericamente (10 cifre";
  const std::vector<Row> rows = {
      {"worked",
       testing::WorkedExample(),
       {"D = ]−∞; 2[ ∪ ]2; +∞[", "Dominio", "massimo relativo (2 −", "Asintoti", "Flessi",
        "nessun flesso", "Grafico", "y = x + 2"},
       false},
      {"cube", Cube(), {"a tangente orizzontale", "crescente in"}, false},
      {"root", Root(), {"[0; +∞[", "non è derivabile in x = 0"}, false},
      {"exp", ExpOfInverse(), {"asintoto verticale x = 0 (da destra)", "flesso"}, false},
      {"step", Step(), {"Nessuno studio esatto", "INT(x) + 0.5", "non determinata", note}, true},
      // The domain's "∧" is set as a symbol; the graph names its asymptotes.
      {"cubic", testing::CubicOverSquare(), {"∧", "x = −1", "y = x"}, false},
  };
  const fs::path dir = fs::path(CURVALIS_TEST_OUT);
  fs::create_directories(dir);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path tex = dir / (std::string(row.name) + ".tex");
    {
      std::ofstream out(tex, std::ios::binary | std::ios::trunc);
      out << SheetLatex(Build(row.canned));
    }
    const std::string cmd = "cd '" + dir.string() +
                            "' && pdflatex -interaction=nonstopmode -halt-on-error '" +
                            tex.filename().string() + "' > '" + row.name + ".out' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadText(dir / (std::string(row.name) + ".log"));
    const fs::path txt = dir / (std::string(row.name) + ".txt");
    ASSERT_EQ(
        std::system(("pdftotext -enc UTF-8 '" + (dir / (std::string(row.name) + ".pdf")).string() +
                     "' '" + txt.string() + "'")
                        .c_str()),
        0);
    const std::string text = ReadText(txt);
    for (const std::string& t : row.texts)
      EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
    // Every symbol was set: none missing from the fonts, none written as "?", no formula left
    // as the student typed it (a "^" in the text).
    const std::string log = ReadText(dir / (std::string(row.name) + ".log"));
    EXPECT_EQ(log.find("Missing character"), std::string::npos) << log;
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    EXPECT_EQ(text.find('^'), std::string::npos) << text;
    EXPECT_EQ(text.find(note) != std::string::npos, row.approximate) << text;
  }
}

// The student notation in math mode: each row a symbol or a construct that pdflatex would set
// wrongly or not at all. The LaTeX is ASCII alone, whatever the text holds.
TEST(SheetExport, StudentTextInMathMode) {
  const std::pair<const char*, const char*> rows[] = {
      {"x ≠ −1 ∧ x ≠ 1", "x \\neq -1 \\wedge x \\neq 1"},
      {"x ≤ −2 ∨ x ≥ 2", "x \\leq -2 \\vee x \\geq 2"},
      {"e^(−x)·(x² − 3)", "e^{-x}\\cdot (x^{2} - 3)"},  // the group's parentheses only delimit
      {"x^(1/2) + x^4", "x^{1/2} + x^{4}"},
      {"√(x² − 1) + 2√3", "\\sqrt{x^{2} - 1} + 2\\sqrt{3}"},
      {"ln(x)/x + log10(x)", "\\ln (x)/x + \\log_{10}(x)"},
      {"arctg(x) + tg(x)", "\\operatorname{arctg}(x) + \\operatorname{tg}(x)"},
      {"INT(x)+0.5", "\\mathrm{INT}(x)+0.5"},
      {"x ≠ π/2 + kπ, k ∈ ℤ", "x \\neq \\pi /2 + k\\pi , k \\in \\mathbb{Z}"},
      {"50% & {x}", "50\\% \\& \\{x\\}"},
      {"x → ☃", "x \\to \\diamond"},
  };
  auto squeeze = [](std::string t) {
    std::string out;
    for (char c : t) {
      if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
      out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  };
  for (const auto& [text, latex] : rows) {
    const std::string got = StudentLatex(text);
    EXPECT_EQ(squeeze(got), latex) << text;
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](char c) { return (c & 0x80) == 0; }))
        << text;
  }
  // The engine's LaTeX is kept; a character that is not ASCII in it is written as a command.
  Number n{"2 − √3", "2-\\sqrt{3}", 0.27, true};
  EXPECT_EQ(NumberLatex(n), "2-\\sqrt{3}");
  n.latex = "−\\frac{1}{2}";
  EXPECT_EQ(NumberLatex(n), "-\\frac{1}{2}");
}

// A value too long for its column of the tkz-tab table would hide the arrows beside it: the
// table keeps to the page's width, and the longest values go under it, named y₁, y₂, ...
TEST(SheetExport, LongValuesLeaveTheTableForItsLegend) {
  const Number longUp = N("(6 + 4√5)·e^(−2 − √5)", 0.3, "(6+4\\sqrt{5})e^{-2-\\sqrt{5}}");
  const Number longDown = N("(6 − 4√5)·e^(√5 − 2)", -3.8, "(6-4\\sqrt{5})e^{\\sqrt{5}-2}");
  struct Row {
    const char* what;
    std::vector<Number> values;  // the f row at the inner columns
    int moved;                   // how many go under the table
  };
  const Row rows[] = {
      {"short values stay", {N("−2", -2, "-2"), N("6/e³", 0.3, "\\frac{6}{e^3}")}, 0},
      {"two long values among short ones",
       {N("−2", -2, "-2"), longDown, N("6/e³", 0.3, "\\frac{6}{e^3}"), longUp},
       2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Sheet s;
    s.tableReady = true;
    VariationTable& t = s.table;
    t.hasD1 = t.hasD2 = true;
    const std::size_t n = row.values.size() + 2;
    t.xs.push_back(Inf(false));
    for (std::size_t i = 0; i < row.values.size(); ++i)
      t.xs.push_back(N(std::to_string(i + 1), double(i + 1)));
    t.xs.push_back(Inf(true));
    t.f.resize(n);
    t.f[0].right = Inf(true);
    t.f[n - 1].left = N("0", 0);
    for (std::size_t i = 0; i < row.values.size(); ++i) {
      t.f[i + 1].value = row.values[i];
      t.f[i + 1].inDomain = true;
    }
    for (std::size_t i = 0; i < n; ++i) {
      t.d1AtPoint.push_back(Sign::Zero);
      t.d2AtPoint.push_back(Sign::Plus);
      if (i + 1 < n) {
        t.d1OnInterval.push_back(i % 2 ? Sign::Plus : Sign::Minus);
        t.d2OnInterval.push_back(Sign::Plus);
        t.arrows.push_back(i % 2 ? Arrow::Up : Arrow::Down);
      }
    }
    const std::string tex = SheetLatex(s);
    double lgt = 0, espcl = 0;
    const std::size_t init = tex.find("\\tkzTabInit[");
    ASSERT_NE(init, std::string::npos);
    ASSERT_EQ(std::sscanf(tex.c_str() + init, "\\tkzTabInit[lgt=%lf,espcl=%lf]", &lgt, &espcl), 2);
    EXPECT_LE(lgt + double(n - 1) * espcl, 17.0) << "wider than the page";
    const std::size_t var = tex.find("\\tkzTabVar{");
    const std::string vars = tex.substr(var, tex.find('\n', var) - var);
    int moved = 0;
    for (const Number& v : row.values) {
      if (vars.find(v.latex) == std::string::npos) ++moved;
    }
    EXPECT_EQ(moved, row.moved) << vars;
    for (int k = 1; k <= row.moved; ++k) {
      EXPECT_NE(vars.find("$y_{" + std::to_string(k) + "}$"), std::string::npos) << vars;
      EXPECT_NE(tex.find("y_{" + std::to_string(k) + "} = "), std::string::npos);
    }
    EXPECT_EQ(tex.find("dove $y_{1}") != std::string::npos, row.moved > 0);
  }
}

// Tables tkz-tab must still set: values passed through on one arrow side by side (each placed
// on the arrow between the nearest columns with a turn), and more columns than the page holds.
TEST(SheetExport, CrowdedTablesCompile) {
  if (!Have("pdflatex")) GTEST_SKIP() << "pdflatex missing";
  struct Row {
    const char* name;
    std::size_t inner;  // columns between −∞ and +∞
    bool rising;        // one rising arrow all through: every inner value passed through
  };
  const Row rows[] = {{"through", 3, true}, {"columns", 40, false}};
  const fs::path dir = fs::path(CURVALIS_TEST_OUT);
  fs::create_directories(dir);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Sheet s;
    s.tableReady = true;
    VariationTable& t = s.table;
    t.hasD1 = t.hasD2 = true;
    const std::size_t n = row.inner + 2;
    t.xs.push_back(Inf(false));
    for (std::size_t i = 0; i < row.inner; ++i)
      t.xs.push_back(Near("≈ " + std::to_string(100 + i) + ".1234567", 100.1234567 + double(i)));
    t.xs.push_back(Inf(true));
    t.f.resize(n);
    t.f[0].right = Inf(false);
    t.f[n - 1].left = Inf(true);
    for (std::size_t i = 0; i < n; ++i) {
      if (i > 0 && i + 1 < n) {
        t.f[i].value = Near("≈ " + std::to_string(i) + ".000000000", double(i));
        t.f[i].inDomain = true;
      }
      t.d1AtPoint.push_back(row.rising ? Sign::Plus : Sign::Zero);
      t.d2AtPoint.push_back(Sign::Zero);
      if (i + 1 < n) {
        const bool up = row.rising || i % 2 == 0;
        t.d1OnInterval.push_back(up ? Sign::Plus : Sign::Minus);
        t.d2OnInterval.push_back(Sign::Plus);
        t.arrows.push_back(up ? Arrow::Up : Arrow::Down);
      }
    }
    const fs::path tex = dir / (std::string("table-") + row.name + ".tex");
    const std::string latex = SheetLatex(s);
    {
      std::ofstream out(tex, std::ios::binary | std::ios::trunc);
      out << latex;
    }
    // Within the page, however many columns: a table far wider is not set at all.
    double lgt = 0, espcl = 0;
    const std::size_t init = latex.find("\\tkzTabInit[");
    ASSERT_NE(init, std::string::npos);
    ASSERT_EQ(std::sscanf(latex.c_str() + init, "\\tkzTabInit[lgt=%lf,espcl=%lf]", &lgt, &espcl),
              2);
    EXPECT_LE(lgt + double(n - 1) * espcl, 17.0);
    const std::string cmd = "cd '" + dir.string() +
                            "' && pdflatex -interaction=nonstopmode -halt-on-error '" +
                            tex.filename().string() + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0)
        << ReadText(dir / (std::string("table-") + row.name + ".log"));
  }
}

}  // namespace
}  // namespace curvalis::study
