#include "exact_engine/translate.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <utility>

#include "core/formula.h"
#include "core/formula_lexer.h"
#include "core/formula_names.h"
#include "core/formula_program.h"
#include "core/prepare_formula.h"

namespace curvalis::study {

namespace {

using formula::Op;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The tree's name of a formula's function of one argument, nullptr outside the elementary part.
const char* UnaryName(Op op) {
  for (const Operation& row : kOperations) {
    if (!row.formula.empty() && formula::FindFunction(row.formula)->op == op) {
      return row.name.data();
    }
  }
  return nullptr;
}

// A function of the elementary part, in every spelling the parser knows.
bool IsElementaryName(const std::string& upper) {
  if (upper == "PI" || upper == "POWER" || upper == "LOG") return true;
  const formula::FnInfo* fn = formula::FindFunction(upper);
  return fn && fn->fn == formula::Fn::Unary && UnaryName(fn->op);
}

// The tokens that have no place in the elementary part, with the name the reason gives them.
constexpr std::pair<formula::Tok, const char*> kOutside[] = {
    {formula::Tok::Text, "testo"}, {formula::Tok::Amp, "&"}, {formula::Tok::Eq, "="},
    {formula::Tok::Ne, "≠"},       {formula::Tok::Lt, "<"},  {formula::Tok::Le, "≤"},
    {formula::Tok::Gt, ">"},       {formula::Tok::Ge, "≥"},
};

// The first name or construct of the formula, in reading order, outside the elementary part.
std::string FirstNonElementary(std::string_view prepared) {
  try {
    formula::Lexer lexer(prepared, 1);
    formula::Token tok, next;
    lexer.Next(tok);
    while (tok.kind != formula::Tok::End) {
      lexer.Next(next);
      if (tok.kind == formula::Tok::Name) {
        std::string u = Upper(tok.name);
        std::string cell = u;
        std::erase(cell, '$');
        const bool isConst = u == "E" || u == "PI" || tok.name == "\xCF\x80" || cell == "X1";
        // A function's argument follows its name in parentheses or bars (ln|x1|).
        const bool called = next.kind == formula::Tok::LParen || next.kind == formula::Tok::Bar;
        if (called ? !isConst && !IsElementaryName(u) : !isConst) {
          return u;
        }
      }
      for (const auto& [kind, name] : kOutside) {
        if (tok.kind == kind) return name;
      }
      tok = std::move(next);
    }
  } catch (const FormulaRejection&) {
  }
  return {};
}

// a + b, a − b, a·b, a/b or a^b as the tree writes them.
Node Arithmetic(Op op, Node a, Node b) {
  switch (op) {
    case Op::Add:
      return Node::Of("+", {std::move(a), std::move(b)});
    case Op::Sub:
      return Node::Of("+", {std::move(a), Node::Of("neg", {std::move(b)})});
    case Op::Mul:
      return Node::Of("*", {std::move(a), std::move(b)});
    case Op::Div:
      return Node::Of("*", {std::move(a), Node::Of("inv", {std::move(b)})});
    default:
      return Node::Of("^", {std::move(a), std::move(b)});
  }
}

std::string Pow10(int k) {
  return "1" + std::string(static_cast<std::size_t>(k), '0');
}

}  // namespace

Node ExactDecimal(double v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v));
  std::string s(buf, res.ptr);
  int exponent = 0;
  if (auto e = s.find('e'); e != std::string::npos) {
    exponent = std::stoi(s.substr(e + 1));
    s.resize(e);
  }
  std::string digits;
  for (char c : s) {
    if (c == '.') {
      exponent -= static_cast<int>(s.size() - s.find('.') - 1);
    } else {
      digits += c;
    }
  }
  while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
  std::string text;
  if (exponent >= 0) {
    text = digits == "0" ? "0" : digits + std::string(static_cast<std::size_t>(exponent), '0');
  } else if (digits.size() <= 18 && -exponent <= 18) {
    std::int64_t p = std::stoll(digits), q = std::stoll(Pow10(-exponent));
    std::int64_t g = std::gcd(p, q);
    p /= g;
    q /= g;
    text = q == 1 ? std::to_string(p) : std::to_string(p) + "/" + std::to_string(q);
  } else if (-exponent <= 308) {
    text = digits + "/" + Pow10(-exponent);
  } else {
    // Below 1e-308 the denominator would be no number our evaluator reads (it is beyond the
    // largest double): digits · 10^exponent instead, exact all the same.
    Node power = Node::Of("^", {Node::Num("10"), Node::Num(std::to_string(exponent))});
    return Node::Of("*", {Node::Num((v < 0 ? "-" : "") + digits), std::move(power)});
  }
  if (v < 0 && text != "0") text = "-" + text;
  return Node::Num(text);
}

