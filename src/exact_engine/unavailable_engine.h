// An exact engine that answers nothing: every question is undetermined, the helper program
// unavailable (Reason::Unavailable). It stands in for the helper program when that cannot be
// started, so the sheet still gets what our evaluator finds. Standard C++ only.
#pragma once

#include <memory>

#include "exact_engine/engine.h"

namespace curvalis::study {

std::unique_ptr<ExactEngine> MakeUnavailableEngine();

}  // namespace curvalis::study
