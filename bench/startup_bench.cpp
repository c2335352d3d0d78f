// Start-up: from process start to the first painted main window, for the program and for a
// bare Qt main window with a menu bar, side by side; time and peak memory (the largest
// resident set of the child).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// Runs `path --quit-on-first-paint` (offscreen) and returns the child's peak RSS in KiB.
long RunOnce(const std::string& path) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    execl(path.c_str(), path.c_str(), "--quit-on-first-paint", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

void Startup(benchmark::State& state, const char* path) {
  long peak = 0;
  for (auto _ : state) {
    long rss = RunOnce(path);
    if (rss < 0) {
      state.SkipWithError("the program did not start");
      return;
    }
    peak = std::max(peak, rss);
  }
  state.counters["peak_rss_KiB"] = static_cast<double>(peak);
}

BENCHMARK_CAPTURE(Startup, curvalis, CURVALIS_PROGRAM)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(Startup, bare_qt_window, CURVALIS_BARE_WINDOW)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
