#include "exact_engine/helper_engine_impl.h"

#include "core/prepare_formula.h"
#include "exact_engine/numbers.h"
#include "exact_engine/working.h"
#include "exact_engine/writer.h"
#include "numeric/checks.h"

namespace curvalis::study::engine_detail {

Answer<std::vector<ConditionWork>> HelperEngine::ExistenceConditions() {
  using R = std::vector<ConditionWork>;
  if (rejected_ || !tree_[0]) return Undetermined<R>(why_, detail_);
  R out;
  for (const Condition& c : study::ConditionsOfExistence(*tree_[0])) {
    ConditionWork w{Expr{ConditionText(c), ConditionLatex(c), true},
                    std::string(ConditionSourceText(c.source)), std::nullopt};
    // A periodic f is solved in one period, which the condition does not say: not given.
    Answer<Domain> d = Period() ? Answer<Domain>{} : AskDomain(ConditionGuard(c), false);
    if (d.determined && SolutionAgrees(c, d.value)) w.solution = std::move(d.value);
    out.push_back(std::move(w));
  }
  return Determined(std::move(out));
}

Answer<std::vector<Step>> HelperEngine::DerivationSteps(Which which) {
  using R = std::vector<Step>;
  if (which == Which::F) return Undetermined<R>(Reason::NotFound);
  const Node* g = TreeOf(which == Which::D1 ? Which::F : Which::D1);
  if (!g) return Undetermined<R>(ReasonOf(which));
  const Derive derive = [this](const Node& e) { return Derived(e); };
  return Determined(study::DerivationSteps(*g, derive, which == Which::D2));
}

std::optional<Node> HelperEngine::Derived(const Node& e) {
  return Shortest(Ask({{kOp, JStr(kDiff)}, {kExpr, JStr(TreeText(e))}, {kOrder, JNum(1)}}),
                  [](const Node& t) { return !HasApprox(t); });
}

Answer<std::vector<Expr>> HelperEngine::Mirrored() {
  if (rejected_ || !tree_[0]) return Undetermined<std::vector<Expr>>(why_, detail_);
  const Node mirrored = Substitute(*tree_[0], Node::Of("neg", {Node::Var()}));
  const std::optional<Node> best = Simplest(mirrored);
  std::vector<Expr> out = {WriteExpr(mirrored)};
  if (best && StudentText(*best) != out[0].text) out.push_back(WriteExpr(*best));
  return Determined(std::move(out));
}

Answer<Expr> HelperEngine::Substituted(Which which, const Number& at) {
  const Node* g = TreeOf(which);
  if (!g || !at.exact) return Undetermined<Expr>(ReasonOf(which));
  const Node s = Substitute(*g, PointTree(at));
  if (!std::isfinite(TreeValue(s))) return Undetermined<Expr>(Reason::OutsideDomain);
  return Determined(WriteExpr(s));
}

Answer<Expr> HelperEngine::Numerator(Which which) {
  const Node* g = TreeOf(which);
  if (!g) return Undetermined<Expr>(ReasonOf(which));
  std::optional<Node> n = NumeratorOf(*g);
  if (!n) return Undetermined<Expr>(Reason::NotQuotient);
  return Determined(WriteExpr(*n));
}

Answer<Factored> HelperEngine::Factors(Which which) {
  if (rejected_ || !tree_[0]) return Undetermined<Factored>(why_, detail_);
  const Node* tree = TreeOf(which);
  if (!tree) return Undetermined<Factored>(ReasonOf(which));
  std::vector<Node> parts, upper, lower;
  FlattenProduct(*tree, parts);
  for (Node& p : parts) {
    if (p.Is("inv") && HasX(p.args[0])) {
      FlattenProduct(p.args[0], lower);
    } else {
      upper.push_back(std::move(p));
    }
  }
  Factored out;
  // A constant factor: its sign goes before the factors; one that is 0 or has no value fails.
  auto constant = [&](const Node& c) {
    const double v = TreeValue(c);
    if (v < 0) out.constantSign = -out.constantSign;
    return std::isfinite(v) && v != 0;
  };
  for (int side = 0; side < 2; ++side) {
    std::vector<Expr>& factors = side == 0 ? out.numerator : out.denominator;
    for (const Node& g : side == 0 ? upper : lower) {
      if (!HasX(g)) {
        if (!constant(g)) return Undetermined<Factored>(Reason::NotFound);
        continue;
      }
      // The form with the most factors that agrees with g at points.
      Reply rep = Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(g))}});
      std::vector<Node> best = {g};
      for (const std::string& c : rep.ok ? rep.r : std::vector<std::string>{}) {
        std::optional<Node> t = ParseTree(c);
        if (!t || HasApprox(*t) || !SameAtPoints(g, *t)) continue;
        std::vector<Node> fs;
        FlattenProduct(*t, fs);
        auto count = [](const std::vector<Node>& v) {
          return std::count_if(v.begin(), v.end(), [](const Node& n) { return HasX(n); });
        };
        if (count(fs) > count(best)) best = std::move(fs);
      }
      for (Node& b : best) {
        if (b.Is("inv") && HasX(b.args[0])) return Undetermined<Factored>(Reason::NotFound);
        if (HasX(b)) {
          factors.push_back(WriteExpr(b));
        } else if (!constant(b)) {
          return Undetermined<Factored>(Reason::NotFound);
        }
      }
    }
  }
  return Determined(std::move(out));
}

