// The coordinates under the pointer, as the main window asks for them at every mouse move: one
// text per move with the formula compiled once for its text, against compiling it at every
// move. A move comes every few milliseconds at most; the figures say how little of that a
// readout takes.
#include <benchmark/benchmark.h>

#include <string>

#include "session/pointer_readout.h"

namespace {

using namespace curvalis;

const char* const kFormulas[] = {"x^3-3*x", "sin(x)*exp(-x^2/10)+ln(x^2+1)", "1/x"};

// The pointer sweeping the drawing, one pixel column per move.
void BM_ReadoutPerMove(benchmark::State& state) {
  const std::string funzione = kFormulas[state.range(0)];
  PointerReadout readout;
  ViewState view;
  double px = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(readout.Text(funzione, view, px, 200, "."));
    px = px >= 632 ? 0 : px + 1;
  }
  state.SetLabel(funzione);
}
BENCHMARK(BM_ReadoutPerMove)->DenseRange(0, 2);

// The same with a readout made afresh at every move, so the formula is compiled each time:
// what the readout would cost without keeping the compiled formula.
void BM_ReadoutCompilingEachMove(benchmark::State& state) {
  const std::string funzione = kFormulas[state.range(0)];
  ViewState view;
  double px = 0;
  for (auto _ : state) {
    PointerReadout readout;
    benchmark::DoNotOptimize(readout.Text(funzione, view, px, 200, "."));
    px = px >= 632 ? 0 : px + 1;
  }
  state.SetLabel(funzione);
}
BENCHMARK(BM_ReadoutCompilingEachMove)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
