// The names of the formula language: the table of its functions (the spreadsheet's and the
// Italian ones a student writes) and the rules that tell a cell, a truth value or a constant.
#pragma once

#include <string_view>

#include "core/formula_program.h"

namespace curvalis::formula {

inline constexpr int kMaxArguments = 255;

// How the parser compiles a call: Unary (one number in, one out) and Binary (two numbers) by
// the op of FnInfo, the others each its own way.
// clang-format off
enum class Fn {
  Unary, Binary, Pow, Log, Round, Trunc, Pi, Min, Max, And, Or, Not, If, IfError, IsError,
  IsNumber, True, False,
};
// clang-format on

struct FnInfo {
  std::string_view name;  // upper case
  Fn fn;
  Op op;
  int minArgs;
  int maxArgs;
};

// Equal but for the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The function called `name`, in any case, or nullptr.
const FnInfo* FindFunction(std::string_view name);
// The first function in the table that compiles to `op` (a constant is none), or nullptr.
const FnInfo* FindFunction(Op op);

enum class NameKind { VariableCell, EmptyCell, True, False, E, Pi, Unknown, Malformed };

// A cell reference is 1 to 3 column letters up to XFD and a row from 1 to 1048576, each part
// optionally anchored with "$": x1, X1, $X$1 are the variable cell; A1, X12, B1 empty cells.
// The constants are e, pi and π, in any case.
NameKind ClassifyName(std::string_view s);

}  // namespace curvalis::formula
