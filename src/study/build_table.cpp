// The table of variations and the graph's points and view, from the sections already built.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

void Builder::BuildTable() {
  VariationTable& t = sheet_.table;
  sheet_.tableReady = true;
  // Without the trend there are no arrows to draw: the table is not determined.
  if (!sheet_.monotonicity.determined) return;
  std::vector<Number> xs;
  auto add = [&](const Number& n) {
    if (!Contains(xs, n.value)) xs.push_back(n);
  };
  for (const Piece& p : pieces_) {
    add(p.range.from);
    add(p.range.to);
  }
  for (const auto* list : {&d1Zeros_, &notDiff_, &d2Zeros_}) {
    for (const Number& n : *list) {
      if (InD(n.value)) add(n);
    }
  }
  for (const auto& e : sheet_.extrema.data.items) add(e.p.x);
  for (const auto& i : sheet_.inflections.data.items) add(i.p.x);
  for (const auto& b : trendBounds_) add(b.x);
  std::sort(xs.begin(), xs.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
  t.xs = xs;
  t.hasD1 = sheet_.monotonicity.determined;
  t.hasD2 = sheet_.concavity.determined;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double x = xs[i].value;
    const bool in = InD(x);
    auto at = [&](const std::vector<Number>& zeros, double v) {
      if (std::isinf(x)) return Sign::None;
      if (!in || Contains(notDiff_, x)) return Sign::Undefined;
      if (Contains(zeros, x)) return Sign::Zero;
      return SignOf(v);
    };
    t.d1AtPoint.push_back(at(d1Zeros_, in ? D1(x) : kNaN));
    t.d2AtPoint.push_back(at(d2Zeros_, in ? D2(x) : kNaN));
    TableFCell cell;
    cell.inDomain = in;
    if (in || (sheet_.periodWindow && sheet_.periodWindow->closedLeft &&
               SameX(x, sheet_.periodWindow->to.value) && InD(0))) {
      cell.value = ValueOf(xs[i]);
    } else if (std::isinf(x)) {
      if (x < 0) cell.right = LimitAt(x, Approach::MinusInfinity);
      if (x > 0) cell.left = LimitAt(x, Approach::PlusInfinity);
    } else {
      cell.left = LimitAt(x, Approach::Left);
      cell.right = LimitAt(x, Approach::Right);
    }
    t.f.push_back(cell);
    if (i + 1 < xs.size()) {
      const double m = Inside(x, xs[i + 1].value);
      const bool defined = !std::isnan(F(m));
      const Sign s1 = defined ? SignOf(D1(m)) : Sign::Undefined;
      t.d1OnInterval.push_back(s1);
      t.d2OnInterval.push_back(defined ? SignOf(D2(m)) : Sign::Undefined);
      t.arrows.push_back(s1 == Sign::Plus    ? Arrow::Up
                         : s1 == Sign::Minus ? Arrow::Down
                         : s1 == Sign::Zero  ? Arrow::Flat
                                             : Arrow::None);
    }
  }
}

void Builder::BuildGraph() {
  auto add = [&](const Point& p, PointKind kind) {
    for (const GraphPoint& g : sheet_.points) {
      if (SameX(g.p.x.value, p.x.value) && SameX(g.p.y.value, p.y.value)) return;
    }
    sheet_.points.push_back({p, kind, PointText(p)});
  };
  GraphHolesAndTicks();
  for (const auto& e : sheet_.extrema.data.items)
    add(e.p, e.maximum ? PointKind::Maximum : PointKind::Minimum);
  for (const auto& i : sheet_.inflections.data.items) add(i.p, PointKind::Inflection);
  for (const Number& c : notDiff_) {
    if (auto y = ValueOf(c)) add({c, *y}, PointKind::Corner);
  }
  for (const Piece& p : pieces_) {
    for (const auto& [closed, end] : {std::pair{p.range.closedLeft, p.range.from},
                                      std::pair{p.range.closedRight, p.range.to}}) {
      if (closed && std::isfinite(end.value)) {
        if (auto y = ValueOf(end)) add({end, *y}, PointKind::DomainEnd);
      }
    }
  }
  for (const Point& p : sheet_.intercepts.data.points) add(p, PointKind::Intercept);
  std::vector<double> xs, ys;
  for (const GraphPoint& g : sheet_.points) {
    xs.push_back(g.p.x.value);
    ys.push_back(g.p.y.value);
  }
  for (const auto& a : sheet_.asymptotes.data.items) {
    if (a.kind == AsymptoteKind::Vertical) xs.push_back(a.x.value);
    if (a.kind == AsymptoteKind::Horizontal) ys.push_back(a.q.value);
  }
  if (sheet_.periodWindow) {
    xs.push_back(sheet_.periodWindow->from.value);
    xs.push_back(sheet_.periodWindow->to.value);
  }
  // A value too large to share a view with the others (f at a closed end of D near a pole of
  // e^(1/x), about 10^308) is left out of it, so the view stays finite.
  auto span = [](std::vector<double> v, double* lo, double* hi) {
    v.erase(std::remove_if(v.begin(), v.end(),
                           [](double d) { return !std::isfinite(d) || std::fabs(d) > 1e12; }),
            v.end());
    if (v.empty()) v = {0};
    *lo = *std::min_element(v.begin(), v.end());
    *hi = *std::max_element(v.begin(), v.end());
    const double width = std::max(*hi - *lo, 2.0) * 1.3;
    const double mid = (*lo + *hi) / 2;
    *lo = mid - width / 2;
    *hi = mid + width / 2;
  };
  span(xs, &sheet_.view.left, &sheet_.view.right);
  // Beside a vertical asymptote the branches must be seen leaving the frame: the heights of f
  // a little way (6% of the view's width) from each such line join the range, as far as the
  // noteworthy points' own span (at least 2) beyond it on either side.
  double low = 0, high = 0;
  span(ys, &low, &high);
  const double reach = std::max(high - low, 2.0);
  const double step = 0.06 * (sheet_.view.right - sheet_.view.left);
  for (const auto& a : sheet_.asymptotes.data.items) {
    if (a.kind != AsymptoteKind::Vertical || !std::isfinite(a.x.value)) continue;
    for (double x : {a.x.value - step, a.x.value + step}) {
      const double y = F(x);
      if (std::isfinite(y)) ys.push_back(std::clamp(y, low - reach, high + reach));
    }
  }
  span(ys, &sheet_.view.bottom, &sheet_.view.top);
  // A periodic f: ticks in multiples of π/2, or π/4 over a short view, or π over a long one.
  if (sheet_.parity.data.period) {
    const double width = sheet_.view.right - sheet_.view.left;
    sheet_.view.piStep = width < 6 ? M_PI / 4 : width > 16 ? M_PI : M_PI / 2;
  }
}

}  // namespace curvalis::study::sheet_build
