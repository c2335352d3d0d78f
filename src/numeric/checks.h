// The checks of an answer against the values of our own evaluator, one module for the exact
// engine's client and the sheet alike, each kind of check with its one tolerance. Standard C++.
#pragma once

#include <functional>
#include <optional>
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

// What the values of our evaluator say of an answer: they agree with it (confirmed), they
// contradict it (refuted), or they neither agree nor contradict (unconfirmed).
enum class Check { Confirmed, Refuted, Unconfirmed };

// The abscissas that approach a: a ∓ 10^−k·max(1, |a|) from the left (side −1) or the right
// (side +1), k = 1, 1.5, ... 9; for a = ±infinity, x = ±10^k, k = 0.5, 1, ... 9. Beyond that the
// values of a difference that cancels (√(x² + x) − x) are rounding, not the function.
// `shift` scales the distances (a second sequence between the points of the first).
std::vector<double> LimitSequence(double a, int side, double shift = 1);

// The values of f along LimitSequence as far as f stays finite (where f overflows or
// underflows far out, the farthest points where it is finite): the stretch the checks read.
std::vector<double> ApproachValues(const std::function<double(double)>& f, double a, int side,
                                   double shift = 1);

// A limit of f at a (side −1 / +1; a = ±infinity for the infinities) checked on those values,
// along two sequences shifted from each other, which must agree.
// An infinite limit is confirmed by values that keep growing in magnitude with its sign, slow
// growth included (ln(x − 3) at 3⁺ gains about 1.15 each half decade), refuted only by values
// that settle or grow with the other sign. A finite limit is confirmed by values that approach
// it, refuted by values that settle elsewhere or grow without bound.
Check CheckLimit(const std::function<double(double)>& f, double a, int side, double limit);

// What the values alone say of the limit: the value they settle to, an infinity they keep
// growing to, or nothing.
std::optional<double> LimitOfValues(const std::function<double(double)>& f, double a, int side);

// The line y = m·x + q at −infinity (s = −1) or +infinity (s = +1): f(x) − (m·x + q) checked
// to tend to 0 as a limit (far out where f overflows, on the farthest points where it is finite).
Check CheckLine(const std::function<double(double)>& f, double s, double m, double q);

}  // namespace curvalis::study
