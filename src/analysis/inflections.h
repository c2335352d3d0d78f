// The inflection scan shared by "Flessi" and "Tangente nei flessi".
#pragma once

#include <functional>
#include <string_view>

#include "core/command.h"

namespace curvalis {

// A concavity change found by the scan.
struct InflectionPoint {
  double xm = 0;  // middle of the chord
  double ym = 0;  // f(xm), always a number
  double m1 = 0;  // slope of the chord through the two samples around xm
  double d1 = 0;  // height of the chord's line over the curve at the next sample
};

// Opens the book with `prepared` (throws EvalError on rejection, for the command frame),
// scans the 201 samples and hands each found point, in increasing x, to `found`; closes the
// book at the end. A window is passed over when one of its samples is no number or one of
// its quantities overflows; a point where f gives no number at the middle of the chord is
// not handed on, so no command marks or lists anything for it.
void ScanInflections(CommandContext& ctx, std::string_view prepared,
                     const std::function<void(const InflectionPoint&)>& found);

}  // namespace curvalis
