#pragma once

#include <string>
#include <string_view>

namespace curvalis {

// The prepared formula: "=" followed by the text of Funzione, with every lower-case x that
// stands as a whole name outside text literals written as the variable cell x1.
std::string PrepareFormula(std::string_view funzione);

}  // namespace curvalis
