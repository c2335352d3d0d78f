// The sections Limiti and Asintoti: each limit asked of the engine and checked against the
// values of f along a sequence that approaches the point; the lines f approaches far out.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

namespace {

double Point(const Number& at, Approach side) {
  return side == Approach::MinusInfinity ? -kInf : side == Approach::PlusInfinity ? kInf : at.value;
}

int Dir(Approach side) {
  return side == Approach::Left ? -1 : side == Approach::Right ? 1 : 0;
}

// Why a limit the engine gave is not shown, nor one found in its place.
constexpr const char* kLimitRefuted =
    "non determinato: i valori di f contraddicono il limite trovato e non ne indicano un altro";
constexpr const char* kLimitNotFound = "non determinato: i valori di f non indicano un limite";

}  // namespace

Check Builder::CheckLimit(const Number& at, Approach side, const Number& value) {
  return study::CheckLimit([this](double x) { return F(x); }, Point(at, side), Dir(side),
                           value.value);
}

std::optional<Number> Builder::NumericLimit(const Number& at, Approach side) {
  auto v = LimitOfValues([this](double x) { return F(x); }, Point(at, side), Dir(side));
  if (!v) return std::nullopt;
  if (std::isfinite(*v)) return Approx(*v);
  Number n = Infinity(*v > 0);
  n.exact = false;
  return n;
}

void Builder::AddLimit(const Number& at, Approach side) {
  auto a = Ask<std::optional<Number>>([&] { return engine_.Limit(Which::F, at, side); });
  LimitItem item{at, side, std::nullopt, {}};
  if (a.determined && a.value) {
    // The engine proposes, our values confirm: confirmed is shown as given, unconfirmed as
    // given and marked, refuted is replaced by what the values show.
    switch (CheckLimit(at, side, *a.value)) {
      case Check::Confirmed:
        item.value = a.value;
        break;
      case Check::Unconfirmed:
        item.value = a.value;
        item.value->checked = false;
        break;
      case Check::Refuted:
        item.value = NumericLimit(at, side);
        if (!item.value) item.reason = kLimitRefuted;
        break;
    }
  } else if (a.determined) {
    // The engine says there is no limit; values that settle say otherwise.
    if (auto n = NumericLimit(at, side); n && std::isfinite(n->value)) item.value = n;
  } else {
    item.value = NumericLimit(at, side);
    if (!item.value) item.reason = a.why == Reason::None ? kLimitNotFound : a.reason();
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

void Builder::BuildAsymptotes() {
  auto& items = sheet_.asymptotes.data.items;
  for (const LimitItem& l : sheet_.limits.data.items) {
    if (!l.value || !std::isinf(l.value->value)) continue;
    if (l.side != Approach::Left && l.side != Approach::Right) continue;
    auto same = std::find_if(items.begin(), items.end(), [&](const AsymptoteItem& a) {
      return a.kind == AsymptoteKind::Vertical && SameX(a.x.value, l.at.value);
    });
    if (same != items.end()) {
      same->side = Side::Both;
    } else {
      AsymptoteItem a;
      a.kind = AsymptoteKind::Vertical;
      a.x = l.at;
      a.side = l.side == Approach::Left ? Side::Left : Side::Right;
      items.push_back(a);
    }
  }
  for (bool plus : {false, true}) {
    const bool unbounded =
        !pieces_.empty() && (plus ? std::isinf(pieces_.back().range.to.value)
                                  : std::isinf(pieces_.front().range.from.value));
    if (!unbounded) continue;
    auto a = Ask<std::optional<Line>>([&] { return engine_.Asymptote(plus); });
    const Check check = a.determined && a.value
                            ? CheckLine([this](double x) { return F(x); }, plus ? 1 : -1,
                                        a.value->m.value, a.value->q.value)
                            : Check::Refuted;
    std::optional<Line> line;
    if (check == Check::Confirmed) line = a.value;
    // A finite limit at this side is a horizontal asymptote, whatever the engine says of lines
    // (far out, where e^x overflows, its own test may have found no values).
    auto l = LimitAt(0, plus ? Approach::PlusInfinity : Approach::MinusInfinity);
    if (!line && l && std::isfinite(l->value)) line = Line{Exact(0, "0"), *l};
    if (!line && check == Check::Unconfirmed) {
      line = a.value;
      line->m.checked = line->q.checked = false;
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
