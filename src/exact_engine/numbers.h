// Numbers of the sheet that the sheet makes itself: the two infinities, and decimals found or
// checked by our own evaluator, written "≈ 0.2679491924" (10 significant digits). Standard C++.
#pragma once

#include <string>

#include "exact_engine/engine.h"

namespace curvalis::study {

// "+∞" or "−∞", exact.
Number Infinity(bool plus);

// A value our evaluator found: "≈ 0.2679491924", "≈ −1.500000000"; not exact. A value below
// 1e-12 in size is 0 (what a refinement leaves of a zero at the origin).
Number Approx(double value);

// The decimal part of Approx without "≈ " (student notation: "−1.500000000", "2.331122370").
std::string DecimalText(double value);

// Two abscissas are the same point of the sheet (relative 1e-9).
bool SameX(double a, double b);

}  // namespace curvalis::study
