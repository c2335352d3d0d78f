// The working of a section written for the Markdown and the LaTeX documents.
#include "study/sheet_writers.h"

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
    out += "\\item $" + (s.latex.empty() ? StudentMath(s.text) : s.latex) + "$\n";
  }
  return out + "\\end{enumerate}\n";
}

}  // namespace curvalis::study
