// PrepareFormula on any text. Properties:
// - the prepared formula is "=" and the text with a "1" put after some lower-case x's, and
//   nothing else changed: so it is shorter than twice the length of the text with its "=";
// - every x that gets its "1" is a name of its own (no letter, digit, "_" or "." on either
//   side) and stands outside text literals;
// - preparing the prepared text again changes nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/prepare_formula.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "prepare_fuzz: %s\n", what);
  std::abort();
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string prepared = curvalis::PrepareFormula(text);
  if (prepared.empty() || prepared[0] != '=') Fail("no leading =");
  if (prepared.size() >= 2 * (size + 1)) Fail("grew to twice the length");

  // Walk both: the prepared text is the text with a "1" after each x that is a name of its own;
  // any other difference shows as a mismatch or a length left over.
  std::size_t p = 1;
  bool inText = false;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (p >= prepared.size() || prepared[p] != c) Fail("a character changed");
    ++p;
    if (c == '"') inText = !inText;
    // Letters include the bytes of non-ASCII characters: "éx" is one name.
    const bool alone = c == 'x' && !inText && (i == 0 || !IsNameChar(text[i - 1])) &&
                       (i + 1 >= size || !IsNameChar(text[i + 1]));
    if (alone) {
      if (!(p < prepared.size() && prepared[p] == '1')) Fail("a lone x kept without its 1");
      ++p;
    }
  }
  if (p != prepared.size()) Fail("characters added at the end");

  if (curvalis::PrepareFormula(std::string_view(prepared).substr(1)) != prepared) {
    Fail("preparing twice changed the text");
  }
  return 0;
}
