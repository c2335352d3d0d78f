// The commands of the main window that evaluate f. Each runs in the command frame, draws
// only through the context's surface and handles its own failures: none of them throws.
#pragma once

#include "core/command.h"

namespace curvalis {

// Graph.
void mGrafico(CommandContext& ctx);
// Axes through the view centre with tick points (of `tickWidth`) and labels; the centre tick
// only when PresetView is 1 or `allTicks` is set. Leaves the draw width at `tickWidth`.
void DrawAxes(Surface& surface, const ViewState& view, int tickWidth, bool allTicks);
// The curve on the standard grid (65 samples), from the book already opened: samples,
// points and segments as the graph draws them.
void PlotCurve(CommandContext& ctx, std::string_view prepared);

// The abscissa of sample i (-64 to 64) of the grid of 129 samples a twentieth of ScaleUnit
// apart that zeros, minima and maxima share. The first two are formed as the first two
// evaluations of those commands form them: from the left edge, not from i.
inline double TwentiethsX(const ViewState& v, int i) {
  const double U = v.ScaleUnit, OX = v.OffsetX;
  if (i == -64) return OX - 3.2 * U;
  if (i == -63) return OX + (U * (-3.2) + U / 20);
  return OX + (U * i) / 20;
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

}  // namespace curvalis
