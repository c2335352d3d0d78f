#include "core/prepare_formula.h"

#include <vector>

namespace curvalis {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Writes the prepared formula into `out` and, when `from` is given, for each byte of it the
// offset in `funzione` it comes from.
void Prepare(std::string_view funzione, std::string& out, std::vector<std::size_t>* from) {
  out.clear();
  out.reserve(funzione.size() + funzione.size() / 2 + 2);
  auto put = [&](char c, std::size_t i) {
    out.push_back(c);
    if (from) from->push_back(i);
  };
  put('=', 0);
  bool inText = false;
  for (std::size_t i = 0; i < funzione.size(); ++i) {
    char c = funzione[i];
    put(c, i);
    if (c == '"') {
      inText = !inText;  // a doubled quote closes and reopens: the text stays literal
    } else if (!inText && c == 'x') {
      const char before = i > 0 ? funzione[i - 1] : ' ';
      const char after = i + 1 < funzione.size() ? funzione[i + 1] : ' ';
      const bool nameBefore = IsAsciiLetter(before) || before == '_' || before == '.';
      const bool nameAfter = IsAsciiLetter(after) || IsDigit(after) || after == '_' || after == '.';
      if (!nameBefore && !nameAfter) put('1', i);
    }
  }
}

}  // namespace

// A lower-case x is the variable where the character before it is no ASCII letter, "_" or "."
// (a digit may stand there: "2x" is 2 times x) and the one after it no ASCII letter, digit,
// "_" or ".": "max(x,1)" gives "=max(x1,1)" and "exp(x)" gives "=exp(x1)", while the x inside
// "max", "exp", "xp", "x2" or "xe" stays. Text literals ("...", with "" for a quote) are
// copied unchanged.
std::string PrepareFormula(std::string_view funzione) {
  std::string out;
  Prepare(funzione, out, nullptr);
  return out;
}

std::size_t TypedOffset(std::string_view funzione, std::size_t preparedOffset) {
  std::string out;
  std::vector<std::size_t> from;
  from.reserve(funzione.size() + 2);
  Prepare(funzione, out, &from);
  return preparedOffset < from.size() ? from[preparedOffset] : funzione.size();
}

}  // namespace curvalis
