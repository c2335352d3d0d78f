// The main window's commands end to end: each drawing command alone, and the whole redraw
// sequence of one translation (graph and seven analyses). Each runs on a surface without
// sinks (evaluation and analysis alone), with the batch trace written to memory, and on the
// canvas (its picture at device pixel ratio 1 and 2, and its list of operations), so the time
// splits into evaluation and analysis against painting. Then the list of a whole quick study
// painted again: operation by operation as the canvas paints it, onto an image at one and three
// times the size, at the scale of a maximised window (one frame of a resize), and written to
// the exported files.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <sstream>

#include "analysis/analyses.h"
#include "core/operation_list.h"
#include "core/trace.h"
#include "io/drawing_painter.h"
#include "io/graph_output.h"
#include "session/main_commands.h"
#include "ui/common/image_sink.h"
#include "ui/common/surface_view.h"

namespace {

using namespace curvalis;

const char* const kFormulas[] = {"sin(x)", "tan(x)", "x^3-3*x", "1/x",
                                 "sin(x)*exp(-x^2/10)+ln(x^2+1)"};
const char* const kSinks[] = {"none", "trace", "canvas@1", "canvas@2"};

struct Setup {
  Surface surface{"main", 632, 434};
  NullHost host;
  std::string formula;
  std::ostringstream traceText;
  TraceWriter writer{traceText};
  TraceSink trace{writer, "main"};
  std::unique_ptr<ImageSink> canvas;
  OperationList operations{632, 434, kLightGrey};
  MainCommands main{surface, host, [this] { return formula; }};

  // sink: 0 none, 1 trace, 2 canvas at ratio 1, 3 canvas at ratio 2.
  Setup(int formulaIndex, int sink) : formula(kFormulas[formulaIndex]) {
    if (sink == 1) surface.AddSink(&trace);
    if (sink >= 2) {
      canvas = std::make_unique<ImageSink>(632, 434, sink == 2 ? 1.0 : 2.0, kLightGrey);
      surface.AddSink(canvas.get());
      surface.AddSink(&operations);
    }
    main.Load();
    main.Run(Cmd::mGrafico);
  }
  void drain() {
    if (traceText.tellp() > (1 << 20)) traceText.str({});
  }
};

void Label(benchmark::State& state) {
  state.SetLabel(std::string(kFormulas[state.range(0)]) + " / " + kSinks[state.range(1)]);
}

template <Cmd Analysis>
void Run(benchmark::State& state) {
  Setup s(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    s.main.Run(Analysis);
    s.drain();
  }
  Label(state);
}

// One translation: right and back left alternately, so the view stays near the origin.
void RedrawSequence(benchmark::State& state) {
  Setup s(int(state.range(0)), int(state.range(1)));
  bool left = true;
  for (auto _ : state) {
    left ? s.main.mSinistra() : s.main.mDestra();
    left = !left;
    s.drain();
  }
  Label(state);
}

void AllFormulas(benchmark::internal::Benchmark* b) {
  for (int f = 0; f < 5; ++f) {
    for (int sink = 0; sink < 4; ++sink) b->Args({f, sink});
  }
  b->Unit(benchmark::kMicrosecond);
}

void ThreeFormulas(benchmark::internal::Benchmark* b) {
  for (int f : {0, 2, 3}) {
    for (int sink = 0; sink < 4; ++sink) b->Args({f, sink});
  }
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(RedrawSequence)->Apply(AllFormulas);
BENCHMARK(Run<Cmd::mGrafico>)->Name("mGrafico")->Apply(AllFormulas);
BENCHMARK(Run<Cmd::mDominio>)->Name("mDominio")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mDerivata>)->Name("mDerivata")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mZeri>)->Name("mZeri")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mMinimi>)->Name("mMinimi")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mMassimi>)->Name("mMassimi")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mFlessi>)->Name("mFlessi")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mTangente>)->Name("mTangente")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mObliquiP>)->Name("mObliquiP")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mObliquiM>)->Name("mObliquiM")->Apply(ThreeFormulas);
BENCHMARK(Run<Cmd::mVerticali>)->Name("mVerticali")->Apply(ThreeFormulas);

// The list of a whole quick study: the graph, then "Studio rapido".
struct Studied {
  Surface surface{"main", 632, 434};
  NullHost host;
  std::string formula;
  OperationList list{632, 434, kLightGrey};
  MainCommands main{surface, host, [this] { return formula; }};
  explicit Studied(int formulaIndex) : formula(kFormulas[formulaIndex]) {
    surface.AddSink(&list);
    main.Load();
    main.Run(Cmd::mGrafico);
    main.mStudio();
  }
};

void StudyLabel(benchmark::State& state, const Studied& s) {
  state.SetLabel(s.formula + " / " + std::to_string(s.list.ops().size()) + " operations");
}

// As the canvas paints: one painter per operation on the screen picture.
void PaintEachOperation(benchmark::State& state) {
  Studied s(int(state.range(0)));
  for (auto _ : state) {
    ImageSink canvas(632, 434, 1.0, kLightGrey);
    s.list.Replay(canvas);
    benchmark::DoNotOptimize(canvas.image().constBits());
  }
  StudyLabel(state, s);
}

// The whole list onto a new image, `range(1)` times the size.
void RenderList(benchmark::State& state) {
  Studied s(int(state.range(0)));
  for (auto _ : state) {
    QImage image = RenderOperations(s.list, int(state.range(1)));
    benchmark::DoNotOptimize(image.constBits());
  }
  StudyLabel(state, s);
}

// The list written to a file of each kind: PNG at three times the size, SVG, PDF.
void Export(benchmark::State& state) {
  Studied s(int(state.range(0)));
  const auto format = PictureFormat(state.range(1));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Grafico.") + PictureSuffix(format));
  for (auto _ : state) {
    QString reason;
    if (!ExportDrawing(s.list, path, format, format == PictureFormat::Png ? 3 : 1, &reason)) {
      state.SkipWithError(reason.toStdString().c_str());
      break;
    }
  }
  StudyLabel(state, s);
}

// One frame of a resize: the whole list painted at the scale of a window `range(1)` x
// `range(2)` pixels large (the largest fit of the drawing), then copied onto the window's
// picture beside its margin, as the main window's canvas does at every new size.
void ResizeFrame(benchmark::State& state) {
  Studied s(int(state.range(0)));
  const QSize window(int(state.range(1)), int(state.range(2)));
  const qreal scale = std::min(window.width() / 632.0, window.height() / 434.0);
  QImage screen(window, QImage::Format_RGB32);
  for (auto _ : state) {
    QImage drawing = PaintScaled(s.list, scale, 1.0);
    QPainter p(&screen);
    p.fillRect(screen.rect(), Qt::lightGray);
    p.drawImage(QPointF((window.width() - drawing.width()) / 2, 0), drawing);
    p.end();
    benchmark::DoNotOptimize(screen.constBits());
  }
  StudyLabel(state, s);
}

BENCHMARK(ResizeFrame)
    ->Args({2, 632, 434})
    ->Args({2, 1920, 1080})
    ->Args({4, 1920, 1080})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PaintEachOperation)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderList)
    ->Args({2, 1})
    ->Args({2, 3})
    ->Args({4, 1})
    ->Args({4, 3})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Export)
    ->Args({2, int(PictureFormat::Png)})
    ->Args({2, int(PictureFormat::Svg)})
    ->Args({2, int(PictureFormat::Pdf)})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // fonts for the printed labels
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
