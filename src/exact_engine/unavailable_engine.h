// An exact engine that answers nothing: every question is undetermined with one reason. It
// stands in for the helper program when that cannot be started, so the sheet still gets what
// our evaluator finds. Standard C++ only.
#pragma once

#include <memory>
#include <string>

#include "exact_engine/engine.h"

namespace curvalis::study {

std::unique_ptr<ExactEngine> MakeUnavailableEngine(
    std::string reason = std::string(kEngineUnavailable));

}  // namespace curvalis::study
