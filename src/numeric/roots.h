// The roots of a function of x found numerically, for what the computer algebra system cannot
// solve (x − 2·arctg(x) = 0): a sign-change scan, then bisection to full precision.
#pragma once

#include <functional>
#include <vector>

namespace curvalis::study {

// The roots of g in [from, to] (either end may be infinite) in increasing order, each once.
// The scan runs in t = arctan(x) over the whole line, or evenly over a bounded range, in
// `steps` steps; a sign change across a pole or a jump is no root (|g| does not vanish there).
std::vector<double> NumericRoots(const std::function<double(double)>& g, double from, double to,
                                 int steps = 20000);

}  // namespace curvalis::study
