#include "exact_engine/working.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <set>
#include <string>

#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {

namespace {

constexpr std::array kPoints = {-3.7, -2.2, -1.3, -0.45, 0.35, 0.8, 1.45, 2.6, 3.9, 6.3};

// Longer lines are no help to a student: they are left out.
constexpr std::size_t kMaxLineChars = 160;

bool IsNum(const Node& n, std::string_view t) {
  return n.kind == Node::Kind::Number && n.text == t;
}

void Flatten(const Node& n, std::string_view op, std::vector<Node>& out) {
  if (n.Is(op)) {
    for (const Node& a : n.args) Flatten(a, op, out);
  } else {
    out.push_back(n);
  }
}

Node Join(std::string_view op, std::vector<Node> parts) {
  if (parts.empty()) return Node::Num(op == "*" ? "1" : "0");
  if (parts.size() == 1) return std::move(parts[0]);
  return Node::Of(std::string(op), std::move(parts));
}

bool IsPolynomial(const Node& n) {
  if (!HasX(n)) return true;
  if (n.kind == Node::Kind::X) return true;
  if (n.Is("+") || n.Is("*") || n.Is("neg")) return std::ranges::all_of(n.args, IsPolynomial);
  if (n.Is("^") && !HasX(n.args[1])) {
    const double r = TreeValue(n.args[1]);
    return r >= 0 && r == std::floor(r) && IsPolynomial(n.args[0]);
  }
  return false;
}

// The derivative of g at x from central differences of its values (NaN where g has none).
double Slope(const Node& g, double x) {
  const double h = 1e-5 * std::max(1.0, std::fabs(x));
  const double a = TreeValue(g, x - h), b = TreeValue(g, x + h), c = TreeValue(g, x);
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return NAN;
  return (b - a) / (2 * h);
}

// d agrees with the difference quotients of g at the points where both have a value.
bool DerivesAtPoints(const Node& g, const Node& d) {
  int checked = 0;
  for (double x : kPoints) {
    const double s = Slope(g, x), v = TreeValue(d, x);
    if (!std::isfinite(s) || !std::isfinite(v) || std::fabs(s) > 1e8) continue;
    if (std::fabs(s - v) > 1e-4 * std::max(1.0, std::fabs(v))) return false;
    ++checked;
  }
  return checked >= 2;
}

// The derivative of a function of the table at x, as a student learns it ("D[√x] = 1/(2√x)");
// nullopt for anything else.
std::optional<Node> TableDerivative(const Node& n) {
  struct Entry {
    const char* op;
    const char* derivative;
  };
  static const Entry kTable[] = {
      {"exp", "(exp x)"},
      {"ln", "(inv x)"},
      {"log10", "(inv (* x (ln 10)))"},
      {"sqrt", "(inv (* 2 (sqrt x)))"},
      {"sin", "(cos x)"},
      {"cos", "(neg (sin x))"},
      {"tan", "(+ 1 (^ (tan x) 2))"},
      {"asin", "(inv (sqrt (+ 1 (neg (^ x 2)))))"},
      {"acos", "(neg (inv (sqrt (+ 1 (neg (^ x 2))))))"},
      {"atan", "(inv (+ 1 (^ x 2)))"},
      {"sinh", "(cosh x)"},
      {"cosh", "(sinh x)"},
      {"tanh", "(+ 1 (neg (^ (tanh x) 2)))"},
      {"abs", "(* (abs x) (inv x))"},
  };
  if (n.args.size() == 1 && n.args[0].kind == Node::Kind::X) {
    for (const Entry& e : kTable) {
      if (n.Is(e.op)) return ParseTree(e.derivative);
    }
    return std::nullopt;
  }
  if (!n.Is("^")) return std::nullopt;
  const Node& base = n.args[0];
  const Node& exponent = n.args[1];
  if (base.kind == Node::Kind::X && exponent.kind == Node::Kind::Number) {  // c·x^(c − 1)
    const std::string& c = exponent.text;
    const std::size_t slash = c.find('/');
    std::string less;
    if (slash == std::string::npos) {
      less = std::to_string(std::stoll(c) - 1);
    } else {
      const long long p = std::stoll(c.substr(0, slash)), q = std::stoll(c.substr(slash + 1));
      less = std::to_string(p - q) + "/" + c.substr(slash + 1);
    }
    if (c.size() > 15) return std::nullopt;
    return Node::Of("*", {exponent, Node::Of("^", {Node::Var(), Node::Num(less)})});
  }
  if (!HasX(base) && exponent.kind == Node::Kind::X) {  // c^x·ln(c)
    return Node::Of("*", {n, Node::Of("ln", {base})});
  }
  return std::nullopt;
}

class Walker {
 public:
  Walker(const Derive& derive, bool second) : derive_(derive), second_(second) {}

