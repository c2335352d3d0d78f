// The domain checked against the conditions of existence read from the formula tree: a point
// where f has a value lies in D; a point of D has a value unless f only overflows a double
// there (every condition holds, the value is just too large). Where the engine's domain
// disagrees, the domain is the intersection of the conditions, each solved by the engine.
#include "numeric/roots.h"
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

void Builder::ReadConditions() {
  conditions_.clear();
  auto c = engine_.ConditionsOfExistence();
  elementary_ = c.has_value();
  if (!c) return;
  for (const ExistenceCondition& e : *c) {
    auto guard = std::make_unique<Fn>(), expr = std::make_unique<Fn>();
    if (!guard->Compile(e.guard) || !expr->Compile(e.expr)) {
      elementary_ = false;  // a condition our evaluator cannot read decides nothing
      conditions_.clear();
      return;
    }
    conditions_.push_back({std::move(guard), std::move(expr), e.nonZero});
  }
}

bool Builder::ConditionsHold(double x) {
  // A condition fails where its expression has a value that the guard refuses. Where the
  // expression itself has none, it only overflows there (1 + e^x beyond x ≈ 709.78: its own
  // conditions, read before it, decide the rest), which is no failure.
  for (ReadCondition& c : conditions_) {
    if (std::isnan((*c.guard)(x)) && !std::isnan((*c.expr)(x))) return false;
  }
  return true;
}

bool Builder::HasValueOrOverflows(double x) {
  return !std::isnan(F(x)) || (elementary_ && ConditionsHold(x));
}

bool Builder::DomainAgrees(const Domain& d) {
  bool ok = true;
  // A dense sample: inside D f has a value (or only overflows); between the ends of D it has
  // none outside it (a periodic f's domain may be given for one period only).
  std::vector<double> xs, ys;
  Grid(Which::F, -kInf, kInf, 4001, &xs, &ys);
  const double lo = d.intervals.front().from.value, hi = d.intervals.back().to.value;
  for (std::size_t i = 0; i < xs.size() && ok; ++i) {
    const bool in = InD(xs[i]);
    if (!std::isnan(ys[i]) && !in && xs[i] > lo && xs[i] < hi) ok = false;
    // Without the conditions an overflow (e^(1/x) near 0⁺) cannot be told from a gap.
    if (std::isnan(ys[i]) && in && elementary_ && !ConditionsHold(xs[i])) ok = false;
  }
  // A single point a sample never lands on: where a denominator (or the like) vanishes.
  for (ReadCondition& c : conditions_) {
    if (!ok) break;
    if (!c.nonZero) continue;
    for (double r : NumericRoots([&](double x) { return (*c.expr)(x); }, -kInf, kInf, 4000)) {
      if (InD(r) && std::isnan((*c.guard)(r))) ok = false;
    }
  }
  return ok;
}

std::optional<Domain> Builder::DomainOfConditions() {
  std::vector<Interval> acc = {Interval{Infinity(false), Infinity(true), false, false}};
  std::vector<std::string> parts;
  auto all = engine_.ConditionsOfExistence();
  if (!all) return std::nullopt;
  for (const ExistenceCondition& c : *all) {
    auto a = Ask<Domain>([&] { return engine_.DomainOfText(c.guard); });
    if (!a.determined) return std::nullopt;
    if (a.value.condition != "x ∈ ℝ" &&
        std::find(parts.begin(), parts.end(), a.value.condition) == parts.end()) {
      parts.push_back(a.value.condition);
    }
    acc = Intersect(acc, a.value.intervals);
  }
  Domain d;
  for (std::size_t i = 0; i < parts.size(); ++i) d.condition += (i ? " ∧ " : "") + parts[i];
  if (d.condition.empty()) d.condition = "x ∈ ℝ";
  d.intervals = std::move(acc);
  return d;
}

std::vector<Interval> Builder::Intersect(const std::vector<Interval>& a,
                                         const std::vector<Interval>& b) {
  std::vector<Interval> out;
  for (const Interval& p : a) {
    for (const Interval& q : b) {
      Interval r;
      if (p.from.value > q.from.value || (p.from.value == q.from.value && !p.closedLeft)) {
        r.from = p.from;
        r.closedLeft = p.closedLeft;
      } else {
        r.from = q.from;
        r.closedLeft = q.closedLeft;
      }
      if (p.to.value < q.to.value || (p.to.value == q.to.value && !p.closedRight)) {
        r.to = p.to;
        r.closedRight = p.closedRight;
      } else {
        r.to = q.to;
        r.closedRight = q.closedRight;
      }
      const bool point = r.from.value == r.to.value;
      if (r.from.value < r.to.value || (point && r.closedLeft && r.closedRight)) {
        out.push_back(r);
      }
    }
  }
  std::sort(out.begin(), out.end(),
            [](const Interval& x, const Interval& y) { return x.from.value < y.from.value; });
  return out;
}

}  // namespace curvalis::study::sheet_build
