// The points a teacher asks about: the period studied between two points outside D, the
// conditions and zeros written for every period, the discontinuities and their kinds, the
// points where f is not differentiable named by their one-sided derivatives, limits 0 from one
// side, the side of the asymptotes, the reason of the symmetry, the holes and the π ticks of
// the graph.
#include "study/periodic.h"
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

namespace {

// "p + kT" texts joined as alternatives of one condition: "x = kπ ∨ x = π/3 + kπ".
std::string Alternatives(const std::string& head, const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? " ∨ " : "") + head + parts[i];
  return out;
}

bool Finite(const std::optional<Number>& n) {
  return n && std::isfinite(n->value);
}

}  // namespace

// --- the period studied ----------------------------------------------------------------

void Builder::MovePeriodWindow(const Number& period) {
  const double t = period.value;
  outsidePoints_.clear();
  for (const Piece& p : pieces_) {
    for (const auto& [end, isEnd, closed] :
         {std::tuple{p.range.from, p.leftIsEnd, p.range.closedLeft},
          std::tuple{p.range.to, p.rightIsEnd, p.range.closedRight}}) {
      if (!isEnd || closed || !std::isfinite(end.value) || end.value < 0 || end.value > t ||
          SameX(end.value, t) || InD(end.value) || Contains(outsidePoints_, end.value)) {
        continue;
      }
      outsidePoints_.push_back(end);
    }
  }
  std::sort(outsidePoints_.begin(), outsidePoints_.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
  if (outsidePoints_.empty()) return;
  const Number q = outsidePoints_.back();
  if (SameX(outsidePoints_.front().value, 0)) {
    // 0 itself is outside D: the period ]0; T[ runs between two such points already.
    sheet_.periodWindow = Interval{Exact(0, "0"), period, false, false};
    return;
  }
  // Every end from q on must move one period back exactly, or nothing moves.
  std::vector<Piece> moved;
  for (const Piece& p : pieces_) {
    Piece c = p;
    if (c.range.from.value >= q.value || SameX(c.range.from.value, q.value)) {
      auto from = Shifted(c.range.from, period, -1);
      auto to = SameX(c.range.to.value, t) ? std::optional<Number>(Exact(0, "0"))
                                           : Shifted(c.range.to, period, -1);
      if (!from || !to) return;
      c.range.from = *from;
      c.range.to = *to;
    }
    moved.push_back(c);
  }
  auto start = Shifted(q, period, -1);
  if (!start) return;
  std::sort(moved.begin(), moved.end(),
            [](const Piece& a, const Piece& b) { return a.range.from.value < b.range.from.value; });
  // The piece that ended at T now ends at 0 and goes on in the piece that starts there.
  std::vector<Piece> joined;
  for (const Piece& c : moved) {
    if (!joined.empty() && SameX(joined.back().range.to.value, c.range.from.value) &&
        !joined.back().rightIsEnd && !c.leftIsEnd) {
      joined.back().range.to = c.range.to;
      joined.back().range.closedRight = c.range.closedRight;
      joined.back().rightIsEnd = c.rightIsEnd;
    } else {
      joined.push_back(c);
    }
  }
  pieces_ = joined;
  windowEnd_ = q;
  sheet_.periodWindow = Interval{*start, q, false, false};
}

Number Builder::IntoWindow(const Number& n) const {
  if (!windowEnd_ || !sheet_.parity.data.period) return n;
  if (n.value < windowEnd_->value && !SameX(n.value, windowEnd_->value)) return n;
  const Number& t = *sheet_.parity.data.period;
  if (auto m = Shifted(n, t, -1)) return *m;
  return Approx(n.value - t.value);
}

void Builder::FinishDomain() {
  DomainData& d = sheet_.domain.data;
  const auto& period = sheet_.parity.data.period;
  const bool whole = d.domain.intervals.size() == 1 &&
                     std::isinf(d.domain.intervals[0].from.value) &&
                     std::isinf(d.domain.intervals[0].to.value);
  if (period && !whole && !pieces_.empty()) {
    const std::string k = KTimes(*period);
    // Where D misses single points only, the condition names them; else each interval of
    // the period, moved by whole periods.
    bool pointsOnly = !outsidePoints_.empty();
    for (std::size_t i = 0; i + 1 < pieces_.size(); ++i) {
      pointsOnly = pointsOnly && SameX(pieces_[i].range.to.value, pieces_[i + 1].range.from.value);
    }
    const Interval& w = *sheet_.periodWindow;
    pointsOnly = pointsOnly && SameX(pieces_.front().range.from.value, w.from.value) &&
                 SameX(pieces_.back().range.to.value, w.to.value);
    std::string text;
    if (pointsOnly) {
      std::vector<std::string> parts = EveryPeriod(outsidePoints_, *period);
      for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? " ∧ " : "") + ("x ≠ " + parts[i]);
    } else {
      // A piece that goes on into the next period is no interval of D: nothing is written.
      bool cut = false;
      auto end = [&](const Number& n) { return SameX(n.value, 0) ? k : n.text + " + " + k; };
      for (const Piece& p : pieces_) {
        cut = cut || !p.leftIsEnd || !p.rightIsEnd;
        text += (text.empty() ? "" : " ∨ ") + end(p.range.from) +
                (p.range.closedLeft ? " ≤ x" : " < x") + (p.range.closedRight ? " ≤ " : " < ") +
                end(p.range.to);
      }
      if (cut) text.clear();
    }
    if (!text.empty()) {
      d.periodicCondition = text + ", k ∈ ℤ";
      d.domain.condition = d.periodicCondition;
      d.domain.intervals.clear();
      for (const Piece& p : pieces_) d.domain.intervals.push_back(p.range);
    }
  }
  FindDiscontinuities();
  sheet_.domain.determined = true;
  Done(sheet_.domain, SectionId::Domain);
}

