#include <array>
#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"

namespace curvalis {

// A tick's label: its value to the thousandth. Ticks of a view reached by presets, zooms and
// translations all lie on that grid (the finest step is 0.05), so their labels are the values
// themselves; a view centre moved by dragging gives values like 1.01265822784810, which would
// print 15 digits and run into the next label.
static double TickLabel(double v) {
  return std::fabs(v) < 1e15 ? std::round(v * 1000) / 1000 : v;
}

void DrawAxes(Surface& s, const ViewState& v, int tickWidth, bool allTicks) {
  const double U = v.ScaleUnit, OX = v.OffsetX, OY = v.OffsetY;
  s.Line(OX - 3.2 * U, OY, OX + 3.2 * U, OY, Palette(0));
  s.Line(OX, OY + 2.4 * U, OX, OY - 2.4 * U, Palette(0));
  s.SetDrawWidth(tickWidth);
  const bool centre = allTicks || v.PresetView == 1;
  for (int i = -6; i <= 6; ++i) {
    if (i == 0 && !centre) continue;
    double x = OX + U * 0.5 * i;
    if (s.Point(x, OY, Palette(9))) s.Print(PrintLine().Double(TickLabel(x)).items());
  }
  for (int i = -4; i <= 4; ++i) {
    if (i == 0 && !centre) continue;
    double y = OY + U * 0.5 * i;
    if (s.Point(OX, y, Palette(9))) s.Print(PrintLine().Double(TickLabel(y)).items());
  }
}

void DrawGraph(CommandContext& ctx, Rgb background, int tickWidth) {
  Surface& s = ctx.surface;
  const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX;
  s.SetBackground(background);
  s.Clear();
  const std::string prepared = PrepareFormula(ctx.funzione);
  SetGraphFrame(s, ctx.view);
  DrawAxes(s, ctx.view, tickWidth, false);
  OpenEvalBook(ctx.book, prepared);
  // The 65 samples, evaluated at once.
  std::array<double, 65> xs{}, ys{};
  xs[0] = OX + U * (-3.2);
  for (int i = -31; i <= 32; ++i) xs[static_cast<std::size_t>(i + 32)] = OX + (U * i) / 10;
  ctx.book.NumbersAt(xs.data(), ys.data(), xs.size());
  double prevX = xs[0];
  double prevY = ys[0];
  for (int i = -31; i <= 32; ++i) {
    const double x = xs[static_cast<std::size_t>(i + 32)];
    const double y = ys[static_cast<std::size_t>(i + 32)];
    // An undefined sample, or one that does not fit a single, gives no point and no segment
    // on either side; the scan goes on with the next one.
    s.SetDrawWidth(1);
    if (Drawable(y)) {
      s.Point(x, y, Palette(12));
      if (Drawable(prevY) && std::fabs(y - prevY) < 10 * U) s.Line(x, y, prevX, prevY, Palette(12));
    }
    prevX = x;
    prevY = y;
  }
  CloseEvalBook(ctx.book);
}

void mGrafico(CommandContext& ctx) {
  RunCommand(ctx, [&] { DrawGraph(ctx, kLightGrey, 2); });
}

}  // namespace curvalis
