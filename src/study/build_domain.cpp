// The sections Dominio, Simmetrie, Intersezioni and Segno: the engine's answers checked
// against a scan of f, and what the scan finds where the engine gives none.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

bool Builder::CheckDomain(const Domain& d) {
  if (d.intervals.empty()) return false;
  std::vector<Piece> saved = pieces_;
  pieces_.clear();
  for (const Interval& i : d.intervals) pieces_.push_back({i, true, true});
  bool ok = true;
  for (double x : TestPoints()) ok = ok && HasValueOrOverflows(x);
  for (const Interval& i : d.intervals) {
    if (i.from.value > i.to.value) ok = false;
    if (i.closedLeft && std::isnan(F(i.from.value))) ok = false;
    if (i.closedRight && std::isnan(F(i.to.value))) ok = false;
  }
  ok = ok && DomainAgrees(d);
  pieces_ = saved;
  return ok;
}

std::vector<Interval> Builder::ScanDomain(double a, double b) {
  constexpr int kSamples = 4000;
  std::vector<double> xs, ys;
  Grid(Which::F, a, b, kSamples + 1, &xs, &ys);
  std::vector<Interval> out;
  auto end = [&](double defined, double undefined) {
    for (int k = 0; k < 200; ++k) {
      const double mid = defined + (undefined - defined) / 2;
      if (mid == defined || mid == undefined) break;
      (std::isnan(F(mid)) ? undefined : defined) = mid;
    }
    return std::fabs(defined) < 1e-9 ? 0.0 : defined;
  };
  double runStart = kNaN;  // where the run of defined samples being read begins
  bool startOpenToInf = false;
  double prevX = kNaN;
  bool prevDefined = false;
  for (int i = 0; i <= kSamples + 1; ++i) {
    const bool past = i > kSamples;
    const double x = past ? kNaN : xs[i];
    const bool defined = !past && !std::isnan(ys[i]);
    if (defined && !prevDefined) {
      if (i == 0) {
        startOpenToInf = std::isinf(a);
        runStart = std::isinf(a) ? -kInf : a;
      } else {
        runStart = end(x, prevX);
        startOpenToInf = false;
      }
    } else if (!defined && prevDefined) {
      Interval r;
      if (startOpenToInf) {
        r.from = Infinity(false);
      } else {
        r.from = Approx(runStart);
        r.closedLeft = !std::isnan(F(runStart));
      }
      if (past) {
        r.to = std::isinf(b) ? Infinity(true) : Approx(b);
      } else {
        const double e = end(prevX, x);
        r.to = Approx(e);
        r.closedRight = !std::isnan(F(e));
      }
      out.push_back(r);
    }
    prevX = x;
    prevDefined = defined;
  }
  return out;
}

std::vector<Interval> Builder::SplitAtHoles(const std::vector<Interval>& intervals) {
  std::vector<Interval> out;
  for (Interval i : intervals) {
    for (double j : Jumps(i.from.value, i.to.value)) {
      const double r = Round12(j);
      if (!std::isnan(F(r)) || !(r > i.from.value && r < i.to.value)) continue;
      Interval left = i;
      left.to = Approx(r);
      left.closedRight = false;
      out.push_back(left);
      i.from = Approx(r);
      i.closedLeft = false;
    }
    out.push_back(i);
  }
  return out;
}

