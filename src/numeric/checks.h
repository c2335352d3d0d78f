// The checks of an answer against the values of our own evaluator, one module for the exact
// engine's client and the sheet alike, each kind of check with its one tolerance. Standard C++.
#pragma once

#include <functional>
#include <vector>

namespace curvalis::study {

// A written derivative agrees with central differences of the function it derives.
inline constexpr double kDerivativeTolerance = 1e-4;

// True when d(x) agrees with (of(x + h) − of(x − h)) / 2h, h = step·max(1, |x|), within
// kDerivativeTolerance·max(1, |d(x)|) at every point of `xs` where all three values are finite,
// and at least one point was compared.
bool DerivativeAgrees(const std::function<double(double)>& of,
                      const std::function<double(double)>& d, const std::vector<double>& xs,
                      double step);

// f(−x) = f(x) (even) or −f(x) (odd), and f(x + T) = f(x) (period T): within the tolerance
// times max(1, |a|, |b|) of the two values a and b compared.
inline constexpr double kSymmetryTolerance = 1e-9;
inline constexpr double kPeriodTolerance = 1e-7;

// True when f(−x) is f(x) (odd: −f(x)) at every x of `xs`, f having a value at both or at
// neither, and at least one pair compared.
bool SymmetryHolds(const std::function<double(double)>& f, const std::vector<double>& xs, bool odd);

// True when f(x + t) is f(x) at every x of `xs`, f having a value at both or at neither, and at
// least one pair compared.
bool PeriodHolds(const std::function<double(double)>& f, double t, const std::vector<double>& xs);

// f far out lies on the line y = m·x + q: within kLineTolerance·max(1, |q|).
inline constexpr double kLineTolerance = 1e-3;

// True when f(x) is m·x + q at every x of `xs` where f has a value, and at least one was
// compared.
bool LineHolds(const std::function<double(double)>& f, double m, double q,
               const std::vector<double>& xs);

}  // namespace curvalis::study
