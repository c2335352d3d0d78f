#include "core/prepare_formula.h"

namespace curvalis {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

// Only a lower-case x that is a name of its own becomes the variable cell: "max(x,1)" gives
// "=max(x1,1)" and "exp(x)" gives "=exp(x1)", while the x inside "max", "exp" or "xp" stays.
// Text literals ("...", with "" for a quote) are copied unchanged.
std::string PrepareFormula(std::string_view funzione) {
  std::string out;
  out.reserve(funzione.size() + funzione.size() / 2 + 2);
  out.push_back('=');
  bool inText = false;
  for (std::size_t i = 0; i < funzione.size(); ++i) {
    char c = funzione[i];
    if (c == '"') {
      inText = !inText;  // a doubled quote closes and reopens: the text stays literal
      out.push_back(c);
      continue;
    }
    if (!inText && c == 'x') {
      bool before = i > 0 && IsNameChar(funzione[i - 1]);
      bool after = i + 1 < funzione.size() && IsNameChar(funzione[i + 1]);
      if (!before && !after) {
        out.append("x1");
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace curvalis
