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
