// The sheet as Markdown.
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

// A cell of a Markdown table: the bar that separates cells is escaped.
std::string Cell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

std::string Table(const Sheet& sheet) {
  const VariationTable& t = sheet.table;
  if (!sheet.tableReady || t.xs.empty()) return "";
  // One column for each point and one for each interval between two points.
  std::vector<std::vector<std::string>> rows = {{"x"}, {"f′(x)"}, {"f″(x)"}, {"f(x)"}};
  for (std::size_t i = 0; i < t.xs.size(); ++i) {
    rows[0].push_back(t.xs[i].text);
    rows[1].push_back(t.hasD1 ? std::string(SignText(t.d1AtPoint[i])) : "?");
    rows[2].push_back(t.hasD2 ? std::string(SignText(t.d2AtPoint[i])) : "?");
    rows[3].push_back(FCellText(t.f[i]));
    if (i + 1 < t.xs.size()) {
      rows[0].push_back("");
      rows[1].push_back(t.hasD1 ? std::string(SignText(t.d1OnInterval[i])) : "?");
      rows[2].push_back(t.hasD2 ? std::string(SignText(t.d2OnInterval[i])) : "?");
      rows[3].push_back(ArrowText(t.arrows[i]));
    }
  }
  std::string out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += "|";
    for (const std::string& c : rows[r]) out += " " + Cell(c) + " |";
    out += "\n";
    if (r == 0) {
      out += "|";
      for (std::size_t c = 0; c < rows[0].size(); ++c) out += c == 0 ? " --- |" : " :---: |";
      out += "\n";
    }
  }
  return out;
}

}  // namespace

std::string SheetMarkdown(const Sheet& sheet, const MarkdownGraph& graph) {
  std::string out = "# " + std::string(kSheetTitle) + "\n\n";
  // f as the sheet writes it; the text as typed only when the sheet has none.
  const FunctionData& f = sheet.function.data;
  out += "f(x) = " + (sheet.function.determined && !f.f.text.empty() ? f.f.text : f.typed) + "\n\n";
  if (!sheet.rejected.empty()) return out + sheet.rejected + "\n";
  for (const SectionId id : kOutline) {
    out += "## " + std::string(SectionTitle(id)) + "\n\n";
    for (const std::string& line : SectionLines(sheet, id)) out += "- " + line + "\n";
    out += "\n";
    if (const SignChart* chart = SectionChart(sheet, id)) out += SignChartMarkdown(*chart);
    out += WorkingMarkdown(SectionSteps(sheet, id));
  }
  out += "## " + std::string(kTableTitle) + "\n\n";
  const std::string table = Table(sheet);
  out += table.empty() ? "non determinata\n" : table;
  if (!graph.file.empty()) {
    out += "\n## " + std::string(kGraphTitle) +
           "\n\n![Grafico di f(x) = " + sheet.function.data.f.text + "](" + graph.file + ")\n";
  } else if (!graph.reason.empty()) {
    out += "\n## " + std::string(kGraphTitle) +
           "\n\nIl grafico non è stato scritto: " + graph.reason + ".\n";
  }
  out += "\n## Punti notevoli\n\n";
  for (const GraphPoint& p : sheet.points) {
    // A hole is a point the graph does not have: said so beside its coordinates.
    out += "- " + p.label +
           (p.kind == PointKind::Hole ? " (escluso: discontinuità eliminabile)" : "") + "\n";
  }
  if (SheetHasApproximations(sheet)) {
    out +=
        "\nI valori segnati con ≈ sono calcolati numericamente (10 cifre significative); gli "
        "altri sono esatti.\n";
  }
  return out;
}

}  // namespace curvalis::study