ParityWhy Builder::WhyNoParity() const {
  // D symmetric about 0: each interval has its mirror among them, with the same closed ends.
  const auto& iv = sheet_.domain.data.domain.intervals;
  if (sheet_.parity.data.period) return ParityWhy::Compared;
  for (const Interval& i : iv) {
    const bool mirrored = std::any_of(iv.begin(), iv.end(), [&](const Interval& j) {
      return SameX(j.from.value, -i.to.value) && SameX(j.to.value, -i.from.value) &&
             j.closedLeft == i.closedRight && j.closedRight == i.closedLeft;
    });
    if (!mirrored) return ParityWhy::DomainNotSymmetric;
  }
  return ParityWhy::Compared;
}

// --- discontinuities ---------------------------------------------------------------------

std::optional<Number> Builder::CheckedLimit(const Number& at, Approach side) {
  auto a = Ask<std::optional<Number>>([&] { return engine_.Limit(Which::F, at, side); });
  if (a.determined && a.value && a.value->exact &&
      CheckLimit(at, side, *a.value) == Check::Confirmed)
    return a.value;
  if (a.determined && !a.value) {
    // The engine says there is none; the values must not settle.
    auto n = NumericLimit(at, side);
    return n && !std::isfinite(n->value) ? n : std::nullopt;
  }
  return NumericLimit(at, side);
}

void Builder::FindDiscontinuities() {
  auto& out = sheet_.domain.data.discontinuities;
  out.clear();
  for (std::size_t i = 0; i + 1 < pieces_.size(); ++i) {
    const Piece& l = pieces_[i];
    const Piece& r = pieces_[i + 1];
    if (!SameX(l.range.to.value, r.range.from.value) || l.range.closedRight || r.range.closedLeft ||
        !l.rightIsEnd || !r.leftIsEnd) {
      continue;
    }
    const Number& at = l.range.to;
    // A gap the scan found (its point a decimal) may be the scan's own: no kind is named there.
    if (!at.exact) continue;
    auto left = CheckedLimit(at, Approach::Left);
    auto right = CheckedLimit(at, Approach::Right);
    Discontinuity d;
    d.x = at;
    if (Finite(left) && Finite(right) && left->exact && right->exact) {
      const double a = left->value, b = right->value;
      if (std::fabs(a - b) <= 1e-9 * (1 + std::fabs(a))) {
        d.kind = DiscontinuityKind::Removable;
        d.limit = left;
      } else {
        d.kind = DiscontinuityKind::Jump;
        const std::optional<Number> jump = Shifted(*right, *left, -1);
        d.jump = jump ? *jump : Approx(b - a);
      }
    } else if ((left && !std::isfinite(left->value)) || (right && !std::isfinite(right->value))) {
      d.kind = DiscontinuityKind::Second;
    } else {
      // A one-sided limit that is not known, or two finite ones only the values give (they
      // cannot tell a jump from a hole), are no ground for naming the kind.
      continue;
    }
    out.push_back(d);
  }
}

// --- limits 0 from one side, and the side of the asymptotes ------------------------------

