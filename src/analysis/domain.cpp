#include <array>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"

namespace curvalis {

// Grey background, the axes, and a grey vertical line over the whole height of the view at
// every abscissa of the standard grid where f has no value. A text value counts as defined
// here (only an error, the empty text or an empty cell is undefined), so the test reads the
// value itself rather than the value as a number.
void mDominio(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX, OY = ctx.view.OffsetY;
    s.SetBackground(kLightGrey);
    std::string prepared = PrepareFormula(ctx.funzione);
    SetGraphFrame(s, ctx.view);
    DrawAxes(s, ctx.view, 2, false);
    OpenEvalBook(ctx.book, prepared);
    // The 65 values, evaluated at once.
    std::array<double, 65> xs{};
    std::array<Value, 65> values{};
    for (int i = -32; i <= 32; ++i) xs[static_cast<std::size_t>(i + 32)] = OX + (U * i) / 10;
    ctx.book.ValuesAt(xs.data(), values.data(), xs.size());
    for (int i = -32; i <= 32; ++i) {
      const double x = xs[static_cast<std::size_t>(i + 32)];
      const bool undefined = IsUndefined(values[static_cast<std::size_t>(i + 32)]);
      s.SetDrawWidth(1);
      if (undefined) s.Line(x, OY - 2.4 * U, x, OY + 2.4 * U, Palette(8));
    }
    CloseEvalBook(ctx.book);
  });
}

}  // namespace curvalis
