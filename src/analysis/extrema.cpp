#include <array>
#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"

namespace curvalis {
namespace {

// What tells the minima from the maxima: the direction of the comparisons, the heading, the
// listing's columns and the colour of the marks.
struct ExtremaKind {
  bool lowest;  // minima: lower than the left neighbour and not higher than the right one
  const char* heading;
  int headingTab;
  int xTab;
  int fTab;
  int markColour;  // palette index
};

constexpr ExtremaKind kMinima{true, "Minimi", 9, 2, 15, 11};
constexpr ExtremaKind kMaxima{false, "Massimi", 36, 30, 43, 10};

// Values beyond this size are neither marked nor listed.
constexpr double kValueBound = 32;

// A sample `mid` that is an extremum between `left` and `right`: strictly beyond the left
// one, not behind the right one. False when any of them is undefined.
bool IsExtremum(const ExtremaKind& k, double left, double mid, double right) {
  if (std::isnan(left) || std::isnan(mid) || std::isnan(right)) return false;
  return k.lowest ? (mid < left && mid <= right) : (mid > left && mid >= right);
}

// The relative extrema of f in the view: a coarse scan of 129 samples a twentieth of
// ScaleUnit apart finds the samples beyond both neighbours; a fine scan of the two coarse
// intervals around each, at a fiftieth of their width, places the extremum. Each one found
// is marked on the graph and listed, with its rounded coordinates, under the heading.
void FindExtrema(CommandContext& ctx, const ExtremaKind& k) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    EvalBook& book = ctx.book;
    std::string prepared = PrepareFormula(ctx.funzione);
    double row = 0;

    SetTextFrame(s);
    PlaceTextLine(s, 2);
    s.Print(PrintLine().Tab(k.headingTab).Text(k.heading).items());

    constexpr int kFine = 50;
    TwentiethsSamples xs{}, ys{};
    auto X = [&](int i) { return xs[i + 64]; };
    auto Y = [&](int i) { return ys[i + 64]; };
    std::array<double, kFine + 1> t{}, v{};

    OpenEvalBook(book, prepared);
    ScanTwentieths(ctx.view, book, xs, ys, [&](int i) {
      if (!IsExtremum(k, Y(i - 2), Y(i - 1), Y(i))) return;

      // Fine scan from x(i-2) to x(i). A fine window that holds an undefined value reports
      // nothing, as a coarse one does.
      const double h = (X(i) - X(i - 2)) / kFine;
      t[0] = X(i - 2);
      t[1] = X(i - 2) + h;
      for (int j = 2; j <= kFine; ++j) t[j] = t[0] + j * h;
      book.NumbersAt(t.data(), v.data(), t.size());
      for (int j = 2; j <= kFine; ++j) {
        if (!IsExtremum(k, v[j - 2], v[j - 1], v[j]) || !(std::fabs(v[j - 1]) < kValueBound)) {
          continue;
        }
        row += 2;
        SetGraphFrame(s, ctx.view);
        s.SetDrawWidth(4);
        s.Point(t[j - 1], v[j - 1], Palette(k.markColour));
        SetTextFrame(s);
        s.SetDrawWidth(1);
        PlaceTextLine(s, row + 2);
        // A coordinate that cannot be rounded leaves out the text line; the mark stays.
        const auto px = RoundedPrintValue(t[j - 1], 1000);
        const auto py = RoundedPrintValue(v[j - 1], 1000);
        if (px && py) {
          s.Print(PrintLine()
                      .Tab(k.xTab)
                      .Text("x=")
                      .Single(*px)
                      .Tab(k.fTab)
                      .Text("f(x)=")
                      .Single(*py)
                      .items());
        }
      }
    });
    CloseEvalBook(book);
  });
}

}  // namespace

void mMinimi(CommandContext& ctx) {
  FindExtrema(ctx, kMinima);
}

void mMassimi(CommandContext& ctx) {
  FindExtrema(ctx, kMaxima);
}

}  // namespace curvalis
