#include "session/integral.h"

#include <cmath>

#include "core/prepare_formula.h"
#include "core/print_format.h"
#include "core/read_number.h"

namespace curvalis {
namespace {

// The diagram for limits a < b: the frame around them, the axis with five ticks and their
// values, the red curve and, when `hatch`, the hatching between the limits. `formula`, when
// given, is stored only once X(1) is known (the click on the diagram stores it there);
// otherwise the book is open already. Returns false when the frame cannot be set up (ends or
// scale beyond what the drawing takes), before Y(1) is read; a rejected formula throws
// EvalError.
bool DrawDiagram(Surface& s, EvalBook& book, double a, double b, bool hatch,
                 const std::string* formula) {
  // The frame: the limits' interval fills the middle half of the width.
  const double L = (a + b) / 2 - (b - a);
  const double R = (b - a) + (a + b) / 2;
  const double W = R - L;
  const double top = 0.29 * W;
  if (!std::isfinite(L) || !std::isfinite(R) || !std::isfinite(W) || !Drawable(L) || !Drawable(R) ||
      !Drawable(top) || static_cast<float>(L) == static_cast<float>(R) ||
      static_cast<float>(top) == 0) {
    return false;
  }
  // The vertical range is tied to the width, 0.29 W above and below the axis.
  s.SetScale(L, top, R, -top);
  // The black axis, then five blue ticks a quarter of the width apart, each with its value.
  s.Line(L, 0, R, 0, Palette(0));
  s.SetDrawWidth(2);
  const double T = W / 4;
  for (int k = 0; k <= 4; ++k) {
    double x = L + T * k;
    if (s.Point(x, 0, Palette(9))) s.Print(PrintLine().Double(x).items());
  }
  // The red curve over 64 samples. Storing the formula and reading the first sample may fail
  // (a rejected formula throws); from the next sample on nothing fails any more.
  double prevX = L;
  if (formula) OpenEvalBook(book, *formula);
  double prevY = book.NumberAt(prevX);
  // The first interval is twice as wide as the others: L + W/64 is never sampled.
  double xs[63], ys[63];
  for (int i = 2; i <= 64; ++i) xs[i - 2] = L + (i * W) / 64;
  book.NumbersAt(xs, ys, 63);
  for (int i = 0; i < 63; ++i) {
    const double x = xs[i], y = ys[i];
    s.SetDrawWidth(1);
    // A piece steeper than 10, or one that touches a sample that is no number, is left out.
    const double slope = (y - prevY) / (x - prevX);
    if (std::fabs(slope) < 10) s.Line(x, y, prevX, prevY, Palette(12));
    // The hatching inside the limits, yellow above the axis, green below, cut at the
    // frame. A sample that is no number fails the first test, which leads into its line:
    // the full-height yellow one.
    if (hatch && a <= x && x <= b) {
      if (std::isnan(y) || y >= top) {
        s.Line(x, 0, x, top, Palette(14));
      } else if (y <= -top) {
        s.Line(x, 0, x, -top, Palette(10));
      } else if (y > 0) {
        s.Line(x, 0, x, y, Palette(14));
      } else {
        s.Line(x, 0, x, y, Palette(10));
      }
    }
    prevX = x;
    prevY = y;
  }
  return true;
}

}  // namespace

IntegralOutcome ComputeIntegral(IntegraleContext& ctx, IntegraleFields& fields) {
  ctx.host.CommandStarted(CommandName(Cmd::IntegraleUguale));
  BusyCursor busy(ctx.host);
  // The diagram is cleared first; the clear waits until the computation is sure not to be
  // cancelled, so a cancel leaves the old diagram. Nothing is drawn on it in between.
  bool cleared = false;
  auto clearDiagram = [&] {
    if (!cleared) ctx.diagramma.Clear();
    cleared = true;
  };
  auto notComputable = [&] {
    clearDiagram();
    busy.Dismiss();
    ctx.host.SetBusyCursor(false);
    ctx.host.Message(kMsgIntegralFailed);
    ctx.diagramma.SetDrawWidth(1);
    CloseEvalBook(ctx.book);
    return IntegralOutcome::NotComputable;
  };
  try {
    std::string prepared = PrepareFormula(ctx.funzione);
    const double n = ReadLeadingNumber(ctx.segmenti);
    double b = ReadLeadingNumber(ctx.superiore);
    double a = ReadLeadingNumber(ctx.inferiore);
    // The segment count is checked with h, before the limits are compared: a count of 0
    // fails also when the limits are equal.
    if (!(n > 0) || n > kMaxSegments) return notComputable();
    const double h = (b - a) / (2 * n);
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(h)) return notComputable();
    if (a == b) {
      clearDiagram();
      fields.area = FormatGeneral(0, ctx.decimalSeparator);  // "0"
      ctx.host.ControlText("Integrale.Area", fields.area);
      return IntegralOutcome::EqualLimits;
    }
    OpenEvalBook(ctx.book, prepared);
    bool cancelled = false;
    const double integral = SimpsonIntegral(ctx.book, a, b, n, ctx.progress, &cancelled);
    if (cancelled) {
      CloseEvalBook(ctx.book);
      return IntegralOutcome::Cancelled;
    }
    // f undefined at a node, or a sum beyond the double range.
    const double shown = FloorThousandths(integral);
    if (!std::isfinite(shown)) return notComputable();
    clearDiagram();
    fields.area = FormatGeneral(shown, ctx.decimalSeparator);
    ctx.host.ControlText("Integrale.Area", fields.area);
    if (a < b) {
      fields.label = std::string(kLegendAscending);
    } else {
      std::swap(a, b);
      fields.label = std::string(kLegendDescending);
    }
    ctx.host.ControlText("Integrale.Label", fields.label);
    if (!DrawDiagram(ctx.diagramma, ctx.book, a, b, true, nullptr)) return notComputable();
    CloseEvalBook(ctx.book);
    return IntegralOutcome::Shown;
  } catch (const EvalError& e) {
    if (e.number() != kFormulaRejected) return notComputable();
    clearDiagram();
    busy.Dismiss();
    FormulaErrorHandler(ctx.host, ctx.mainSurface, ctx.book, e, ctx.funzione);
    return IntegralOutcome::FormulaError;
  } catch (...) {
    return notComputable();
  }
}

void RedrawDiagram(IntegraleContext& ctx) {
  ctx.host.CommandStarted(CommandName(Cmd::IntegraleDiagramma));
  BusyCursor busy(ctx.host);
  try {
    ctx.diagramma.Clear();
    std::string prepared = PrepareFormula(ctx.funzione);
    double b = ReadLeadingNumber(ctx.superiore);
    double a = ReadLeadingNumber(ctx.inferiore);
    if (a == b) return;
    // Limits beyond the double range end the click on the common failure path, silently.
    if (!std::isfinite(a) || !std::isfinite(b)) throw EvalError(0, FormulaReject::None);
    if (a > b) std::swap(a, b);
    if (!DrawDiagram(ctx.diagramma, ctx.book, a, b, false, &prepared)) {
      throw EvalError(0, FormulaReject::None);
    }
    CloseEvalBook(ctx.book);
  } catch (const EvalError& e) {
    busy.Dismiss();
    FormulaErrorHandler(ctx.host, ctx.mainSurface, ctx.book, e, ctx.funzione);
  } catch (...) {
    busy.Dismiss();
    FormulaErrorHandler(ctx.host, ctx.mainSurface, ctx.book, 0);
  }
}

}  // namespace curvalis