  std::vector<Step> Run(const Node& g) {
    Visit(g, true);
    return std::move(steps_);
  }

 private:
  std::optional<Node> D(const Node& n) {
    if (!HasX(n)) return Node::Num("0");
    if (n.kind == Node::Kind::X) return Node::Num("1");
    if (std::optional<Node> t = TableDerivative(n)) return t;
    return derive_(n);
  }

  void Emit(StepRule rule, const Node& of, const Node& rhs, bool top) {
    const Node tidy = Tidy(rhs);
    if (!DerivesAtPoints(of, tidy)) return;  // a line we cannot confirm is left out
    Step s;
    s.rule = rule;
    s.formula = StudentText(tidy);
    if (top) {
      s.text = std::string(second_ ? "f\xE2\x80\xB3(x) = " : "f\xE2\x80\xB2(x) = ") + s.formula;
      s.latex = std::string(second_ ? "f''(x) = " : "f'(x) = ") + LatexText(tidy);
    } else {
      s.text = "D[" + StudentText(of) + "] = " + s.formula;
      s.latex = "D\\left[" + LatexText(of) + "\\right] = " + LatexText(tidy);
    }
    if (CharCount(s.text) > kMaxLineChars) return;
    steps_.push_back(std::move(s));
  }

  // A derivative from the table, once: "D[ln(x)] = 1/x" ("f′(x) = 1/x" for the whole of g).
  void Table(const Node& outer, bool top = false) {
    if (!seen_.insert(TreeText(outer)).second) return;
    if (std::optional<Node> d = D(outer)) Emit(StepRule::Elementary, outer, *d, top);
  }

  void Visit(const Node& n, bool top) {
    if (!HasX(n) || n.kind == Node::Kind::X) return;
    if (n.Is("neg") && !top) {  // −u: a student derives u and keeps the sign
      Visit(n.args[0], false);
      return;
    }
    if (IsPolynomial(n)) {
      if (std::optional<Node> d = D(n)) Emit(StepRule::Polynomial, n, *d, top);
      return;
    }
    if (n.Is("+")) {
      std::vector<Node> terms, ds;
      Flatten(n, "+", terms);
      for (const Node& t : terms) {
        std::optional<Node> d = D(t);
        if (!d) return;
        ds.push_back(*d);
      }
      Emit(StepRule::Sum, n, Join("+", ds), top);
      for (const Node& t : terms) Visit(t, false);
      return;
    }
    if (n.Is("neg")) {
      std::optional<Node> d = D(n.args[0]);
      if (d) Emit(StepRule::ConstantFactor, n, Node::Of("neg", {*d}), top);
      Visit(n.args[0], false);
      return;
    }
    if (n.Is("*") || n.Is("inv")) {
      Product(n, top);
      return;
    }
    if (n.Is("^")) {
      Power(n, top);
      return;
    }
    if (n.args.size() == 1) {  // a function of the table
      Chain(n, Node::Of(n.text, {Node::Var()}), n.args[0], top);
    }
  }

  // outer(u): outer′(u)·u′, then the derivative of outer from the table, then u; outer(x)
  // itself from the table.
  void Chain(const Node& n, const Node& outer, const Node& u, bool top) {
    if (u.kind == Node::Kind::X) return Table(n, top);
    std::optional<Node> dOuter = D(outer), du = D(u);
    if (dOuter && du) {
      Emit(StepRule::Chain, n, Node::Of("*", {Substitute(*dOuter, u), *du}), top);
    }
    Table(outer);
    Visit(u, false);
  }

  void Product(const Node& n, bool top) {
    std::vector<Node> factors;
    Flatten(n.Is("inv") ? Node::Of("*", {Node::Num("1"), n}) : n, "*", factors);
    std::vector<Node> constants, others, dens;
    for (Node& f : factors) {
      if (!HasX(f)) {
        constants.push_back(std::move(f));
      } else if (f.Is("inv")) {
        dens.push_back(f.args[0]);
      } else {
        others.push_back(std::move(f));
      }
    }
    if (!dens.empty()) {
      std::vector<Node> upper = constants;
      upper.insert(upper.end(), others.begin(), others.end());
      const Node num = Join("*", upper), den = Join("*", dens);
      std::optional<Node> dn = D(num), dd = D(den);
      if (dn && dd) {
        const Node top2 = Node::Of(
            "+", {Node::Of("*", {*dn, den}), Node::Of("neg", {Node::Of("*", {num, *dd})})});
        Emit(StepRule::Quotient, n,
             Node::Of("*", {top2, Node::Of("inv", {Node::Of("^", {den, Node::Num("2")})})}), top);
      }
      Visit(num, false);
      Visit(den, false);
      return;
    }
    if (!constants.empty()) {
      const Node u = Join("*", others);
      if (std::optional<Node> du = D(u)) {
        std::vector<Node> parts = constants;
        parts.push_back(*du);
        Emit(StepRule::ConstantFactor, n, Join("*", parts), top);
      }
      Visit(u, false);
      return;
    }
    const Node a = others[0];
    const Node b = Join("*", std::vector<Node>(others.begin() + 1, others.end()));
    std::optional<Node> da = D(a), db = D(b);
    if (da && db) {
      Emit(StepRule::Product, n, Node::Of("+", {Node::Of("*", {*da, b}), Node::Of("*", {a, *db})}),
           top);
    }
    Visit(a, false);
    Visit(b, false);
  }

