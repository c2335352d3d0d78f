// Reading decimal numbers: the one reader of the digits of a number, used by the formula
// language (its number literals and texts used as numbers) and by the side windows' fields.
#pragma once

#include <cstddef>
#include <string_view>

namespace curvalis {

// The decimal number at the start of `s`, without a sign: digits with an optional "." and
// fraction (at least one digit in all: "12", "1.5", ".5", "5."), then an optional exponent (E
// or e, an optional sign and at least one digit; without a digit it is not read). Returns the
// characters read, 0 when `s` starts with no number. The value is correctly rounded; one too
// small for a double reads as 0, one too large sets `overflow` and `out` to 0.
std::size_t ScanDecimal(std::string_view s, double& out, bool& overflow);

// The number at the start of `text`, as the side windows read x, the limits and the segment
// count. Blanks, tabs and line feeds are ignored wherever they stand ("2 5" reads 25); then an
// optional sign and either a decimal number as ScanDecimal reads it, or a radix prefix &H
// (hexadecimal) or &O (octal) and its digits. Reading stops at the first character that
// cannot continue the number, so "1,5" reads 1; a text that does not start with a number
// reads 0. It never fails: a number too large for a double reads as an infinity of its
// sign, one too small as a zero of its sign.
double ReadLeadingNumber(std::string_view text);

}  // namespace curvalis
