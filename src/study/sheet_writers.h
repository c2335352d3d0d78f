// The sheet written out: one trace event per section, a Markdown document and a standalone
// LaTeX document (the table with tkz-tab, the graph as a TikZ picture). Standard C++ only.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "study/sheet.h"

namespace curvalis::study {

// The trace event of one section: {"op":"study","section":"domain",...}, or
// {"op":"study","section":NAME,"undetermined":true,"reason":TEXT}.
std::string StudyEvent(const Sheet& sheet, SectionId id);

// The graph beside a Markdown document: the file's name as the document links it, or, when
// it could not be written, why.
struct MarkdownGraph {
  std::string file;    // "studio.svg", relative to the document
  std::string reason;  // set when there is no file
};

// The sheet as Markdown: a heading per section, the values in the student notation, the table
// as a Markdown table, the graph as a link to `graph.file` (or the reason it is missing).
std::string SheetMarkdown(const Sheet& sheet, const MarkdownGraph& graph = {});

// The sheet as a LaTeX document that pdflatex compiles (packages: amsmath, amssymb, tkz-tab,
// tikz, lmodern): every value, interval, limit and point in math mode, the table with tkz-tab,
// the graph drawn with TikZ from the same layout as the PDF's.
std::string SheetLatex(const Sheet& sheet);

// The working of one section ("Svolgimento" and its lines, numbered), for the Markdown and the
// LaTeX documents; empty when the section has none. The LaTeX sets each line in math mode.
std::string WorkingMarkdown(const std::vector<Step>& steps);
std::string WorkingLatex(const std::vector<Step>& steps);

// The sign chart of Segno ("Schema del segno"): a Markdown table, and a tkz-tab picture with
// a sign row for each factor; empty when the sheet has no chart.
std::string SignChartMarkdown(const SignChart& chart);
std::string SignChartLatex(const SignChart& chart);

// A line for each of `kinds` that some intervals of `items` have (`kindOf` tells an item's):
// its head, then those intervals, each written by `text`, joined ("f > 0 in ]−∞; 1[ e ]2; +∞[").
template <typename Item, typename KindOf, typename Text>
void KindLines(
    const std::vector<Item>& items, KindOf kindOf,
    std::initializer_list<std::pair<std::invoke_result_t<KindOf, const Item&>, std::string>> kinds,
    Text text, std::vector<std::string>& lines) {
  for (const auto& [kind, head] : kinds) {
    std::vector<std::string> parts;
    for (const Item& i : items) {
      if (kindOf(i) == kind) parts.push_back(text(i.range));
    }
    if (!parts.empty()) lines.push_back(head + JoinItalian(parts));
  }
}

// A text of the sheet for LaTeX's text mode: the characters special to LaTeX escaped (the
// student notation's symbols are declared in the document's preamble).
std::string LatexText(std::string_view text);

// A text in the student notation for LaTeX's math mode, without the dollars: "x ≠ −1 ∧ x ≠ 1"
// is "x \neq -1 \wedge x \neq 1", "e^(−x)·(x² − 3)" is "e^{-x} \cdot (x^{2} - 3)".
std::string StudentLatex(std::string_view text);

// A number, a point and a line for math mode, from the engine's LaTeX where it wrote one.
std::string NumberLatex(const Number& n);
// A sign row of a tkz-tab table over n columns: the sign at each column ("t", "z", "d") and on
// each interval after it ("+", "-", "0", "h"); "?" on the intervals when `has` is false.
std::string TkzSignLine(std::size_t n, bool has, const std::vector<Sign>& at,
                        const std::vector<Sign>& on);
std::string PointLatex(const Point& p);
std::string LineLatex(const Number& m, const Number& q);

// True when some value the sheet shows is not exact (written with "≈").
bool SheetHasApproximations(const Sheet& sheet);

}  // namespace curvalis::study