Translation TranslateFormula(std::string_view funzione) {
  Translation t;
  const std::string prepared = PrepareFormula(funzione);
  formula::Program program;
  FormulaRejection where;
  FormulaReject r = formula::CompileProgram(prepared, program,
                                            formula::CompileOptions{.optimize = false}, &where);
  if (r != FormulaReject::None) {
    t.rejected = true;
    t.reason = std::string(RejectText(r));
    return t;
  }
  // Not elementary: the first construct outside in the text, else the operation that has no
  // place in the elementary part.
  auto nonElementary = [&](Op op) {
    t.construct = FirstNonElementary(prepared);
    if (t.construct.empty()) {
      const formula::FnInfo* fn = formula::FindFunction(op);
      t.construct = fn ? std::string(fn->name) : "?";
    }
    return t;
  };
  std::vector<Node> stack;
  for (const formula::Instr& in : program.code) {
    const Op op = in.op;
    if (op == Op::Return) break;
    if (op == Op::Const) {
      const Value& v = program.pool[static_cast<std::size_t>(in.a)];
      if (v.kind != ValueKind::Number || !std::isfinite(v.number)) return nonElementary(op);
      if (v.number == std::numbers::e) {
        stack.push_back(Node::Of("exp", {Node::Num("1")}));
      } else if (v.number == std::numbers::pi) {
        stack.push_back(Node{Node::Kind::Pi, "pi", {}});
      } else {
        stack.push_back(ExactDecimal(v.number));
      }
      continue;
    }
    if (op == Op::X) {
      stack.push_back(Node::Var());
      continue;
    }
    if (op == Op::ToNumber) {
      if (stack.empty()) return nonElementary(op);
      continue;
    }
    const char* unary = UnaryName(op);
    if (unary || op == Op::Neg || op == Op::Percent || op == Op::Square || op == Op::Cube) {
      if (stack.empty()) return nonElementary(op);
      Node a = std::move(stack.back());
      stack.pop_back();
      if (unary) {
        stack.push_back(Node::Of(unary, {std::move(a)}));
      } else if (op == Op::Neg) {
        stack.push_back(Node::Of("neg", {std::move(a)}));
      } else if (op == Op::Percent) {
        stack.push_back(Node::Of("*", {std::move(a), Node::Num("1/100")}));
      } else {
        stack.push_back(Node::Of("^", {std::move(a), Node::Num(op == Op::Square ? "2" : "3")}));
      }
      continue;
    }
    if (op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div || op == Op::Pow) {
      if (stack.size() < 2) return nonElementary(op);
      Node b = std::move(stack.back());
      stack.pop_back();
      Node a = std::move(stack.back());
      stack.pop_back();
      stack.push_back(Arithmetic(op, std::move(a), std::move(b)));
      continue;
    }
    return nonElementary(op);
  }
  if (stack.size() != 1) return nonElementary(Op::Return);
  t.tree = std::move(stack[0]);
  return t;
}

Node Substitute(const Node& tree, const Node& value) {
  if (tree.kind == Node::Kind::X) return value;
  Node out = tree;
  for (Node& a : out.args) a = Substitute(a, value);
  return out;
}

double TreeValue(const Node& n, double x) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  switch (n.kind) {
    case Node::Kind::Number: {
      const std::size_t slash = n.text.find('/');
      if (slash == std::string::npos) return std::strtod(n.text.c_str(), nullptr);
      return std::strtod(n.text.substr(0, slash).c_str(), nullptr) /
             std::strtod(n.text.substr(slash + 1).c_str(), nullptr);
    }
    case Node::Kind::X:
      return x;
    case Node::Kind::Pi:
      return std::numbers::pi;
    case Node::Kind::PlusInf:
      return std::numeric_limits<double>::infinity();
    case Node::Kind::MinusInf:
      return -std::numeric_limits<double>::infinity();
    case Node::Kind::Approx:
      return std::strtod(n.text.c_str(), nullptr);
    case Node::Kind::Undef:
    case Node::Kind::True:
    case Node::Kind::False:
      return nan;
    case Node::Kind::Op:
      break;
  }
  if (n.text == "+" || n.text == "*") {
    double acc = n.text == "+" ? 0 : 1;
    for (const Node& a : n.args) {
      const double v = TreeValue(a, x);
      acc = n.text == "+" ? acc + v : acc * v;
    }
    return acc;
  }
  if (n.args.empty()) return nan;
  const double a = TreeValue(n.args[0], x);
  const std::string& f = n.text;
  if (f == "^") {
    const double b = TreeValue(n.args[1], x);
    // An odd root of a negative base, as the CAS reads it for real x.
    if (a < 0 && n.args[1].kind == Node::Kind::Number &&
        n.args[1].text.find('/') != std::string::npos) {
      const std::string& t = n.args[1].text;
      const long long den = std::strtoll(t.substr(t.find('/') + 1).c_str(), nullptr, 10);
      if (den % 2 == 1) return -std::pow(-a, b);
    }
    return std::pow(a, b);
  }
  const Operation* row = FindOperation(f);
  if (row && row->value) return row->value(a);
  return nan;
}

}  // namespace curvalis::study
