// The exact engine's helper program: one question's round trip with the helper warm (the
// derivative of the worked example (x^2-1)/(x-2), with all its simplified candidates), the
// same through the engine with its checks and writers, and the cold start of a helper up to
// its first answer.
#include <benchmark/benchmark.h>

#include <string>

#include "exact_engine/helper_engine.h"
#include "exact_engine/helper_process.h"
#include "exact_engine/translate.h"
#include "exact_protocol/protocol.h"

namespace {

using namespace curvalis::study;

std::string DiffRequest(long long id) {
  const Node f = *TranslateFormula("(x^2-1)/(x-2)").tree;
  return JsonLine(
      {{"id", JNum(id)}, {"op", JStr("diff")}, {"e", JStr(TreeText(f))}, {"n", JNum(1)}});
}

// One request line out, one answer line back, the helper already running.
void BM_WarmDerivativeRoundTrip(benchmark::State& state) {
  HelperProcess helper(CURVALIS_EXACT_HELPER);
  HelperProcess::Failure failure;
  long long id = 1;
  helper.Request(DiffRequest(id++), std::chrono::milliseconds(10000), failure);  // warm up
  for (auto _ : state) {
    auto answer = helper.Request(DiffRequest(id++), std::chrono::milliseconds(10000), failure);
    if (!answer) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(answer);
  }
}
BENCHMARK(BM_WarmDerivativeRoundTrip)->Unit(benchmark::kMillisecond);

// The engine's Derivative(f′) for a new function each time (its answers are kept per
// function): translation, the helper's round trip, the choice among the candidates checked
// against central differences, the writers.
void BM_WarmEngineDerivative(benchmark::State& state) {
  EngineOptions o;
  o.helperPath = CURVALIS_EXACT_HELPER;
  auto engine = MakeExactEngine(o);
  engine->SetFunction("x");
  engine->Derivative(Which::D1);  // warm up
  int k = 1;
  for (auto _ : state) {
    engine->SetFunction("(x^2-" + std::to_string(k++) + ")/(x-2)");
    auto d = engine->Derivative(Which::D1);
    if (!d.determined) state.SkipWithError("not determined");
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_WarmEngineDerivative)->Unit(benchmark::kMillisecond);

// A helper started and asked its first question (the derivative), then stopped.
void BM_ColdStart(benchmark::State& state) {
  HelperProcess::Failure failure;
  for (auto _ : state) {
    HelperProcess helper(CURVALIS_EXACT_HELPER);
    auto answer = helper.Request(DiffRequest(1), std::chrono::milliseconds(10000), failure);
    if (!answer) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(answer);
    helper.Stop();
  }
}
BENCHMARK(BM_ColdStart)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
