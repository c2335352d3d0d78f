// The commands of the main window that evaluate f. Each runs in the command frame, draws
// only through the context's surface and handles its own failures: none of them throws.
#pragma once

#include <array>
#include <functional>

#include "core/command.h"

namespace curvalis {

// Graph.
void mGrafico(CommandContext& ctx);
// Axes through the view centre with tick points (of `tickWidth`) and labels; the centre tick
// only when PresetView is 1 or `allTicks` is set. Leaves the draw width at `tickWidth`.
void DrawAxes(Surface& surface, const ViewState& view, int tickWidth, bool allTicks);
// The graph on `background`: clear, PrepareFormula, graph frame, axes with tick points of
// `tickWidth` (the centre tick as PresetView says), then the curve on the standard grid (65
// samples): samples, points and segments.
void DrawGraph(CommandContext& ctx, Rgb background, int tickWidth);

// The abscissa of sample i (-64 to 64) of the grid of 129 samples a twentieth of ScaleUnit
// apart that zeros, minima and maxima share. The first two are formed as the first two
// evaluations of those commands form them: from the left edge, not from i.
inline double TwentiethsX(const ViewState& v, int i) {
  const double U = v.ScaleUnit, OX = v.OffsetX;
  if (i == -64) return OX - 3.2 * U;
  if (i == -63) return OX + (U * (-3.2) + U / 20);
  return OX + (U * i) / 20;
}

// That grid read on the opened book into xs and ys (sample i at i + 64), all 129 samples
// evaluated at once; then `visit(i)` runs for each sample i from -62 to 64, left to right.
using TwentiethsSamples = std::array<double, 129>;
template <class Visit>
void ScanTwentieths(const ViewState& v, EvalBook& book, TwentiethsSamples& xs,
                    TwentiethsSamples& ys, Visit&& visit) {
  for (int i = -64; i <= 64; ++i) xs[i + 64] = TwentiethsX(v, i);
  book.NumbersAt(xs.data(), ys.data(), xs.size());
  for (int i = -62; i <= 64; ++i) visit(i);
}

// Analyses.
void mDominio(CommandContext& ctx);
void mDerivata(CommandContext& ctx);
void mZeri(CommandContext& ctx);
void mMinimi(CommandContext& ctx);
void mMassimi(CommandContext& ctx);
void mFlessi(CommandContext& ctx);
void mTangente(CommandContext& ctx);
void mObliquiP(CommandContext& ctx);
void mObliquiM(CommandContext& ctx);
void mVerticali(CommandContext& ctx);

// The integral's sums (integral_sums.cpp); the integral window's flow and diagram are in
// session/integral.h.
// The largest segment count computed: 2·10^7 evaluations, where Simpson's rule gains nothing
// more. A count above it, or one not above 0, cannot be computed.
inline constexpr double kMaxSegments = 10'000'000;

// How a long computation tells how far it is and asks whether to go on. Both may be empty.
struct Progress {
  std::function<void(double done)> report;  // the share of the evaluations done, 0 to 1
  std::function<bool()> keepGoing;          // false: stop, leaving everything as it was
};

// Simpson's rule with n parabolic segments from a to b on the opened book: the nodes
// a + h·k, h = (b - a) / (2 n), the even ones first, then the odd ones, then a and b. The
// value, or NaN as soon as f gives no number at a node; NaN too when `progress` stops it,
// and then `cancelled` is set.
double SimpsonIntegral(EvalBook& book, double a, double b, double n, const Progress* progress,
                       bool* cancelled);

}  // namespace curvalis
