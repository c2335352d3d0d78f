// The integral window's "=" end to end on a plain surface: formula preparation, the Simpson
// sums, the result text and the diagram with its hatching; against the same Simpson sums
// over the function written in C++, so the figures read as a ratio to native code.
#include <benchmark/benchmark.h>

#include <cmath>

#include "session/integral.h"

namespace {

using namespace curvalis;

constexpr const char* kFormula = "sin(x)*exp(-x^2/10)+ln(x^2+1)";

double Native(double x) {
  return std::sin(x) * std::exp(-x * x / 10) + std::log(x * x + 1);
}

// range(0): the segment count.
void IntegralEndToEnd(benchmark::State& state) {
  Surface diagram{std::string(kDiagramSurface), kDiagramWidthPx, kDiagramHeightPx};
  Surface main{"main", 632, 434};
  NullHost host;
  EvalServer server;
  IntegraleFields fields;
  const std::string segmenti = std::to_string(state.range(0));
  for (auto _ : state) {
    IntegraleContext ctx{diagram, main, server.book(), host, kFormula, "2", "-1", segmenti};
    benchmark::DoNotOptimize(ComputeIntegral(ctx, fields));
  }
  state.SetLabel(fields.area);
  state.counters["evaluations"] = double(2 * state.range(0) + 1 + 64);
}

// The same nodes and weights over the C++ function.
void NativeSimpson(benchmark::State& state) {
  const double n = double(state.range(0)), a = -1, b = 2, h = (b - a) / (2 * n);
  for (auto _ : state) {
    double se = 0, so = 0;
    for (long long i = 1; double(i) <= n - 1; ++i) se += 2 * Native(a + h * (2 * double(i)));
    for (long long j = 1; double(j) <= n; ++j) so += 4 * Native(a + h * (2 * double(j) - 1));
    benchmark::DoNotOptimize((((Native(a) + Native(b)) + se) + so) * (h / 3));
  }
}

BENCHMARK(IntegralEndToEnd)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(NativeSimpson)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
