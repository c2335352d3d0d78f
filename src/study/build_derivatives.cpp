// The sections of f′ and f″: the derivatives checked against differences of f, the trend and
// its extrema, the concavity and its inflections.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

void Builder::BuildDerivative() {
  auto a = Ask<Expr>([&] { return engine_.Derivative(Which::D1); });
  std::string refuted;  // the sheet's own reason when our evaluator refutes the answer
  // The engine's f′ passes when it reads back through our evaluator as the difference quotient
  // of f at the test points (f″ the same of f′).
  if (a.determined &&
      !(d1_.Compile(a.value.text) &&
        DerivativeAgrees([this](double x) { return F(x); }, [this](double x) { return d1_(x); },
                         TestPoints(), 1e-5))) {
    d1_ = Fn();
    a.determined = false;
    refuted = "derivata non confermata dai valori della funzione";
  }
  // The points of D where f′ has no value: the ends of the intervals of D(f′) that lie in D.
  auto dom = Ask<Domain>([&] { return engine_.DomainOf(Which::D1); });
  if (dom.determined) {
    for (const Interval& i : dom.value.intervals) {
      for (const Number& end : {i.from, i.to}) {
        // For a periodic f the engine's domain of f′ covers [0; T[: its end T is the period's
        // cut, not a point where f′ has no value.
        const auto& period = sheet_.parity.data.period;
        if (period && SameX(end.value, period->value)) continue;
        const Number e = std::isfinite(end.value) ? IntoWindow(end) : end;
        if (!std::isfinite(e.value) || !InD(e.value) || Contains(notDiff_, e.value)) continue;
        bool inside = false;
        for (const Interval& j : dom.value.intervals) {
          inside = inside || (end.value > j.from.value && end.value < j.to.value) ||
                   (j.closedLeft && SameX(end.value, j.from.value)) ||
                   (j.closedRight && SameX(end.value, j.to.value));
        }
        if (!inside) notDiff_.push_back(e);
      }
    }
    std::sort(notDiff_.begin(), notDiff_.end(),
              [](const Number& x, const Number& y) { return x.value < y.value; });
  }
  if (a.determined) {
    sheet_.derivative.data.d1 = a.value;
    PointsWithoutDerivative();
    NameNonDifferentiable();
    sheet_.derivative.data.notDifferentiable = notDiff_;
    sheet_.derivative.determined = true;
    Done(sheet_.derivative, SectionId::Derivative);
  } else {
    Undetermined(sheet_.derivative, SectionId::Derivative, refuted.empty() ? a.reason() : refuted);
  }
}

std::vector<std::vector<Stretch>> Builder::SignRuns(const std::vector<Number>& cuts, Which g,
                                                    std::vector<Bound>* bounds) {
  std::vector<std::vector<Stretch>> out;
  runsDoubtful_ = false;
  for (const Piece& p : pieces_) {
    auto runs = Runs(p, cuts, g);
    std::vector<Stretch> merged;
    for (const auto& r : runs) {
      // Concavity is never joined across a point where f is not differentiable (e^(−|x − 1|)
      // is convex on each side of 1, not on the whole line).
      if (!merged.empty() && merged.back().sign == r.sign &&
          !(g == Which::D2 && Contains(notDiff_, r.from.value))) {
        merged.back().to = r.to;
      } else {
        if (!merged.empty()) bounds->push_back({r.from, merged.back().sign, r.sign});
        merged.push_back(r);
      }
    }
    out.push_back(merged);
  }
  return out;
}

