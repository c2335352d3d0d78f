// The scans of the sheet over our own evaluator: f, f′ and f″ on grids, the test points of
// the domain, sign changes, jumps, roots refined and checked, and values at exact points.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

double Builder::D1(double x) {
  if (d1_.ok()) return d1_(x);
  const double h = 1e-6 * (1 + std::fabs(x));
  const double a = F(x - h), b = F(x + h);
  return std::isnan(a) || std::isnan(b) ? kNaN : (b - a) / (2 * h);
}

double Builder::D2(double x) {
  if (d2_.ok()) return d2_(x);
  const double h = 1e-4 * (1 + std::fabs(x));
  const double a = D1(x - h), b = D1(x + h);
  return std::isnan(a) || std::isnan(b) ? kNaN : (b - a) / (2 * h);
}

void Builder::Grid(Which g, double a, double b, int n, std::vector<double>* xs,
                   std::vector<double>* ys) {
  const double ta = std::isinf(a) ? -M_PI / 2 : std::atan(a);
  const double tb = std::isinf(b) ? M_PI / 2 : std::atan(b);
  xs->resize(n);
  ys->resize(n);
  for (int i = 0; i < n; ++i) (*xs)[i] = std::tan(ta + (tb - ta) * (i + 0.5) / n);
  Fn& fn = g == Which::F ? f_ : g == Which::D1 ? d1_ : d2_;
  if (fn.ok()) return fn.Many(xs->data(), ys->data(), n);
  for (int i = 0; i < n; ++i) (*ys)[i] = G(g, (*xs)[i]);
}

bool Builder::InD(double x) const {
  if (!std::isfinite(x)) return false;
  for (const Piece& p : pieces_) {
    const Interval& r = p.range;
    const bool afterFrom = x > r.from.value || (r.closedLeft && SameX(x, r.from.value));
    const bool beforeTo = x < r.to.value || (r.closedRight && SameX(x, r.to.value));
    if (afterFrom && beforeTo) return true;
  }
  return false;
}

bool Builder::Interior(const Piece& p, double x) const {
  return x > p.range.from.value && x < p.range.to.value && !SameX(x, p.range.from.value) &&
         !SameX(x, p.range.to.value);
}

std::vector<double> Builder::TestPoints() const {
  std::vector<double> out;
  for (const Piece& p : pieces_) {
    const double a = p.range.from.value, b = p.range.to.value;
    const double m = Inside(a, b);
    out.push_back(m);
    out.push_back(Inside(a, m));
    out.push_back(Inside(m, b));
  }
  return out;
}

void Builder::ScanSignChanges(Which g, double a, double b, std::vector<double>* zeros,
                              std::vector<double>* jumps) {
  std::vector<double> xs, ys;
  Grid(g, a, b, 2000, &xs, &ys);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (!(xs[i] > a && xs[i] < b) || std::isnan(ys[i])) continue;
    xs[kept] = xs[i];
    ys[kept++] = ys[i];
  }
  xs.resize(kept);
  ys.resize(kept);
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double x = xs[i], y = ys[i];
    if (y == 0) {
      // A sample that is exactly 0 is a zero when both its neighbours are not: a run of zeros
      // is a stretch where g is 0, not a list of points. The first and last samples have a
      // neighbour on one side only, and far out that is where a value that only underflows
      // (x·e^(−x) beyond 745) turns 0: no zero is read there.
      const bool inner = i > 0 && i + 1 < xs.size();
      if (inner && ys[i - 1] != 0 && ys[i + 1] != 0) zeros->push_back(x);
      continue;
    }
    if (i == 0 || ys[i - 1] == 0 || (ys[i - 1] < 0) == (y < 0)) continue;
    const double prevY = ys[i - 1];
    double lo = xs[i - 1], hi = x, ylo = prevY;
    for (int k = 0; k < 200 && lo < hi; ++k) {
      const double mid = lo + (hi - lo) / 2;
      if (mid <= lo || mid >= hi) break;
      const double ym = G(g, mid);
      if (std::isnan(ym)) {
        // An undefined point inside: the change is at its edge; follow the left side.
        hi = mid;
        continue;
      }
      if (ym == 0) {
        lo = hi = mid;
        break;
      }
      if ((ym < 0) == (ylo < 0)) {
        lo = mid;
        ylo = ym;
      } else {
        hi = mid;
      }
    }
    const double root = std::fabs(lo) < 1e-12 ? 0 : lo;
    const double gl = G(g, lo), gh = G(g, hi);
    const double scale = 1 + std::fabs(prevY) + std::fabs(y);
    const bool zero = std::isfinite(gl) && std::isfinite(gh) &&
                      std::min(std::fabs(gl), std::fabs(gh)) <= 1e-7 * scale;
    (zero ? zeros : jumps)->push_back(root);
  }
}