void Builder::MarkZeroLimits() {
  for (LimitItem& item : sheet_.limits.data.items) {
    // A decimal 0 keeps its "≈": only an exact 0 is written 0⁺ or 0⁻.
    if (!item.value || item.value->value != 0 || !item.value->exact) continue;
    // f must keep one sign all along the sequence that approaches the point.
    int sign = 0;
    bool keeps = true;
    for (int k = 1; k <= 9 && keeps; ++k) {
      const double near = std::pow(10.0, -k) * (1 + std::fabs(item.at.value));
      const double x = item.side == Approach::Left            ? item.at.value - near
                       : item.side == Approach::Right         ? item.at.value + near
                       : item.side == Approach::MinusInfinity ? -std::pow(10.0, k)
                                                              : std::pow(10.0, k);
      const double y = F(x);
      if (std::isnan(y)) continue;
      if (y == 0) continue;  // underflowed far out: says nothing of the side
      const int s = y > 0 ? 1 : -1;
      keeps = sign == 0 || s == sign;
      sign = s;
    }
    // The sign section, when found, must agree on the stretch next to the point.
    if (keeps && sign != 0 && sheet_.sign.determined) {
      const double x = item.side == Approach::MinusInfinity ? -1e300
                       : item.side == Approach::PlusInfinity
                           ? 1e300
                           : item.at.value + (item.side == Approach::Left ? -1 : 1) * 1e-12 *
                                                 (1 + std::fabs(item.at.value));
      for (const SignInterval& s : sheet_.sign.data.intervals) {
        if (x > s.range.from.value && x < s.range.to.value) {
          keeps = s.sign == (sign > 0 ? Sign::Plus : Sign::Minus);
        }
      }
    }
    if (!keeps || sign == 0) continue;
    item.value->text = sign > 0 ? "0⁺" : "0⁻";
    item.value->latex = sign > 0 ? "0^+" : "0^-";
  }
}

void Builder::MarkAsymptoteSides() {
  for (AsymptoteItem& a : sheet_.asymptotes.data.items) {
    if (a.kind == AsymptoteKind::Vertical) continue;
    if (a.q.text == "0⁺" || a.q.text == "0⁻") a.q = Exact(0, "0");
    const double s = a.side == Side::PlusInfinity ? 1 : -1;
    const double m = a.kind == AsymptoteKind::Horizontal ? 0 : a.m.value;
    int sign = 0, seen = 0;
    bool keeps = true;
    for (int k = 1; k <= 7; ++k) {
      const double x = s * (std::pow(10.0, k) + 0.37);
      const double y = F(x);
      if (std::isnan(y)) continue;
      const double line = m * x + a.q.value;
      const double diff = y - line;
      // A difference lost in the rounding of f says nothing.
      if (!(std::fabs(diff) > 1e-9 * (std::fabs(y) + std::fabs(line))) || diff == 0) continue;
      const int sg = diff > 0 ? 1 : -1;
      keeps = keeps && (sign == 0 || sg == sign);
      sign = sg;
      ++seen;
    }
    if (keeps && seen >= 2) a.from = sign;
  }
}

// --- points where f is not differentiable ------------------------------------------------

std::optional<Number> Builder::OneSidedDerivative(const Number& x, Approach side) {
  const double s = side == Approach::Left ? -1 : 1;
  const double f0 = F(x.value);
  if (std::isnan(f0)) return std::nullopt;
  // The difference quotients from that side, ever nearer the point.
  std::vector<double> q;
  for (int k = 3; k <= 8; ++k) {
    const double h = s * std::pow(10.0, -k) * (1 + std::fabs(x.value));
    const double y = F(x.value + h);
    if (!std::isnan(y)) q.push_back((y - f0) / h);
  }
  if (q.size() < 3) return std::nullopt;
  const double last = q.back(), before = q[q.size() - 2];
  // Growing without bound: one sign, and each of the last three at least 1.5 times the one
  // before (x^(2/3) at 0: h^(−1/3) gains 2.15 a decade), far past any value the others had.
  const double third = q[q.size() - 3];
  const bool grows = (last > 0) == (before > 0) && (before > 0) == (third > 0) &&
                     std::fabs(last) >= 1.5 * std::fabs(before) &&
                     std::fabs(before) >= 1.5 * std::fabs(third) && std::fabs(last) > 1e2;
  auto a = Ask<std::optional<Number>>([&] { return engine_.Limit(Which::D1, x, side); });
  if (a.determined && a.value && a.value->exact) {
    const Number& v = *a.value;
    const bool agrees = std::isinf(v.value)
                            ? grows && (v.value > 0) == (last > 0)
                            : std::fabs(last - v.value) <= 1e-4 * (1 + std::fabs(v.value));
    if (agrees) {
      Number out = v;
      if (out.text == "0⁺" || out.text == "0⁻") out = Exact(0, "0");
      return out;
    }
  }
  // What the quotients show: a value they settle to, or an infinity they grow to.
  if (std::fabs(last - before) <= 1e-4 * (1 + std::fabs(last))) return Approx(last);
  if (grows) {
    Number n = Infinity(last > 0);
    n.exact = false;
    return n;
  }
  return std::nullopt;
}