  void Power(const Node& n, bool top) {
    const Node& u = n.args[0];
    const Node& v = n.args[1];
    if (!HasX(v)) return Chain(n, Node::Of("^", {Node::Var(), v}), u, top);  // u^c
    if (!HasX(u)) return Chain(n, Node::Of("^", {u, Node::Var()}), v, top);  // c^v
    // u^v = e^(v·ln(u)): u^v·(v′·ln(u) + v·u′/u)
    std::optional<Node> du = D(u), dv = D(v);
    if (du && dv) {
      const Node inner = Node::Of("+", {Node::Of("*", {*dv, Node::Of("ln", {u})}),
                                        Node::Of("*", {v, *du, Node::Of("inv", {u})})});
      Emit(StepRule::PowerOfX, n, Node::Of("*", {n, inner}), top);
    }
    Visit(u, false);
    Visit(v, false);
  }

  const Derive& derive_;
  bool second_;
  std::vector<Step> steps_;
  std::set<std::string> seen_;
};

// The names of the rules in the trace, in the order of StepRule.
constexpr std::string_view kRuleNames[] = {
    // Dominio
    "condition", "condition_solved", "intersection",
    // Derivata prima and Derivata seconda
    "polynomial", "sum", "constant_factor", "product", "quotient", "chain", "power_of_x",
    "elementary", "simplified", "numerator", "solutions",
    // Simmetrie, Intersezioni, Asintoti, Massimi e minimi, Flessi
    "domain_symmetric", "domain_not_symmetric", "mirrored", "compared", "value_at_zero",
    "zero_not_in_domain", "vertical_from_limit", "horizontal_from_limit", "oblique_slope",
    "oblique_intercept", "sign_change", "ordinate",
    // Limiti
    "limit_parts", "limit_form", "indeterminate_form", "degrees_compared", "simplified_limit",
    "hierarchy", "highest_power", "de_lhopital", "notable_limit", "rewritten"};

}  // namespace

std::string_view StepRuleName(StepRule rule) {
  static_assert(std::size(kRuleNames) == static_cast<std::size_t>(StepRule::Rewritten) + 1);
  return kRuleNames[static_cast<std::size_t>(rule)];
}

Node Tidy(const Node& n) {
  if (n.kind != Node::Kind::Op) return n;
  Node t = Node::Of(n.text, {});
  for (const Node& a : n.args) t.args.push_back(Tidy(a));
  if (t.Is("*")) {
    std::vector<Node> parts, kept;
    Flatten(t, "*", parts);
    for (Node& p : parts) {
      if (IsNum(p, "0")) return Node::Num("0");
      if (!IsNum(p, "1")) kept.push_back(std::move(p));
    }
    // u·(1/u) is 1 where both have a value: x·(1/x), not "x/x".
    for (std::size_t i = 0; i < kept.size(); ++i) {
      if (!kept[i].Is("inv")) continue;
      const std::string den = TreeText(kept[i].args[0]);
      for (std::size_t j = 0; j < kept.size(); ++j) {
        if (j == i || TreeText(kept[j]) != den) continue;
        kept.erase(kept.begin() + std::max(i, j));
        kept.erase(kept.begin() + std::min(i, j));
        return Tidy(Join("*", std::move(kept)));
      }
    }
    return Join("*", std::move(kept));
  }
  if (t.Is("+")) {
    std::vector<Node> parts, kept;
    Flatten(t, "+", parts);
    for (Node& p : parts) {
      if (!IsNum(p, "0")) kept.push_back(std::move(p));
    }
    return Join("+", std::move(kept));
  }
  if (t.Is("neg")) {
    if (IsNum(t.args[0], "0")) return Node::Num("0");
    if (t.args[0].Is("neg")) return t.args[0].args[0];
  }
  if (t.Is("^") && IsNum(t.args[1], "1")) return t.args[0];
  if (t.Is("^") && IsNum(t.args[1], "2") && t.args[0].Is("sqrt")) return t.args[0].args[0];
  // (b^n)^m: b^(n·m), for whole n and m ("(x − 2)^4", not "((x − 2)²)²").
  if (t.Is("^") && t.args[0].Is("^") && t.args[1].kind == Node::Kind::Number &&
      t.args[0].args[1].kind == Node::Kind::Number &&
      t.args[1].text.find('/') == std::string::npos &&
      t.args[0].args[1].text.find('/') == std::string::npos && t.args[1].text.size() < 6 &&
      t.args[0].args[1].text.size() < 6) {
    const long long k = std::stoll(t.args[0].args[1].text) * std::stoll(t.args[1].text);
    return Node::Of("^", {t.args[0].args[0], Node::Num(std::to_string(k))});
  }
  if (t.Is("inv") && IsNum(t.args[0], "1")) return Node::Num("1");
  return t;
}