void Builder::BuildDomain() {
  auto a = domainAnswer_ ? *domainAnswer_ : Ask<Domain>([&] { return engine_.DomainOf(Which::F); });
  DomainData& d = sheet_.domain.data;
  std::optional<Domain> conditions;
  if (a.determined && CheckDomain(a.value)) {
    d.domain = a.value;
  } else if (elementary_ && (conditions = DomainOfConditions()) && CheckDomain(*conditions)) {
    // The engine's domain disagrees with the values: the conditions of existence decide.
    d.domain = *conditions;
  } else {
    d.domain.condition.clear();
    d.domain.intervals = SplitAtHoles(ScanDomain(-kInf, kInf));
  }
  for (const Interval& i : d.domain.intervals) pieces_.push_back({i, true, true});
  // A periodic f defined on the whole of one period [0; T[ is defined everywhere: the section
  // says so, while the sections from the intercepts on study that period only.
  const auto& iv = d.domain.intervals;
  if (iv.size() == 1 && iv[0].from.value == 0 && iv[0].closedLeft && !iv[0].closedRight &&
      std::isfinite(iv[0].to.value) && iv[0].to.value > 0) {
    const double t = iv[0].to.value;
    if (!std::isnan(F(-0.37 * t)) && !std::isnan(F(1.37 * t))) {
      d.domain = Domain{"x ∈ ℝ", {Interval{Infinity(false), Infinity(true), false, false}}};
    }
  }
  // Done once the period is known (FinishDomain): a periodic f writes its domain for every
  // period, and the discontinuities are read in the period studied.
  sheet_.domain.determined = true;
}

Parity Builder::NumericParity() {
  const std::vector<double> xs = {0.37, 1.1,  1.9, 2.7, 3.3, 4.6, 7.2,
                                  12.5, 0.05, 0.5, 1.0, 2.0, 3.0};
  auto f = [this](double x) { return F(x); };
  return SymmetryHolds(f, xs, false)  ? Parity::Even
         : SymmetryHolds(f, xs, true) ? Parity::Odd
                                      : Parity::None;
}

void Builder::BuildParity() {
  auto a = Ask<Symmetry>([&] { return engine_.SymmetryOf(); });
  ParityData& d = sheet_.parity.data;
  d.parity = NumericParity();
  // The engine's period passes when the values of f repeat after it.
  const double t = a.determined && a.value.period ? a.value.period->value : 0;
  if (t > 0 && std::isfinite(t) &&
      PeriodHolds([this](double x) { return F(x); }, t, {0.37, 1.1, -1.9, 2.7, -3.3, 4.6})) {
    d.period = a.value.period;
  }
  sheet_.parity.determined = true;
  if (d.period) {
    const Interval w{Exact(0, "0"), *d.period, true, false};
    sheet_.periodWindow = w;
    std::vector<Piece> clipped;
    for (const Piece& p : pieces_) {
      Piece c = p;
      if (c.range.to.value <= 0 || c.range.from.value >= t) continue;
      if (c.range.from.value < 0) {
        c.range.from = w.from;
        c.range.closedLeft = true;
        c.leftIsEnd = false;
      }
      if (c.range.to.value > t || SameX(c.range.to.value, t)) {
        c.range.to = w.to;
        c.range.closedRight = false;
        c.rightIsEnd = false;
      }
      // The engine may give the domain inside the period already: 0 and T are ends of D only
      // where f has no value beyond them (T stands for 0 one period on).
      if (SameX(c.range.from.value, 0) && c.range.closedLeft) {
        c.leftIsEnd = std::isnan(F(-1e-7 * t));
      }
      clipped.push_back(c);
    }
    pieces_ = clipped;
    // T belongs to D exactly when 0 does (a pole at 0 is a pole at T, whatever rounding
    // leaves of f(T)): an interval that ends at T ends at a point of D only then.
    const bool zeroIn = InD(0);
    for (Piece& c : pieces_) {
      if (SameX(c.range.to.value, t)) c.rightIsEnd = !zeroIn;
    }
    MovePeriodWindow(*d.period);
  }
  if (d.parity == Parity::None) d.why = WhyNoParity();
  FinishDomain();
  Done(sheet_.parity, SectionId::Parity);
}

