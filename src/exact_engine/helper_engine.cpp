#include "exact_engine/helper_engine_impl.h"

#include "core/prepare_formula.h"
#include "exact_engine/writer.h"
#include "numeric/checks.h"
#include "numeric/roots.h"

namespace curvalis::study::engine_detail {

Answer<Expr> HelperEngine::SetFunction(std::string_view funzione) {
  failed_.clear();  // a request that failed is not sent again in the same study only
  rejected_ = false;
  detail_.clear();
  why_ = Reason::NotFound;
  tree_ = {};
  expr_ = {};
  hasNumeric_ = {};
  periodKnown_ = false;
  period_.reset();
  Translation t = TranslateFormula(funzione);
  if (t.rejected) {
    rejected_ = true;
    detail_ = t.reason;
    why_ = Reason::Rejected;
    return Undetermined<Expr>(why_, detail_);
  }
  numeric_[0].Compile(PrepareFormula(funzione));
  hasNumeric_[0] = true;
  if (!t.tree) {
    detail_ = t.construct;
    why_ = Reason::NotElementary;
    return Undetermined<Expr>(why_, detail_);
  }
  tree_[0] = std::move(t.tree);
  return Determined(WriteExpr(*tree_[0]));
}

Answer<Expr> HelperEngine::Derivative(Which which) {
  if (rejected_ || !tree_[0]) return Undetermined<Expr>(why_, detail_);
  if (which == Which::F) {
    return Determined(WriteExpr(*tree_[0]));
  }
  const int i = Index(which);
  if (!expr_[i]) {
    if (which == Which::D2) {
      Answer<Expr> d1 = Derivative(Which::D1);
      if (!d1.determined) return d1;
    }
    Reply rep =
        Ask({{kOp, JStr(kDiff)}, {kExpr, JStr(TreeText(*tree_[i - 1]))}, {kOrder, JNum(1)}});
    if (!rep.ok) return Undetermined<Expr>(rep.why);
    ChooseDerivative(i, rep);
    if (!expr_[i]) return Undetermined<Expr>(Reason::DerivativeNotWritten);
  }
  return Determined(*expr_[i]);
}

Answer<Domain> HelperEngine::DomainOf(Which which) {
  const Node* g = TreeOf(which);
  return g ? AskDomain(*g, true) : Undetermined<Domain>(ReasonOf(which));
}

Answer<std::vector<Number>> HelperEngine::Solve(Which which) {
  if (rejected_) return Undetermined<std::vector<Number>>(why_, detail_);
  const int i = Index(which);
  if (!Numeric(which)) return Undetermined<std::vector<Number>>(ReasonOf(which));
  std::optional<Number> period = Period();
  const double lo = period ? 0 : -kInf, hi = period ? period->value : kInf;
  auto g = [&](double x) { return Eval(i, x); };
  std::vector<Number> found;
  if (const Node* tree = TreeOf(which)) {
    Reply rep = Ask({{kOp, JStr(kSolve)}, {kExpr, JStr(TreeText(*tree))}});
    for (const std::string& s : rep.ok ? rep.r : std::vector<std::string>{}) {
      std::optional<Node> r = ParseTree(s);
      if (!r || HasApprox(*r)) continue;  // a decimal of the CAS: the scan below finds it
      if (period) r = IntoPeriod(*r, *period);
      const double v = TreeValue(*r);
      if (!std::isfinite(v) || v < lo || v >= hi || std::isnan(Eval(0, v))) continue;
      if (!std::isfinite(g(v))) continue;
      found.push_back(IsZeroAt(g, v) ? WriteNumber(*r) : ApproxNumber(v));
    }
  }
  for (double r : NumericRoots(g, lo, period ? hi - 1e-12 * hi : hi)) {
    // Farther out the scan's steps are too long to tell roots apart from noise.
    if (std::isnan(Eval(0, r)) || std::fabs(r) > kFarthestRoot) continue;
    if (std::ranges::any_of(found, [&](const Number& n) { return Near(n.value, r, 1e-7); })) {
      continue;
    }
    // A whole number where g is exactly 0 is that number (x − 2·arctg(x) at 0).
    if (r == std::round(r) && std::fabs(r) < 1e6 && g(r) == 0) {
      found.push_back(WriteNumber(ExactDecimal(r)));
    } else {
      found.push_back(ApproxNumber(r));
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
  found.erase(
      std::unique(found.begin(), found.end(),
                  [](const Number& a, const Number& b) { return Near(a.value, b.value, 1e-9); }),
      found.end());
  // A function that is not periodic and changes sign this often has infinitely many roots
  // (sin(x)/x): a list would be a sample of them, not the answer. So has a periodic f′ of
  // an f that is not periodic (x + sin(x)), once it has one.
  const Node* tree = TreeOf(which);
  if (found.size() > kMostRoots || (!period && !found.empty() && which != Which::F && tree &&
                                    HasTrig(*tree) && PeriodOf(*tree))) {
    return Undetermined<std::vector<Number>>(Reason::InfiniteSolutions);
  }
  return Determined(std::move(found));
}

Answer<std::optional<Number>> HelperEngine::Limit(Which which, const Number& at, Approach side) {
  using R = std::optional<Number>;
  if (rejected_) return Undetermined<R>(why_, detail_);
  const int i = Index(which);
  const bool hasNumeric = Numeric(which);
  const int dir = Direction(side);
  const double towards = Towards(at, side);
  auto g = [&](double x) { return Eval(i, x); };
  Why reason = ReasonOf(which);
  if (const Node* tree = TreeOf(which)) {
    Reply rep = AskLimit(*tree, at, side);
    if (rep.ok && rep.none) return Determined(R{});
    std::optional<Node> l = FirstTree(rep);
    if (l && l->kind != Node::Kind::Undef) {
      const double v = TreeValue(*l);
      Number n = WriteNumber(*l);
      const Check c = hasNumeric ? CheckLimit(g, towards, dir, v) : Check::Unconfirmed;
      if (c == Check::Refuted) {
        n.exact = false;
        if (std::isfinite(v)) n = ApproxNumber(v);
      }
      n.checked = c != Check::Unconfirmed;
      return Determined(R{n});
    }
    if (!rep.ok) reason = Why{rep.why, {}};
  }
  if (hasNumeric) {
    // A decimal, or an infinity that is not exact either: the values only suggest it.
    if (std::optional<double> v = LimitOfValues(g, towards, dir)) {
      return Determined(R{ApproxNumber(*v)});
    }
  }
  return Undetermined<R>(reason);
}

Answer<std::optional<Line>> HelperEngine::Asymptote(bool plusInfinity) {
  using R = std::optional<Line>;
  if (rejected_) return Undetermined<R>(why_, detail_);
  const double s = plusInfinity ? 1 : -1;
  // No line where f has no values far out (the domain is bounded on that side), and none for
  // a periodic f, which repeats its values instead of approaching one.
  bool farOut = false;
  for (double x : LimitSequence(s * kInf, 0)) farOut = farOut || !std::isnan(Eval(0, x));
  if (!farOut || Period()) return Determined(R{});
  if (tree_[0]) {
    const Approach side = plusInfinity ? Approach::PlusInfinity : Approach::MinusInfinity;
    auto limit = [&](const Node& e) { return AskLimit(e, Number{}, side); };
    Reply m = limit(Node::Of("*", {*tree_[0], Node::Of("inv", {Node::Var()})}));
    if (m.ok && m.none) return Determined(R{});
    std::optional<Node> mt = FirstTree(m);
    if (mt && mt->kind != Node::Kind::Undef) {
      if (!std::isfinite(TreeValue(*mt))) return Determined(R{});
      Reply q =
          limit(Node::Of("+", {*tree_[0], Node::Of("neg", {Node::Of("*", {*mt, Node::Var()})})}));
      if (q.ok && q.none) return Determined(R{});
      std::optional<Node> qt = FirstTree(q);
      if (qt && qt->kind != Node::Kind::Undef) {
        if (!std::isfinite(TreeValue(*qt))) return Determined(R{});
        Line line{WriteNumber(*mt), WriteNumber(*qt)};
        auto f = [&](double x) { return Eval(0, x); };
        if (CheckLine(f, s, line.m.value, line.q.value) == Check::Refuted) {
          line = Line{ApproxNumber(line.m.value), ApproxNumber(line.q.value)};
        }
        return Determined(R{line});
      }
      if (!q.ok) return NumericAsymptote(s, Why{q.why, {}});
    } else if (!m.ok) {
      return NumericAsymptote(s, Why{m.why, {}});
    }
  }
  return NumericAsymptote(s, Why{why_, detail_});
}

Answer<Symmetry> HelperEngine::SymmetryOf() {
  if (rejected_) return Undetermined<Symmetry>(why_, detail_);
  Symmetry sym;
  const bool even = NumericParity(false), odd = NumericParity(true);
  sym.parity = even ? Parity::Even : odd ? Parity::Odd : Parity::None;
  if (tree_[0] && sym.parity != Parity::None) {
    // The CAS confirms what the samples suggest: f(−x) ∓ f(x) simplifies to 0.
    const Node minus = Substitute(*tree_[0], Node::Of("neg", {Node::Var()}));
    const Node diff = even ? Node::Of("+", {minus, Node::Of("neg", {*tree_[0]})})
                           : Node::Of("+", {minus, *tree_[0]});
    Reply rep = Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(diff))}});
    if (rep.ok && std::find(rep.r.begin(), rep.r.end(), "0") == rep.r.end()) {
      sym.parity = Parity::None;
    }
  }
  sym.period = Period();
  return Determined(sym);
}

