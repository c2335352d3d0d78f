// The pieces every line of the working is made of: the line itself, a number in LaTeX, the
// "\lim_{x \to a^{-}}" before a limit. Private to the builder's files of the working.
#pragma once

#include <string>

#include "exact_engine/engine.h"
#include "study/sheet_writers.h"

namespace curvalis::study::sheet_build {

inline constexpr const char* kIff = " \xE2\x87\x94 ";      // ⇔
inline constexpr const char* kImplies = " \xE2\x87\x92 ";  // ⇒

inline Step Line(StepRule rule, std::string text, std::string latex, std::string formula = {}) {
  return Step{rule, std::move(text), std::move(latex), std::move(formula)};
}

inline std::string Latex(const Number& n) {
  return n.latex.empty() ? StudentLatex(n.text) : n.latex;
}

// The LaTeX of LimitText: "\lim_{x \to 2^{-}} ".
inline std::string LimitLatex(const Number& at, Approach side) {
  switch (side) {
    case Approach::MinusInfinity:
      return "\\lim_{x \\to -\\infty} ";
    case Approach::PlusInfinity:
      return "\\lim_{x \\to +\\infty} ";
    case Approach::Left:
      return "\\lim_{x \\to " + Latex(at) + "^{-}} ";
    case Approach::Right:
      return "\\lim_{x \\to " + Latex(at) + "^{+}} ";
  }
  return {};
}

}  // namespace curvalis::study::sheet_build