// The factors of a product (−u as −1 and u), nested products flattened.
void HelperEngine::FlattenProduct(const Node& n, std::vector<Node>& out) {
  if (n.Is("*")) {
    for (const Node& a : n.args) FlattenProduct(a, out);
  } else if (n.Is("neg")) {
    out.push_back(Node::Num("-1"));
    FlattenProduct(n.args[0], out);
  } else {
    out.push_back(n);
  }
}

// The intervals found for a condition hold exactly where our evaluator says it holds, at
// points of a grid that fall on no end of them.
bool HelperEngine::SolutionAgrees(const Condition& c, const Domain& d) {
  const double lo = -20, hi = 20;
  int checked = 0;
  for (int k = 1; k < 400; ++k) {
    const double x = lo + (hi - lo) * (k + 0.3183) / 400;
    bool inside = false, onEnd = false;
    for (const Interval& i : d.intervals) {
      for (double end : {i.from.value, i.to.value}) {
        onEnd = onEnd || (std::isfinite(end) && Near(x, end, 1e-9));
      }
      inside = inside || (x > i.from.value && x < i.to.value);
    }
    if (onEnd) continue;
    if (inside != ConditionHolds(c, x)) return false;
    ++checked;
  }
  return checked > 0;
}

Answer<QuotientLimit> HelperEngine::QuotientLimits(const Number& at, Approach side) {
  if (rejected_ || !tree_[0]) return Undetermined<QuotientLimit>(why_, detail_);
  std::optional<QuotientLimit> q = PartsLimit(*tree_[0], at, side, 0);
  if (!q) return Undetermined<QuotientLimit>(Reason::NotFound);
  return Determined(std::move(*q));
}

Answer<QuotientLimit> HelperEngine::ObliqueLimits(bool intercept, const Number& m, Approach side) {
  if (rejected_ || !tree_[0]) return Undetermined<QuotientLimit>(why_, detail_);
  if (!m.exact) return Undetermined<QuotientLimit>(Reason::NotFound);
  const Node& f = *tree_[0];
  const Node mx = Node::Of("*", {PointTree(m), Node::Var()});
  const Node e = intercept ? Node::Of("+", {f, Node::Of("neg", {mx})})
                           : Node::Of("*", {f, Node::Of("inv", {Node::Var()})});
  std::optional<QuotientLimit> q = PartsLimit(Simplest(e).value_or(e), Number{}, side, 0);
  if (!q) return Undetermined<QuotientLimit>(Reason::NotFound);
  return Determined(std::move(*q));
}

