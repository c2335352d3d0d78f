// The names of the formula language: the table of its functions and the rules that tell a
// cell reference, a truth value or a constant from an unknown name.
#include "core/formula_names.h"

#include <algorithm>

namespace curvalis::formula {
namespace {

constexpr FnInfo kFunctions[] = {
    {"ABS", Fn::Unary, Op::Abs, 1, 1},
    {"ACOS", Fn::Unary, Op::Acos, 1, 1},
    {"ACOSH", Fn::Unary, Op::Acosh, 1, 1},
    {"AND", Fn::And, Op::And, 1, kMaxArguments},
    {"ASIN", Fn::Unary, Op::Asin, 1, 1},
    {"ASINH", Fn::Unary, Op::Asinh, 1, 1},
    {"ATAN", Fn::Unary, Op::Atan, 1, 1},
    {"ATAN2", Fn::Binary, Op::Atan2, 2, 2},
    {"ATANH", Fn::Unary, Op::Atanh, 1, 1},
    {"COS", Fn::Unary, Op::Cos, 1, 1},
    {"COSH", Fn::Unary, Op::Cosh, 1, 1},
    {"COT", Fn::Unary, Op::Cot, 1, 1},
    {"CSC", Fn::Unary, Op::Csc, 1, 1},
    {"DEGREES", Fn::Unary, Op::Degrees, 1, 1},
    {"EXP", Fn::Unary, Op::Exp, 1, 1},
    {"FACT", Fn::Unary, Op::Fact, 1, 1},
    {"FALSE", Fn::False, Op::Const, 0, 0},
    {"IF", Fn::If, Op::JumpIfFalse, 2, 3},
    {"IFERROR", Fn::IfError, Op::JumpIfNotError, 2, 2},
    {"INT", Fn::Unary, Op::Int, 1, 1},
    {"ISERROR", Fn::IsError, Op::IsError, 1, 1},
    {"ISNUMBER", Fn::IsNumber, Op::IsNumber, 1, 1},
    {"LN", Fn::Unary, Op::Ln, 1, 1},
    {"LOG", Fn::Log, Op::LogBase, 1, 2},
    {"LOG10", Fn::Unary, Op::Log10, 1, 1},
    {"MAX", Fn::Max, Op::Max, 1, kMaxArguments},
    {"MIN", Fn::Min, Op::Min, 1, kMaxArguments},
    {"MOD", Fn::Binary, Op::Mod, 2, 2},
    {"NOT", Fn::Not, Op::Not, 1, 1},
    {"OR", Fn::Or, Op::Or, 1, kMaxArguments},
    {"PI", Fn::Pi, Op::Const, 0, 0},
    {"POWER", Fn::Pow, Op::Pow, 2, 2},
    {"RADIANS", Fn::Unary, Op::Radians, 1, 1},
    {"ROUND", Fn::Round, Op::Round, 1, 2},
    {"SEC", Fn::Unary, Op::Sec, 1, 1},
    {"SIGN", Fn::Unary, Op::Sign, 1, 1},
    {"SIN", Fn::Unary, Op::Sin, 1, 1},
    {"SINH", Fn::Unary, Op::Sinh, 1, 1},
    {"SQRT", Fn::Unary, Op::Sqrt, 1, 1},
    {"TAN", Fn::Unary, Op::Tan, 1, 1},
    {"TANH", Fn::Unary, Op::Tanh, 1, 1},
    {"TRUE", Fn::True, Op::Const, 0, 0},
    {"TRUNC", Fn::Trunc, Op::Trunc, 1, 2},
    // The names an Italian student writes.
    {"SEN", Fn::Unary, Op::Sin, 1, 1},
    {"TG", Fn::Unary, Op::Tan, 1, 1},
    {"COTG", Fn::Unary, Op::Cot, 1, 1},
    {"ARCSEN", Fn::Unary, Op::Asin, 1, 1},
    {"ARCSIN", Fn::Unary, Op::Asin, 1, 1},
    {"ARCCOS", Fn::Unary, Op::Acos, 1, 1},
    {"ARCTG", Fn::Unary, Op::Atan, 1, 1},
    {"ARCTAN", Fn::Unary, Op::Atan, 1, 1},
    {"SENH", Fn::Unary, Op::Sinh, 1, 1},
    {"TGH", Fn::Unary, Op::Tanh, 1, 1},
    {"RADQ", Fn::Unary, Op::Sqrt, 1, 1},
};

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

const FnInfo* FindFunction(std::string_view name) {
  for (const FnInfo& f : kFunctions) {
    if (EqualsNoCase(name, f.name)) return &f;
  }
  return nullptr;
}

const FnInfo* FindFunction(Op op) {
  for (const FnInfo& f : kFunctions) {
    if (f.op == op && f.fn != Fn::Pi && f.fn != Fn::True && f.fn != Fn::False) return &f;
  }
  return nullptr;
}

NameKind ClassifyName(std::string_view s) {
  if (EqualsNoCase(s, "TRUE")) return NameKind::True;
  if (EqualsNoCase(s, "FALSE")) return NameKind::False;
  if (EqualsNoCase(s, "E")) return NameKind::E;
  if (EqualsNoCase(s, "PI") || s == "\xCF\x80") return NameKind::Pi;
  std::size_t i = 0;
  auto dollar = [&] {
    if (i < s.size() && s[i] == '$') ++i;
  };
  dollar();
  long column = 0;
  std::size_t letters = 0;
  while (i < s.size() && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z'))) {
    if (letters < 4) column = column * 26 + ((s[i] & 0xDF) - 'A' + 1);  // more is no cell anyway
    ++letters;
    ++i;
  }
  dollar();
  long row = 0;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && row <= 1048576) {
    row = row * 10 + (s[i] - '0');
    ++digits;
    ++i;
  }
  bool isCell = i == s.size() && letters >= 1 && letters <= 3 && column <= 16384 && digits >= 1 &&
                s[s.size() - digits] != '0' && row >= 1 && row <= 1048576;
  if (isCell) return (column == 24 && row == 1) ? NameKind::VariableCell : NameKind::EmptyCell;
  if (s.find('$') != std::string_view::npos) return NameKind::Malformed;  // "$A", "A$$1"
  return NameKind::Unknown;
}

}  // namespace curvalis::formula
