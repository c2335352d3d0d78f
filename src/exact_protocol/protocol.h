// The channel between the program and the exact engine's helper: one JSON object per line each
// way, and the expressions inside them written as prefix trees. The tree is the only form an
// expression crosses the channel in, both ways: the helper rebuilds the CAS's input from a
// tree it has checked node by node, so no text from the channel ever reaches the CAS's own
// parser. Standard C++ only.
//
// Tree text: an atom or "(" name argument... ")", blank-separated.
//   atoms: x, pi, an integer (digits, optional leading -), p/q (a rational), +inf, -inf,
//          undef, true, false, and ~D, a decimal D the CAS gave only approximately;
//   names: those of kOperations below, and in a domain's condition < <= > >= != = and or.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace curvalis::study {

struct Node {
  enum class Kind { Number, X, Pi, PlusInf, MinusInf, Undef, True, False, Approx, Op };
  Kind kind = Kind::Number;
  std::string text;  // Number: "12", "-3", "3/4"; Approx: the decimal; Op: the name
  std::vector<Node> args;

  static Node Num(std::string t) { return Node{Kind::Number, std::move(t), {}}; }
  static Node Var() { return Node{Kind::X, "x", {}}; }
  static Node Inf(bool plus) {
    return plus ? Node{Kind::PlusInf, "+inf", {}} : Node{Kind::MinusInf, "-inf", {}};
  }
  static Node Of(std::string name, std::vector<Node> a) {
    return Node{Kind::Op, std::move(name), std::move(a)};
  }
  bool Is(std::string_view name) const { return kind == Kind::Op && text == name; }
};

// One operation an expression may use: its name in the tree, its number of arguments (0: two
// or more), its name in the CAS, the formula language's function that is it (empty: an
// operator), for a function written as a call how the student notation and LaTeX name it
// (empty: the writers set it by their own rules, "−a", "1/a", "e^a", "√a", "|a|"), and for one
// argument its value (nan outside its domain).
struct Operation {
  std::string_view name;
  int arity;
  std::string_view cas;
  std::string_view formula;
  std::string_view student;
  std::string_view latex;
  double (*value)(double) = nullptr;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Every operation of an expression, one row each: the tree's grammar, the translation of a
// formula, the tree's evaluator, the writers and the helper's CAS read it.
// clang-format off
inline constexpr std::array<Operation, 19> kOperations = {{
    {"+", 0, "+", "", "", ""},
    {"*", 0, "*", "", "", ""},
    {"^", 2, "^", "", "", ""},
    {"neg", 1, "-", "", "", "", [](double a) { return -a; }},
    {"inv", 1, "inv", "", "", "", [](double a) { return a == 0 ? kNoValue : 1 / a; }},
    {"exp", 1, "exp", "EXP", "", "", [](double a) { return std::exp(a); }},
    {"ln", 1, "ln", "LN", "ln", "\\ln", [](double a) { return a > 0 ? std::log(a) : kNoValue; }},
    {"log10", 1, "log10", "LOG10", "log", "\\log",
     [](double a) { return a > 0 ? std::log10(a) : kNoValue; }},
    {"sqrt", 1, "sqrt", "SQRT", "", "", [](double a) { return a >= 0 ? std::sqrt(a) : kNoValue; }},
    {"sin", 1, "sin", "SIN", "sin", "\\sin", [](double a) { return std::sin(a); }},
    {"cos", 1, "cos", "COS", "cos", "\\cos", [](double a) { return std::cos(a); }},
    {"tan", 1, "tan", "TAN", "tg", "\\operatorname{tg}", [](double a) { return std::tan(a); }},
    {"asin", 1, "asin", "ASIN", "arcsin", "\\arcsin", [](double a) { return std::asin(a); }},
    {"acos", 1, "acos", "ACOS", "arccos", "\\arccos", [](double a) { return std::acos(a); }},
    {"atan", 1, "atan", "ATAN", "arctg", "\\operatorname{arctg}",
     [](double a) { return std::atan(a); }},
    {"sinh", 1, "sinh", "SINH", "sinh", "\\sinh", [](double a) { return std::sinh(a); }},
    {"cosh", 1, "cosh", "COSH", "cosh", "\\cosh", [](double a) { return std::cosh(a); }},
    {"tanh", 1, "tanh", "TANH", "tgh", "\\operatorname{tgh}",
     [](double a) { return std::tanh(a); }},
    {"abs", 1, "abs", "ABS", "", "", [](double a) { return std::fabs(a); }},
}};
// clang-format on

// The row of an operation, nullptr for a name that is none.
const Operation* FindOperation(std::string_view name);
// The row of an operation by its name in the CAS, nullptr for none.
const Operation* FindCasOperation(std::string_view cas);

// The operations an expression may use (the elementary functions and the arithmetic).
bool IsExpressionOp(std::string_view name);
// The relations and connectives of a domain's condition.
bool IsConditionOp(std::string_view name);

// The tree as text, and back. Parse refuses anything outside the grammar above (unknown names,
// a wrong number of arguments, nesting deeper than kMaxTreeDepth, malformed atoms) and the
// condition operations unless `conditions` is set.
std::string TreeText(const Node& n);
std::optional<Node> ParseTree(std::string_view text, bool conditions = false);
inline constexpr int kMaxTreeDepth = 200;

// True when the tree holds an approximate atom or undef anywhere.
bool HasApprox(const Node& n);
bool HasX(const Node& n);

// ---- The channel's words, for both ends ----
// Requests: {"id":N,"op":OP,...} with OP one of
//   simp   e            the candidates for e simplified (normal, factor, simplify, ...)
//   diff   e, n         the candidates for the n-th derivative of e (n from 1 to 4)
//   solve  e            the real solutions of e = 0
//   limit  e, at, dir   the limit at `at` (a tree, +inf or -inf) from dir -1 (left), 1, 0
//   domain e            the condition of the domain of e
//   period e            the smallest period of e (+inf when there is none)
//   ping
// Answers: {"id":N,"ok":true,"r":[TREE...]} ("none":true beside an empty "r": a limit that does
// not exist) or {"id":N,"ok":false,"error":TEXT}.
namespace channel {
inline constexpr char kPing[] = "ping", kSimp[] = "simp", kDiff[] = "diff", kSolve[] = "solve",
                      kLimit[] = "limit", kDomain[] = "domain", kPeriod[] = "period";
inline constexpr char kOp[] = "op", kId[] = "id", kExpr[] = "e", kOrder[] = "n", kAt[] = "at",
                      kDir[] = "dir", kOk[] = "ok", kResult[] = "r", kNone[] = "none",
                      kError[] = "error";
}  // namespace channel

// ---- JSON lines: flat objects of strings, integers, truth values and arrays of strings ----

struct JsonValue {
  enum class Kind { String, Number, Bool, Strings };
  Kind kind = Kind::String;
  std::string s;
  long long n = 0;
  bool b = false;
  std::vector<std::string> list;
};
using JsonObject = std::map<std::string, JsonValue>;

std::string JsonLine(const JsonObject& o);  // without the newline
std::optional<JsonObject> ParseJsonLine(std::string_view line);

JsonValue JStr(std::string s);
JsonValue JNum(long long n);
JsonValue JBool(bool b);
JsonValue JList(std::vector<std::string> l);

}  // namespace curvalis::study
