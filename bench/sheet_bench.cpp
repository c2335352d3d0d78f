// The written study: the whole sheet of the worked example (our checks and scans over the
// engine's answers, with a double of the engine that answers at once), and with the real
// helper program when CURVALIS_EXACT names it (cold: a new helper per sheet; warm: one
// helper kept running); the writing of the Markdown and of the LaTeX.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "study/canned_engine.h"
#include "study/sheet.h"
#include "study/sheet_writers.h"
#ifdef CURVALIS_HAVE_HELPER_ENGINE
#include "exact_engine/helper_engine.h"
#endif

namespace {

using namespace curvalis::study;

constexpr const char* kWorked = "(x^2-1)/(x-2)";

void SheetWithCannedEngine(benchmark::State& state) {
  testing::CannedEngine engine(testing::WorkedExample());
  for (auto _ : state) benchmark::DoNotOptimize(BuildSheet(engine, kWorked));
}
BENCHMARK(SheetWithCannedEngine)->Unit(benchmark::kMillisecond);

#ifdef CURVALIS_HAVE_HELPER_ENGINE
// The same engine without the questions of the working: the sheet with its results alone, to
// weigh what the working costs.
class WithoutWorking : public ExactEngine {
 public:
  explicit WithoutWorking(ExactEngine& e) : e_(e) {}
  Answer<Expr> SetFunction(std::string_view f) override { return e_.SetFunction(f); }
  Answer<Expr> Derivative(Which w) override { return e_.Derivative(w); }
  Answer<Domain> DomainOf(Which w) override { return e_.DomainOf(w); }
  Answer<std::vector<Number>> Solve(Which w) override { return e_.Solve(w); }
  Answer<std::optional<Number>> Limit(Which w, const Number& at, Approach side) override {
    return e_.Limit(w, at, side);
  }
  Answer<std::optional<Line>> Asymptote(bool plus) override { return e_.Asymptote(plus); }
  Answer<Symmetry> SymmetryOf() override { return e_.SymmetryOf(); }
  Answer<Number> ValueAt(Which w, const Number& at) override { return e_.ValueAt(w, at); }

 private:
  ExactEngine& e_;
};

EngineOptions Helper() {
  EngineOptions o;
  if (const char* p = std::getenv("CURVALIS_EXACT")) o.helperPath = p;
  return o;
}

void SheetWithHelperCold(benchmark::State& state) {
  if (!std::getenv("CURVALIS_EXACT")) {
    state.SkipWithError("CURVALIS_EXACT names no helper");
    return;
  }
  for (auto _ : state) {
    auto engine = MakeExactEngine(Helper());
    benchmark::DoNotOptimize(BuildSheet(*engine, kWorked));
  }
}
BENCHMARK(SheetWithHelperCold)->Unit(benchmark::kMillisecond)->Iterations(5);

void SheetWithHelperWarm(benchmark::State& state) {
  if (!std::getenv("CURVALIS_EXACT")) {
    state.SkipWithError("CURVALIS_EXACT names no helper");
    return;
  }
  auto engine = MakeExactEngine(Helper());
  BuildSheet(*engine, kWorked);
  for (auto _ : state) benchmark::DoNotOptimize(BuildSheet(*engine, kWorked));
}
BENCHMARK(SheetWithHelperWarm)->Unit(benchmark::kMillisecond)->Iterations(10);

void SheetWithoutWorkingCold(benchmark::State& state) {
  if (!std::getenv("CURVALIS_EXACT")) {
    state.SkipWithError("CURVALIS_EXACT names no helper");
    return;
  }
  for (auto _ : state) {
    auto engine = MakeExactEngine(Helper());
    WithoutWorking plain(*engine);
    benchmark::DoNotOptimize(BuildSheet(plain, kWorked));
  }
}
BENCHMARK(SheetWithoutWorkingCold)->Unit(benchmark::kMillisecond)->Iterations(5);

void SheetWithoutWorkingWarm(benchmark::State& state) {
  if (!std::getenv("CURVALIS_EXACT")) {
    state.SkipWithError("CURVALIS_EXACT names no helper");
    return;
  }
  auto engine = MakeExactEngine(Helper());
  WithoutWorking plain(*engine);
  BuildSheet(plain, kWorked);
  for (auto _ : state) benchmark::DoNotOptimize(BuildSheet(plain, kWorked));
}
BENCHMARK(SheetWithoutWorkingWarm)->Unit(benchmark::kMillisecond)->Iterations(10);
#endif

void WriteMarkdown(benchmark::State& state) {
  testing::CannedEngine engine(testing::WorkedExample());
  const Sheet sheet = BuildSheet(engine, kWorked);
  for (auto _ : state) benchmark::DoNotOptimize(SheetMarkdown(sheet));
}
BENCHMARK(WriteMarkdown)->Unit(benchmark::kMicrosecond);

void WriteLatex(benchmark::State& state) {
  testing::CannedEngine engine(testing::WorkedExample());
  const Sheet sheet = BuildSheet(engine, kWorked);
  for (auto _ : state) benchmark::DoNotOptimize(SheetLatex(sheet));
}
BENCHMARK(WriteLatex)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
