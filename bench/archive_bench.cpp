// Reading a long archive: the Qt-free field reader alone, and the archive window's load
// (reading the file and filling List1), against copying the same bytes as a baseline.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <string>

#include "core/archive_format.h"
#include "ui/archive/archivio_window.h"
#include "ui/main/tervano.h"

namespace {

std::string Archive(int records) {
  std::string bytes;
  for (int i = 0; i < records; ++i)
    bytes += curvalis::ArchiveRecord("x^" + std::to_string(i) + "+sin(x)");
  return bytes;
}

void BM_CopyBytes(benchmark::State& state) {
  const std::string bytes = Archive(int(state.range(0)));
  for (auto _ : state) {
    std::string copy = bytes;
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_CopyBytes)->Arg(100000);

void BM_ReadArchive(benchmark::State& state) {
  const std::string bytes = Archive(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(curvalis::ReadArchive(bytes));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ReadArchive)->Arg(100000);

// "Apri funzione" with a long archive: the window is loaded and filled.
void BM_OpenArchivio(benchmark::State& state) {
  QTemporaryDir dir;
  qputenv("CURVALIS_DATA_DIR", QFile::encodeName(dir.path()));
  const std::string bytes = Archive(int(state.range(0)));
  QFile file(dir.filePath("Archivio.txt"));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) < 0) {
    state.SkipWithError("cannot write the archive");
    return;
  }
  file.close();
  curvalis::AppContext context;
  curvalis::Tervano main(context);
  for (auto _ : state) {
    auto* window = new curvalis::ArchivioWindow(context, &main);
    benchmark::DoNotOptimize(window);
    state.PauseTiming();
    delete window;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenArchivio)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