// f's two parts at its top: numerator and denominator, first factor (term) and the others, or
// base and exponent.
std::optional<QuotientLimit> HelperEngine::PartsLimit(const Node& f, const Number& at,
                                                      Approach side, int depth) {
  if (std::optional<Node> num = NumeratorOf(f)) {
    return PartsLimit(f, *num, *DenominatorOf(f), '/', at, side, depth);
  }
  if (f.Is("neg")) {  // −u/v: the quotient of −u by v
    if (std::optional<Node> num = NumeratorOf(f.args[0])) {
      return PartsLimit(f, Node::Of("neg", {*num}), *DenominatorOf(f.args[0]), '/', at, side,
                        depth);
    }
  }
  if (f.Is("^") && HasX(f.args[0]) && HasX(f.args[1])) {
    return PartsLimit(f, f.args[0], f.args[1], '^', at, side, depth);
  }
  if ((f.Is("ln") || f.Is("exp") || f.Is("sqrt") || f.Is("atan")) && HasX(f.args[0])) {
    std::optional<QuotientLimit> q = PartsLimit(f, f.args[0], f, 'c', at, side, depth);
    if (q) q->function = f.text;
    return q;
  }
  char op = '/';
  std::optional<std::pair<Node, Node>> parts = FirstAndRest(f, &op);
  if (!parts) return std::nullopt;
  return PartsLimit(f, parts->first, parts->second, op, at, side, depth);
}

std::optional<QuotientLimit> HelperEngine::PartsLimit(const Node& f, const Node& num,
                                                      const Node& den, char op, const Number& at,
                                                      Approach side, int depth) {
  const std::optional<Number> a = ConfirmedLimit(num, at, side);
  const std::optional<Number> b = a ? ConfirmedLimit(den, at, side) : std::nullopt;
  if (!a || !b) return std::nullopt;
  QuotientLimit out;
  out.op = op;
  out.numerator = WriteExpr(num);
  out.denominator = WriteExpr(den);
  out.numeratorLimit = *a;
  out.denominatorLimit = *b;
  out.expression = WriteExpr(f);
  if (depth > 0) {
    // What a rewritten form depends on: its own limit, confirmed, is the step's result.
    out.limit = ConfirmedLimit(f, at, side);
    if (!out.limit) return std::nullopt;
  }
  if (op == '/') {
    QuotientDetails(out, f, num, den, at, side);
  } else if (op != 'c') {
    if (op != '^') out.degree = ConfirmedDegree(f);
    if (depth < 2) Rewrite(out, f, num, den, at, side, depth);
  }
  return out;
}

// The degrees, the orders of infinity, the derivatives for De l'Hôpital and f simplified at a
// point, for a quotient.
void HelperEngine::QuotientDetails(QuotientLimit& out, const Node& f, const Node& num,
                                   const Node& den, const Number& at, Approach side) {
  const double a = out.numeratorLimit.value, b = out.denominatorLimit.value;
  out.numeratorDegree = ConfirmedDegree(num);
  out.denominatorDegree = ConfirmedDegree(den);
  if (side == Approach::PlusInfinity || side == Approach::MinusInfinity) {
    out.numeratorGrowth = InfinityOrder(num);
    out.denominatorGrowth = InfinityOrder(den);
  }
  // An indeterminate 0/0 or ∞/∞: the derivatives of the two parts, each agreeing with the
  // difference quotients of its part, and the limit of their quotient, confirmed.
  if ((a == 0 && b == 0) || (std::isinf(a) && std::isinf(b))) {
    std::optional<Node> dn = Derived(num), dd = dn ? Derived(den) : std::nullopt;
    auto agrees = [](const Node& g, const Node& d) {
      CompiledFormula cg;
      return cg.Compile(PrepareFormula(StudentText(g))) == FormulaReject::None &&
             DerivesOnSamples([&](double x) { return cg.EvaluateNumber(x); }, StudentText(d));
    };
    if (dn && dd && agrees(num, *dn) && agrees(den, *dd)) {
      if (std::optional<Number> l =
              ConfirmedLimit(Node::Of("*", {*dn, Node::Of("inv", {*dd})}), at, side)) {
        out.numeratorDerivative = WriteExpr(*dn);
        out.denominatorDerivative = WriteExpr(*dd);
        out.derivativesLimit = *l;
      }
    }
  }
  // At a point, the shortest form of the CAS that agrees with f and has a value there.
  if ((side == Approach::Left || side == Approach::Right) && at.exact) {
    const std::optional<Node> best = Simplest(
        f, [&](const Node& t) { return std::isfinite(TreeValue(Substitute(t, PointTree(at)))); });
    if (best) out.simplified = WriteExpr(*best);
  }
}

