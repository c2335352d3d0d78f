#include "session/printable_graph.h"

#include <string>

#include "analysis/analyses.h"

namespace curvalis {

bool DrawPrintableGraph(CommandContext& ctx, std::string_view name, bool caption) {
  bool drawn = false;
  RunCommand(ctx, name, [&] {
    DrawGraph(ctx, kWhite, 3);
    if (caption) DrawCaption(ctx.surface, ctx.view, ctx.funzione);
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
