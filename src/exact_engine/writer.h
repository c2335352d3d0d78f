// Expressions and numbers of the exact engine written as a student writes them, in a form
// Curvalis itself reads back with the same value ("2 − √3", "(x² − 4x + 1)/(x − 2)²", "e²",
// "ln(2)", "π/4", "3x/2"), and in LaTeX for export. Standard C++ only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "exact_engine/engine.h"
#include "exact_protocol/protocol.h"

namespace curvalis::study {

// The longest exact text shown; a longer one is written as a decimal.
inline constexpr std::size_t kMaxExactChars = 40;

std::string StudentText(const Node& tree);
std::string LatexText(const Node& tree);
// The tree as the sheet shows an expression: both texts, exact.
Expr WriteExpr(const Node& tree);

// Characters (not bytes) of a UTF-8 text.
std::size_t CharCount(std::string_view text);

// A decimal number, not exact: "≈ 0.2679491924", "≈ −1.500000000", "≈ 1.234567890E+44" (10
// significant digits, a negative sign as U+2212, read back by the formula language), or an
// infinity.
Number ApproxNumber(double v);

// The number a constant tree stands for: exact when the tree holds no approximate part, its
// text is at most kMaxExactChars long and the text, read back by our own evaluator, gives the
// value of the tree; else the decimal of the tree's value, not exact.
Number WriteNumber(const Node& tree);

// The value a student text reads as with our evaluator (NaN when it is rejected or has none).
double ReadBack(std::string_view text, double x = 0);

}  // namespace curvalis::study
