#include "exact_engine/writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <vector>

#include "core/formula.h"
#include "core/prepare_formula.h"
#include "core/utf8.h"
#include "exact_engine/numbers.h"
#include "exact_engine/translate.h"

namespace curvalis::study {

namespace {

constexpr const char* kMinus = "\xE2\x88\x92";  // U+2212

bool IsNum(const Node& n) {
  return n.kind == Node::Kind::Number;
}
bool IsNegativeNum(const Node& n) {
  return IsNum(n) && !n.text.empty() && n.text[0] == '-';
}
bool IsNum(const Node& n, std::string_view t) {
  return IsNum(n) && n.text == t;
}
bool IsInteger(const Node& n) {
  return IsNum(n) && n.text.find('/') == std::string::npos;
}

// x, π or a whole number that is not negative: written without parentheses as a root's
// radicand, a base or an exponent.
bool IsBare(const Node& n) {
  return n.kind == Node::Kind::X || n.kind == Node::Kind::Pi || (IsInteger(n) && !IsNegativeNum(n));
}

std::string Abs(const std::string& t) {
  return !t.empty() && t[0] == '-' ? t.substr(1) : t;
}

std::string FunctionName(const std::string& op, bool latex) {
  const Operation* row = FindOperation(op);
  if (!row || row->student.empty()) return op;
  return std::string(latex ? row->latex : row->student);
}

class Writer {
 public:
  explicit Writer(bool latex) : latex_(latex) {}

  std::string Top(const Node& n) {
    switch (n.kind) {
      case Node::Kind::PlusInf:
        return latex_ ? "+\\infty" : "+\xE2\x88\x9E";
      case Node::Kind::MinusInf:
        return latex_ ? "-\\infty" : std::string(kMinus) + "\xE2\x88\x9E";
      default:
        return Sum(n);
    }
  }

 private:
  std::string Minus() const { return latex_ ? "-" : kMinus; }

  // A sum, its terms with their signs.
  std::string Sum(const Node& n) {
    std::vector<const Node*> terms;
    Flatten(n, terms);
    // A student starts with the number of a constant sum ("2 − √3") and with a positive term
    // ("1 − x" rather than "−x + 1").
    if (!HasX(n)) {
      std::stable_partition(terms.begin(), terms.end(), [](const Node* t) { return IsNum(*t); });
    }
    if (terms.size() > 1 && IsNegative(*terms[0])) {
      auto positive =
          std::find_if(terms.begin(), terms.end(), [](const Node* t) { return !IsNegative(*t); });
      if (positive != terms.end()) std::rotate(terms.begin(), positive, positive + 1);
    }
    std::string out;
    for (std::size_t i = 0; i < terms.size(); ++i) {
      bool negative = false;
      std::string t = Product(*terms[i], negative);
      if (i == 0) {
        out += negative ? Minus() + t : t;
      } else {
        out += negative ? " " + Minus() + " " : std::string(" + ");
        out += t;
      }
    }
    return out;
  }

  // A term written with a leading minus.
  static bool IsNegative(const Node& t) {
    if (t.Is("neg") || IsNegativeNum(t)) return true;
    if (t.Is("*")) {
      bool negative = false;
      for (const Node& a : t.args) negative ^= IsNegative(a);
      return negative;
    }
    if (t.Is("inv")) return IsNegative(t.args[0]);
    return false;
  }

  static void Flatten(const Node& n, std::vector<const Node*>& terms) {
    if (n.Is("+")) {
      for (const Node& a : n.args) Flatten(a, terms);
    } else {
      terms.push_back(&n);
    }
  }

  struct Factors {
    bool negative = false;
    std::string coefNum = "1";
    std::string coefDen = "1";
    std::vector<const Node*> num;
    std::vector<const Node*> den;
    std::deque<Node> owned;  // powers rebuilt with a positive exponent (stable addresses)
  };

  void Collect(const Node& n, Factors& f, bool inDen) {
    if (n.Is("*")) {
      for (const Node& a : n.args) Collect(a, f, inDen);
      return;
    }
    if (n.Is("inv")) return Collect(n.args[0], f, !inDen);
    if (n.Is("neg")) {
      f.negative = !f.negative;
      return Collect(n.args[0], f, inDen);
    }
    if (IsNum(n)) {
      std::string t = n.text;
      if (t[0] == '-') {
        f.negative = !f.negative;
        t.erase(0, 1);
      }
      const std::size_t slash = t.find('/');
      std::string p = t.substr(0, slash);
      std::string q = slash == std::string::npos ? "1" : t.substr(slash + 1);
      if (inDen) std::swap(p, q);
      AddCoefficient(p, f.coefNum, f.num, f);
      AddCoefficient(q, f.coefDen, f.den, f);
      return;
    }
    if (n.Is("^") && IsNegativeNum(n.args[1])) {
      if (n.args[1].text == "-1") return Collect(n.args[0], f, !inDen);
      f.owned.push_back(Node::Of("^", {n.args[0], Node::Num(Abs(n.args[1].text))}));
      (inDen ? f.num : f.den).push_back(&f.owned.back());
      return;
    }
    (inDen ? f.den : f.num).push_back(&n);
  }

