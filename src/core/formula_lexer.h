// The tokens of the formula language, read one at a time.
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
  Name,    // a function, a cell reference, TRUE, FALSE or an unknown name
  Plus,
  Minus,
  Star,
  Slash,
  Caret,
  Percent,
  Amp,
  Eq,
  Ne,
  Lt,
  Le,
  Gt,
  Ge,
  LParen,
  RParen,
  Comma,
};

bool IsOperatorToken(Tok t);

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;    // offset in the formula
  std::string_view name;  // Name: its spelling
  double number = 0;      // Number
  std::string text;       // Text: the literal with its quotes undone
};

// A rejection found while compiling; Compile turns it into its FormulaReject.
struct Rejected {
  FormulaReject reason;
};

class Lexer {
 public:
  Lexer(std::string_view source, std::size_t start) : src_(source), pos_(start) {}

  // The next token. Throws Rejected{Syntax} on a character no token can start with (control
  // characters, non-ASCII outside text literals, '#', '!', ...), an unclosed text literal or
  // a number too large for a double.
  void Next(Token& tok);

 private:
  std::string_view src_;
  std::size_t pos_;
};

}  // namespace curvalis::formula
