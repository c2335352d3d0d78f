// The tokens of the formula language, read one at a time. Besides ASCII, the lexer reads the
// symbols a student types from a phone or a word processor (UTF-8): ² ³ √ π · × ÷ − – ≤ ≥ ≠.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/formula.h"

namespace curvalis::formula {

enum class Tok {
  End,
  Number,  // 12, 1.5, .5, 1E3, 2.5e-4
  Text,    // "abc", with "" for a quote inside
  Name,    // a function, a cell reference, TRUE, FALSE, a constant (π too) or an unknown name
  Plus,    // + (also − U+2212 and – U+2013 as Minus)
  Minus,
  Star,   // * (also · and ×)
  Slash,  // / (also ÷)
  Caret,
  Percent,
  Square,  // ², a postfix power
  Cube,    // ³
  Sqrt,    // √, a prefix square root
  Amp,
  Eq,
  Ne,  // <> (also ≠)
  Lt,
  Le,  // <= (also ≤)
  Gt,
  Ge,  // >= (also ≥)
  LParen,
  RParen,
  Comma,
  Bar,  // |, which opens or closes an absolute value as the parser decides
};

// An operator that needs an operand: the binary ones, the signs, %, ², ³ and √.
bool IsOperatorToken(Tok t);

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;    // offset in the formula
  std::size_t end = 0;    // one past its last byte
  std::string_view name;  // Name: its spelling
  double number = 0;      // Number
  std::string text;       // Text: the literal with its quotes undone
};

class Lexer {
 public:
  Lexer(std::string_view source, std::size_t start) : src_(source), pos_(start) {}

  // The next token. Throws a FormulaRejection (Syntax) on a character no token can start
  // with (control characters, '#', '!', non-ASCII other than the symbols above, ...), on an
  // unclosed text literal and on a number too large for a double.
  void Next(Token& tok);

 private:
  std::string_view src_;
  std::size_t pos_;
};

}  // namespace curvalis::formula
