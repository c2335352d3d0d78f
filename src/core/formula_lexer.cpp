#include "core/formula_lexer.h"

#include "core/read_number.h"
#include "core/utf8.h"

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

[[noreturn]] void Syntax(std::size_t begin, std::size_t end) {
  throw FormulaRejection{FormulaReject::Syntax, begin, end};
}

// The operators and punctuation, by their bytes: a longer one before its prefix, and the
// symbols outside ASCII by their UTF-8 bytes.
struct Symbol {
  std::string_view utf8;
  Tok kind;
};
constexpr Symbol kSymbols[] = {
    {"+", Tok::Plus},
    {"-", Tok::Minus},
    {"*", Tok::Star},
    {"/", Tok::Slash},
    {"^", Tok::Caret},
    {"%", Tok::Percent},
    {"&", Tok::Amp},
    {"=", Tok::Eq},
    {"(", Tok::LParen},
    {")", Tok::RParen},
    {",", Tok::Comma},
    {"|", Tok::Bar},
    {"<>", Tok::Ne},
    {"<=", Tok::Le},
    {"<", Tok::Lt},
    {">=", Tok::Ge},
    {">", Tok::Gt},
    {"\xC2\xB2", Tok::Square},     // ²
    {"\xC2\xB3", Tok::Cube},       // ³
    {"\xE2\x88\x9A", Tok::Sqrt},   // √
    {"\xCF\x80", Tok::Name},       // π
    {"\xC2\xB7", Tok::Star},       // · middle dot
    {"\xC3\x97", Tok::Star},       // ×
    {"\xC3\xB7", Tok::Slash},      // ÷
    {"\xE2\x88\x92", Tok::Minus},  // − minus sign
    {"\xE2\x80\x93", Tok::Minus},  // – en dash
    {"\xE2\x89\xA4", Tok::Le},     // ≤
    {"\xE2\x89\xA5", Tok::Ge},     // ≥
    {"\xE2\x89\xA0", Tok::Ne},     // ≠
};

}  // namespace

bool IsOperatorToken(Tok t) {
  return t >= Tok::Plus && t <= Tok::Ge;
}

void Lexer::Next(Token& tok) {
  while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t')) ++pos_;
  tok.pos = pos_;
  if (pos_ >= src_.size()) {
    tok.kind = Tok::End;
    tok.end = pos_;
    return;
  }
  const char c = src_[pos_];
  if (IsControl(c)) Syntax(pos_, pos_ + 1);

  if (IsDigit(c) || (c == '.' && pos_ + 1 < src_.size() && IsDigit(src_[pos_ + 1]))) {
    bool overflow = false;
    std::size_t used = ScanDecimal(src_.substr(pos_), tok.number, overflow);
    if (used == 0 || overflow) Syntax(pos_, pos_ + used);
    pos_ += used;
    tok.kind = Tok::Number;
    tok.end = pos_;
    return;
  }
  if (c == '"') {
    tok.text.clear();
    for (std::size_t i = pos_ + 1;; ++i) {
      if (i >= src_.size()) Syntax(pos_, pos_ + 1);  // unclosed: the opening quote
      char t = src_[i];
      if (IsControl(t)) Syntax(i, i + 1);
      if (t == '"') {
        if (i + 1 < src_.size() && src_[i + 1] == '"') {
          tok.text.push_back('"');
          ++i;
          continue;
        }
        pos_ = i + 1;
        tok.kind = Tok::Text;
        tok.end = pos_;
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
    tok.end = pos_;
    return;
  }

  for (const Symbol& s : kSymbols) {
    if (src_.substr(pos_).starts_with(s.utf8)) {
      tok.kind = s.kind;
      if (s.kind == Tok::Name) tok.name = s.utf8;
      pos_ += s.utf8.size();
      tok.end = pos_;
      return;
    }
  }
  Syntax(pos_, pos_ + Utf8CharLength(src_, pos_));
}

}  // namespace curvalis::formula
