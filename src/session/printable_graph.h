// The printable graph of "Salva grafico" and "Stampa grafico": the graph on white, with
// heavier tick points and the formula written on the drawing.
#pragma once

#include <string_view>

#include "core/command.h"

namespace curvalis {

// The command `name` up to the curve, in the command frame: white background for the window
// and its controls, clear, PrepareFormula, graph frame, axes with tick points of width 3 (the
// centre tick as PresetView says), the curve; then the caption when `caption` is set.
// False when the formula was rejected: the failure path has run and nothing more may follow.
bool DrawPrintableGraph(CommandContext& ctx, std::string_view name, bool caption);

// The caption: a white point at (OX - 3 U, OY - 1.8 U), which places the text there, and
// " f(x)=" directly followed by the formula as typed. Draws in the surface's current scale.
void DrawCaption(Surface& surface, const ViewState& view, std::string_view funzione);

}  // namespace curvalis