namespace {

// 1/z written without a fraction where a student does: 1/(1/w) = w, 1/e^u = e^(−u), 1/p for a
// polynomial p; nullopt for anything else (1/ln(x) is no form to differentiate).
std::optional<Node> PlainReciprocal(const Node& factor) {
  const Node z = Tidy(factor);  // 1·(1/x) as 1/x
  if (z.Is("inv")) return z.args[0];
  if (z.Is("exp")) {
    const Node& u = z.args[0];
    return Node::Of("exp", {u.Is("neg") ? u.args[0] : Node::Of("neg", {u})});
  }
  if (PolynomialDegree(z)) return Node::Of("inv", {z});
  return std::nullopt;
}

// Whether the text of an expression reads back as a tree with the values of `tree`.
bool TextAgrees(const std::string& text, const Node& tree) {
  const Translation back = TranslateFormula(text);
  return back.tree && SameAtPoints(*back.tree, tree);
}

// a/b as a student writes it, each part an operand of the quotient.
Expr Quotient(const Node& a, const Node& b) {
  return Expr{Operand(StudentText(a), true) + "/" + Operand(StudentText(b), true),
              "\\frac{" + LatexText(a) + "}{" + LatexText(b) + "}", true};
}

}  // namespace

// √u + w as (u − w²)/(√u − w), and w − √u as (w² − u)/(w + √u), both parts simplified.
std::optional<Node> HelperEngine::Conjugate(const Node& num, const Node& den) {
  // √u as the formula writes it or u^(1/2) as the CAS does.
  auto root = [](const Node& n) {
    return n.Is("sqrt") ||
           (n.Is("^") && n.args[1].kind == Node::Kind::Number && n.args[1].text == "1/2");
  };
  auto minusRoot = [&](const Node& n) { return n.Is("neg") && root(n.args[0]); };
  const bool plus = root(num) || root(den);
  if (!plus && !minusRoot(num) && !minusRoot(den)) return std::nullopt;
  const bool first = plus ? root(num) : minusRoot(num);
  const Node& w = first ? den : num;
  const Node r = plus ? (first ? num : den) : (first ? num : den).args[0];
  const Node square = Node::Of("^", {w, Node::Num("2")});
  const Node squares = plus ? Node::Of("+", {r.args[0], Node::Of("neg", {square})})
                            : Node::Of("+", {square, Node::Of("neg", {r.args[0]})});
  const Node conjugate = plus ? Node::Of("+", {r, Node::Of("neg", {w})}) : Node::Of("+", {w, r});
  const Node above = Simplest(squares).value_or(squares);
  const Node below = Simplest(conjugate).value_or(conjugate);
  return Node::Of("*", {above, Node::Of("inv", {below})});
}

