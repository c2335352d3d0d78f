// The parts of the LaTeX document written in their own files: the preamble with the student
// notation's symbols, the engine's LaTeX cleaned for pdflatex, and the graph's picture.
#pragma once

#include <string>
#include <string_view>

#include "study/sheet.h"

namespace curvalis::study {

// A formula set in math mode: "$...$".
inline std::string M(const std::string& math) {
  return "$" + math + "$";
}

// \documentclass and the packages, with each symbol of the student notation declared.
std::string LatexPreamble();

// The engine's LaTeX with every character pdflatex cannot set in math mode replaced.
std::string CleanLatex(std::string_view latex);

// The study's graph as a centred TikZ picture and the legend of the labels that stand as
// numbers; empty when the sheet has no graph.
std::string GraphTikz(const Sheet& sheet);

}  // namespace curvalis::study
