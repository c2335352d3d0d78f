// Simpson's rule over the limits, with a progress report that can stop a long sum.
#include "analysis/analyses.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace curvalis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Evaluations between two progress reports: often enough for a responsive cancel button,
// rare enough to cost nothing.
constexpr long long kReportEvery = 1 << 16;

// Nodes evaluated at once.
constexpr std::size_t kBlock = 256;

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
  // The nodes are evaluated a block at a time; the sums take them one by one, in order.
  double xs[kBlock], ys[kBlock];
  double se = 0;
  for (long long first = 1; static_cast<double>(first) <= n - 1;
       first += static_cast<long long>(kBlock)) {
    std::size_t count = 0;
    for (long long i = first; count < kBlock && static_cast<double>(i) <= n - 1; ++i) {
      xs[count++] = a + h * (2 * static_cast<double>(i));
    }
    book.NumbersAt(xs, ys, count);
    for (std::size_t k = 0; k < count; ++k) {
      if (std::isnan(ys[k])) return kNaN;
      se = se + 2 * ys[k];
      if (stopped()) return kNaN;
    }
  }
  // Odd nodes, weight 4.
  double so = 0;
  for (long long first = 1; static_cast<double>(first) <= n;
       first += static_cast<long long>(kBlock)) {
    std::size_t count = 0;
    for (long long j = first; count < kBlock && static_cast<double>(j) <= n; ++j) {
      xs[count++] = a + h * (2 * static_cast<double>(j) - 1);
    }
    book.NumbersAt(xs, ys, count);
    for (std::size_t k = 0; k < count; ++k) {
      if (std::isnan(ys[k])) return kNaN;
      so = so + 4 * ys[k];
      if (stopped()) return kNaN;
    }
  }
  const double fa = book.NumberAt(a);
  const double fb = book.NumberAt(b);
  return (((fa + fb) + se) + so) * (h / 3);
}

}  // namespace curvalis