void Builder::PointsWithoutDerivative() {
  if (!d1_.ok()) return;
  std::vector<double> candidates = {0};
  for (const Piece& p : pieces_) {
    for (Which g : {Which::D1, Which::D2}) {
      if (g == Which::D2 && !d2_.ok()) continue;
      std::vector<double> zeros, jumps;
      ScanSignChanges(g, p.range.from.value, p.range.to.value, &zeros, &jumps);
      candidates.insert(candidates.end(), jumps.begin(), jumps.end());
    }
  }
  for (double c : candidates) {
    // Only a point written exactly, where our evaluator gives f a value and f′ none.
    auto x = RationalOrPiMultiple(Round12(c));
    if (!x || !InD(x->value) || Contains(notDiff_, x->value)) continue;
    if (std::isnan(F(x->value)) || !std::isnan(D1(x->value))) continue;
    notDiff_.push_back(*x);
  }
  std::sort(notDiff_.begin(), notDiff_.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
}

void Builder::NameNonDifferentiable() {
  auto& kinds = sheet_.derivative.data.kinds;
  kinds.clear();
  std::vector<Number> kept;
  for (const Number& x : notDiff_) {
    NonDifferentiablePoint p;
    p.x = x;
    const double h = 1e-7 * (1 + std::fabs(x.value));
    const bool hasLeft = InD(x.value - h), hasRight = InD(x.value + h);
    if (hasLeft) p.left = OneSidedDerivative(x, Approach::Left);
    if (hasRight) p.right = OneSidedDerivative(x, Approach::Right);
    if (hasLeft && hasRight && p.left && p.right) {
      const double l = p.left->value, r = p.right->value;
      if (std::isinf(l) && std::isinf(r)) {
        p.kind = (l > 0) == (r > 0) ? NonDifferentiableKind::VerticalInflection
                                    : NonDifferentiableKind::Cusp;
      } else if (std::isfinite(l) && std::isfinite(r) &&
                 std::fabs(l - r) <= 1e-6 * (1 + std::fabs(l))) {
        // f is continuous at x and f′ has the same limit on both sides: f is differentiable
        // there, with that derivative; only the written f′ has no value at x (1/tg(x) at π/2).
        continue;
      } else {
        p.kind = NonDifferentiableKind::Corner;
      }
    } else if (hasLeft != hasRight) {
      const auto& one = hasLeft ? p.left : p.right;
      if (one && std::isinf(one->value)) p.kind = NonDifferentiableKind::VerticalTangent;
    }
    kinds.push_back(p);
    kept.push_back(x);
  }
  notDiff_ = kept;
}

// --- for every period --------------------------------------------------------------------

void Builder::PeriodicZeros() {
  const auto& period = sheet_.parity.data.period;
  if (!period || zeros_.empty()) return;
  sheet_.intercepts.data.periodicZeros =
      Alternatives("x = ", EveryPeriod(zeros_, *period)) + ", k ∈ ℤ";
}

void Builder::PeriodicAsymptotes() {
  const auto& period = sheet_.parity.data.period;
  if (!period) return;
  std::vector<Number> xs;
  for (const AsymptoteItem& a : sheet_.asymptotes.data.items) {
    if (a.kind == AsymptoteKind::Vertical) xs.push_back(a.x);
  }
  if (xs.empty()) return;
  sheet_.asymptotes.data.periodicVertical =
      Alternatives("x = ", EveryPeriod(xs, *period)) + ", k ∈ ℤ";
}

// --- the graph ---------------------------------------------------------------------------

void Builder::GraphHolesAndTicks() {
  for (const Discontinuity& d : sheet_.domain.data.discontinuities) {
    if (d.kind != DiscontinuityKind::Removable || !d.limit) continue;
    const Point p{d.x, *d.limit};
    sheet_.points.push_back({p, PointKind::Hole, PointText(p)});
  }
}

bool Builder::IdenticallyZero(Which g) const {
  if (g == Which::D1) return sheet_.derivative.determined && sheet_.derivative.data.d1.text == "0";
  if (g == Which::D2) {
    return sheet_.secondDerivative.determined && sheet_.secondDerivative.data.d2.text == "0";
  }
  return false;
}

}  // namespace curvalis::study::sheet_build
