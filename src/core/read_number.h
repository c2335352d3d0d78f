// Reading a number from the text of an input field, as the side windows read x, the limits
// and the segment count.
#pragma once

#include <string_view>

namespace curvalis {

// The number at the start of `text`. Blanks, tabs and line feeds are ignored wherever they
// stand ("2 5" reads 25); then an optional sign and either digits with "." as the only
// decimal point and an optional exponent (E or e, with its own sign), or a radix prefix &H
// (hexadecimal) or &O (octal) and its digits. Reading stops at the first character that
// cannot continue the number, so "1,5" reads 1; a text that does not start with a number
// reads 0. It never fails: a number too large for a double reads as an infinity of its
// sign, one too small as a zero of its sign.
double ReadLeadingNumber(std::string_view text);

}  // namespace curvalis