std::vector<Step> DerivationSteps(const Node& g, const Derive& derive, bool second) {
  return Walker(derive, second).Run(g);
}

// The numerator or the denominator of g when g is a quotient at its top.
std::optional<Node> QuotientPart(const Node& g, bool numerator) {
  if (!g.Is("*")) return std::nullopt;
  std::vector<Node> factors, upper, lower;
  Flatten(g, "*", factors);
  for (Node& f : factors) {
    if (f.Is("inv") && HasX(f.args[0])) {
      lower.push_back(std::move(f.args[0]));
    } else {
      upper.push_back(std::move(f));
    }
  }
  if (lower.empty()) return std::nullopt;
  return Tidy(Join("*", std::move(numerator ? upper : lower)));
}

std::optional<Node> NumeratorOf(const Node& g) {
  return QuotientPart(g, true);
}

std::optional<Node> DenominatorOf(const Node& g) {
  return QuotientPart(g, false);
}

std::optional<std::pair<Node, Node>> FirstAndRest(const Node& g, char* op) {
  if (!g.Is("*") && !g.Is("+")) return std::nullopt;
  if (NumeratorOf(g)) return std::nullopt;  // a quotient
  const std::string_view name = g.Is("*") ? "*" : "+";
  std::vector<Node> parts;
  Flatten(g, name, parts);
  if (parts.size() < 2) return std::nullopt;
  *op = name[0];
  Node first = parts.front();
  parts.erase(parts.begin());
  return std::pair{std::move(first), Tidy(Join(name, std::move(parts)))};
}

std::optional<int> PolynomialDegree(const Node& n) {
  if (!HasX(n))
    return n.kind == Node::Kind::Op || n.kind == Node::Kind::Number || n.kind == Node::Kind::Pi
               ? std::optional<int>(0)
               : std::nullopt;
  if (n.kind == Node::Kind::X) return 1;
  if (n.Is("neg")) return PolynomialDegree(n.args[0]);
  if (n.Is("+") || n.Is("*")) {
    int d = 0;
    for (const Node& a : n.args) {
      const std::optional<int> da = PolynomialDegree(a);
      if (!da) return std::nullopt;
      d = n.Is("+") ? std::max(d, *da) : d + *da;
    }
    return d;
  }
  if (n.Is("^") && !HasX(n.args[1]) && n.args[1].kind == Node::Kind::Number) {
    const std::string& k = n.args[1].text;
    if (k.empty() || k.size() > 2 || !std::all_of(k.begin(), k.end(), ::isdigit)) {
      return std::nullopt;
    }
    const std::optional<int> base = PolynomialDegree(n.args[0]);
    if (!base) return std::nullopt;
    return *base * std::stoi(k);
  }
  return std::nullopt;
}

int InfinityOrder(const Node& n) {
  if (n.Is("neg")) return InfinityOrder(n.args[0]);
  if (n.Is("*") && n.args.size() == 2) {
    for (int k = 0; k < 2; ++k) {
      const Node& c = n.args[std::size_t(k)];
      if (!HasX(c) && TreeValue(c) > 0) return InfinityOrder(n.args[std::size_t(1 - k)]);
    }
    return 0;
  }
  auto polynomial = [](const Node& p) {
    const std::optional<int> d = PolynomialDegree(p);
    return d && *d >= 1;
  };
  if (n.Is("ln") && polynomial(n.args[0])) return 1;
  if (n.Is("exp") && polynomial(n.args[0])) return 3;
  return polynomial(n) ? 2 : 0;
}

bool SameAtPoints(const Node& a, const Node& b) {
  int checked = 0;
  for (double x : kPoints) {
    const double u = TreeValue(a, x), v = TreeValue(b, x);
    if (!std::isfinite(u) || !std::isfinite(v)) continue;
    if (std::fabs(u - v) > 1e-7 * std::max(1.0, std::fabs(u))) return false;
    ++checked;
  }
  return checked >= 2;
}

}  // namespace curvalis::study
