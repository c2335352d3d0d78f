#include "exact_engine/helper_engine_impl.h"

#include <cstdlib>

#include "core/prepare_formula.h"
#include "exact_engine/writer.h"
#include "numeric/checks.h"

namespace curvalis::study::engine_detail {

std::string HelperEngine::HelperPath(const EngineOptions& options) {
  const char* env = std::getenv("CURVALIS_EXACT");
  return env && *env ? std::string(env) : options.helperPath;
}

std::chrono::steady_clock::time_point HelperEngine::Now() const {
  return options_.clock ? options_.clock() : std::chrono::steady_clock::now();
}

Reply HelperEngine::Ask(JsonObject request) {
  const std::string key = JsonLine(request);
  if (auto it = cache_.find(key); it != cache_.end()) return it->second;
  if (auto it = failed_.find(key); it != failed_.end()) return it->second;
  // Each question waits at most what is left to the sheet; none is sent once it is spent.
  std::chrono::milliseconds limit = options_.timeLimit;
  if (deadline_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Now());
    if (left.count() <= 0) {
      Reply spent;
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
Reply HelperEngine::Read(const std::optional<std::string>& line, HelperProcess::Failure failure,
                         long long id) {
  Reply rep;
  if (!line) {
    // The reason of each failure, in the order of HelperProcess::Failure.
    constexpr Reason kReasons[] = {Reason::BadAnswer, Reason::Unavailable, Reason::TimeUp,
                                   Reason::HelperDied, Reason::BadAnswer};
    rep.why = kReasons[static_cast<std::size_t>(failure)];
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
    rep.why = Reason::BadAnswer;
    return rep;
  }
  if (!okv->b) {
    // Only the kind is read from the helper's words: the reason shown is ours.
    const JsonValue* e = field(kError);
    const bool slow = e && e->kind == JsonValue::Kind::String && e->s == "tempo scaduto";
    rep.why = slow ? Reason::SlowQuestion : Reason::NoAnswer;
  } else {
    rep.ok = true;
    const JsonValue* r = field(kResult);
    if (r && r->kind == JsonValue::Kind::Strings) rep.r = r->list;
    const JsonValue* none = field(kNone);
    rep.none = none && none->kind == JsonValue::Kind::Bool && none->b;
  }
  return rep;
}

Why HelperEngine::ReasonOf(Which which) {
  if (why_ == Reason::Rejected || why_ == Reason::NotElementary) return {why_, detail_};
  if (which != Which::F && !expr_[Index(which)]) {
    Answer<Expr> d = Derivative(which);
    if (!d.determined) return {d.why, d.detail};
  }
  return {};
}

const Node* HelperEngine::TreeOf(Which which) {
  if (rejected_ || !tree_[0]) return nullptr;
  const int i = Index(which);
  if (i > 0 && !Derivative(which).determined) return nullptr;
  return tree_[i] ? &*tree_[i] : nullptr;
}

bool HelperEngine::Numeric(Which which) {
  const int i = Index(which);
  if (i > 0 && !hasNumeric_[i]) TreeOf(which);
  return hasNumeric_[i];
}

double HelperEngine::Eval(int i, double x) {
  if (!hasNumeric_[i]) return kNaN;
  const double v = numeric_[i].EvaluateNumber(x);
  return std::isfinite(v) ? v : kNaN;
}

// The shortest written candidate of a derivative that matches the central differences of
// the function before it; the shortest of all, not exact, when none does.
void HelperEngine::ChooseDerivative(int i, const Reply& candidates) {
  auto written = [](const Node& t) { return !HasApprox(t); };
  const std::optional<Node> best = Shortest(candidates, [&](const Node& t) {
    return written(t) && DerivesOnSamples([&](double x) { return Eval(i - 1, x); }, StudentText(t));
  });
  const std::optional<Node> chosen = best ? best : Shortest(candidates, written);
  if (!chosen) return;
  tree_[i] = chosen;
  expr_[i] = Expr{StudentText(*chosen), LatexText(*chosen), best.has_value()};
  hasNumeric_[i] = numeric_[i].Compile(PrepareFormula(expr_[i]->text)) == FormulaReject::None;
}

bool HelperEngine::DerivesOnSamples(const std::function<double(double)>& of,
                                    const std::string& text) {
  CompiledFormula d;
  if (d.Compile(PrepareFormula(text)) != FormulaReject::None) return false;
  return DerivativeAgrees(
      of, [&](double x) { return d.EvaluateNumber(x); }, {kSamples.begin(), kSamples.end()}, 1e-5);
}

bool HelperEngine::IsZeroAt(const std::function<double(double)>& g, double v) {
  const double gv = g(v);
  if (!std::isfinite(gv)) return false;
  const double d = 1e-3 * std::max(1.0, std::fabs(v));
  double scale = 1;
  for (double y : {g(v - d), g(v + d)}) {
    if (std::isfinite(y)) scale = std::max(scale, std::fabs(y));
  }
  return std::fabs(gv) <= 1e-9 * scale;
}

Answer<std::optional<Line>> HelperEngine::NumericAsymptote(double s, const Why& reason) {
  using R = std::optional<Line>;
  // The slope from the two farthest samples; the line when every sample lies on it.
  // Not whole numbers, where INT(x) would look like x.
  const std::array<double, 4> xs = {s * (1e5 + 0.3183), s * (1e6 + 0.4142), s * (1e7 + 0.5772),
                                    s * (1e8 + 0.2718)};
  std::array<double, 4> ys;
  for (std::size_t k = 0; k < xs.size(); ++k) {
    ys[k] = Eval(0, xs[k]);
    if (std::isnan(ys[k])) return Undetermined<R>(reason);
  }
  const double m = (ys[3] - ys[2]) / (xs[3] - xs[2]);
  const double q = ys[3] - m * xs[3];
  for (std::size_t k = 0; k < xs.size(); ++k) {
    if (!Near(ys[k] - m * xs[k], q, 1e-3)) return Determined(R{});
  }
  if (std::fabs(q) > 1e6) return Determined(R{});
  return Determined(R{Line{ApproxNumber(std::fabs(m) < 1e-9 ? 0 : m), ApproxNumber(q)}});
}

bool HelperEngine::NumericParity(bool odd) {
  std::vector<double> xs;
  for (double x : kSamples) {
    if (x >= 0) xs.push_back(x);
  }
  return SymmetryHolds([&](double x) { return Eval(0, x); }, xs, odd);
}

// The smallest positive period of f, confirmed on samples; nullopt for a function that is
// not periodic.
std::optional<Number> HelperEngine::Period() {
  if (periodKnown_) return period_;
  periodKnown_ = true;
  if (!tree_[0] || !HasTrig(*tree_[0])) return period_;
  std::optional<Node> t = PeriodOf(*tree_[0]);
  if (t && PeriodHolds([&](double x) { return Eval(0, x); }, TreeValue(*t),
                       {kSamples.begin(), kSamples.end()})) {
    period_ = WriteNumber(*t);
  }
  return period_;
}

// The period the CAS gives for an expression, when it is a positive number.
std::optional<Node> HelperEngine::PeriodOf(const Node& tree) {
  std::optional<Node> t = FirstTree(Ask({{kOp, JStr(kPeriod)}, {kExpr, JStr(TreeText(tree))}}));
  if (!t) return std::nullopt;
  const double T = TreeValue(*t);
  if (!std::isfinite(T) || T <= 0) return std::nullopt;
  return t;
}

bool HelperEngine::HasTrig(const Node& n) {
  return n.Is("sin") || n.Is("cos") || n.Is("tan") || std::ranges::any_of(n.args, HasTrig);
}

// r moved by a whole number of periods into [0; T[, simplified by the CAS.
Node HelperEngine::IntoPeriod(const Node& r, const Number& period) {
  const double v = TreeValue(r);
  const double k = std::floor(v / period.value);
  if (k == 0 || !std::isfinite(k) || std::fabs(k) > 1e6) return r;
  std::optional<Node> t = TranslateFormula(period.text).tree;
  if (!t) return r;
  const Node moved = Node::Of("+", {r, Node::Of("*", {ExactDecimal(-k), *t})});
  return Shortest(Ask({{kOp, JStr(kSimp)}, {kExpr, JStr(TreeText(moved))}}), {}).value_or(moved);
}

// The point of a limit or a value as a tree: the exact text read back, else its decimal.
Node HelperEngine::PointTree(const Number& at) {
  if (at.exact) {
    if (std::optional<Node> t = TranslateFormula(at.text).tree; t && !HasX(*t)) return *t;
  }
  return ExactDecimal(at.value);
}

std::optional<Node> HelperEngine::Shortest(const Reply& rep,
                                           const std::function<bool(const Node&)>& keep) {
  std::optional<Node> best;
  std::size_t bestLen = 0;
  for (const std::string& c : rep.ok ? rep.r : std::vector<std::string>{}) {
    std::optional<Node> t = ParseTree(c);
    if (!t || (keep && !keep(*t))) continue;
    const std::size_t len = CharCount(StudentText(*t));
    if (!best || len < bestLen) {
      best = std::move(t);
      bestLen = len;
    }
  }
  return best;
}

Reply HelperEngine::AskLimit(const Node& e, const Number& at, Approach side) {
  const bool infinite = side == Approach::PlusInfinity || side == Approach::MinusInfinity;
  const Node point = infinite ? Node::Inf(side == Approach::PlusInfinity) : PointTree(at);
  return Ask({{kOp, JStr(kLimit)},
              {kExpr, JStr(TreeText(e))},
              {kAt, JStr(TreeText(point))},
              {kDir, JNum(Direction(side))}});
}

Answer<Domain> HelperEngine::AskDomain(const Node& e, bool periodic) {
  Reply rep = Ask({{kOp, JStr(kDomain)}, {kExpr, JStr(TreeText(e))}});
  if (!rep.ok) return Undetermined<Domain>(rep.why);
  std::optional<Node> cond = FirstTree(rep, true);
  std::optional<Domain> d =
      cond ? DomainOfCondition(*cond, periodic ? Period() : std::nullopt) : std::nullopt;
  if (!d) return Undetermined<Domain>(Reason::DomainNotWritten);
  return Determined(std::move(*d));
}

}  // namespace curvalis::study::engine_detail
