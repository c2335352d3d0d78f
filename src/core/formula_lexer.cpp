#include "core/formula_lexer.h"

#include "core/read_number.h"

namespace curvalis::formula {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNameStart(char c) {
  return IsLetter(c) || c == '_' || c == '$';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || IsDigit(c) || c == '.';
}
// Control characters and DEL; a tab is a blank.
bool IsControl(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u < 0x20 && c != '\t') || u == 0x7F;
}

[[noreturn]] void Syntax() {
  throw Rejected{FormulaReject::Syntax};
}

}  // namespace

bool IsOperatorToken(Tok t) {
  return t >= Tok::Plus && t <= Tok::Ge;
}

void Lexer::Next(Token& tok) {
  while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t')) ++pos_;
  tok.pos = pos_;
  if (pos_ >= src_.size()) {
    tok.kind = Tok::End;
    return;
  }
  const char c = src_[pos_];
  if (IsControl(c) || static_cast<unsigned char>(c) >= 0x80) Syntax();

  if (IsDigit(c) || (c == '.' && pos_ + 1 < src_.size() && IsDigit(src_[pos_ + 1]))) {
    bool overflow = false;
    std::size_t used = ScanDecimal(src_.substr(pos_), tok.number, overflow);
    if (used == 0 || overflow) Syntax();
    pos_ += used;
    tok.kind = Tok::Number;
    return;
  }
  if (c == '"') {
    tok.text.clear();
    for (std::size_t i = pos_ + 1;; ++i) {
      if (i >= src_.size()) Syntax();  // unclosed
      char t = src_[i];
      if (IsControl(t)) Syntax();
      if (t == '"') {
        if (i + 1 < src_.size() && src_[i + 1] == '"') {
          tok.text.push_back('"');
          ++i;
          continue;
        }
        pos_ = i + 1;
        tok.kind = Tok::Text;
        return;
      }
      tok.text.push_back(t);  // other bytes, UTF-8 included, as they are
    }
  }
  if (IsNameStart(c)) {
    std::size_t end = pos_ + 1;
    while (end < src_.size() && IsNameChar(src_[end])) ++end;
    tok.name = src_.substr(pos_, end - pos_);
    pos_ = end;
    tok.kind = Tok::Name;
    return;
  }

  ++pos_;
  switch (c) {
    case '+':
      tok.kind = Tok::Plus;
      return;
    case '-':
      tok.kind = Tok::Minus;
      return;
    case '*':
      tok.kind = Tok::Star;
      return;
    case '/':
      tok.kind = Tok::Slash;
      return;
    case '^':
      tok.kind = Tok::Caret;
      return;
    case '%':
      tok.kind = Tok::Percent;
      return;
    case '&':
      tok.kind = Tok::Amp;
      return;
    case '=':
      tok.kind = Tok::Eq;
      return;
    case '(':
      tok.kind = Tok::LParen;
      return;
    case ')':
      tok.kind = Tok::RParen;
      return;
    case ',':
      tok.kind = Tok::Comma;
      return;
    case '<':
      if (pos_ < src_.size() && src_[pos_] == '>') {
        ++pos_;
        tok.kind = Tok::Ne;
      } else if (pos_ < src_.size() && src_[pos_] == '=') {
        ++pos_;
        tok.kind = Tok::Le;
      } else {
        tok.kind = Tok::Lt;
      }
      return;
    case '>':
      if (pos_ < src_.size() && src_[pos_] == '=') {
        ++pos_;
        tok.kind = Tok::Ge;
      } else {
        tok.kind = Tok::Gt;
      }
      return;
    default:
      Syntax();
  }
}

}  // namespace curvalis::formula
