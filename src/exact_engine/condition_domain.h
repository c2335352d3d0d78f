// The domain of a function from the condition the computer algebra system gives for it: the
// intervals where the condition holds, decided exactly by the order of its constants, and the
// condition as a student writes it. Standard C++ only.
#pragma once

#include <optional>

#include "exact_engine/engine.h"
#include "exact_protocol/protocol.h"

namespace curvalis::study {

// The intervals where `cond` (x compared with constants, joined by and/or) holds, inside
// [0; period[ for a periodic f; nullopt when the condition is not of that form.
std::optional<Domain> DomainOfCondition(const Node& cond, const std::optional<Number>& period);

}  // namespace curvalis::study
