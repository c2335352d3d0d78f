// The formula evaluator against the same formulas written in C++ (the native baseline) and,
// when it is installed, muParser, over grids of 64 and 1024 points from -3.2 to 3.2: one sample
// at a time (EvaluateNumber, Evaluate) and the whole grid at once (EvaluateMany); and the time
// to compile a formula. After the usual table a summary gives nanoseconds per evaluation and
// the ratios, for each grid.
//
//   build-bench/bench/bench_eval                       (configure with -DCMAKE_BUILD_TYPE=Release
//                                                        -DCURVALIS_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/formula.h"

#ifdef CURVALIS_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

using curvalis::CompiledFormula;
using curvalis::FormulaReject;

// The grids: as many points as the graph and the scans evaluate, and a long one.
constexpr int kGrids[] = {64, 1024};
constexpr int kCheckPoints = 201;

std::vector<double> MakePoints(int n) {
  std::vector<double> p;
  for (int k = 0; k < n; ++k) p.push_back(-3.2 + 6.4 * k / (n - 1));
  return p;
}

const std::vector<double>& Points(int n) {
  static const std::map<int, std::vector<double>> grids = [] {
    std::map<int, std::vector<double>> g;
    for (int n : kGrids) g[n] = MakePoints(n);
    g[kCheckPoints] = MakePoints(kCheckPoints);
    return g;
  }();
  return grids.at(n);
}

struct BenchFormula {
  const char* text;      // as typed, and as muParser reads it
  const char* prepared;  // as our evaluator receives it
  const char* student;   // the same formula as a student writes it, prepared
};

const BenchFormula kFormulas[] = {
    {"sin(x)", "=sin(x1)", "=sen(x1)"},
    {"x^3-3*x", "=x1^3-3*x1", "=x1\xC2\xB3-3x1"},
    {"sin(x)*exp(-x^2/10)+ln(x^2+1)", "=sin(x1)*exp(-x1^2/10)+ln(x1^2+1)",
     "=sen(x1)e^(-x1\xC2\xB2/10)+ln(x1\xC2\xB2+1)"},
    {"(x^2-1)/(x-2)", "=(x1^2-1)/(x1-2)", "=(x1\xC2\xB2-1)/(x1-2)"},
    {"sqrt(abs(x))*atan(x)+cosh(x/5)", "=sqrt(abs(x1))*atan(x1)+cosh(x1/5)",
     "=\xE2\x88\x9A|x1| arctg(x1)+cosh(x1/5)"},
};
constexpr std::size_t kFormulaCount = std::size(kFormulas);

// The same formulas as a C++ programmer writes them, squares and cubes as products; each is
// inlined into its loop.
const auto kNative = std::make_tuple(
    [](double x) { return std::sin(x); }, [](double x) { return x * x * x - 3 * x; },
    [](double x) { return std::sin(x) * std::exp(-(x * x) / 10) + std::log(x * x + 1); },
    [](double x) { return (x * x - 1) / (x - 2); },
    [](double x) { return std::sqrt(std::fabs(x)) * std::atan(x) + std::cosh(x / 5); });
static_assert(std::tuple_size_v<decltype(kNative)> == kFormulaCount);

