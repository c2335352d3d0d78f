// The exact engine when its helper fails: missing, killed in the middle of a request, past its
// time limit, writing garbage. Each question gets "not determined" or the numeric answer, never
// a hang or a crash, and the question after it works.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "exact_engine/helper_engine.h"
#include "exact_engine/helper_process.h"

namespace curvalis::study {
namespace {

// A helper of our own: a shell script that misbehaves once (the marker file records it) and
// then runs the real helper.
class FakeHelper {
 public:
  explicit FakeHelper(const std::string& firstRun) {
    char dir[] = "/tmp/curvalis-exact-test.XXXXXX";
    dir_ = mkdtemp(dir);
    path_ = dir_ + "/helper.sh";
    std::ofstream out(path_);
    out << "#!/bin/sh\n"
        << "if [ ! -e '" << dir_ << "/ran' ]; then\n"
        << "  : > '" << dir_ << "/ran'\n"
        << firstRun << "\n"
        << "fi\n"
        << "exec '" << CURVALIS_EXACT_HELPER << "'\n";
    out.close();
    chmod(path_.c_str(), 0755);
  }
  ~FakeHelper() {
    std::remove((dir_ + "/ran").c_str());
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  const std::string& path() const { return path_; }

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
  };
  for (const Row& r : rows) {
    FakeHelper fake(r.firstRun);
    auto e = EngineAt(fake.path(), 1500);
    ASSERT_TRUE(e->SetFunction("(x^2-1)/(x-2)").determined) << r.name;
    const auto start = std::chrono::steady_clock::now();
    auto d = e->Derivative(Which::D1);
    EXPECT_LT(Seconds(start), 5) << r.name;
    EXPECT_FALSE(d.determined) << r.name;
    EXPECT_EQ(d.reason, r.reason) << r.name;
    // f = 0 still has its numeric answer.
    auto z = e->Solve(Which::F);
    ASSERT_TRUE(z.determined) << r.name;
    ASSERT_EQ(z.value.size(), 2u) << r.name;
    EXPECT_NEAR(z.value[1].value, 1, 1e-12) << r.name;
    // The next question starts a new helper, which answers.
    auto again = e->Derivative(Which::D1);
    ASSERT_TRUE(again.determined) << r.name << ": " << again.reason;
    EXPECT_EQ(again.value.text, "(x² − 4x + 1)/(x − 2)²") << r.name;
  }
}

// A helper that ends between two questions: the next question writes into a closed pipe,
// which must neither end the program (SIGPIPE) nor hang; the one after starts a new helper.
TEST(ExactEngineFaults, HelperGoneBetweenQuestions) {
  FakeHelper fake("read l; echo '{\"id\":1,\"ok\":true,\"r\":[\"(* 3 (^ x 2))\"]}'; exit 0");
  auto e = EngineAt(fake.path());
  ASSERT_TRUE(e->SetFunction("x^3").determined);
  auto d = e->Derivative(Which::D1);
  ASSERT_TRUE(d.determined) << d.reason;
  EXPECT_EQ(d.value.text, "3x²");
  usleep(100000);  // the helper has ended by now
  auto dom = e->DomainOf(Which::F);
  EXPECT_FALSE(dom.determined);
  EXPECT_EQ(dom.reason, "non determinato: il motore di calcolo si è interrotto");
  auto again = e->DomainOf(Which::F);
  ASSERT_TRUE(again.determined) << again.reason;
  EXPECT_EQ(again.value.condition, "x ∈ ℝ");
}

TEST(ExactEngineFaults, MissingHelperLeavesTheNumericStudy) {
  auto e = EngineAt("/nonexistent/curvalis-exact");
  ASSERT_TRUE(e->SetFunction("x - 2arctg(x)").determined);
  auto d = e->Derivative(Which::D1);
  EXPECT_FALSE(d.determined);
  EXPECT_EQ(d.reason, kEngineUnavailable);
  auto dom = e->DomainOf(Which::F);
  EXPECT_FALSE(dom.determined);
  EXPECT_EQ(dom.reason, kEngineUnavailable);
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
  EXPECT_EQ(e->Derivative(Which::D1).reason, kEngineUnavailable);
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
  EXPECT_EQ(d.reason, kTimeUp);
  ASSERT_TRUE(e->SetFunction("x^3").determined);
  auto d3 = e->Derivative(Which::D1);
  ASSERT_TRUE(d3.determined) << d3.reason;
  EXPECT_EQ(d3.value.text, "3x²");
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