  void AddCoefficient(const std::string& p, std::string& coef, std::vector<const Node*>& list,
                      Factors& f) {
    if (p == "1") return;
    if (coef == "1") {
      coef = p;
      return;
    }
    // A second integer: multiplied when both are small, else kept as a factor of its own.
    if (p.size() + coef.size() < 18) {
      coef = std::to_string(std::stoll(coef) * std::stoll(p));
      return;
    }
    f.owned.push_back(Node::Num(p));
    list.push_back(&f.owned.back());
  }

  // A product (or a single factor) without its sign; `negative` tells the sign.
  std::string Product(const Node& n, bool& negative) {
    Factors f;
    Collect(n, f, false);
    negative = f.negative;
    // Each part is written once: writing one twice at every level of a nested product would
    // take time exponential in its depth.
    if (f.coefDen == "1" && f.den.empty()) return Juxtapose(f.coefNum, f.num);
    if (latex_) {
      return "\\frac{" + Juxtapose(f.coefNum, f.num, true) + "}{" +
             Juxtapose(f.coefDen, f.den, true) + "}";
    }
    const std::string num = f.coefNum == "1" && f.num.size() == 1 && f.num[0]->Is("+")
                                ? "(" + Sum(*f.num[0]) + ")"
                                : Juxtapose(f.coefNum, f.num);
    std::string den = Juxtapose(f.coefDen, f.den);
    const std::size_t items = (f.coefDen == "1" ? 0 : 1) + f.den.size();
    if (items > 1) den = "(" + den + ")";
    return num + "/" + den;
  }

  // The coefficient and the factors side by side: "2√3", "4x", "3(x + 1)", "x·ln(x)". Inside
  // a LaTeX fraction (`whole`) the numerator needs no parentheses around a single sum.
  std::string Juxtapose(const std::string& coef, const std::vector<const Node*>& factors,
                        bool whole = false) {
    std::string out = coef == "1" && !factors.empty() ? "" : coef;
    bool afterCoefficient = !out.empty();
    for (const Node* fac : factors) {
      std::string t =
          (whole && factors.size() == 1 && coef == "1" && fac->Is("+")) ? Sum(*fac) : Factor(*fac);
      if (!out.empty()) {
        const unsigned char c = static_cast<unsigned char>(t[0]);
        // A bar right after a number would close an enclosing bar ("|−2|x||" is |−2|·x·|…),
        // so "2·|x|" keeps its dot.
        const bool opens = t[0] == '(' || t.rfind("\\left", 0) == 0;
        const bool letter = (c >= 'a' && c <= 'z' && c != 'e') || c >= 0x80 || t[0] == '\\';
        const char last = out.back();
        // "(x + 1)(x − 1)" and "|x|(x + 1)", but "e^(−x)·(x − 1)": a group after a power
        // would read as part of it.
        const bool group = (out[0] == '(' || out[0] == '|') && (last == ')' || last == '|');
        const bool implicit = (afterCoefficient && (opens || letter)) || (group && t[0] == '(');
        if (!implicit) out += latex_ ? " \\cdot " : "\xC2\xB7";
      }
      out += t;
      afterCoefficient = false;
    }
    return out;
  }

  // One factor of a product.
  std::string Factor(const Node& n) {
    if (n.Is("+") || n.Is("*") || n.Is("neg") || n.Is("inv") || IsNegativeNum(n) ||
        (IsNum(n) && !IsInteger(n))) {
      return Paren(Sum(n));
    }
    return Atom(n);
  }

  std::string Paren(const std::string& t) const {
    return latex_ ? "\\left(" + t + "\\right)" : "(" + t + ")";
  }

