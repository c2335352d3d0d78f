#include "exact_engine/numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "exact_engine/writer.h"

namespace curvalis::study {

Number Infinity(bool plus) {
  Number n = ApproxNumber(plus ? std::numeric_limits<double>::infinity()
                               : -std::numeric_limits<double>::infinity());
  n.exact = true;
  return n;
}

Number Approx(double value) {
  return ApproxNumber(std::fabs(value) < 1e-12 ? 0 : value);
}

bool SameX(double a, double b) {
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(a) + std::fabs(b));
}

std::string Operand(std::string_view text, bool quotient) {
  const std::string s(text);
  // A call: a function's name (letters, or the root sign) or a base and "^" before a
  // parenthesis that closes at the end. A number before one ("2(x + 1)") is a product.
  const std::size_t open = s.find('(');
  const std::string head = open == std::string::npos ? "" : s.substr(0, open);
  auto letters = [](std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) {
      return std::isalpha(static_cast<unsigned char>(c)) != 0;
    });
  };
  const bool power = head.size() > 1 && head.back() == '^' &&
                     std::all_of(head.begin(), head.end() - 1, [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) != 0;
                     });
  bool call = !s.empty() && s.back() == ')' && (letters(head) || head == "\xE2\x88\x9A" || power);
  for (std::size_t i = open, depth = 0; call && i < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && --depth == 0 && i + 1 < s.size()) call = false;
  }
  // One group in parentheses, alone or raised to a power: "(x − 1)²", "(x − 1)^4".
  std::size_t close = std::string::npos;
  for (std::size_t i = 0, depth = 0; open == 0 && i < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && --depth == 0) {
      close = i;
      break;
    }
  }
  if (close != std::string::npos) {
    const std::string rest = s.substr(close + 1);
    const bool exponent = rest.empty() || (rest[0] == '^' && rest.size() > 1 &&
                                           std::all_of(rest.begin() + 1, rest.end(), [](char c) {
                                             return std::isdigit(static_cast<unsigned char>(c));
                                           }));
    // The superscript digits ⁰ ¹ ² ³ ⁴ … ⁹, each two or three bytes.
    std::string sup = rest;
    for (const char* d :
         {"\xC2\xB2", "\xC2\xB3", "\xC2\xB9", "\xE2\x81\xB0", "\xE2\x81\xB4", "\xE2\x81\xB5",
          "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8", "\xE2\x81\xB9"}) {
      for (std::size_t at = sup.find(d); at != std::string::npos; at = sup.find(d)) {
        sup.erase(at, std::string_view(d).size());
      }
    }
    if (exponent || sup.empty()) return s;
  }
  bool word = s.find(' ') == std::string::npos;
  if (quotient) {
    // Nor a number times what follows it ("2x", "3π"): 1/2x reads as x/2.
    bool product = false;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
      const auto next = static_cast<unsigned char>(s[i + 1]);
      product = product || (std::isdigit(static_cast<unsigned char>(s[i])) != 0 &&
                            (std::isalpha(next) != 0 || next == '(' || next >= 0x80));
    }
    word = word && !product && s.find('/') == std::string::npos &&
           s.find("\xC2\xB7") == std::string::npos && s.rfind("\xE2\x88\x92", 0) != 0;
  }
  return word || call ? s : "(" + s + ")";
}

}  // namespace curvalis::study
