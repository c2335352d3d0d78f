// The written study on its ways out: the sheet of the worked example built over the engine
// double (the builder and our evaluator's checks alone, no computer algebra), its graph and its
// table painted onto an image the size of a printed page's drawing, and each kind of export
// written to a file. Read the exports against the build of the sheet they write.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "io/study/study_output.h"
#include "study/canned_engine.h"
#include "study/sheet.h"

namespace {

using namespace curvalis;

study::Sheet WorkedSheet() {
  study::testing::CannedEngine engine(study::testing::WorkedExample());
  return study::BuildSheet(engine, "(x^2-1)/(x-2)");
}

void BM_BuildSheet(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WorkedSheet());
}
BENCHMARK(BM_BuildSheet)->Unit(benchmark::kMillisecond);

// The graph at 1200 × 900 pixels: 2400 samples of f, the asymptotes, the points and labels.
void BM_PaintGraph(benchmark::State& state) {
  const study::Sheet sheet = WorkedSheet();
  QImage image(1200, 900, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&image);
    PaintStudyGraph(p, QRectF(0, 0, 1200, 900), sheet);
  }
}
BENCHMARK(BM_PaintGraph)->Unit(benchmark::kMillisecond);

void BM_PaintTable(benchmark::State& state) {
  const study::Sheet sheet = WorkedSheet();
  QImage image(1200, 400, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&image);
    PaintVariationTable(p, QRectF(0, 0, 1200, 400), sheet.table);
  }
}
BENCHMARK(BM_PaintTable)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state) {
  const auto format = StudyFormat(state.range(0));
  const study::Sheet sheet = WorkedSheet();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("studio.") + StudySuffix(format));
  for (auto _ : state) {
    QString reason;
    if (!ExportStudy(sheet, path, format, &reason)) state.SkipWithError("export failed");
  }
  state.SetLabel(StudySuffix(format).toStdString());
}
BENCHMARK(BM_Export)
    ->Arg(int(StudyFormat::Pdf))
    ->Arg(int(StudyFormat::Latex))
    ->Arg(int(StudyFormat::Markdown))
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