  // An atom, a call, a power or a root.
  std::string Atom(const Node& n) {
    switch (n.kind) {
      case Node::Kind::Number:
        return n.text;
      case Node::Kind::X:
        return "x";
      case Node::Kind::Pi:
        return latex_ ? "\\pi" : "\xCF\x80";
      case Node::Kind::Approx: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.10g", std::strtod(n.text.c_str(), nullptr));
        return buf;
      }
      case Node::Kind::Op:
        break;
      case Node::Kind::PlusInf:
      case Node::Kind::MinusInf:
        return Top(n);
      default:
        return "?";  // undef and truth values have no place in an expression
    }
    const Node& a = n.args[0];
    if (n.text == "^") return Power(a, n.args[1]);
    if (n.text == "sqrt") return Root(a);
    if (n.text == "exp") return Power(Node{Node::Kind::Number, "e", {}}, a, true);
    if (n.text == "abs") {
      return latex_ ? "\\left|" + Sum(a) + "\\right|" : "|" + Sum(a) + "|";
    }
    if (n.text == "+" || n.text == "*" || n.text == "neg" || n.text == "inv") return Paren(Sum(n));
    return FunctionName(n.text, latex_) + Paren(Sum(a));
  }

  std::string Root(const Node& a) {
    if (latex_) return "\\sqrt{" + Sum(a) + "}";
    return "\xE2\x88\x9A" + (IsBare(a) ? Atom(a) : "(" + Sum(a) + ")");
  }

  // base^exponent; `isE` for e^a, whose base is the constant e.
  std::string Power(const Node& base, const Node& exponent, bool isE = false) {
    if (!isE && IsNum(exponent, "1/2")) return Root(base);
    std::string b;
    if (isE) {
      if (IsNum(exponent, "1")) return "e";
      b = "e";
    } else {
      const bool bare =
          IsBare(base) || (base.kind == Node::Kind::Op && base.text != "^" && base.text != "+" &&
                           base.text != "*" && base.text != "neg" && base.text != "inv" &&
                           base.text != "sqrt" && base.text != "exp");
      b = bare ? Atom(base) : Paren(Sum(base));
    }
    if (latex_) return b + "^{" + Sum(exponent) + "}";
    if (IsNum(exponent, "2")) return b + "\xC2\xB2";
    if (IsNum(exponent, "3")) return b + "\xC2\xB3";
    return b + "^" + (IsBare(exponent) ? Atom(exponent) : "(" + Sum(exponent) + ")");
  }

  bool latex_;
};

}  // namespace

std::string StudentText(const Node& tree) {
  return Writer(false).Top(tree);
}
std::string LatexText(const Node& tree) {
  return Writer(true).Top(tree);
}
Expr WriteExpr(const Node& tree) {
  return Expr{StudentText(tree), LatexText(tree), true};
}

std::size_t CharCount(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += Utf8CharLength(text, i)) ++n;
  return n;
}

Number ApproxNumber(double v) {
  Number n;
  if (std::isinf(v)) {
    n.text = v > 0 ? "+\xE2\x88\x9E" : std::string(kMinus) + "\xE2\x88\x9E";
    n.latex = v > 0 ? "+\\infty" : "-\\infty";
  } else {
    // Ten significant digits, trailing zeros kept; "1E+20" as the formula language reads it.
    char buf[48];
    std::snprintf(buf, sizeof buf, "%#.10g", std::fabs(v));
    for (char& c : buf) c = c == 'e' ? 'E' : c;
    n.text = std::string("\xE2\x89\x88 ") + (v < 0 ? kMinus : "") + buf;
    n.latex = std::string("\\approx ") + (v < 0 ? "-" : "") + buf;
  }
  n.value = v;
  n.exact = false;
  return n;
}

double ReadBack(std::string_view text, double x) {
  CompiledFormula f;
  if (f.Compile(PrepareFormula(text)) != FormulaReject::None) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return f.EvaluateNumber(x);
}

Number WriteNumber(const Node& tree) {
  if (tree.kind == Node::Kind::PlusInf || tree.kind == Node::Kind::MinusInf) {
    return Infinity(tree.kind == Node::Kind::PlusInf);
  }
  const double v = TreeValue(tree);
  if (HasApprox(tree) || HasX(tree) || !std::isfinite(v)) return ApproxNumber(v);
  Number n;
  n.text = StudentText(tree);
  if (CharCount(n.text) > kMaxExactChars) return ApproxNumber(v);
  const double back = ReadBack(n.text);
  if (!(std::fabs(back - v) <= 1e-9 * std::max(1.0, std::fabs(v)))) return ApproxNumber(v);
  n.latex = LatexText(tree);
  n.value = v;
  n.exact = true;
  return n;
}

}  // namespace curvalis::study
