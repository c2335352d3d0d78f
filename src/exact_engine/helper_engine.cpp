#include "exact_engine/helper_engine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "core/formula.h"
#include "core/prepare_formula.h"
#include "exact_engine/condition_domain.h"
#include "exact_engine/conditions.h"
#include "exact_engine/helper_process.h"
#include "exact_engine/translate.h"
#include "exact_engine/working.h"
#include "exact_engine/writer.h"
#include "exact_protocol/protocol.h"
#include "numeric/checks.h"
#include "numeric/roots.h"

namespace curvalis::study {

namespace {

using namespace channel;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Points where the written derivatives are compared with central differences, and where the
// parity and the period are tried.
constexpr std::array kSamples = {-7.1, -3.8, -2.45, -1.6, -0.9, -0.35, 0.4,
                                 1.3,  2.7,  3.3,   4.6,  6.2,  9.7};

bool Near(double a, double b, double rel) {
  return std::fabs(a - b) <= rel * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

int Index(Which w) {
  return w == Which::F ? 0 : w == Which::D1 ? 1 : 2;
}

// The numeric roots kept: none farther out than this, at most this many.
constexpr double kFarthestRoot = 1e6;
constexpr std::size_t kMostRoots = 30;

// Answers kept per request; beyond that many the memory starts afresh.
constexpr std::size_t kMaxCached = 4096;

// What the helper answered to one request.
struct Reply {
  bool ok = false;
  bool none = false;  // a limit that does not exist
  std::vector<std::string> r;
  std::string reason;
  Reason why = Reason::NotFound;
};

template <typename T>
Answer<T> Undetermined(std::string reason, Reason why = Reason::NotFound) {
  Answer<T> a;
  a.reason = std::move(reason);
  a.why = why;
  return a;
}

template <typename T>
Answer<T> Determined(T value) {
  Answer<T> a;
  a.determined = true;
  a.value = std::move(value);
  return a;
}

class HelperEngine : public ExactEngine {
 public:
  explicit HelperEngine(const EngineOptions& options)
      : options_(options), helper_(HelperPath(options)) {}

  Answer<Expr> SetFunction(std::string_view funzione) override {
    failed_.clear();  // a request that failed is not sent again in the same study only
    rejected_ = false;
    reason_.clear();
    why_ = Reason::NotFound;
    tree_ = {};
    expr_ = {};
    hasNumeric_ = {};
    periodKnown_ = false;
    period_.reset();
    Translation t = TranslateFormula(funzione);
    if (t.rejected) {
      rejected_ = true;
      reason_ = "formula non valida: " + t.reason;
      why_ = Reason::Rejected;
      return Undetermined<Expr>(reason_, why_);
    }
    numeric_[0].Compile(PrepareFormula(funzione));
    hasNumeric_[0] = true;
    if (!t.tree) {
      reason_ = t.reason;
      why_ = Reason::NotElementary;
      return Undetermined<Expr>(reason_, why_);
    }
    tree_[0] = std::move(t.tree);
    Expr e{StudentText(*tree_[0]), LatexText(*tree_[0]), true};
    return Determined(e);
  }

  Answer<Expr> Derivative(Which which) override {
    if (rejected_ || !tree_[0]) return Undetermined<Expr>(reason_, why_);
    if (which == Which::F) {
      return Determined(Expr{StudentText(*tree_[0]), LatexText(*tree_[0]), true});
    }
    const int i = Index(which);
    if (!expr_[i]) {
      if (which == Which::D2) {
        Answer<Expr> d1 = Derivative(Which::D1);
        if (!d1.determined) return d1;
      }
      Reply rep =
          Ask({{kOp, JStr(kDiff)}, {kExpr, JStr(TreeText(*tree_[i - 1]))}, {kOrder, JNum(1)}});
      if (!rep.ok) return Undetermined<Expr>(rep.reason, rep.why);
      ChooseDerivative(i, rep.r);
      if (!expr_[i]) return Undetermined<Expr>("non determinato: derivata non rappresentabile");
    }
    return Determined(*expr_[i]);
  }

  Answer<Domain> DomainOf(Which which) override {
    const Node* g = TreeOf(which);
    if (!g) return Undetermined<Domain>(ReasonOf(which));
    Reply rep = Ask({{kOp, JStr(kDomain)}, {kExpr, JStr(TreeText(*g))}});
    if (!rep.ok) return Undetermined<Domain>(rep.reason, rep.why);
    std::optional<Node> cond = rep.r.empty() ? std::nullopt : ParseTree(rep.r[0], true);
    if (!cond) return Undetermined<Domain>("non determinato: dominio non rappresentabile");
    std::optional<Domain> d = DomainOfCondition(*cond, Period());
    if (!d) return Undetermined<Domain>("non determinato: dominio non rappresentabile");
    return Determined(std::move(*d));
  }

  Answer<std::vector<Number>> Solve(Which which) override {
    if (rejected_) return Undetermined<std::vector<Number>>(reason_, why_);
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
      bool known = false;
      for (const Number& n : found) known = known || Near(n.value, r, 1e-7);
      if (known) continue;
      // A whole number where g is exactly 0 is that number (x − 2·arctg(x) at 0).
      if (r == std::round(r) && std::fabs(r) < 1e6 && g(r) == 0) {
        found.push_back(WriteNumber(ExactDecimal(r)));
      } else {
        found.push_back(ApproxNumber(r));
      }
    }
    std::sort(found.begin(), found.end(),
              [](const Number& a, const Number& b) { return a.value < b.value; });
    std::vector<Number> out;
    for (Number& n : found) {
      if (out.empty() || !Near(out.back().value, n.value, 1e-9)) out.push_back(std::move(n));
    }
    // A function that is not periodic and changes sign this often has infinitely many roots
    // (sin(x)/x): a list would be a sample of them, not the answer. So has a periodic f′ of
    // an f that is not periodic (x + sin(x)), once it has one.
    const Node* tree = TreeOf(which);
    if (out.size() > kMostRoots || (!period && !out.empty() && which != Which::F && tree &&
                                    HasTrig(*tree) && PeriodOf(*tree))) {
      return Undetermined<std::vector<Number>>("non determinato: infinite soluzioni");
    }
    return Determined(std::move(out));
  }

  Answer<std::optional<Number>> Limit(Which which, const Number& at, Approach side) override {
    using R = std::optional<Number>;
    if (rejected_) return Undetermined<R>(reason_, why_);
    const int i = Index(which);
    const bool hasNumeric = Numeric(which);
    const double a = at.value;
    const int dir = side == Approach::Left ? -1 : side == Approach::Right ? 1 : 0;
    const double towards = side == Approach::PlusInfinity    ? kInf
                           : side == Approach::MinusInfinity ? -kInf
                                                             : a;
    auto g = [&](double x) { return Eval(i, x); };
    std::string reason = ReasonOf(which);
    if (const Node* tree = TreeOf(which)) {
      Node point = side == Approach::PlusInfinity    ? Node{Node::Kind::PlusInf, "+inf", {}}
                   : side == Approach::MinusInfinity ? Node{Node::Kind::MinusInf, "-inf", {}}
                                                     : PointTree(at);
      Reply rep = Ask({{kOp, JStr(kLimit)},
                       {kExpr, JStr(TreeText(*tree))},
                       {kAt, JStr(TreeText(point))},
                       {kDir, JNum(dir)}});
      if (rep.ok && rep.none) return Determined(R{});
      std::optional<Node> l = rep.ok && !rep.r.empty() ? ParseTree(rep.r[0]) : std::nullopt;
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
      if (!rep.ok) reason = rep.reason;
    }
    if (hasNumeric) {
      if (std::optional<double> v = LimitOfValues(g, towards, dir)) {
        if (std::isfinite(*v)) return Determined(R{ApproxNumber(*v)});
        Number n = WriteNumber(Node{
            *v > 0 ? Node::Kind::PlusInf : Node::Kind::MinusInf, *v > 0 ? "+inf" : "-inf", {}});
        n.exact = false;
        return Determined(R{n});
      }
    }
    return Undetermined<R>(reason.empty() ? "non determinato" : reason);
  }

  Answer<std::optional<Line>> Asymptote(bool plusInfinity) override {
    using R = std::optional<Line>;
    if (rejected_) return Undetermined<R>(reason_, why_);
    const double s = plusInfinity ? 1 : -1;
    // No line where f has no values far out (the domain is bounded on that side), and none for
    // a periodic f, which repeats its values instead of approaching one.
    bool farOut = false;
    for (double x : LimitSequence(s * kInf, 0)) farOut = farOut || !std::isnan(Eval(0, x));
    if (!farOut || Period()) return Determined(R{});
    if (tree_[0]) {
      const Node inf = plusInfinity ? Node{Node::Kind::PlusInf, "+inf", {}}
                                    : Node{Node::Kind::MinusInf, "-inf", {}};
      auto limit = [&](const Node& e) {
        return Ask({{kOp, JStr(kLimit)},
                    {kExpr, JStr(TreeText(e))},
                    {kAt, JStr(TreeText(inf))},
                    {kDir, JNum(0)}});
      };
      Reply m = limit(Node::Of("*", {*tree_[0], Node::Of("inv", {Node::Var()})}));
      if (m.ok && m.none) return Determined(R{});
      std::optional<Node> mt = m.ok && !m.r.empty() ? ParseTree(m.r[0]) : std::nullopt;
      if (mt && mt->kind != Node::Kind::Undef) {
        if (!std::isfinite(TreeValue(*mt))) return Determined(R{});
        Reply q =
            limit(Node::Of("+", {*tree_[0], Node::Of("neg", {Node::Of("*", {*mt, Node::Var()})})}));
        if (q.ok && q.none) return Determined(R{});
        std::optional<Node> qt = q.ok && !q.r.empty() ? ParseTree(q.r[0]) : std::nullopt;
        if (qt && qt->kind != Node::Kind::Undef) {
          if (!std::isfinite(TreeValue(*qt))) return Determined(R{});
          Line line{WriteNumber(*mt), WriteNumber(*qt)};
          if (!LineAgrees(line.m.value, line.q.value, s)) {
            line = Line{ApproxNumber(line.m.value), ApproxNumber(line.q.value)};
          }
          return Determined(R{line});
        }
        if (!q.ok) return NumericAsymptote(s, q.reason);
      } else if (!m.ok) {
        return NumericAsymptote(s, m.reason);
      }
    }
    return NumericAsymptote(s, reason_);
  }

  Answer<Symmetry> SymmetryOf() override {
    if (rejected_) return Undetermined<Symmetry>(reason_, why_);
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

  Answer<Number> ValueAt(Which which, const Number& at) override {
    if (rejected_) return Undetermined<Number>(reason_, why_);
    const int i = Index(which);
    if (!Numeric(which)) return Undetermined<Number>(ReasonOf(which));
    const double v = Eval(i, at.value);
    if (!std::isfinite(v)) return Undetermined<Number>("fuori dal dominio");
    if (const Node* tree = TreeOf(which); tree && at.exact) {
      Reply rep =
          Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(Substitute(*tree, PointTree(at))))}});
      std::optional<Number> best;
      for (const std::string& s : rep.ok ? rep.r : std::vector<std::string>{}) {
        std::optional<Node> t = ParseTree(s);
        if (!t) continue;
        Number n = WriteNumber(*t);
        if (!n.exact || !Near(n.value, v, 1e-7)) continue;
        if (!best || CharCount(n.text) < CharCount(best->text)) best = n;
      }
      if (best) return Determined(*best);
    }
    return Determined(ApproxNumber(v));
  }

  Answer<std::vector<ConditionWork>> ExistenceConditions() override {
    using R = std::vector<ConditionWork>;
    if (rejected_ || !tree_[0]) return Undetermined<R>(reason_, why_);
    R out;
    for (const Condition& c : study::ConditionsOfExistence(*tree_[0])) {
      ConditionWork w{Expr{ConditionText(c), ConditionLatex(c), true},
                      std::string(ConditionSourceText(c.source)), std::nullopt};
      Reply rep = Period()
                      ? Reply{}
                      : Ask({{kOp, JStr(kDomain)}, {kExpr, JStr(TreeText(ConditionGuard(c)))}});
      std::optional<Node> cond =
          rep.ok && !rep.r.empty() ? ParseTree(rep.r[0], true) : std::nullopt;
      // A periodic f is solved in one period, which the condition does not say: not given.
      std::optional<Domain> d =
          cond && !Period() ? DomainOfCondition(*cond, std::nullopt) : std::nullopt;
      if (d && SolutionAgrees(c, *d)) w.solution = std::move(d);
      out.push_back(std::move(w));
    }
    return Determined(std::move(out));
  }

  Answer<std::vector<Step>> DerivationSteps(Which which) override {
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

  Answer<std::vector<Expr>> Mirrored() override {
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

  Answer<Expr> Substituted(Which which, const Number& at) override {
    const Node* g = TreeOf(which);
    if (!g || !at.exact) return Undetermined<Expr>(ReasonOf(which));
    const Node s = Substitute(*g, PointTree(at));
    if (!std::isfinite(TreeValue(s))) return Undetermined<Expr>("fuori dal dominio");
    return Determined(Expr{StudentText(s), LatexText(s), true});
  }

  Answer<Expr> Numerator(Which which) override {
    const Node* g = TreeOf(which);
    if (!g) return Undetermined<Expr>(ReasonOf(which));
    std::optional<Node> n = NumeratorOf(*g);
    if (!n) return Undetermined<Expr>("non determinato: non è un quoziente");
    return Determined(Expr{StudentText(*n), LatexText(*n), true});
  }

  Answer<Factored> Factors() override {
    if (rejected_ || !tree_[0]) return Undetermined<Factored>(reason_, why_);
    std::vector<Node> parts, upper, lower;
    FlattenProduct(*tree_[0], parts);
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

 private:
  // The factors of a product (−u as −1 and u), nested products flattened.
  static void FlattenProduct(const Node& n, std::vector<Node>& out) {
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
  bool SolutionAgrees(const Condition& c, const Domain& d) {
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

  static std::string HelperPath(const EngineOptions& options) {
    const char* env = std::getenv("CURVALIS_EXACT");
    return env && *env ? std::string(env) : options.helperPath;
  }

  // ---- the helper ----

  void SetTimeLeft(std::optional<std::chrono::milliseconds> left) override {
    if (left) {
      deadline_ = Now() + *left;
    } else {
      deadline_.reset();
    }
  }

  Answer<Domain> DomainOfText(std::string_view expression) override {
    Translation t = TranslateFormula(expression);
    if (!t.tree) return Undetermined<Domain>(std::string(kNoAnswer));
    Reply rep = Ask({{kOp, JStr(kDomain)}, {kExpr, JStr(TreeText(*t.tree))}});
    if (!rep.ok) return Undetermined<Domain>(rep.reason, rep.why);
    std::optional<Node> cond = rep.r.empty() ? std::nullopt : ParseTree(rep.r[0], true);
    std::optional<Domain> d = cond ? DomainOfCondition(*cond, std::nullopt) : std::nullopt;
    if (!d) return Undetermined<Domain>("non determinato: dominio non rappresentabile");
    return Determined(std::move(*d));
  }

  std::optional<std::vector<ExistenceCondition>> ConditionsOfExistence() override {
    if (rejected_ || !tree_[0]) return std::nullopt;
    std::vector<ExistenceCondition> out;
    for (const Condition& c : study::ConditionsOfExistence(*tree_[0])) {
      out.push_back(
          {StudentText(ConditionGuard(c)), StudentText(c.expr), c.kind == ConditionKind::NonZero});
    }
    return out;
  }

  std::chrono::steady_clock::time_point Now() const {
    return options_.clock ? options_.clock() : std::chrono::steady_clock::now();
  }

  Reply Ask(JsonObject request) {
    const std::string key = JsonLine(request);
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
    if (auto it = failed_.find(key); it != failed_.end()) return it->second;
    // Each question waits at most what is left to the sheet; none is sent once it is spent.
    std::chrono::milliseconds limit = options_.timeLimit;
    if (deadline_) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Now());
      if (left.count() <= 0) {
        Reply spent;
        spent.reason = std::string(kTimeUp);
        spent.why = Reason::TimeUp;
        return spent;
      }
      limit = std::min(limit, left);
    }
    const long long id = nextId_++;
    request[kId] = JNum(id);
    HelperProcess::Failure failure;
    std::optional<std::string> line = helper_.Request(JsonLine(request), limit, failure);
    Reply rep = Read(line, failure, id);
    if (!rep.ok) {
      failed_[key] = rep;
    } else {
      if (cache_.size() >= kMaxCached) cache_.clear();
      cache_[key] = rep;
    }
    return rep;
  }

  // The helper's answer line as a reply; its error texts become reasons of our own.
  Reply Read(const std::optional<std::string>& line, HelperProcess::Failure failure, long long id) {
    Reply rep;
    if (!line) {
      switch (failure) {
        case HelperProcess::Failure::Missing:
          rep.reason = std::string(kEngineUnavailable);
          rep.why = Reason::Unavailable;
          break;
        case HelperProcess::Failure::Timeout:
          rep.reason = std::string(kTimeUp);
          rep.why = Reason::TimeUp;
          break;
        case HelperProcess::Failure::Died:
          rep.reason = "non determinato: il motore di calcolo si è interrotto";
          rep.why = Reason::HelperDied;
          break;
        default:
          rep.reason = "non determinato: risposta non valida del motore di calcolo";
          rep.why = Reason::BadAnswer;
      }
      return rep;
    }
    std::optional<JsonObject> ans = ParseJsonLine(*line);
    auto field = [&](const char* k) -> const JsonValue* {
      if (!ans) return nullptr;
      auto it = ans->find(k);
      return it == ans->end() ? nullptr : &it->second;
    };
    const JsonValue* idv = field(kId);
    const JsonValue* okv = field(kOk);
    if (!idv || idv->kind != JsonValue::Kind::Number || idv->n != id || !okv ||
        okv->kind != JsonValue::Kind::Bool) {
      helper_.Stop();  // out of step with us: the next question starts a new helper
      rep.reason = "non determinato: risposta non valida del motore di calcolo";
      rep.why = Reason::BadAnswer;
      return rep;
    }
    if (!okv->b) {
      // Only the kind is read from the helper's words: the reason shown is ours.
      const JsonValue* e = field(kError);
      const bool slow = e && e->kind == JsonValue::Kind::String && e->s == "tempo scaduto";
      rep.reason = std::string(slow ? kTimeUp : kNoAnswer);
      rep.why = slow ? Reason::SlowQuestion : Reason::NotFound;
    } else {
      rep.ok = true;
      const JsonValue* r = field(kResult);
      if (r && r->kind == JsonValue::Kind::Strings) rep.r = r->list;
      const JsonValue* none = field(kNone);
      rep.none = none && none->kind == JsonValue::Kind::Bool && none->b;
    }
    return rep;
  }

  // ---- the functions ----

  std::string ReasonOf(Which which) {
    if (!reason_.empty()) return reason_;
    if (which != Which::F && !expr_[Index(which)]) {
      Answer<Expr> d = Derivative(which);
      if (!d.determined) return d.reason;
    }
    return "non determinato";
  }

  const Node* TreeOf(Which which) {
    if (rejected_ || !tree_[0]) return nullptr;
    const int i = Index(which);
    if (i > 0 && !Derivative(which).determined) return nullptr;
    return tree_[i] ? &*tree_[i] : nullptr;
  }

  bool Numeric(Which which) {
    const int i = Index(which);
    if (i > 0 && !hasNumeric_[i]) TreeOf(which);
    return hasNumeric_[i];
  }

  double Eval(int i, double x) {
    if (!hasNumeric_[i]) return kNaN;
    const double v = numeric_[i].EvaluateNumber(x);
    return std::isfinite(v) ? v : kNaN;
  }

  // The shortest written candidate of a derivative that matches the central differences of
  // the function before it; the shortest of all, not exact, when none does.
  void ChooseDerivative(int i, const std::vector<std::string>& candidates) {
    std::optional<Node> best, fallback;
    std::string bestText, fallbackText;
    for (const std::string& c : candidates) {
      std::optional<Node> t = ParseTree(c);
      if (!t || HasApprox(*t)) continue;
      const std::string text = StudentText(*t);
      if (!fallback || CharCount(text) < CharCount(fallbackText)) {
        fallback = t;
        fallbackText = text;
      }
      if (!MatchesDifferences(i, text)) continue;
      if (!best || CharCount(text) < CharCount(bestText)) {
        best = t;
        bestText = text;
      }
    }
    if (!best && !fallback) return;
    const bool exact = best.has_value();
    if (!best) best = fallback;
    tree_[i] = best;
    expr_[i] = Expr{StudentText(*best), LatexText(*best), exact};
    hasNumeric_[i] = numeric_[i].Compile(PrepareFormula(expr_[i]->text)) == FormulaReject::None;
  }

  bool MatchesDifferences(int i, const std::string& text) {
    CompiledFormula d;
    if (d.Compile(PrepareFormula(text)) != FormulaReject::None) return false;
    return DerivativeAgrees([&](double x) { return Eval(i - 1, x); },
                            [&](double x) { return d.EvaluateNumber(x); },
                            {kSamples.begin(), kSamples.end()}, 1e-5);
  }

  // ---- checks ----

  static bool IsZeroAt(const std::function<double(double)>& g, double v) {
    const double gv = g(v);
    if (!std::isfinite(gv)) return false;
    const double d = 1e-3 * std::max(1.0, std::fabs(v));
    double scale = 1;
    for (double y : {g(v - d), g(v + d)}) {
      if (std::isfinite(y)) scale = std::max(scale, std::fabs(y));
    }
    return std::fabs(gv) <= 1e-9 * scale;
  }

  bool LineAgrees(double m, double q, double s) {
    return CheckLine([&](double x) { return Eval(0, x); }, s, m, q) != Check::Refuted;
  }

  Answer<std::optional<Line>> NumericAsymptote(double s, const std::string& reason) {
    using R = std::optional<Line>;
    // The slope from the two farthest samples; the line when every sample lies on it.
    // Not whole numbers, where INT(x) would look like x.
    const std::array<double, 4> xs = {s * (1e5 + 0.3183), s * (1e6 + 0.4142), s * (1e7 + 0.5772),
                                      s * (1e8 + 0.2718)};
    std::array<double, 4> ys;
    for (std::size_t k = 0; k < xs.size(); ++k) {
      ys[k] = Eval(0, xs[k]);
      if (std::isnan(ys[k])) return Undetermined<R>(reason.empty() ? "non determinato" : reason);
    }
    const double m = (ys[3] - ys[2]) / (xs[3] - xs[2]);
    const double q = ys[3] - m * xs[3];
    for (std::size_t k = 0; k < xs.size(); ++k) {
      if (!Near(ys[k] - m * xs[k], q, 1e-3)) return Determined(R{});
    }
    if (std::fabs(q) > 1e6) return Determined(R{});
    return Determined(R{Line{ApproxNumber(std::fabs(m) < 1e-9 ? 0 : m), ApproxNumber(q)}});
  }

  bool NumericParity(bool odd) {
    std::vector<double> xs;
    for (double x : kSamples) {
      if (x >= 0) xs.push_back(x);
    }
    return SymmetryHolds([&](double x) { return Eval(0, x); }, xs, odd);
  }

  // The smallest positive period of f, confirmed on samples; nullopt for a function that is
  // not periodic.
  std::optional<Number> Period() {
    if (periodKnown_) return period_;
    periodKnown_ = true;
    if (!tree_[0] || !HasTrig(*tree_[0])) return period_;
    Reply rep = Ask({{kOp, JStr(kPeriod)}, {kExpr, JStr(TreeText(*tree_[0]))}});
    std::optional<Node> t = rep.ok && !rep.r.empty() ? ParseTree(rep.r[0]) : std::nullopt;
    if (!t) return period_;
    const double T = TreeValue(*t);
    if (!std::isfinite(T) || T <= 0) return period_;
    if (PeriodHolds([&](double x) { return Eval(0, x); }, T, {kSamples.begin(), kSamples.end()})) {
      period_ = WriteNumber(*t);
    }
    return period_;
  }

  // The period the CAS gives for an expression, when it is a positive number.
  std::optional<double> PeriodOf(const Node& tree) {
    Reply rep = Ask({{kOp, JStr(kPeriod)}, {kExpr, JStr(TreeText(tree))}});
    std::optional<Node> t = rep.ok && !rep.r.empty() ? ParseTree(rep.r[0]) : std::nullopt;
    if (!t) return std::nullopt;
    const double T = TreeValue(*t);
    if (!std::isfinite(T) || T <= 0) return std::nullopt;
    return T;
  }

  static bool HasTrig(const Node& n) {
    if (n.Is("sin") || n.Is("cos") || n.Is("tan")) return true;
    for (const Node& a : n.args) {
      if (HasTrig(a)) return true;
    }
    return false;
  }

  // r moved by a whole number of periods into [0; T[, simplified by the CAS.
  Node IntoPeriod(const Node& r, const Number& period) {
    const double v = TreeValue(r);
    const double k = std::floor(v / period.value);
    if (k == 0 || !std::isfinite(k) || std::fabs(k) > 1e6) return r;
    std::optional<Node> t = TranslateFormula(period.text).tree;
    if (!t) return r;
    const Node moved = Node::Of("+", {r, Node::Of("*", {ExactDecimal(-k), *t})});
    Reply rep = Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(moved))}});
    std::optional<Node> best;
    std::size_t bestLen = 0;
    for (const std::string& s : rep.ok ? rep.r : std::vector<std::string>{}) {
      std::optional<Node> c = ParseTree(s);
      if (!c) continue;
      const std::size_t len = CharCount(StudentText(*c));
      if (!best || len < bestLen) {
        best = c;
        bestLen = len;
      }
    }
    return best ? *best : moved;
  }

  // The point of a limit or a value as a tree: the exact text read back, else its decimal.
  static Node PointTree(const Number& at) {
    if (at.exact) {
      if (std::optional<Node> t = TranslateFormula(at.text).tree; t && !HasX(*t)) return *t;
    }
    return ExactDecimal(at.value);
  }

  EngineOptions options_;
  HelperProcess helper_;
  std::map<std::string, Reply> cache_;
  std::map<std::string, Reply> failed_;  // the requests of this study that got no answer
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  long long nextId_ = 1;

  bool rejected_ = false;
  std::string reason_;  // why f has no exact study (or was rejected)
  Reason why_ = Reason::NotFound;
  std::array<std::optional<Node>, 3> tree_;
  std::array<std::optional<Expr>, 3> expr_;
  std::array<CompiledFormula, 3> numeric_;
  std::array<bool, 3> hasNumeric_{};
  bool periodKnown_ = false;
  std::optional<Number> period_;
};

}  // namespace

std::unique_ptr<ExactEngine> MakeExactEngine(const EngineOptions& options) {
  return std::make_unique<HelperEngine>(options);
}

}  // namespace curvalis::study