std::vector<double> Builder::Jumps(double a, double b) {
  std::vector<double> xs, ys;
  Grid(Which::F, a, b, 4000, &xs, &ys);
  std::vector<std::pair<double, std::pair<double, double>>> steps;
  double px = kNaN, py = kNaN;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double x = xs[i], y = ys[i];
    if (!(x > a && x < b) || std::isnan(y)) continue;
    if (!std::isnan(py)) steps.push_back({std::fabs(y - py), {px, x}});
    px = x;
    py = y;
  }
  std::sort(steps.begin(), steps.end(),
            [](const auto& l, const auto& r) { return l.first > r.first; });
  std::vector<double> out;
  for (std::size_t k = 0; k < steps.size() && k < 8; ++k) {
    if (steps[k].first == 0) break;
    double lo = steps[k].second.first, hi = steps[k].second.second;
    double flo = F(lo), fhi = F(hi);
    for (int n = 0; n < 200; ++n) {
      const double mid = lo + (hi - lo) / 2;
      if (mid <= lo || mid >= hi) break;
      const double fm = F(mid);
      if (std::isnan(fm)) {
        lo = hi = mid;
        break;
      }
      if (std::fabs(fm - flo) >= std::fabs(fhi - fm)) {
        hi = mid;
        fhi = fm;
      } else {
        lo = mid;
        flo = fm;
      }
    }
    const double step = std::fabs(fhi - flo);
    if (lo == hi || !(step <= 1e-6 * (1 + std::fabs(flo) + std::fabs(fhi)))) {
      const double at = std::fabs(lo) < 1e-12 ? 0 : lo;
      if (std::none_of(out.begin(), out.end(), [&](double o) { return SameX(o, at); })) {
        out.push_back(at);
      }
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

double Builder::Round12(double x) {
  if (x == 0 || !std::isfinite(x)) return x;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12g", x);
  return std::strtod(buf, nullptr);
}

bool Builder::CheckRoot(Which g, double x) {
  const double y = G(g, x);
  if (std::isnan(y)) return false;
  const double h = 1e-6 * (1 + std::fabs(x));
  const double a = G(g, x - h), b = G(g, x + h);
  double scale = 1;
  if (!std::isnan(a)) scale += std::fabs(a);
  if (!std::isnan(b)) scale += std::fabs(b);
  if (std::fabs(y) <= 1e-9 * scale) return true;
  return !std::isnan(a) && !std::isnan(b) && (a < 0) != (b < 0) && std::fabs(y) <= 1e-6 * scale;
}

std::vector<Number> Builder::Roots(Which which) {
  std::vector<Number> out;
  auto a = Ask<std::vector<Number>>([&] { return engine_.Solve(which); });
  if (a.determined) {
    for (const Number& found : a.value) {
      const Number n = IntoWindow(found);
      if (!InD(n.value)) continue;
      // A root the engine itself marks not exact keeps its own decimal when it passes.
      out.push_back(CheckRoot(which, n.value) ? n : Approx(n.value));
    }
  } else {
    for (const Piece& p : pieces_) {
      std::vector<double> zeros, jumps;
      ScanSignChanges(which, p.range.from.value, p.range.to.value, &zeros, &jumps);
      for (double z : zeros) {
        if (!Contains(out, z)) out.push_back(Approx(z));
      }
      // A closed end where g is 0 is a zero too.
      for (const auto& [closed, end] : {std::pair{p.range.closedLeft, p.range.from.value},
                                        std::pair{p.range.closedRight, p.range.to.value}}) {
        if (closed && std::isfinite(end) && G(which, end) == 0 && !Contains(out, end)) {
          out.push_back(Approx(end));
        }
      }
    }
  }
  std::sort(out.begin(), out.end(),
            [](const Number& x, const Number& y) { return x.value < y.value; });
  return out;
}

std::optional<Number> Builder::ValueOf(const Number& at) {
  for (const auto& [x, v] : values_) {
    if (SameX(x, at.value)) return v;
  }
  const double mine = F(at.value);
  std::optional<Number> out;
  if (at.exact) {
    auto a = Ask<Number>([&] { return engine_.ValueAt(Which::F, at); });
    if (a.determined && !std::isnan(mine) &&
        std::fabs(a.value.value - mine) <= 1e-9 * (1 + std::fabs(mine))) {
      out = a.value;
    }
  }
  if (!out && !std::isnan(mine)) out = Approx(mine);
  if (out) values_.emplace_back(at.value, *out);
  return out;
}

}  // namespace curvalis::study::sheet_build
