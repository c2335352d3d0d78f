// The working of a section written for the Markdown and the LaTeX documents.
#include "study/sheet_writers.h"

#include <algorithm>

namespace curvalis::study {

std::string WorkingMarkdown(const std::vector<Step>& steps) {
  if (steps.empty()) return {};
  std::string out = std::string(kWorkingTitle) + ":\n\n";
  for (std::size_t i = 0; i < steps.size(); ++i) {
    out += std::to_string(i + 1) + ". ";
    // Stars and underscores stay themselves; brackets make no link without a parenthesis.
    for (char c : steps[i].text) {
      if (c == '*' || c == '_' || c == '\\') out += '\\';
      out += c;
    }
    out += "\n";
  }
  return out + "\n";
}

std::string WorkingLatex(const std::vector<Step>& steps) {
  if (steps.empty()) return {};
  std::string out = "\\noindent\\textit{" + LatexText(kWorkingTitle) + "}\n\\begin{enumerate}\n";
  for (const Step& s : steps) {
    out += "\\item $" + (s.latex.empty() ? StudentLatex(s.text) : s.latex) + "$\n";
  }
  return out + "\\end{enumerate}\n";
}

std::string SignChartMarkdown(const SignChart& chart) {
  if (chart.rows.empty()) return {};
  std::string out = std::string(kSignChartTitle) + ":\n\n| x |";
  for (std::size_t i = 0; i < chart.xs.size(); ++i) {
    out += " " + chart.xs[i].text + " |" + (i + 1 < chart.xs.size() ? "  |" : "");
  }
  out += "\n| --- |";
  for (std::size_t i = 0; i + 1 < 2 * chart.xs.size(); ++i) out += " :---: |";
  out += "\n";
  for (const SignChartRow& r : chart.rows) {
    out += "| " + ChartRowTitle(r) + " |";
    for (std::size_t i = 0; i < chart.xs.size(); ++i) {
      // At a point only a zero or "‖" is written, as in the table.
      const Sign at = r.atPoint[i];
      out +=
          " " + std::string(at == Sign::Zero || at == Sign::Undefined ? SignText(at) : "") + " |";
      if (i + 1 < chart.xs.size()) out += " " + std::string(SignText(r.onInterval[i])) + " |";
    }
    out += "\n";
  }
  return out + "\n";
}

std::string SignChartLatex(const SignChart& chart) {
  const std::size_t n = chart.xs.size();
  if (chart.rows.empty() || n < 2) return {};
  // The column of the rows' names as wide as the longest ("(x − 1)² (den.)"), about 0.2 cm a
  // character; the intervals share what is left of the line.
  std::size_t longest = 0;
  for (const SignChartRow& r : chart.rows) {
    const std::string title = ChartRowTitle(r);
    longest = std::max<std::size_t>(longest, std::count_if(title.begin(), title.end(), [](char c) {
                                      return (c & 0xC0) != 0x80;
                                    }));
  }
  const double names = std::max(2.6, 0.2 * double(longest) + 0.4);
  std::string out = "\\begin{center}\n\\begin{tikzpicture}\n\\tkzTabInit[lgt=" +
                    std::to_string(names).substr(0, 4) + ",espcl=" +
                    std::to_string(std::min(2.6, (16.6 - names) / double(n - 1))).substr(0, 4) +
                    "]{$x$ /1";
  for (const SignChartRow& r : chart.rows) out += ", $" + ChartRowLatex(r) + "$ /1";
  out += "}{";
  for (std::size_t i = 0; i < n; ++i) {
    const Number& x = chart.xs[i];
    out += (i ? ", $" : "$") + (x.latex.empty() ? StudentLatex(x.text) : x.latex) + "$";
  }
  out += "}\n";
  for (const SignChartRow& r : chart.rows) out += TkzSignLine(n, true, r.atPoint, r.onInterval);
  return out + "\\end{tikzpicture}\n\\end{center}\n";
}

}  // namespace curvalis::study
