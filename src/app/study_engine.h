// The exact engine of the program: the helper program beside the executable.
#pragma once

#include <memory>

#include "exact_engine/engine.h"

namespace curvalis {

// The engine the batch mode and the windows ask: the helper "curvalis-exact" in the folder of
// the running program (the engine itself lets CURVALIS_EXACT name another). Built on first
// use; the helper starts on the first question.
std::unique_ptr<study::ExactEngine> MakeProgramExactEngine();

}  // namespace curvalis
