// The sections Limiti and Asintoti: each limit asked of the engine and checked against the
// values of f along a sequence that approaches the point; the lines f approaches far out.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

std::optional<double> Builder::Approaching(const Number& at, Approach side, double* last) {
  std::vector<double> ys;
  for (int k = 2; k <= 8; ++k) {
    const double step = std::pow(10.0, -k);
    double x = 0;
    switch (side) {
      case Approach::Left:
        x = at.value - step * (1 + std::fabs(at.value));
        break;
      case Approach::Right:
        x = at.value + step * (1 + std::fabs(at.value));
        break;
      case Approach::MinusInfinity:
        x = -std::pow(10.0, k);
        break;
      case Approach::PlusInfinity:
        x = std::pow(10.0, k);
        break;
    }
    const double y = F(x);
    if (!std::isnan(y)) ys.push_back(y);
  }
  if (ys.empty()) return std::nullopt;
  *last = ys.back();
  return ys.size() >= 2 ? ys[ys.size() - 2] : ys.back();
}

bool Builder::CheckLimit(const Number& at, Approach side, const Number& value) {
  double last = kNaN;
  auto before = Approaching(at, side, &last);
  if (!before) return false;
  if (std::isinf(value.value)) {
    return (value.value > 0 ? last > 1e3 : last < -1e3) &&
           std::fabs(last) >= std::fabs(*before) * 0.999;
  }
  return std::fabs(last - value.value) <= 1e-3 * (1 + std::fabs(value.value));
}

std::optional<Number> Builder::NumericLimit(const Number& at, Approach side) {
  double last = kNaN;
  auto before = Approaching(at, side, &last);
  if (!before) return std::nullopt;
  if (std::fabs(last - *before) <= 1e-6 * (1 + std::fabs(last))) return Approx(last);
  if (std::fabs(last) > 1e6 && std::fabs(last) > std::fabs(*before) &&
      (last > 0) == (*before > 0)) {
    Number n = Infinity(last > 0);
    n.exact = false;
    return n;
  }
  return std::nullopt;
}

void Builder::AddLimit(const Number& at, Approach side) {
  auto a = Ask<std::optional<Number>>([&] { return engine_.Limit(Which::F, at, side); });
  LimitItem item{at, side, std::nullopt};
  if (a.determined && a.value) {
    if (a.value->exact && CheckLimit(at, side, *a.value)) {
      item.value = a.value;
    } else {
      item.value = NumericLimit(at, side);
      if (!item.value) return;
    }
  } else if (a.determined) {
    // The engine says there is no limit; the values must not settle.
    if (auto n = NumericLimit(at, side); n && std::isfinite(n->value)) {
      unknownBound_ = true;
      return;
    }
  } else {
    item.value = NumericLimit(at, side);
    if (!item.value) {
      unknownBound_ = true;
      return;
    }
  }
  if (!item.value) unknownBound_ = true;
  sheet_.limits.data.items.push_back(item);
}

void Builder::BuildLimits() {
  for (const Piece& p : pieces_) {
    const Interval& r = p.range;
    if (std::isinf(r.from.value)) {
      AddLimit(r.from, Approach::MinusInfinity);
    } else if (!r.closedLeft && p.leftIsEnd) {
      AddLimit(r.from, Approach::Right);
    }
    if (std::isinf(r.to.value)) {
      AddLimit(r.to, Approach::PlusInfinity);
    } else if (!r.closedRight && p.rightIsEnd) {
      AddLimit(r.to, Approach::Left);
    }
  }
  // At a gap the left limit comes before the right one, as the student reads along x.
  auto& items = sheet_.limits.data.items;
  std::stable_sort(items.begin(), items.end(), [](const LimitItem& a, const LimitItem& b) {
    auto key = [](const LimitItem& i) {
      return i.side == Approach::MinusInfinity  ? -kInf
             : i.side == Approach::PlusInfinity ? kInf
                                                : i.at.value;
    };
    if (key(a) != key(b)) return key(a) < key(b);
    return a.side == Approach::Left && b.side != Approach::Left;
  });
  MarkZeroLimits();
  sheet_.limits.determined = true;
  Done(sheet_.limits, SectionId::Limits);
}

std::optional<Number> Builder::LimitAt(double x, Approach side) const {
  for (const LimitItem& i : sheet_.limits.data.items) {
    if (i.side != side) continue;
    if (side == Approach::MinusInfinity || side == Approach::PlusInfinity || SameX(i.at.value, x)) {
      return i.value;
    }
  }
  return std::nullopt;
}

bool Builder::CheckLine(bool plus, const Line& l) {
  // Far abscissas that are no whole numbers, where a step function agrees with a line.
  const double s = plus ? 1 : -1;
  return LineHolds([this](double x) { return F(x); }, l.m.value, l.q.value,
                   {s * 1234567.89, s * 9876543.21});
}

void Builder::BuildAsymptotes() {
  auto& items = sheet_.asymptotes.data.items;
  for (const LimitItem& l : sheet_.limits.data.items) {
    if (!l.value || !std::isinf(l.value->value)) continue;
    if (l.side != Approach::Left && l.side != Approach::Right) continue;
    const Side side = l.side == Approach::Left ? Side::Left : Side::Right;
    auto same = std::find_if(items.begin(), items.end(), [&](const AsymptoteItem& a) {
      return a.kind == AsymptoteKind::Vertical && SameX(a.x.value, l.at.value);
    });
    if (same != items.end()) {
      same->side = Side::Both;
    } else {
      AsymptoteItem a;
      a.kind = AsymptoteKind::Vertical;
      a.x = l.at;
      a.side = side;
      items.push_back(a);
    }
  }
  for (bool plus : {false, true}) {
    const bool unbounded =
        !pieces_.empty() && (plus ? std::isinf(pieces_.back().range.to.value)
                                  : std::isinf(pieces_.front().range.from.value));
    if (!unbounded) continue;
    auto a = Ask<std::optional<Line>>([&] { return engine_.Asymptote(plus); });
    std::optional<Line> line;
    if (a.determined && a.value && CheckLine(plus, *a.value)) {
      line = a.value;
    } else if (!a.determined || a.value) {
      // No line from the engine, or one our values refuse: a finite limit is still a
      // horizontal asymptote.
      auto l = LimitAt(0, plus ? Approach::PlusInfinity : Approach::MinusInfinity);
      if (l && std::isfinite(l->value)) line = Line{Exact(0, "0"), *l};
    }
    if (!line) continue;
    AsymptoteItem item;
    item.kind = line->m.value == 0 ? AsymptoteKind::Horizontal : AsymptoteKind::Oblique;
    item.side = plus ? Side::PlusInfinity : Side::MinusInfinity;
    item.m = line->m;
    item.q = line->q;
    items.push_back(item);
  }
  MarkAsymptoteSides();
  PeriodicAsymptotes();
  sheet_.asymptotes.determined = true;
  Done(sheet_.asymptotes, SectionId::Asymptotes);
}

}  // namespace curvalis::study::sheet_build
