#include "core/formula_message.h"

#include <algorithm>
#include <cstdio>

#include "core/formula_lexer.h"
#include "core/prepare_formula.h"
#include "core/utf8.h"

namespace curvalis {
namespace {

// Longest symbol quoted in a message, in characters; a longer one is cut with "…".
constexpr std::size_t kMaxQuoted = 24;

std::size_t CountChars(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += Utf8CharLength(s, i)) ++n;
  return n;
}

// The code point of the UTF-8 character `c` (of Utf8CharLength bytes), or -1 for a lone byte
// above ASCII.
long CodePoint(std::string_view c) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(c[k]); };
  switch (c.size()) {
    case 1:
      return b(0) < 0x80 ? b(0) : -1;
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
}

// A character a reader cannot see, or would not recognise between quotes.
bool Invisible(long cp) {
  return cp < 0x21 || (cp >= 0x7F && cp <= 0xA0) || cp == 0xAD || (cp >= 0x2000 && cp <= 0x200F) ||
         (cp >= 0x2028 && cp <= 0x202F) || cp == 0x205F || cp == 0x3000 || cp == 0xFEFF;
}

// «symbol», cut after kMaxQuoted characters.
std::string Quoted(std::string_view s) {
  std::string out = "\xC2\xAB";
  std::size_t i = 0;
  for (std::size_t n = 0; i < s.size() && n < kMaxQuoted; ++n) i += Utf8CharLength(s, i);
  out.append(s.substr(0, i));
  if (i < s.size()) out += "\xE2\x80\xA6";
  return out + "\xC2\xBB";
}

// A character no token starts with, as the message shows it: «#», or its code where it cannot
// be seen: (U+00A0), (byte 0xFF).
std::string BadCharacter(std::string_view c) {
  const long cp = CodePoint(c);
  char buf[24];
  if (cp < 0) {
    std::snprintf(buf, sizeof buf, "(byte 0x%02X)", static_cast<unsigned char>(c[0]));
    return buf;
  }
  if (Invisible(cp)) {
    std::snprintf(buf, sizeof buf, "(U+%04lX)", cp);
    return buf;
  }
  return Quoted(c);
}

// True when `symbol` begins no token of the language.
bool BeginsNoToken(std::string_view symbol) {
  try {
    formula::Token tok;
    formula::Lexer(symbol, 0).Next(tok);
    return false;
  } catch (const FormulaRejection&) {
    return true;
  }
}

// The words for a rejection of the symbol `s` (as typed).
std::string Reason(FormulaReject reason, std::string_view s) {
  switch (reason) {
    case FormulaReject::UnbalancedParen:
      return s == ")" ? "Parentesi chiusa in pi\xC3\xB9" : "Parentesi non chiusa";
    case FormulaReject::WrongArgumentCount:
      return "Numero di argomenti sbagliato per " + Quoted(s);
    case FormulaReject::UnknownName:
      return "Nome sconosciuto " + Quoted(s);
    case FormulaReject::MissingCallParen:
      return "Manca la parentesi dopo " + Quoted(s);
    case FormulaReject::NumberAfterOperand:
      return "Manca un operatore prima di " + Quoted(s);
    case FormulaReject::Syntax:
      if (s.empty()) return "Formula incompleta";
      if (s == "\"") return "Virgolette non chiuse";
      if ((s[0] >= '0' && s[0] <= '9') || s[0] == '.') return "Numero troppo grande " + Quoted(s);
      if (Utf8CharLength(s, 0) == s.size() && BeginsNoToken(s)) {
        return "Carattere non ammesso " + BadCharacter(s);
      }
      return "Simbolo inatteso " + Quoted(s);
    default:
      return std::string(RejectText(reason));
  }
}

}  // namespace

std::string RejectionDetail(std::string_view funzione, const FormulaRejection& r) {
  switch (r.reason) {
    case FormulaReject::None:
      return {};
    case FormulaReject::Empty:
    case FormulaReject::TooLong:
      return std::string(RejectText(r.reason));
    default:
      break;
  }
  const std::size_t begin = TypedOffset(funzione, r.begin);
  const std::size_t end = std::max(begin, TypedOffset(funzione, r.end));
  const std::string_view symbol = funzione.substr(begin, end - begin);
  return Reason(r.reason, symbol) + " (colonna " +
         std::to_string(CountChars(funzione.substr(0, begin)) + 1) + ")";
}

}  // namespace curvalis
