// The channel between the program and the exact engine's helper: one JSON object per line each
// way, and the expressions inside them written as prefix trees. The tree is the only form an
// expression crosses the channel in, both ways: the helper rebuilds the CAS's input from a
// tree it has checked node by node, so no text from the channel ever reaches the CAS's own
// parser. Standard C++ only.
//
// Tree text: an atom or "(" name argument... ")", blank-separated.
//   atoms: x, pi, an integer (digits, optional leading -), p/q (a rational), +inf, -inf,
//          undef, true, false, and ~D, a decimal D the CAS gave only approximately;
//   names: + * neg inv ^ exp ln log10 sqrt sin cos tan asin acos atan sinh cosh tanh abs,
//          and in a domain's condition < <= > >= != = and or.
#pragma once

#include <array>
#include <cstddef>
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
  static Node Of(std::string name, std::vector<Node> a) {
    return Node{Kind::Op, std::move(name), std::move(a)};
  }
  bool Is(std::string_view name) const { return kind == Kind::Op && text == name; }
};

// One operation an expression may use: its name in the tree, its number of arguments (0: two
// or more), and for a function written as a call, how the student notation and LaTeX name it
// (empty: the writers set it by their own rules, "−a", "1/a", "e^a", "√a", "|a|").
struct Operation {
  std::string_view name;
  int arity;
  std::string_view student;
  std::string_view latex;
};

// Every operation of an expression, one row each: the tree's grammar and the writers read it.
inline constexpr std::array<Operation, 19> kOperations = {{
    {"+", 0, "", ""},
    {"*", 0, "", ""},
    {"^", 2, "", ""},
    {"neg", 1, "", ""},
    {"inv", 1, "", ""},
    {"exp", 1, "", ""},
    {"ln", 1, "ln", "\\ln"},
    {"log10", 1, "log", "\\log"},
    {"sqrt", 1, "", ""},
    {"sin", 1, "sin", "\\sin"},
    {"cos", 1, "cos", "\\cos"},
    {"tan", 1, "tg", "\\operatorname{tg}"},
    {"asin", 1, "arcsin", "\\arcsin"},
    {"acos", 1, "arccos", "\\arccos"},
    {"atan", 1, "arctg", "\\operatorname{arctg}"},
    {"sinh", 1, "sinh", "\\sinh"},
    {"cosh", 1, "cosh", "\\cosh"},
    {"tanh", 1, "tgh", "\\operatorname{tgh}"},
    {"abs", 1, "", ""},
}};

// The row of an operation, nullptr for a name that is none.
const Operation* FindOperation(std::string_view name);

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
