// PrepareFormula on any text: the prepared formula starts with "=" and never grows past
// twice the length of the text with its "=".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/prepare_formula.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string prepared = curvalis::PrepareFormula(text);
  if (prepared.empty() || prepared[0] != '=') std::abort();
  if (prepared.size() > 2 * (size + 1)) std::abort();
  return 0;
}
