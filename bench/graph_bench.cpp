// The main window's drawing commands end to end on the canvas picture: the graph, and the
// whole redraw sequence of one translation (graph and seven analyses), at device pixel ratio
// 1 and 2; and the same on a surface without sinks, so the time splits into evaluation and
// analysis against painting.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "analysis/main_commands.h"
#include "ui/main/image_sink.h"

namespace {

using namespace curvalis;

const char* const kFormulas[] = {"sin(x)", "tan(x)", "x^3-3*x", "1/x",
                                 "sin(x)*exp(-x^2/10)+ln(x^2+1)"};

struct Setup {
  Surface surface{"main", 632, 434};
  NullHost host;
  std::string formula;
  std::unique_ptr<ImageSink> sink;
  MainCommands main{surface, host, [this] { return formula; }};
  Setup(int formulaIndex, qreal ratio) : formula(kFormulas[formulaIndex]) {
    if (ratio > 0) {
      sink = std::make_unique<ImageSink>(632, 434, ratio, kLightGrey);
      surface.AddSink(sink.get());
    }
    main.Load();
  }
};

// range(0): formula; range(1): 0 = no painting, 1 or 2 = device pixel ratio.
void Graph(benchmark::State& state) {
  Setup s(int(state.range(0)), qreal(state.range(1)));
  for (auto _ : state) s.main.mGrafico();
  state.SetLabel(kFormulas[state.range(0)]);
}

// One translation: right and back left alternately, so the view stays near the origin.
void RedrawSequence(benchmark::State& state) {
  Setup s(int(state.range(0)), qreal(state.range(1)));
  bool left = true;
  for (auto _ : state) {
    left ? s.main.mSinistra() : s.main.mDestra();
    left = !left;
  }
  state.SetLabel(kFormulas[state.range(0)]);
}

void Args(benchmark::internal::Benchmark* b) {
  for (int f = 0; f < 5; ++f) {
    for (int ratio : {0, 1, 2}) b->Args({f, ratio});
  }
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(Graph)->Apply(Args);
BENCHMARK(RedrawSequence)->Apply(Args);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // fonts for the printed labels
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