Answer<Number> HelperEngine::ValueAt(Which which, const Number& at) {
  if (rejected_) return Undetermined<Number>(why_, detail_);
  const int i = Index(which);
  if (!Numeric(which)) return Undetermined<Number>(ReasonOf(which));
  const double v = Eval(i, at.value);
  if (!std::isfinite(v)) return Undetermined<Number>(Reason::OutsideDomain);
  if (const Node* tree = TreeOf(which); tree && at.exact) {
    Reply rep =
        Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(Substitute(*tree, PointTree(at))))}});
    const std::optional<Node> best = Shortest(rep, [&](const Node& t) {
      const Number n = WriteNumber(t);
      return n.exact && Near(n.value, v, 1e-7);
    });
    if (best) return Determined(WriteNumber(*best));
  }
  return Determined(ApproxNumber(v));
}

void HelperEngine::SetTimeLeft(std::optional<std::chrono::milliseconds> left) {
  deadline_ = left ? std::make_optional(Now() + *left) : std::nullopt;
}

Answer<Domain> HelperEngine::DomainOfText(std::string_view expression) {
  Translation t = TranslateFormula(expression);
  return t.tree ? AskDomain(*t.tree, false) : Undetermined<Domain>(Reason::NoAnswer);
}

std::optional<std::vector<ExistenceCondition>> HelperEngine::ConditionsOfExistence() {
  if (rejected_ || !tree_[0]) return std::nullopt;
  std::vector<ExistenceCondition> out;
  for (const Condition& c : study::ConditionsOfExistence(*tree_[0])) {
    out.push_back(
        {StudentText(ConditionGuard(c)), StudentText(c.expr), c.kind == ConditionKind::NonZero});
  }
  return out;
}

}  // namespace curvalis::study::engine_detail

namespace curvalis::study {

std::unique_ptr<ExactEngine> MakeExactEngine(const EngineOptions& options) {
  return std::make_unique<engine_detail::HelperEngine>(options);
}

}  // namespace curvalis::study