void Builder::BuildMonotonicity() {
  // Without a confirmed f′ the trend comes from difference quotients, which say nothing true
  // across a jump of f: then the sections of f′ and f″ are not determined.
  if (!d1_.ok() && !jumps_.empty()) {
    Undetermined(sheet_.monotonicity, SectionId::Monotonicity,
                 "f ha un salto in x " + Approx(jumps_.front()).text +
                     " e non ha una derivata esatta: la monotonia non si ricava numericamente");
    trendRuns_.assign(pieces_.size(), {});
    return;
  }
  if (!DerivativeRuns(Which::D1, sheet_.monotonicity, SectionId::Monotonicity)) return;
  ForEachRun(trendRuns_, [&](const Interval& range, Sign sign) {
    if (sign == Sign::Undefined) return;
    const Trend trend = sign == Sign::Plus    ? Trend::Increasing
                        : sign == Sign::Minus ? Trend::Decreasing
                                              : Trend::Constant;
    sheet_.monotonicity.data.intervals.push_back({range, trend});
  });
  sheet_.monotonicity.determined = true;
  Done(sheet_.monotonicity, SectionId::Monotonicity);
}

bool Builder::AcrossPeriodStart(const std::vector<std::vector<Stretch>>& runs, Sign* left,
                                Sign* right) {
  if (!sheet_.periodWindow || pieces_.empty() || runs.size() != pieces_.size()) return false;
  const Piece& first = pieces_.front();
  const Piece& last = pieces_.back();
  if (!SameX(first.range.from.value, 0) || first.leftIsEnd || last.rightIsEnd || !InD(0) ||
      runs.front().empty() || runs.back().empty()) {
    return false;
  }
  *left = runs.back().back().sign;
  *right = runs.front().front().sign;
  return true;
}

void Builder::AddExtremum(const Number& x, bool maximum) {
  auto y = ValueOf(x);
  if (!y) return;
  sheet_.extrema.data.items.push_back({maximum, {x, *y}, false});
}

void Builder::BuildExtrema() {
  if (!sheet_.monotonicity.determined) {
    Undetermined(sheet_.extrema, SectionId::Extrema, sheet_.monotonicity.reason);
    return;
  }
  for (const Bound& b : trendBounds_) {
    if (!InD(b.x.value)) continue;
    if (b.left == Sign::Plus && b.right == Sign::Minus) AddExtremum(b.x, true);
    if (b.left == Sign::Minus && b.right == Sign::Plus) AddExtremum(b.x, false);
  }
  for (std::size_t k = 0; k < pieces_.size(); ++k) {
    const Piece& p = pieces_[k];
    const auto& runs = trendRuns_[k];
    if (runs.empty()) continue;
    if (p.range.closedLeft && p.leftIsEnd && runs.front().sign != Sign::Zero) {
      AddExtremum(p.range.from, runs.front().sign == Sign::Minus);
    }
    if (p.range.closedRight && p.rightIsEnd && runs.back().sign != Sign::Zero) {
      AddExtremum(p.range.to, runs.back().sign == Sign::Plus);
    }
  }
  Sign left, right;
  if (AcrossPeriodStart(trendRuns_, &left, &right)) {
    if (left == Sign::Plus && right == Sign::Minus) AddExtremum(Exact(0, "0"), true);
    if (left == Sign::Minus && right == Sign::Plus) AddExtremum(Exact(0, "0"), false);
  }
  auto& items = sheet_.extrema.data.items;
  std::sort(items.begin(), items.end(),
            [](const ExtremumItem& a, const ExtremumItem& b) { return a.p.x.value < b.p.x.value; });
  // Absolute: no value or limit of f goes beyond it.
  std::vector<double> bounds;
  for (const auto& e : items) bounds.push_back(e.p.y.value);
  for (const auto& l : sheet_.limits.data.items) {
    if (l.value) bounds.push_back(l.value->value);
  }
  if (sheet_.periodWindow && sheet_.periodWindow->closedLeft) {
    if (auto v = ValueOf(sheet_.periodWindow->from)) bounds.push_back(v->value);
  }
  if (!unknownBound_) {
    for (auto& e : items) {
      const double y = e.p.y.value, tol = 1e-9 * (1 + std::fabs(y));
      e.absolute = std::all_of(bounds.begin(), bounds.end(),
                               [&](double b) { return e.maximum ? b <= y + tol : b >= y - tol; });
    }
  }
  sheet_.extrema.determined = true;
  Done(sheet_.extrema, SectionId::Extrema);
}

