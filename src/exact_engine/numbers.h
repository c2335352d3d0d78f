// Numbers of the sheet that the sheet makes itself: the two infinities, and decimals found or
// checked by our own evaluator, written "≈ 0.2679491924" (10 significant digits). Standard C++.
#pragma once

#include <string>

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

}  // namespace curvalis::study
