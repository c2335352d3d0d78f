#include "analysis/analyses.h"
#include "analysis/inflections.h"
#include "core/prepare_formula.h"

namespace curvalis {

void mTangente(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX;
    const std::string prepared = PrepareFormula(ctx.funzione);

    ScanInflections(ctx, prepared, [&](const InflectionPoint& p) {
      // The tangent y = m1 x + b through the point, across the whole view and beyond.
      const double b = p.ym - p.m1 * p.xm;
      SetGraphFrame(s, ctx.view);
      s.SetDrawWidth(1);
      s.Line(OX - 4 * U, b + p.m1 * (OX - 4 * U), OX + 4 * U, b + p.m1 * (OX + 4 * U), Palette(2));

      // The bending on either side, starting half a unit left of the point and a tenth of a
      // unit above it. Where that position cannot be drawn there is no text: it would land
      // wherever the last drawing left the position.
      if (!s.Point(p.xm - 0.5 * U, p.ym + 0.1 * U, kLightGrey)) return;
      s.SetForeColor(Palette(4));
      // d1 < 0: right of the chord the curve lies above the chord's line, so it bends
      // downward on the left and upward on the right.
      s.Print(p.d1 < 0 ? "Concava    Convessa" : "Convessa    Concava");
    });
    s.SetForeColor(Palette(0));
  });
}

}  // namespace curvalis
