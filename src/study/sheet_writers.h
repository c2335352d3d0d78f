// The sheet written out: one trace event per section, a Markdown document and a standalone
// LaTeX document (the table with tkz-tab). Standard C++ only.
#pragma once

#include <string>
#include <string_view>

#include "study/sheet.h"

namespace curvalis::study {

// The trace event of one section: {"op":"study","section":"domain",...}, or
// {"op":"study","section":NAME,"undetermined":true,"reason":TEXT}.
std::string StudyEvent(const Sheet& sheet, SectionId id);

// The sheet as Markdown: a heading per section, the values in the student notation, the table
// as a Markdown table.
std::string SheetMarkdown(const Sheet& sheet);

// The sheet as a LaTeX document that pdflatex compiles (packages: tkz-tab, amssymb).
std::string SheetLatex(const Sheet& sheet);

// The working of one section ("Svolgimento" and its lines, numbered), for the Markdown and the
// LaTeX documents; empty when the section has none. The LaTeX sets each line in math mode.
std::string WorkingMarkdown(const std::vector<Step>& steps);
std::string WorkingLatex(const std::vector<Step>& steps);

// The sign chart of Segno ("Schema del segno"): a Markdown table, and a tkz-tab picture with
// a sign row for each factor; empty when the sheet has no chart.
std::string SignChartMarkdown(const SignChart& chart);
std::string SignChartLatex(const SignChart& chart);

// A text of the sheet for LaTeX's text mode: the characters special to LaTeX escaped (the
// student notation's symbols are declared in the document's preamble).
std::string LatexText(std::string_view text);

}  // namespace curvalis::study
