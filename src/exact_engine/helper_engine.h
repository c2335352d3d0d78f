// The exact engine behind the written study: the helper program `curvalis-exact` around the
// computer algebra system, asked one question at a time, every answer checked with our own
// evaluator before it is called exact.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "exact_engine/engine.h"

namespace curvalis::study {

struct EngineOptions {
  // The helper program; the program passes the one beside its own executable. The environment
  // variable CURVALIS_EXACT, when set and not empty, names another one (the tests use it).
  std::string helperPath;
  // How long one question may take before the helper is killed and the answer is "not
  // determined".
  std::chrono::milliseconds timeLimit{3000};
  // The clock the time left to a sheet is read on (SetTimeLeft); the steady clock unless set.
  std::function<std::chrono::steady_clock::time_point()> clock;
};

std::unique_ptr<ExactEngine> MakeExactEngine(const EngineOptions& options);

}  // namespace curvalis::study
