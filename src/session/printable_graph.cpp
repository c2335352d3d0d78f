#include "session/printable_graph.h"

#include <string>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"

namespace curvalis {

bool DrawPrintableGraph(CommandContext& ctx, std::string_view name, bool caption) {
  bool drawn = false;
  RunCommand(ctx, name, [&] {
    Surface& s = ctx.surface;
    s.SetBackground(kWhite);
    s.Clear();
    std::string prepared = PrepareFormula(ctx.funzione);
    SetGraphFrame(s, ctx.view);
    DrawAxes(s, ctx.view, 3, false);
    PlotCurve(ctx, prepared);
    if (caption) DrawCaption(s, ctx.view, ctx.funzione);
    drawn = true;
  });
  return drawn;
}

void DrawCaption(Surface& s, const ViewState& v, std::string_view funzione) {
  s.Point(v.OffsetX - 3 * v.ScaleUnit, v.OffsetY - 1.8 * v.ScaleUnit, Palette(15));
  std::string text = " f(x)=";
  text += funzione;
  s.Print(text);
}

}  // namespace curvalis
