#include "analysis/inflections.h"

#include <array>
#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"

namespace curvalis {
namespace {

// Samples i = -100 ... 100 of the scan, stored at i + 100.
constexpr int kFirst = -100;
constexpr int kLast = 100;

// The magenta mark and the text line of one point of the listing.
constexpr int kMarkWidth = 4;
constexpr int kHeadingRow = 2;
constexpr int kTabHeading = 77;
constexpr int kTabX = 70;
constexpr int kTabY = 83;
// Values this large are marked but not listed: their line has no row of its own.
constexpr double kListLimit = 32;

}  // namespace

void ScanInflections(CommandContext& ctx, std::string_view prepared,
                     const std::function<void(const InflectionPoint&)>& found) {
  const double U = ctx.view.ScaleUnit, OX = ctx.view.OffsetX;
  std::array<double, kLast - kFirst + 1> xs{}, ys{};
  auto x = [&](int i) -> double& { return xs[static_cast<std::size_t>(i - kFirst)]; };
  auto y = [&](int i) -> double& { return ys[static_cast<std::size_t>(i - kFirst)]; };

  OpenEvalBook(ctx.book, prepared);
  // The first three samples carry no shift.
  x(-100) = OX - 3.2 * U;
  x(-99) = OX - 3.168 * U;
  x(-98) = OX - 3.136 * U;
  for (int i = -97; i <= kLast; ++i) x(i) = OX + 0.032 * i * U + 0.00001;
  // The 201 samples, evaluated at once.
  ctx.book.NumbersAt(xs.data(), ys.data(), xs.size());

  for (int i = -97; i <= kLast; ++i) {
    if (std::isnan(y(i)) || std::isnan(y(i - 1)) || std::isnan(y(i - 2))) continue;

    // The chord through samples i-2 and i-1, and how far its line passes over the curve at
    // the sample after them (d1) and at the one before them (d2). A quantity that overflows
    // leaves the window out, like an undefined sample.
    const double m1 = (y(i - 1) - y(i - 2)) / (x(i - 1) - x(i - 2));
    if (!std::isfinite(m1)) continue;
    const double d1 = y(i - 1) + m1 * (x(i) - x(i - 1)) - y(i);
    if (!std::isfinite(d1)) continue;
    if (std::fabs(d1) < 1E-14) continue;  // sample i lies on the chord's line
    if (std::isnan(y(i - 3))) continue;
    const double d2 = y(i - 1) + m1 * (x(i - 3) - x(i - 1)) - y(i - 3);
    if (!std::isfinite(d2)) continue;
    const double m2 = (y(i) - y(i - 1)) / (x(i) - x(i - 1));
    if (!std::isfinite(m2)) continue;

    // A concavity change: the line lies above the curve on one side and below it on the
    // other, while the slopes on the two sides differ little.
    if (!(d1 * d2 < 0 && std::fabs(m2 - m1) < 0.1 * U)) continue;

    InflectionPoint p;
    p.xm = (x(i - 2) + x(i - 1)) / 2;
    p.ym = ctx.book.NumberAt(p.xm);
    p.m1 = m1;
    p.d1 = d1;
    if (std::isnan(p.ym)) continue;
    found(p);
  }
  CloseEvalBook(ctx.book);
}

void mFlessi(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    Surface& s = ctx.surface;
    const std::string prepared = PrepareFormula(ctx.funzione);
    double row = 0;

    SetTextFrame(s);
    PlaceTextLine(s, kHeadingRow);
    s.Print(PrintLine().Tab(kTabHeading).Text("Flessi").items());

    ScanInflections(ctx, prepared, [&](const InflectionPoint& p) {
      const bool listed = std::fabs(p.ym) < kListLimit;
      if (listed) row += 2;

      SetGraphFrame(s, ctx.view);
      s.SetDrawWidth(kMarkWidth);
      s.Point(p.xm, p.ym, Palette(13));

      SetTextFrame(s);
      s.SetDrawWidth(1);
      if (!listed) return;
      const auto X = RoundedPrintValue(p.xm, 1000);
      const auto Y = RoundedPrintValue(p.ym, 1000);
      PlaceTextLine(s, row + 2);
      if (!X || !Y) return;
      s.Print(
          PrintLine().Tab(kTabX).Text("x=").Single(*X).Tab(kTabY).Text("f(x)=").Single(*Y).items());
    });
  });
}

}  // namespace curvalis
