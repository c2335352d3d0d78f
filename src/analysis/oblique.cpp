#include <cmath>
#include <cstdint>
#include <string_view>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"

namespace curvalis {
namespace {

// What the two asymptote commands differ in.
struct Direction {
  std::int32_t slopeX;      // X1: where f(x)/x is read as the slope
  std::int32_t interceptX;  // X2: where f(x) - m x is read as the intercept
  int row;                  // text row of the equation in the text frame
  std::string_view text;
};

constexpr Direction kPlusInfinity{1000000000, 1000000, 55, "Asintoto(+Inf.): y= "};
constexpr Direction kMinusInfinity{-1000000000, -1000000, 57, "Asintoto (-Inf.): y= "};

constexpr int kTabEquation = 90;

// Steps after the first far value: the intercept's value, the test and, if the line passes,
// the line and its equation. Any failure (a value that is no number, a quantity that
// overflows, a line that cannot be drawn) returns quietly: nothing more is drawn or printed.
void ShowAsymptote(CommandContext& ctx, const Direction& dir, std::string_view prepared,
                   double y1) {
  Surface& s = ctx.surface;
  const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX;
  try {
    ctx.book.StoreFormula(prepared);
  } catch (const EvalError&) {
    return;
  }
  const double y2 = ctx.book.NumberAt(dir.interceptX);
  if (std::isnan(y1) || std::isnan(y2)) return;
  const double m = y1 / dir.slopeX;
  const double q = y2 - m * dir.interceptX;
  if (!std::isfinite(m) || !std::isfinite(q)) return;
  if (!(std::fabs(q) < 32 && std::fabs(m) < 100)) return;

  // Two far values fit a line to any function; a third one, twice as far out as the
  // intercept's, must lie on it too, or the function has no asymptote there (ln x, sin x).
  const std::int32_t farX = 2 * dir.interceptX;
  const double y3 = ctx.book.NumberAt(farX);
  if (std::isnan(y3)) return;
  if (!(std::fabs(y3 - (m * farX + q)) <= 0.01 * (1 + std::fabs(q)))) return;

  if (!s.Line(OX - 4 * U, m * (OX - 4 * U) + q, OX + 4 * U, m * (OX + 4 * U) + q, Palette(9))) {
    return;
  }
  SetTextFrame(s);
  PlaceTextLine(s, dir.row);
  const auto M = RoundedPrintValue(m, 100);
  const auto Q = RoundedPrintValue(q, 1000);
  if (!M || !Q) return;
  s.Print(PrintLine()
              .Tab(kTabEquation)
              .Text(dir.text)
              .Text("(")
              .Single(*M)
              .Text(")")
              .Text("*x+(")
              .Single(*Q)
              .Text(")")
              .items());
}

// The line y = m x + q that f approaches towards one infinity, from f far out on the axis.
void FindAsymptote(CommandContext& ctx, const Direction& dir) {
  RunCommand(ctx, [&] {
    const std::string prepared = PrepareFormula(ctx.funzione);
    SetGraphFrame(ctx.surface, ctx.view);
    OpenEvalBook(ctx.book, prepared);  // a rejected formula ends here, with the message
    const double y1 = ctx.book.NumberAt(dir.slopeX);
    ShowAsymptote(ctx, dir, prepared, y1);
    CloseEvalBook(ctx.book);
  });
}

}  // namespace

void mObliquiP(CommandContext& ctx) {
  FindAsymptote(ctx, kPlusInfinity);
}

void mObliquiM(CommandContext& ctx) {
  FindAsymptote(ctx, kMinusInfinity);
}

}  // namespace curvalis
