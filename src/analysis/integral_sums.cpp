// Simpson's rule over the limits, with a progress report that can stop a long sum.
#include "analysis/analyses.h"

#include <cmath>
#include <limits>

namespace curvalis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Evaluations between two progress reports: often enough for a responsive cancel button,
// rare enough to cost nothing.
constexpr long long kReportEvery = 1 << 16;

// Counts the evaluations of one integral and reports them.
class ProgressCounter {
 public:
  ProgressCounter(const Progress* progress, double total) : progress_(progress), total_(total) {}
  // One more evaluation; false when the user asked to stop.
  bool Step() {
    if (++done_ % kReportEvery != 0 || !progress_) return true;
    if (progress_->report) progress_->report(total_ > 0 ? done_ / total_ : 1.0);
    return !progress_->keepGoing || progress_->keepGoing();
  }

 private:
  const Progress* progress_;
  double total_;
  long long done_ = 0;
};

// The number of whole k >= 1 with k <= limit.
double LoopCount(double limit) {
  return limit >= 1 ? std::floor(limit) : 0;
}

}  // namespace

double SimpsonIntegral(EvalBook& book, double a, double b, double n, const Progress* progress,
                       bool* cancelled) {
  if (cancelled) *cancelled = false;
  const double h = (b - a) / (2 * n);
  ProgressCounter counter(progress, LoopCount(n - 1) + LoopCount(n) + 2);
  auto stopped = [&] {
    if (counter.Step()) return false;
    if (cancelled) *cancelled = true;
    return true;
  };
  // Even nodes, weight 2; the loops run over whole counters while they stay within n - 1 and
  // n, so a fractional count takes the whole ones below it.
  double se = 0;
  for (long long i = 1; static_cast<double>(i) <= n - 1; ++i) {
    double y = book.NumberAt(a + h * (2 * static_cast<double>(i)));
    if (std::isnan(y)) return kNaN;
    se = se + 2 * y;
    if (stopped()) return kNaN;
  }
  // Odd nodes, weight 4.
  double so = 0;
  for (long long j = 1; static_cast<double>(j) <= n; ++j) {
    double y = book.NumberAt(a + h * (2 * static_cast<double>(j) - 1));
    if (std::isnan(y)) return kNaN;
    so = so + 4 * y;
    if (stopped()) return kNaN;
  }
  const double fa = book.NumberAt(a);
  const double fb = book.NumberAt(b);
  return (((fa + fb) + se) + so) * (h / 3);
}

}  // namespace curvalis
