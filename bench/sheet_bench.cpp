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
#include <chrono>
#include <functional>
#include <random>

#include "exact_engine/helper_engine.h"
#include "exact_engine/translate.h"
#include "exact_engine/writer.h"
#include "exact_protocol/protocol.h"
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

// 200 random elementary formulas, from a fixed seed, built from the operations table: each
// operation of one argument, sums, products, powers with a whole exponent, over x and small
// whole numbers, nested three deep.
std::vector<std::string> RandomFormulas() {
  std::mt19937 rng(20261209);
  std::vector<std::string_view> unary;
  for (const Operation& op : kOperations) {
    if (op.arity == 1) unary.push_back(op.name);
  }
  std::function<Node(int)> make = [&](int depth) -> Node {
    const int pick = depth == 0 ? 0 : int(rng() % 10);
    if (pick <= 2) return rng() % 3 ? Node::Var() : ExactDecimal(double(1 + rng() % 5));
    if (pick <= 5) return Node::Of(std::string(unary[rng() % unary.size()]), {make(depth - 1)});
    if (pick == 6) return Node::Of("^", {make(depth - 1), ExactDecimal(double(2 + rng() % 2))});
    return Node::Of(pick <= 8 ? "+" : "*", {make(depth - 1), make(depth - 1)});
  };
  std::vector<std::string> out;
  while (out.size() < 200) {
    const Node n = make(3);
    if (HasX(n)) out.push_back(StudentText(n));
  }
  return out;
}

// The slowest sheet of the list with one helper kept running: its time is the counter
// `worst_ms` (the goal: every study within 5 s, whatever the engine does).
void SheetWorstOfRandomFormulas(benchmark::State& state) {
  if (!std::getenv("CURVALIS_EXACT")) {
    state.SkipWithError("CURVALIS_EXACT names no helper");
    return;
  }
  const std::vector<std::string> formulas = RandomFormulas();
  auto engine = MakeExactEngine(Helper());
  double worst = 0, total = 0;
  std::string slowest;
  for (auto _ : state) {
    for (const std::string& f : formulas) {
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(BuildSheet(*engine, f));
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      total += ms;
      if (ms > worst) {
        worst = ms;
        slowest = f;
      }
    }
  }
  state.counters["worst_ms"] = worst;
  state.counters["mean_ms"] = total / double(formulas.size());
  state.SetLabel("slowest: " + slowest);
}
BENCHMARK(SheetWorstOfRandomFormulas)->Unit(benchmark::kMillisecond)->Iterations(1);
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
