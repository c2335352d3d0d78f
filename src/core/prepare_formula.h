#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace curvalis {

// The prepared formula: "=" followed by the text of Funzione, with every lower-case x that
// stands as the variable outside text literals written as the variable cell x1.
std::string PrepareFormula(std::string_view funzione);

// Where a byte offset of PrepareFormula(funzione) comes from in `funzione`: the byte offset of
// the character it was copied from (the "1" added after an x belongs to that x); the end of
// the prepared formula maps to the end of `funzione`, the leading "=" to 0.
std::size_t TypedOffset(std::string_view funzione, std::size_t preparedOffset);

}  // namespace curvalis