void Builder::BuildSecondDerivative() {
  auto a = Ask<Expr>([&] { return engine_.Derivative(Which::D2); });
  std::string refuted;
  if (a.determined &&
      !(d2_.Compile(a.value.text) &&
        DerivativeAgrees([this](double x) { return D1(x); }, [this](double x) { return d2_(x); },
                         TestPoints(), 1e-4))) {
    d2_ = Fn();
    a.determined = false;
    refuted = "derivata seconda non confermata dai valori della derivata prima";
  }
  if (a.determined) {
    sheet_.secondDerivative.data.d2 = a.value;
    sheet_.secondDerivative.determined = true;
    Done(sheet_.secondDerivative, SectionId::SecondDerivative);
  } else {
    Undetermined(sheet_.secondDerivative, SectionId::SecondDerivative,
                 refuted.empty() ? a.reason() : refuted);
  }
}

void Builder::BuildConcavity() {
  if (!d2_.ok() && !sheet_.monotonicity.determined) {
    Undetermined(sheet_.concavity, SectionId::Concavity, sheet_.monotonicity.reason);
    concavityRuns_.assign(pieces_.size(), {});
    return;
  }
  if (!DerivativeRuns(Which::D2, sheet_.concavity, SectionId::Concavity)) return;
  ForEachRun(concavityRuns_, [&](const Interval& range, Sign sign) {
    if (sign == Sign::Plus || sign == Sign::Minus) {
      sheet_.concavity.data.intervals.push_back({range, sign == Sign::Plus});
    }
  });
  sheet_.concavity.determined = true;
  Done(sheet_.concavity, SectionId::Concavity);
}

bool Builder::HasTangent(double x) {
  if (!Contains(notDiff_, x)) return true;
  for (const NonDifferentiablePoint& p : sheet_.derivative.data.kinds) {
    if (SameX(p.x.value, x) && p.kind == NonDifferentiableKind::VerticalInflection) return true;
  }
  const double h = 1e-7 * (1 + std::fabs(x));
  const double a = D1(x - h), b = D1(x + h);
  return !std::isnan(a) && !std::isnan(b) && std::fabs(a) > 1e4 && std::fabs(b) > 1e4;
}

void Builder::BuildInflections() {
  if (!sheet_.concavity.determined) {
    Undetermined(sheet_.inflections, SectionId::Inflections, sheet_.concavity.reason);
    return;
  }
  auto changes = [](Sign left, Sign right) {
    return (left == Sign::Plus && right == Sign::Minus) ||
           (left == Sign::Minus && right == Sign::Plus);
  };
  // f′ = 0 at the point: a horizontal tangent.
  auto flat = [&](double x) {
    const double d1 = D1(x);
    return Contains(d1Zeros_, x) || (!std::isnan(d1) && std::fabs(d1) < 1e-9);
  };
  for (const Bound& b : concavityBounds_) {
    if (!changes(b.left, b.right) || !InD(b.x.value) || !HasTangent(b.x.value)) continue;
    auto y = ValueOf(b.x);
    if (!y) continue;
    sheet_.inflections.data.items.push_back({{b.x, *y}, flat(b.x.value)});
  }
  Sign left, right;
  if (AcrossPeriodStart(concavityRuns_, &left, &right) && HasTangent(0) && changes(left, right)) {
    if (auto y = ValueOf(Exact(0, "0"))) {
      auto& items = sheet_.inflections.data.items;
      items.insert(items.begin(), {{Exact(0, "0"), *y}, flat(0)});
    }
  }
  sheet_.inflections.determined = true;
  Done(sheet_.inflections, SectionId::Inflections);
}

}  // namespace curvalis::study::sheet_build