// An indeterminate product, sum or power written as the form that resolves it, with the parts
// of what decides its limit; nothing when f is no such form or the rewriting fails a check.
void HelperEngine::Rewrite(QuotientLimit& out, const Node& f, const Node& num, const Node& den,
                           const Number& at, Approach side, int depth) {
  const double a = out.numeratorLimit.value, b = out.denominatorLimit.value;
  std::optional<Node> form;
  std::optional<Expr> written;
  std::optional<QuotientLimit> inner;
  if (out.op == '*' && ((a == 0 && std::isinf(b)) || (std::isinf(a) && b == 0))) {
    // 0·∞ as a quotient: the factor that tends to ∞ over the reciprocal of the other, when
    // that reciprocal is plain (ln(x)/(1/x), x/e^x); else the factor that tends to 0 over the
    // reciprocal of the other (ln(1 + 2/x)/(1/x)).
    const Node& zero = a == 0 ? num : den;
    const Node& infinite = a == 0 ? den : num;
    std::optional<Node> under = PlainReciprocal(zero);
    const bool zeroOver = !under && PlainReciprocal(infinite);
    const Node& over = zeroOver ? zero : infinite;
    if (!under) under = zeroOver ? *PlainReciprocal(infinite) : Node::Of("inv", {zero});
    form = Node::Of("*", {over, Node::Of("inv", {*under})});
    written = Quotient(over, *under);
    inner = PartsLimit(*form, over, *under, '/', at, side, depth + 1);
  } else if (out.op == '+' && out.degree < 1 && std::isinf(a) && std::isinf(b) &&
             (a > 0) != (b > 0)) {
    // ∞ − ∞: one term collected, the first unless the second grows faster, so that the
    // quotient of the other by it has a limit other than −1.
    const bool second = InfinityOrder(den) > InfinityOrder(num);
    const Node& collected = second ? den : num;
    const Node ratio = Node::Of("*", {second ? num : den, Node::Of("inv", {collected})});
    inner = PartsLimit(ratio, at, side, depth + 1);
    if (inner && std::isfinite(inner->limit->value) && inner->limit->value != -1) {
      form = Node::Of("*", {collected, Node::Of("+", {Node::Num("1"), ratio})});
      out.collectedSecond = second;
    } else if (std::optional<Node> c = Conjugate(num, den)) {
      // A root less what it tends to like: times its conjugate over itself, the difference of
      // the squares above (√(x² + 1) − x = 1/(√(x² + 1) + x)).
      const Node &above = c->args[0], &below = c->args[1].args[0];
      form = c;
      written = Quotient(above, below);
      inner = PartsLimit(*form, above, below, '/', at, side, depth + 1);
      out.conjugate = true;
    } else {
      return;
    }
  } else if (out.op == '^' && ((a == 1 && std::isinf(b)) || (a == 0 && b == 0) ||
                               (std::isinf(a) && a > 0 && b == 0))) {
    // 1^∞, 0⁰, ∞⁰: f = e^(exponent·ln(base)), whose exponent is a product.
    const Node product = Node::Of("*", {den, Node::Of("ln", {num})});
    form = Node::Of("exp", {product});
    inner = PartsLimit(product, den, Node::Of("ln", {num}), '*', at, side, depth + 1);
  }
  if (!form || !inner || !SameAtPoints(f, *form)) return;
  if (!written) written = WriteExpr(*form);
  if (!TextAgrees(written->text, f)) return;
  out.rewritten = std::move(written);
  out.inner.push_back(std::move(*inner));
}

std::optional<Node> HelperEngine::Simplest(const Node& e,
                                           const std::function<bool(const Node&)>& keep) {
  return Shortest(Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(e))}}), [&](const Node& t) {
    return !HasApprox(t) && SameAtPoints(e, t) && (!keep || keep(t));
  });
}

std::optional<Number> HelperEngine::ConfirmedLimit(const Node& part, const Number& at,
                                                   Approach side) {
  CompiledFormula g;
  if (g.Compile(PrepareFormula(StudentText(part))) != FormulaReject::None) return std::nullopt;
  auto value = [&](double x) {
    const double v = g.EvaluateNumber(x);
    return std::isfinite(v) ? v : kNaN;
  };
  const int dir = Direction(side);
  const double towards = Towards(at, side);
  Reply rep = AskLimit(part, at, side);
  std::optional<Node> l = rep.none ? std::nullopt : FirstTree(rep);
  if (!l || l->kind == Node::Kind::Undef || HasApprox(*l)) return std::nullopt;
  const double v = TreeValue(*l);
  if (CheckLimit(value, towards, dir, v) != Check::Confirmed) return std::nullopt;
  Number n = WriteNumber(*l);
  if (v == 0) {
    // A 0 approached keeping one sign: 0⁺ or 0⁻, as the student writes it before dividing.
    int plus = 0, minus = 0;
    for (double x : LimitSequence(towards, dir)) {
      const double y = value(x);
      plus += y > 0;
      minus += y < 0;
    }
    if (plus > 0 && minus == 0) n = Number{"0⁺", "0^{+}", 0, true};
    if (minus > 0 && plus == 0) n = Number{"0⁻", "0^{-}", 0, true};
  }
  return n;
}

int HelperEngine::ConfirmedDegree(const Node& part) {
  const std::optional<int> d = PolynomialDegree(part);
  if (!d) return -1;
  // The ratio to x^d settles to a number that is not 0 far out: the highest terms do not cancel.
  const double r1 = TreeValue(part, 1e4) / std::pow(1e4, *d);
  const double r2 = TreeValue(part, 1e5) / std::pow(1e5, *d);
  if (!std::isfinite(r1) || !std::isfinite(r2) || std::fabs(r2) < 1e-9) return -1;
  return std::fabs(r1 - r2) <= 1e-2 * std::fabs(r2) ? *d : -1;
}

}  // namespace curvalis::study::engine_detail