void Builder::BuildIntercepts() {
  zeros_ = Roots(Which::F);
  InterceptsData& d = sheet_.intercepts.data;
  if (InD(0)) {
    if (auto y = ValueOf(Exact(0, "0"))) d.points.push_back({Exact(0, "0"), *y});
  }
  for (const Number& z : zeros_) {
    if (!d.points.empty() && SameX(z.value, 0) && SameX(d.points.front().x.value, 0)) continue;
    d.points.push_back({z, Exact(0, "0")});
    values_.emplace_back(z.value, Exact(0, "0"));
  }
  PeriodicZeros();
  sheet_.intercepts.determined = true;
  Done(sheet_.intercepts, SectionId::Intercepts);
}

std::vector<Stretch> Builder::Runs(const Piece& p, std::vector<Number> cuts, Which g) {
  std::vector<Number> inside;
  for (const Number& c : cuts) {
    if (Interior(p, c.value) && !Contains(inside, c.value)) inside.push_back(c);
  }
  std::vector<double> zeros, jumps;
  ScanSignChanges(g, p.range.from.value, p.range.to.value, &zeros, &jumps);
  for (double z : zeros) jumps.push_back(z);
  for (double j : jumps) {
    if (Interior(p, j) && !Contains(inside, j)) inside.push_back(Approx(j));
  }
  std::sort(inside.begin(), inside.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
  std::vector<Stretch> out;
  Number from = p.range.from;
  for (std::size_t i = 0; i <= inside.size(); ++i) {
    const Number to = i < inside.size() ? inside[i] : p.range.to;
    out.push_back({from, to, SignOf(G(g, Inside(from.value, to.value)))});
    if (!SignHolds(g, from.value, to.value, out.back().sign)) runsDoubtful_ = true;
    from = to;
  }
  return out;
}

bool Builder::SignHolds(Which g, double a, double b, Sign sign) {
  if (sign == Sign::Undefined) return true;
  std::vector<double> xs, all, ys;
  Grid(g, a, b, 64, &xs, &all);
  double largest = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (!(xs[i] > a && xs[i] < b) || std::isnan(all[i])) continue;
    ys.push_back(all[i]);
    largest = std::max(largest, std::fabs(all[i]));
  }
  // Rounding near a cut may leave a value of either sign that is tiny beside the others.
  const double noise = std::max(1e-13, 1e-9 * largest);
  for (const double y : ys) {
    if (sign == Sign::Zero ? std::fabs(y) > 1e-13 : (sign == Sign::Plus ? y < -noise : y > noise)) {
      return false;
    }
  }
  return true;
}

void Builder::BuildSign() {
  SignData& d = sheet_.sign.data;
  for (const Piece& p : pieces_) {
    for (double j : Jumps(p.range.from.value, p.range.to.value)) {
      if (!std::isnan(F(Round12(j)))) jumps_.push_back(j);
    }
    std::sort(jumps_.begin(), jumps_.end(),
              [](double a, double b) { return std::fabs(a) < std::fabs(b); });
    runsDoubtful_ = false;
    auto runs = Runs(p, zeros_, Which::F);
    // No value inside D: f only overflows there, and its sign is not known.
    bool overflow = false;
    for (const Stretch& r : runs) {
      overflow = overflow || (r.sign == Sign::Undefined &&
                              HasValueOrOverflows(Inside(r.from.value, r.to.value)));
    }
    if (overflow || runsDoubtful_) {
      sheet_.sign.data.intervals.clear();
      Undetermined(sheet_.sign, SectionId::Sign, overflow ? kOverflow : kSignDoubtful);
      return;
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const bool closedLeft = i == 0 && p.range.closedLeft && !Contains(zeros_, p.range.from.value);
      const bool closedRight =
          i + 1 == runs.size() && p.range.closedRight && !Contains(zeros_, p.range.to.value);
      d.intervals.push_back({{runs[i].from, runs[i].to, closedLeft, closedRight},
                             runs[i].sign == Sign::Undefined ? Sign::Zero : runs[i].sign});
    }
  }
  sheet_.sign.determined = true;
  Done(sheet_.sign, SectionId::Sign);
}

}  // namespace curvalis::study::sheet_build
