// The print rules of the drawing surfaces and the number formats of text fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace curvalis {

// A number as a print statement shows it: at most 15 significant digits for a double, 7 for
// a single, trailing zeros dropped, no zero before the decimal point, a blank before a value
// that is not negative and a blank after every number: " .5 ", "-.5 ", " 1E-05 ".
std::string PrintDouble(double v);
std::string PrintSingle(float v);

// The rounded print value: v times `scale` (100 or 1000) rounded to a whole number, ties to
// even, divided again, as a single. The scaled value is held in a wide integer, so any finite
// value prints; a value that is no finite number, or whose result does not fit a single,
// cannot be printed.
std::optional<float> RoundedPrintValue(double v, double scale);

// floor(1000 v) / 1000: a value cut down to thousandths towards minus infinity.
double FloorThousandths(double v);

// The general number format of text fields: up to `digits` significant digits (%.<digits>G),
// the given decimal separator, no grouping; a negative zero is "0".
std::string FormatGeneral(double v, std::string_view decimalSeparator = ".", int digits = 15);

}  // namespace curvalis
