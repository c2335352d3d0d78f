#include <array>
#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"

namespace curvalis {

// The graph of f' as the forward difference quotient of neighbouring samples, 201 samples a
// step of 0.032 ScaleUnit apart, each quotient plotted at the left end of its interval and
// joined to the one before in yellow, with the draw width the surface already has.
void mDerivata(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX;
    std::string prepared = PrepareFormula(ctx.funzione);
    SetGraphFrame(s, ctx.view);

    constexpr int kFirst = -100, kLast = 100;
    std::array<double, kLast - kFirst + 1> xs{}, ys{}, ds{};
    auto X = [&](int k) -> double& { return xs[k - kFirst]; };
    auto Y = [&](int k) -> double& { return ys[k - kFirst]; };
    auto D = [&](int k) -> double& { return ds[k - kFirst]; };

    OpenEvalBook(ctx.book, prepared);
    // The 201 samples, evaluated at once.
    X(-100) = OX - 3.2 * U;
    X(-99) = OX - 3.168 * U;
    X(-98) = OX - 3.136 * U;
    for (int i = -97; i <= kLast; ++i) X(i) = OX + 0.032 * i * U;
    ctx.book.NumbersAt(xs.data(), ys.data(), xs.size());
    for (int i = -97; i <= kLast; ++i) {
      // A segment needs three defined samples.
      if (std::isnan(Y(i)) || std::isnan(Y(i - 1)) || std::isnan(Y(i - 2))) continue;
      D(i - 2) = (Y(i - 1) - Y(i - 2)) / (X(i - 1) - X(i - 2));
      D(i - 1) = (Y(i) - Y(i - 1)) / (X(i) - X(i - 1));
      // A quotient that overflows is no value: no segment from it.
      if (!std::isfinite(D(i - 2)) || !std::isfinite(D(i - 1))) continue;
      if (std::fabs(D(i - 1) - D(i - 2)) < 10 * U) {
        s.Line(X(i - 1), D(i - 1), X(i - 2), D(i - 2), Palette(14));
      }
    }
    CloseEvalBook(ctx.book);
  });
}

}  // namespace curvalis
