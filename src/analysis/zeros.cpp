#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"

namespace curvalis {
namespace {

constexpr int kHeadingTab = 107, kXTab = 100, kFTab = 113;

// One listing line under the heading, at the current text position: both numbers cut down
// to thousandths. A value too large to be cut (it overflows) leaves the line out.
void PrintZero(Surface& s, double x, double y) {
  const double px = FloorThousandths(x), py = FloorThousandths(y);
  if (!std::isfinite(px) || !std::isfinite(py)) return;
  s.Print(PrintLine().Tab(kXTab).Text("x=").Double(px).Tab(kFTab).Text("f(x)=").Double(py).items());
}

}  // namespace

// The zeros of f in the view, on a grid of 129 samples a twentieth of ScaleUnit apart:
// sign changes refined by three secant steps and kept where |f| < 0.1 at the refined point,
// and samples where f is exactly 0 or that stand at the edge of the domain with |f| < 0.5.
// Listed under the heading "Zeri", one text line after another, from left to right.
void mZeri(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    EvalBook& book = ctx.book;
    std::string prepared = PrepareFormula(ctx.funzione);

    SetTextFrame(s);
    PlaceTextLine(s, 2);
    s.Print(PrintLine().Tab(kHeadingTab).Text("Zeri").items());

    TwentiethsSamples xs{}, ys{};
    auto X = [&](int k) { return xs[k + 64]; };
    auto Y = [&](int k) { return ys[k + 64]; };
    auto defined = [](double v) { return !std::isnan(v); };

    OpenEvalBook(book, prepared);
    ScanTwentieths(ctx.view, book, xs, ys, [&](int i) {
      const double xa = X(i - 1), ya = Y(i - 1), xb = X(i), yb = Y(i);

      // A sign change between samples i-1 and i, refined by three secant steps. Each step
      // needs the value of the one before: a secant point where f is undefined (or that
      // cannot be computed) ends the refinement and lists nothing for this sign change.
      if (defined(Y(i - 2)) && defined(ya) && defined(yb) && yb * ya < 0) {
        const double x0 = xb - (xb - xa) * yb / (yb - ya);
        const double y0 = std::isfinite(x0) ? book.NumberAt(x0) : NAN;
        if (defined(y0)) {
          const double x1 =
              yb * y0 < 0 ? x0 - y0 * (x0 - xb) / (y0 - yb) : x0 - y0 * (x0 - xa) / (y0 - ya);
          const double y1 = std::isfinite(x1) ? book.NumberAt(x1) : NAN;
          if (defined(y1)) {
            // The second branch goes back to sample i whichever sample the step before used.
            const double x2 =
                y0 * y1 < 0 ? x1 - y1 * (x1 - x0) / (y1 - y0) : x1 - y1 * (x1 - xb) / (y1 - yb);
            const double y2 = std::isfinite(x2) ? book.NumberAt(x2) : NAN;
            if (std::fabs(y2) < 0.1) PrintZero(s, x2, y2);  // false for an undefined y2
          }
        }
      }

      // Sample i-1 as a zero: f is exactly 0 there, or it stands next to an undefined sample
      // (the edge of the domain) and the defined neighbour is larger in size, so that |f|
      // falls towards the edge.
      if (defined(ya) && std::fabs(ya) < 0.5) {
        const double yl = Y(i - 2);
        const bool edgeLeft = !defined(yl) && defined(yb) && std::fabs(yb) > std::fabs(ya);
        const bool edgeRight = !defined(yb) && defined(yl) && std::fabs(yl) > std::fabs(ya);
        if (ya == 0 || edgeLeft || edgeRight) PrintZero(s, xa, ya);
      }
    });
    CloseEvalBook(book);
  });
}

}  // namespace curvalis
