// The exact engine when its helper fails: missing, killed in the middle of a request, past its
// time limit, writing garbage. Each question gets "not determined" or the numeric answer, never
// a hang or a crash, and the question after it works.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "exact_engine/helper_engine.h"
#include "exact_engine/helper_process.h"

namespace curvalis::study {
namespace {

// A helper of our own: a shell script that misbehaves once (the marker file records it) and
// then runs `laterRuns`, the real helper unless told otherwise. Each start adds a line to a
// file, so that a test can count them; $D names the script's folder.
class FakeHelper {
 public:
  explicit FakeHelper(const std::string& firstRun, const std::string& laterRuns = "") {
    char dir[] = "/tmp/curvalis-exact-test.XXXXXX";
    dir_ = mkdtemp(dir);
    path_ = dir_ + "/helper.sh";
    std::ofstream out(path_);
    out << "#!/bin/sh\n"
        << "D='" << dir_ << "'\n"
        << "echo >> \"$D/starts\"\n"
        << "if [ ! -e \"$D/ran\" ]; then\n"
        << "  : > \"$D/ran\"\n"
        << firstRun << "\n"
        << "fi\n"
        << (laterRuns.empty() ? "exec '" CURVALIS_EXACT_HELPER "'" : laterRuns) << "\n";
    out.close();
    chmod(path_.c_str(), 0755);
  }
  ~FakeHelper() {
    for (const char* f : {"/ran", "/starts", "/grandchild"}) std::remove((dir_ + f).c_str());
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  int Starts() const {
    std::ifstream in(dir_ + "/starts");
    int n = 0;
    for (std::string l; std::getline(in, l);) ++n;
    return n;
  }

 private:
  std::string dir_, path_;
};

std::unique_ptr<ExactEngine> EngineAt(const std::string& path, int limitMs = 3000) {
  unsetenv("CURVALIS_EXACT");
  EngineOptions o;
  o.helperPath = path;
  o.timeLimit = std::chrono::milliseconds(limitMs);
  return MakeExactEngine(o);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Each row: a first run of the helper that fails one way, and the reason the first question
// gets. The second question is answered by the real helper started anew.
TEST(ExactEngineFaults, FailedHelperGivesUndeterminedThenRecovers) {
  struct Row {
    const char* name;
    const char* firstRun;
    const char* reason;
  } rows[] = {
      {"garbage", "while read l; do echo 'garbage {'; done; exit 0",
       "non determinato: risposta non valida del motore di calcolo"},
      {"wrong id", "read l; echo '{\"id\":999,\"ok\":true,\"r\":[]}'; sleep 5",
       "non determinato: risposta non valida del motore di calcolo"},
      {"killed mid-request", "read l; kill -9 $$",
       "non determinato: il motore di calcolo si è interrotto"},
      {"silent", "exec sleep 30", "non determinato: tempo scaduto"},
      {"endless line", "exec yes x", "non determinato: risposta non valida del motore di calcolo"},
      // More error text than a pipe holds, then a line of it as the answer: none of it
      // reaches a reason or the program's own standard error.
      {"error text",
       "read l; i=0; while [ $i -lt 3000 ]; do echo 'Giac error: Bad Argument Value' >&2;"
       " i=$((i+1)); done; echo 'Error: Bad Argument Value'; exit 0",
       "non determinato: risposta non valida del motore di calcolo"},
  };
  // The program's standard error, to a file for the while.
  std::fflush(stderr);
  const int savedErr = dup(STDERR_FILENO);
  char errPath[] = "/tmp/curvalis-exact-stderr.XXXXXX";
  const int errFile = mkstemp(errPath);
  ASSERT_GE(errFile, 0);
  dup2(errFile, STDERR_FILENO);
  for (const Row& r : rows) {
    FakeHelper fake(r.firstRun);
    auto e = EngineAt(fake.path(), 1500);
    ASSERT_TRUE(e->SetFunction("(x^2-1)/(x-2)").determined) << r.name;
    const auto start = std::chrono::steady_clock::now();
    auto d = e->Derivative(Which::D1);
    EXPECT_LT(Seconds(start), 5) << r.name;
    EXPECT_FALSE(d.determined) << r.name;
    EXPECT_EQ(d.reason(), r.reason) << r.name;
    // f = 0 still has its numeric answer.
    auto z = e->Solve(Which::F);
    ASSERT_TRUE(z.determined) << r.name;
    ASSERT_EQ(z.value.size(), 2u) << r.name;
    EXPECT_NEAR(z.value[1].value, 1, 1e-12) << r.name;
    // In the same study the failed question is not sent again; the next study's question
    // starts a new helper, which answers.
    EXPECT_FALSE(e->Derivative(Which::D1).determined) << r.name;
    ASSERT_TRUE(e->SetFunction("(x^2-1)/(x-2)").determined) << r.name;
    auto again = e->Derivative(Which::D1);
    ASSERT_TRUE(again.determined) << r.name << ": " << again.reason();
    EXPECT_EQ(again.value.text, "(x² − 4x + 1)/(x − 2)²") << r.name;
  }
  std::fflush(stderr);
  dup2(savedErr, STDERR_FILENO);
  close(savedErr);
  struct stat st {};
  fstat(errFile, &st);
  close(errFile);
  std::remove(errPath);
  EXPECT_EQ(st.st_size, 0) << "the helpers wrote on the program's standard error";
}

// A helper that ends between two questions: the next question finds it gone, which must
// neither end the program (SIGPIPE) nor hang, and is answered by a new helper.
TEST(ExactEngineFaults, HelperGoneBetweenQuestions) {
  FakeHelper fake("read l; echo '{\"id\":1,\"ok\":true,\"r\":[\"(* 3 (^ x 2))\"]}'; exit 0");
  auto e = EngineAt(fake.path());
  ASSERT_TRUE(e->SetFunction("x^3").determined);
  auto d = e->Derivative(Which::D1);
  ASSERT_TRUE(d.determined) << d.reason();
  EXPECT_EQ(d.value.text, "3x²");
  usleep(100000);  // the helper has ended by now
  auto dom = e->DomainOf(Which::F);
  ASSERT_TRUE(dom.determined) << dom.reason();
  EXPECT_EQ(dom.value.condition, "x ∈ ℝ");
  EXPECT_EQ(fake.Starts(), 2);
}

TEST(ExactEngineFaults, MissingHelperLeavesTheNumericStudy) {
  auto e = EngineAt("/nonexistent/curvalis-exact");
  ASSERT_TRUE(e->SetFunction("x - 2arctg(x)").determined);
  auto d = e->Derivative(Which::D1);
  EXPECT_FALSE(d.determined);
  EXPECT_EQ(d.why, Reason::Unavailable);
  auto dom = e->DomainOf(Which::F);
  EXPECT_FALSE(dom.determined);
  EXPECT_EQ(dom.why, Reason::Unavailable);
  auto z = e->Solve(Which::F);
  ASSERT_TRUE(z.determined);
  ASSERT_EQ(z.value.size(), 3u);
  EXPECT_EQ(z.value[0].text, "≈ −2.331122370");
  EXPECT_FALSE(z.value[0].exact);
  auto l = e->Limit(Which::F, Number{}, Approach::PlusInfinity);
  ASSERT_TRUE(l.determined);
  ASSERT_TRUE(l.value.has_value());
  EXPECT_EQ(l.value->text, "+∞");
  EXPECT_FALSE(l.value->exact);
}

TEST(ExactEngineFaults, EnvironmentNamesTheHelper) {
  setenv("CURVALIS_EXACT", "/nonexistent/other-helper", 1);
  EngineOptions o;
  o.helperPath = CURVALIS_EXACT_HELPER;
  auto e = MakeExactEngine(o);
  unsetenv("CURVALIS_EXACT");
  ASSERT_TRUE(e->SetFunction("x^2").determined);
  EXPECT_EQ(e->Derivative(Which::D1).why, Reason::Unavailable);
}

// A request that the CAS works on for seconds (expanding a large power) overruns a short
// limit: the helper is killed, and the next question gets its answer from a new one.
TEST(ExactEngineFaults, RequestPastItsLimit) {
  auto e = EngineAt(CURVALIS_EXACT_HELPER, 400);
  ASSERT_TRUE(e->SetFunction("(x+1)^2000-(x-1)^2000").determined);
  const auto start = std::chrono::steady_clock::now();
  auto d = e->Derivative(Which::D1);
  EXPECT_LT(Seconds(start), 3);
  EXPECT_FALSE(d.determined);
  EXPECT_EQ(d.why, Reason::TimeUp);
  ASSERT_TRUE(e->SetFunction("x^3").determined);
  auto d3 = e->Derivative(Which::D1);
  ASSERT_TRUE(d3.determined) << d3.reason();
  EXPECT_EQ(d3.value.text, "3x²");
}

// Whether a process is still there; one that has ended but not been waited for by its new
// parent (a zombie) is gone for our purpose.
bool Alive(pid_t pid) {
  if (kill(pid, 0) != 0) return false;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(in, stat);
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || stat.compare(close + 1, 2, " Z") != 0;
}

// Each row: a helper that misbehaves the same way on every start, a few requests with a short
// limit, and what each request gets. No request waits past its limit by much, a request
// starts at most one new helper (or two, the second once), and nothing the helper started
// outlives it.
TEST(HelperProcess, FailuresAreBoundedAndTheNextHelperIsNew) {
  using F = HelperProcess::Failure;
  struct Row {
    const char* name;
    const char* run;
    int pauseMs;  // between two requests
    std::vector<F> failures;
    int minStarts, maxStarts;
  } rows[] = {
      {"dies late in every request",
       "read l; sleep 0.35; kill -9 $$",
       0,
       {F::Died, F::Died, F::Died},
       3,
       3},
      {"ends, its child holding the output",
       "sleep 30 & echo $! > \"$D/grandchild\"; read l; exit 0",
       0,
       {F::Died},
       1,
       1},
      {"silent, its child holding the output",
       "sleep 30 & echo $! > \"$D/grandchild\"; exec sleep 30",
       0,
       {F::Timeout},
       1,
       1},
      {"ends while idle after answering",
       "read l; echo \"$l\"; exit 0",
       100,
       {F::None, F::None, F::None},
       3,
       3},
      {"ends after answering, at once",
       "read l; echo \"$l\"; exit 0",
       0,
       {F::None, F::None, F::None},
       3,
       3},
      // Never reads a request: sent again once, to a new helper, and no more.
      {"ends before reading", "exit 0", 0, {F::Died}, 2, 2},
      // Has read the request: not sent again.
      {"ends after reading", "read l; exit 0", 0, {F::Died, F::Died}, 2, 2},
  };
  // Far above the 0.35 s of the helper that dies late, so a loaded machine does not turn its
  // death into a time-out.
  constexpr int kLimitMs = 1500;
  for (const Row& r : rows) {
    FakeHelper fake(":", r.run);
    HelperProcess p(fake.path());
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < r.failures.size(); ++i) {
      if (i && r.pauseMs) usleep(r.pauseMs * 1000);
      F failure;
      const std::string line = "{\"id\":" + std::to_string(i + 1) + "}";
      std::optional<std::string> answer =
          p.Request(line, std::chrono::milliseconds(kLimitMs), failure);
      EXPECT_EQ(failure, r.failures[i]) << r.name << " request " << i;
      EXPECT_EQ(answer.has_value(), r.failures[i] == F::None) << r.name;
      if (answer) {
        EXPECT_EQ(*answer, line) << r.name;
      }
    }
    EXPECT_LT(Seconds(start), kLimitMs / 1000.0 * static_cast<double>(r.failures.size()) + 1.5)
        << r.name;
    EXPECT_GE(fake.Starts(), r.minStarts) << r.name;
    EXPECT_LE(fake.Starts(), r.maxStarts) << r.name;
    p.Stop();
    std::ifstream in(fake.dir() + "/grandchild");
    pid_t grandchild = 0;
    if (in >> grandchild) {
      for (int i = 0; i < 100 && Alive(grandchild); ++i) usleep(10000);
      EXPECT_FALSE(Alive(grandchild)) << r.name;
    }
  }
}

// Simplifications the CAS would work on for minutes: the helper's own bound cuts them short
// and the derivative is answered within the caller's limit, its values checked as always.
TEST(ExactEngineFaults, DerivativeAnsweredPastEndlessSimplification) {
  auto e = EngineAt(CURVALIS_EXACT_HELPER, 3000);
  ASSERT_TRUE(e->SetFunction("2e^(√(arctg(x/3)))").determined);
  auto d = e->Derivative(Which::D1);
  ASSERT_TRUE(d.determined) << d.reason();
  EXPECT_EQ(d.value.text, "3·e^(√(arctg(x/3)))/(√(arctg(x/3))·(x² + 9))");
}

// The client alone: the helper answers in order after a garbage line was refused.
TEST(HelperProcess, RefusesAnAnswerLongerThanItsLimit) {
  HelperProcess p("/bin/cat");
  HelperProcess::Failure failure;
  std::optional<std::string> echo =
      p.Request("{\"id\":1}", std::chrono::milliseconds(2000), failure);
  ASSERT_TRUE(echo.has_value());
  EXPECT_EQ(*echo, "{\"id\":1}");
  EXPECT_TRUE(p.Running());
  p.Stop();
  EXPECT_FALSE(p.Running());
  HelperProcess missing("/nonexistent");
  EXPECT_FALSE(missing.Request("x", std::chrono::milliseconds(100), failure).has_value());
  EXPECT_EQ(failure, HelperProcess::Failure::Missing);
}

}  // namespace
}  // namespace curvalis::study
