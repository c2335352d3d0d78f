#include <array>
#include <cmath>

#include "analysis/analyses.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"

namespace curvalis {
namespace {

constexpr int kFirst = -100;
constexpr int kLast = 100;
constexpr int kFineSteps = 10;

enum class Peak { Rising, Falling };

// The steepness bound between two neighbouring samples: a rise of more than
// 10 (xb - xa) / sqrt(ScaleUnit) in size.
struct Steepness {
  double rootU;
  bool Up(double xa, double ya, double xb, double yb) const {
    return yb - ya > 10 * (xb - xa) / rootU;
  }
  bool Down(double xa, double ya, double xb, double yb) const {
    return yb - ya < -10 * (xb - xa) / rootU;
  }
  // Three defined samples: steep up then steep down (Rising), or the other way (Falling).
  bool IsPeak(Peak peak, double x0, double y0, double x1, double y1, double x2, double y2) const {
    if (peak == Peak::Rising) return Up(x0, y0, x1, y1) && Down(x1, y1, x2, y2);
    return Down(x0, y0, x1, y1) && Up(x1, y1, x2, y2);
  }
};

class VerticalScan {
 public:
  explicit VerticalScan(CommandContext& ctx)
      : ctx_(ctx), U_(ctx.view.ScaleUnit), steep_{std::sqrt(ctx.view.ScaleUnit)} {}

  void Run(std::string_view prepared) {
    const double OX = ctx_.view.OffsetX;
    OpenEvalBook(ctx_.book, prepared);
    // The first two samples carry no shift.
    x(-100) = OX - 3.2 * U_;
    x(-99) = OX - 3.168 * U_;
    for (int i = -98; i <= kLast; ++i) x(i) = OX + 0.032 * i * U_ + 0.001;
    // The 201 samples, evaluated at once.
    ctx_.book.NumbersAt(xs_.data(), ys_.data(), xs_.size());

    for (int i = -98; i <= kLast; ++i) {
      const bool defined0 = !std::isnan(y(i - 2));
      const bool defined1 = !std::isnan(y(i - 1));
      const bool defined2 = !std::isnan(y(i));

      if (defined0 && defined1 && defined2) {
        if (steep_.IsPeak(Peak::Rising, x(i - 2), y(i - 2), x(i - 1), y(i - 1), x(i), y(i))) {
          ++rising_;
          RefinePole(i, Peak::Rising);
        }
        if (steep_.IsPeak(Peak::Falling, x(i - 2), y(i - 2), x(i - 1), y(i - 1), x(i), y(i))) {
          ++falling_;
          RefinePole(i, Peak::Falling);
        }
      }
      // Right edge of the domain: steep just before f stops being defined.
      if (!defined2 && defined1 && defined0 &&
          std::fabs(y(i - 1) - y(i - 2)) > 10 * (x(i - 1) - x(i - 2)) / steep_.rootU) {
        RefineEdge(x(i - 1), (x(i) - x(i - 1)) / 10, +1);
      }
      // Left edge of the domain: steep just after f starts being defined.
      if (!defined0 && defined1 && defined2 &&
          std::fabs(y(i) - y(i - 1)) > 10 * (x(i) - x(i - 1)) / steep_.rootU) {
        RefineEdge(x(i - 1), (x(i - 1) - x(i - 2)) / 10, -1);
      }
    }
    CloseEvalBook(ctx_.book);
  }

 private:
  double& x(int i) { return xs_[static_cast<std::size_t>(i - kFirst)]; }
  double& y(int i) { return ys_[static_cast<std::size_t>(i - kFirst)]; }

  // The window of samples i-2, i-1, i again on ten fine steps. A fine window that passes the
  // same peak test marks the pole at its middle sample, as long as the two peak counters
  // differ (the second of the two peaks of a pole where f changes sign draws nothing).
  // A fine window holding a value that is no number cannot be tested and counts as passed:
  // the pole lies at the gap.
  void RefinePole(int i, Peak peak) {
    const double step = (x(i) - x(i - 2)) / kFineSteps;
    z_[0] = x(i - 2);
    w_[0] = ctx_.book.NumberAt(z_[0]);
    z_[1] = x(i - 2) + step;
    w_[1] = ctx_.book.NumberAt(z_[1]);
    for (int j = 2; j <= kFineSteps; ++j) {
      z_[j] = z_[0] + j * step;
      w_[j] = ctx_.book.NumberAt(z_[j]);
      const bool gap = std::isnan(w_[j - 2]) || std::isnan(w_[j - 1]) || std::isnan(w_[j]);
      const bool passes =
          gap || steep_.IsPeak(peak, z_[j - 2], w_[j - 2], z_[j - 1], w_[j - 1], z_[j], w_[j]);
      if (passes && rising_ != falling_) DrawAsymptote(z_[j - 1]);
    }
  }

  // From the defined coarse sample z0, ten fine steps towards the undefined one (rightwards
  // for `direction` +1, leftwards for -1); the line goes at the first fine abscissa where f
  // is no number. If f is defined at all ten, there is no edge here and nothing is drawn.
  void RefineEdge(double z0, double step, int direction) {
    z_[0] = z0;
    for (int j = 1; j <= kFineSteps; ++j) {
      z_[j] = direction > 0 ? z_[0] + j * step : z_[0] - j * step;
      w_[j] = ctx_.book.NumberAt(z_[j]);
      if (std::isnan(w_[j])) {
        DrawAsymptote(z_[j]);
        return;
      }
    }
  }

  // A vertical line across the view at z, bottom to top; its abscissa to the hundredth at
  // its upper end, unless it stands within a tenth of a unit of x = 0.
  void DrawAsymptote(double z) {
    Surface& s = ctx_.surface;
    const double OY = ctx_.view.OffsetY;
    if (!s.Line(z, OY - 2.4 * U_, z, OY + 2.4 * U_, Palette(9))) return;
    if (!(std::fabs(z) > 0.1 * U_)) return;
    if (const auto Z = RoundedPrintValue(z, 100)) s.Print(PrintLine().Single(*Z).items());
  }

  CommandContext& ctx_;
  double U_;
  Steepness steep_;
  std::array<double, kLast - kFirst + 1> xs_{}, ys_{};
  std::array<double, kFineSteps + 1> z_{}, w_{};
  int rising_ = 0, falling_ = 0;
};

}  // namespace

void mVerticali(CommandContext& ctx) {
  RunCommand(ctx, [&] {
    const std::string prepared = PrepareFormula(ctx.funzione);
    SetGraphFrame(ctx.surface, ctx.view);
    VerticalScan scan(ctx);
    scan.Run(prepared);
  });
}

}  // namespace curvalis
