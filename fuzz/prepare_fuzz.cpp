// PrepareFormula on any text, as typed into Funzione, and the message of its rejection.
// Properties:
// - the prepared formula is "=" and the text with a "1" put after some lower-case x's, and
//   nothing else changed: so it is shorter than twice the length of the text with its "=";
// - every x that gets its "1" is the variable: outside text literals, with no ASCII letter,
//   "_" or "." before it and no ASCII letter, digit, "_" or "." after it;
// - preparing the prepared text again changes nothing;
// - TypedOffset maps each byte of the prepared formula to the byte it comes from (the added
//   "1" to its x), and never past the text;
// - a rejected formula has a detail that is valid UTF-8 whenever the text is, and its column
//   lies between 1 and one past the last character.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/formula.h"
#include "core/formula_message.h"
#include "core/prepare_formula.h"
#include "core/utf8.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "prepare_fuzz: %s\n", what);
  std::abort();
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The number of characters if `s` is valid UTF-8, or -1.
long Utf8Chars(std::string_view s) {
  long n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) {
    // Valid as the program reads it: no overlong forms, surrogates or leads F5 to FF.
    std::size_t len = curvalis::Utf8SequenceLength(s, i);
    if (len == 0) return -1;
    i += len;
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string prepared = curvalis::PrepareFormula(text);
  if (prepared.empty() || prepared[0] != '=') Fail("no leading =");
  if (prepared.size() >= 2 * (size + 1)) Fail("grew to twice the length");
  if (curvalis::TypedOffset(text, 0) != 0) Fail("the = maps elsewhere");

  // Walk both: the prepared text is the text with a "1" after each x that is the variable;
  // any other difference shows as a mismatch or a length left over.
  std::size_t p = 1;
  bool inText = false;
  const bool mapAll =
      size <= 512;  // TypedOffset walks the whole text: check each byte of short ones
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (p >= prepared.size() || prepared[p] != c) Fail("a character changed");
    if (mapAll && curvalis::TypedOffset(text, p) != i) Fail("a byte maps to another");
    ++p;
    if (c == '"') inText = !inText;
    const char before = i > 0 ? text[i - 1] : ' ';
    const char after = i + 1 < size ? text[i + 1] : ' ';
    const bool variable = c == 'x' && !inText &&
                          !(IsAsciiLetter(before) || before == '_' || before == '.') &&
                          !(IsAsciiLetter(after) || IsDigit(after) || after == '_' || after == '.');
    if (variable) {
      if (!(p < prepared.size() && prepared[p] == '1')) Fail("a variable kept without its 1");
      if (mapAll && curvalis::TypedOffset(text, p) != i) Fail("the added 1 maps elsewhere");
      ++p;
    }
  }
  if (p != prepared.size()) Fail("characters added at the end");
  if (curvalis::TypedOffset(text, p) != size) Fail("the end maps elsewhere");

  if (curvalis::PrepareFormula(std::string_view(prepared).substr(1)) != prepared) {
    Fail("preparing twice changed the text");
  }

  // The message of a rejection.
  curvalis::CompiledFormula f;
  if (f.Compile(prepared) == curvalis::FormulaReject::None) {
    if (f.rejection().reason != curvalis::FormulaReject::None) Fail("a success with a reason");
    return 0;
  }
  const curvalis::FormulaRejection& r = f.rejection();
  if (r.begin > r.end || r.end > prepared.size()) Fail("a rejection outside the formula");
  const std::string detail = curvalis::RejectionDetail(text, r);
  if (detail.empty()) Fail("a rejection without a detail");
  const long chars = Utf8Chars(text);
  if (chars >= 0 && Utf8Chars(detail) < 0) Fail("a detail that is no UTF-8");
  const std::size_t at = detail.rfind("(colonna ");
  if (at != std::string::npos && chars >= 0) {
    const long column = std::strtol(detail.c_str() + at + 9, nullptr, 10);
    if (column < 1 || column > chars + 1) Fail("a column outside the text");
  }
  return 0;
}
