// The exact engine of the program: the helper program beside the executable.
#pragma once

#include <memory>
#include <string>

#include "exact_engine/engine.h"

namespace curvalis {

// The helper program: CURVALIS_EXACT when set and not empty, else "curvalis-exact" in the
// folder of the running program.
std::string ExactHelperPath();

// The engine the batch mode and the windows ask. Built on first use; the helper starts on the
// first question.
std::unique_ptr<study::ExactEngine> MakeProgramExactEngine();

}  // namespace curvalis