void PerEvaluation(benchmark::State& state, int points) {
  state.counters["per_eval"] = benchmark::Counter(
      points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool CompileOrSkip(benchmark::State& state, CompiledFormula& f, const char* prepared) {
  if (f.Compile(prepared) != FormulaReject::None) {
    state.SkipWithError("formula rejected");
    return false;
  }
  return true;
}

void BM_OursNumber(benchmark::State& state, std::size_t i, int n) {
  CompiledFormula f;
  if (!CompileOrSkip(state, f, kFormulas[i].prepared)) return;
  for (auto _ : state) {
    for (double x : Points(n)) {
      double r = f.EvaluateNumber(x);
      benchmark::DoNotOptimize(r);
    }
  }
  PerEvaluation(state, n);
}

void BM_OursValue(benchmark::State& state, std::size_t i, int n) {
  CompiledFormula f;
  if (!CompileOrSkip(state, f, kFormulas[i].prepared)) return;
  for (auto _ : state) {
    for (double x : Points(n)) {
      const curvalis::Value& v = f.Evaluate(x);
      benchmark::DoNotOptimize(v.number);
    }
  }
  PerEvaluation(state, n);
}

// The whole grid at once, into an array the caller keeps, as the analyses do.
void BM_OursBatch(benchmark::State& state, std::size_t i, int n) {
  CompiledFormula f;
  if (!CompileOrSkip(state, f, kFormulas[i].prepared)) return;
  const std::vector<double>& xs = Points(n);
  std::vector<double> ys(xs.size());
  for (auto _ : state) {
    f.EvaluateMany(xs.data(), ys.data(), xs.size());
    benchmark::DoNotOptimize(ys.data());
    benchmark::ClobberMemory();
  }
  PerEvaluation(state, n);
}

template <std::size_t I>
void BM_Native(benchmark::State& state, int n) {
  const auto fn = std::get<I>(kNative);
  for (auto _ : state) {
    for (double x : Points(n)) {
      double r = fn(x);
      benchmark::DoNotOptimize(r);
    }
  }
  PerEvaluation(state, n);
}

#ifdef CURVALIS_HAVE_MUPARSER
void BM_MuParser(benchmark::State& state, std::size_t i, int n) {
  double var = 0;
  mu::Parser p;
  try {
    p.DefineVar("x", &var);
    p.SetExpr(kFormulas[i].text);
    p.Eval();
  } catch (const mu::Parser::exception_type& e) {
    state.SkipWithError(e.GetMsg().c_str());
    return;
  }
  for (auto _ : state) {
    for (double x : Points(n)) {
      var = x;
      double r = p.Eval();
      benchmark::DoNotOptimize(r);
    }
  }
  PerEvaluation(state, n);
}
#endif

void BM_Compile(benchmark::State& state, std::size_t i) {
  for (auto _ : state) {
    CompiledFormula f;
    FormulaReject r = f.Compile(kFormulas[i].prepared);
    benchmark::DoNotOptimize(r);
  }
}

void BM_CompileStudent(benchmark::State& state, std::size_t i) {
  for (auto _ : state) {
    CompiledFormula f;
    FormulaReject r = f.Compile(kFormulas[i].student);
    benchmark::DoNotOptimize(r);
  }
}

// Our values must be the native ones, or the comparison means nothing; the student's
// notation and the whole grid at once must give the same values bit for bit.
bool CheckAgreement() {
  bool ok = true;
  auto check = [&]<std::size_t I>(std::integral_constant<std::size_t, I>) {
    CompiledFormula f, student;
    if (f.Compile(kFormulas[I].prepared) != FormulaReject::None ||
        student.Compile(kFormulas[I].student) != FormulaReject::None) {
      std::fprintf(stderr, "rejected: %s\n", kFormulas[I].text);
      ok = false;
      return;
    }
    const std::vector<double>& xs = Points(kCheckPoints);
    std::vector<double> many(xs.size());
    f.EvaluateMany(xs.data(), many.data(), xs.size());
    for (std::size_t k = 0; k < xs.size(); ++k) {
      const double x = xs[k];
      double want = std::get<I>(kNative)(x);
      double got = f.EvaluateNumber(x);
      if (!(std::fabs(got - want) <= 1e-12 * (1 + std::fabs(want)))) {
        std::fprintf(stderr, "%s at %g: %.17g, native %.17g\n", kFormulas[I].text, x, got, want);
        ok = false;
      }
      if (std::bit_cast<std::uint64_t>(student.EvaluateNumber(x)) !=
          std::bit_cast<std::uint64_t>(got)) {
        std::fprintf(stderr, "%s at %g: the student's notation differs\n", kFormulas[I].text, x);
        ok = false;
      }
      if (std::bit_cast<std::uint64_t>(many[k]) != std::bit_cast<std::uint64_t>(got)) {
        std::fprintf(stderr, "%s at %g: the batch differs\n", kFormulas[I].text, x);
        ok = false;
      }
    }
  };
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (check(std::integral_constant<std::size_t, I>{}), ...);
  }
  (std::make_index_sequence<kFormulaCount>{});
  return ok;
}

std::string Key(const char* variant, std::size_t i, int n = 0) {
  return std::string(variant) + "/" + std::to_string(i) + (n ? "/" + std::to_string(n) : "");
}

void RegisterAll() {
  for (int n : kGrids) {
    for (std::size_t i = 0; i < kFormulaCount; ++i) {
      benchmark::RegisterBenchmark(Key("ours_batch", i, n).c_str(), BM_OursBatch, i, n);
      benchmark::RegisterBenchmark(Key("ours_number", i, n).c_str(), BM_OursNumber, i, n);
      benchmark::RegisterBenchmark(Key("ours_value", i, n).c_str(), BM_OursValue, i, n);
#ifdef CURVALIS_HAVE_MUPARSER
      benchmark::RegisterBenchmark(Key("muparser", i, n).c_str(), BM_MuParser, i, n);
#endif
    }
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (benchmark::RegisterBenchmark(Key("native", I, n).c_str(), BM_Native<I>, n), ...);
    }
    (std::make_index_sequence<kFormulaCount>{});
  }
  for (std::size_t i = 0; i < kFormulaCount; ++i) {
    benchmark::RegisterBenchmark(Key("compile", i).c_str(), BM_Compile, i);
    benchmark::RegisterBenchmark(Key("compile_student", i).c_str(), BM_CompileStudent, i);
  }
}

