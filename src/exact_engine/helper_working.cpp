#include "exact_engine/helper_engine_impl.h"

#include "exact_engine/condition_domain.h"
#include "exact_engine/working.h"
#include "exact_engine/writer.h"

namespace curvalis::study::engine_detail {

Answer<std::vector<ConditionWork>> HelperEngine::ExistenceConditions() {
  using R = std::vector<ConditionWork>;
  if (rejected_ || !tree_[0]) return Undetermined<R>(reason_, why_);
  R out;
  for (const Condition& c : study::ConditionsOfExistence(*tree_[0])) {
    ConditionWork w{Expr{ConditionText(c), ConditionLatex(c), true},
                    std::string(ConditionSourceText(c.source)), std::nullopt};
    Reply rep = Period() ? Reply{}
                         : Ask({{kOp, JStr(kDomain)}, {kExpr, JStr(TreeText(ConditionGuard(c)))}});
    std::optional<Node> cond = rep.ok && !rep.r.empty() ? ParseTree(rep.r[0], true) : std::nullopt;
    // A periodic f is solved in one period, which the condition does not say: not given.
    std::optional<Domain> d =
        cond && !Period() ? DomainOfCondition(*cond, std::nullopt) : std::nullopt;
    if (d && SolutionAgrees(c, *d)) w.solution = std::move(d);
    out.push_back(std::move(w));
  }
  return Determined(std::move(out));
}

Answer<std::vector<Step>> HelperEngine::DerivationSteps(Which which) {
  using R = std::vector<Step>;
  if (which == Which::F) return Undetermined<R>("non determinato");
  const Node* g = TreeOf(which == Which::D1 ? Which::F : Which::D1);
  if (!g) return Undetermined<R>(ReasonOf(which));
  const Derive derive = [this](const Node& e) -> std::optional<Node> {
    Reply rep = Ask({{kOp, JStr(kDiff)}, {kExpr, JStr(TreeText(e))}, {kOrder, JNum(1)}});
    std::optional<Node> best;
    std::size_t bestLen = 0;
    for (const std::string& c : rep.ok ? rep.r : std::vector<std::string>{}) {
      std::optional<Node> t = ParseTree(c);
      if (!t || HasApprox(*t)) continue;
      const std::size_t len = CharCount(StudentText(*t));
      if (!best || len < bestLen) {
        best = std::move(t);
        bestLen = len;
      }
    }
    return best;
  };
  return Determined(study::DerivationSteps(*g, derive, which == Which::D2));
}

Answer<std::vector<Expr>> HelperEngine::Mirrored() {
  if (rejected_ || !tree_[0]) return Undetermined<std::vector<Expr>>(reason_, why_);
  const Node mirrored = Substitute(*tree_[0], Node::Of("neg", {Node::Var()}));
  Reply rep = Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(mirrored))}});
  std::optional<Node> best;
  std::size_t bestLen = 0;
  for (const std::string& c : rep.ok ? rep.r : std::vector<std::string>{}) {
    std::optional<Node> t = ParseTree(c);
    if (!t || HasApprox(*t) || !SameAtPoints(mirrored, *t)) continue;
    const std::size_t len = CharCount(StudentText(*t));
    if (!best || len < bestLen) {
      best = std::move(t);
      bestLen = len;
    }
  }
  std::vector<Expr> out = {Expr{StudentText(mirrored), LatexText(mirrored), true}};
  if (best && StudentText(*best) != out[0].text) {
    out.push_back(Expr{StudentText(*best), LatexText(*best), true});
  }
  return Determined(std::move(out));
}

Answer<Expr> HelperEngine::Substituted(Which which, const Number& at) {
  const Node* g = TreeOf(which);
  if (!g || !at.exact) return Undetermined<Expr>(ReasonOf(which));
  const Node s = Substitute(*g, PointTree(at));
  if (!std::isfinite(TreeValue(s))) return Undetermined<Expr>("fuori dal dominio");
  return Determined(Expr{StudentText(s), LatexText(s), true});
}

Answer<Expr> HelperEngine::Numerator(Which which) {
  const Node* g = TreeOf(which);
  if (!g) return Undetermined<Expr>(ReasonOf(which));
  std::optional<Node> n = NumeratorOf(*g);
  if (!n) return Undetermined<Expr>("non determinato: non è un quoziente");
  return Determined(Expr{StudentText(*n), LatexText(*n), true});
}

Answer<Factored> HelperEngine::Factors(Which which) {
  if (rejected_ || !tree_[0]) return Undetermined<Factored>(reason_, why_);
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
  for (int side = 0; side < 2; ++side) {
    std::vector<Node>& group = side == 0 ? upper : lower;
    std::vector<Node> factors;
    for (const Node& g : group) {
      if (!HasX(g)) {
        const double v = TreeValue(g);
        if (!std::isfinite(v) || v == 0) return Undetermined<Factored>("non determinato");
        if (v < 0) out.constantSign = -out.constantSign;
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
        if (b.Is("inv") && HasX(b.args[0])) return Undetermined<Factored>("non determinato");
        if (HasX(b)) {
          factors.push_back(std::move(b));
        } else {
          const double v = TreeValue(b);
          if (!std::isfinite(v) || v == 0) return Undetermined<Factored>("non determinato");
          if (v < 0) out.constantSign = -out.constantSign;
        }
      }
    }
    for (const Node& f : factors) {
      (side == 0 ? out.numerator : out.denominator)
          .push_back(Expr{StudentText(f), LatexText(f), true});
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

}  // namespace curvalis::study::engine_detail
