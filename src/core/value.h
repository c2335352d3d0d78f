// Values of the formula language: what one evaluation of f yields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace curvalis {

enum class ValueKind : std::uint8_t { Number, Text, Bool, Empty, Error };

// The spreadsheet error values. They travel inside a Value; they are never thrown.
enum class ErrorCode : std::uint8_t {
  None,
  Div0,   // #DIV/0!  division by zero, 0 to a negative power
  Num,    // #NUM!    outside the domain, overflow, any non-finite result
  Value,  // #VALUE!  a text that is no number used as a number
  Name,   // #NAME?   unknown name or function
};

std::string_view ErrorText(ErrorCode code);  // "#DIV/0!", "#NUM!", ...

struct Value {
  ValueKind kind = ValueKind::Empty;
  ErrorCode error = ErrorCode::None;
  double number = 0;  // Number; Bool as 1 or 0
  std::string text;   // Text only

  static Value Num(double v) { return Value{ValueKind::Number, ErrorCode::None, v, {}}; }
  static Value Boolean(bool b) {
    return Value{ValueKind::Bool, ErrorCode::None, b ? 1.0 : 0.0, {}};
  }
  static Value Str(std::string s) {
    return Value{ValueKind::Text, ErrorCode::None, 0, std::move(s)};
  }
  static Value Err(ErrorCode e) { return Value{ValueKind::Error, e, 0, {}}; }
  static Value EmptyCell() { return Value{}; }

  bool IsNumber() const { return kind == ValueKind::Number; }
  bool IsError() const { return kind == ValueKind::Error; }
};

// Undefined in the program's sense: an error value, the empty text or an empty entry.
// Every number, truth value and non-empty text is defined (the domain hatching uses this).
bool IsUndefined(const Value& v);

// The value as a number where the program uses f as a number (graph, analyses, integral):
// a number is itself, TRUE is 1 and FALSE 0; every text, error and empty value is no number
// and gives NaN.
double NumberOrNaN(const Value& v);

}  // namespace curvalis