// The console table, then the figures of this run side by side as ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      // Each repetition's own figure, the best of them; only medians when aggregates alone are
      // reported.
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type != Run::RT_Iteration && !median) continue;
      double ns = r.GetAdjustedCPUTime() *
                  benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                  benchmark::GetTimeUnitMultiplier(r.time_unit);
      auto& best = median ? medians_ : best_;
      std::string name = r.run_name.function_name;
      auto it = best.find(name);
      if (it == best.end() || ns < it->second) best[name] = ns;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    auto get = [&](const char* variant, std::size_t i, int n = 0) {
      for (const auto* m : {&best_, &medians_}) {
        auto it = m->find(Key(variant, i, n));
        if (it != m->end()) return it->second;
      }
      return std::numeric_limits<double>::quiet_NaN();
    };
    for (int points : kGrids) {
      std::printf(
          "\nns per evaluation (%d points): batch = the grid at once, one = EvaluateNumber\n",
          points);
      std::printf("%-32s %8s %8s %8s %8s %8s | %9s %9s %9s %9s %9s\n", "formula", "batch", "one",
                  "one Val", "native", "muParser", "batch/nat", "batch/muP", "one/nat", "one/muP",
                  "one/batch");
      double logs[5] = {};
      int n = 0;
      for (std::size_t i = 0; i < kFormulaCount; ++i) {
        const double batch = get("ours_batch", i, points) / points;
        const double one = get("ours_number", i, points) / points;
        const double value = get("ours_value", i, points) / points;
        const double native = get("native", i, points) / points;
        const double mu = get("muparser", i, points) / points;
        const double ratios[5] = {batch / native, batch / mu, one / native, one / mu, one / batch};
        std::printf("%-32s %8.2f %8.2f %8.2f %8.2f %8.2f | %9.2f %9.2f %9.2f %9.2f %9.2f\n",
                    kFormulas[i].text, batch, one, value, native, mu, ratios[0], ratios[1],
                    ratios[2], ratios[3], ratios[4]);
        for (int r = 0; r < 5; ++r) logs[r] += std::log(ratios[r]);
        ++n;
      }
      if (n > 0) {
        std::printf("%-32s %8s %8s %8s %8s %8s | %9.2f %9.2f %9.2f %9.2f %9.2f\n", "geometric mean",
                    "", "", "", "", "", std::exp(logs[0] / n), std::exp(logs[1] / n),
                    std::exp(logs[2] / n), std::exp(logs[3] / n), std::exp(logs[4] / n));
      }
    }
    std::printf("\ncompile time (us)%15s %9s %9s\n", "", "as above", "student");
    for (std::size_t i = 0; i < kFormulaCount; ++i) {
      std::printf("%-32s %9.3f %9.3f\n", kFormulas[i].text, get("compile", i) / 1000,
                  get("compile_student", i) / 1000);
    }
  }

 private:
  std::map<std::string, double> best_;
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  if (!CheckAgreement()) return 1;
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
