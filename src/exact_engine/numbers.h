// Numbers of the sheet that the sheet makes itself: the two infinities, and decimals found or
// checked by our own evaluator, written "≈ 0.2679491924" (10 significant digits); and the one
// rule by which the engine and the sheet set a student text as an operand. Standard C++.
#pragma once

#include <string>
#include <string_view>

#include "exact_engine/engine.h"

namespace curvalis::study {

// "+∞" or "−∞", exact.
Number Infinity(bool plus);

// A value the sheet's own scans found, written by ApproxNumber. A value below 1e-12 in size is
// 0: it is what a refinement leaves of a point at the origin (a zero, an end of the domain)
// and what values settling on 0 end at.
Number Approx(double value);

// Two abscissas are the same point of the sheet (relative 1e-9).
bool SameX(double a, double b);

// A student text set as one operand: in parentheses unless it is one word, one call or one power
// whose exponent is in parentheses ("ln(1 + x)", "√(x² + 1)", "e^(1/x)"). After "lim" a word is
// any text without a space; in a quotient (`quotient`) it has no "/", "·" or leading minus
// either, nor a number times what follows it, so that "1/x" over "−1/x²" is written
// "(1/x)/(−1/x²)" and 1 over "2x" is "1/(2x)".
std::string Operand(std::string_view text, bool quotient);

}  // namespace curvalis::study
