// The sign charts ("schema del segno") of f under Segno, of f′ under Monotonia and of f″ under
// Concavità: a row for each factor of the numerator and the denominator, with its sign between
// the columns, then the row of the function, which must agree with the section on every
// interval by the rule of signs.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

void Builder::BuildSignChart() {
  SignData& d = sheet_.sign.data;
  if (sheet_.parity.data.period || d.intervals.empty()) return;  // one period: no chart
  // The columns: every end of the sign's intervals, in order, each once.
  std::vector<Number> xs;
  for (const SignInterval& i : d.intervals) {
    for (const Number& n : {i.range.from, i.range.to}) {
      if (xs.empty() || !SameX(xs.back().value, n.value)) {
        if (!xs.empty() && n.value < xs.back().value) return;
        xs.push_back(n);
      }
    }
  }
  d.chart = ChartOf(Which::F, std::move(xs), [&](double mid) {
    Sign s = Sign::Undefined;
    for (const SignInterval& si : d.intervals) {
      if (mid > si.range.from.value && mid < si.range.to.value) s = si.sign;
    }
    return s;
  });
}

void Builder::BuildDerivativeChart(Which which) {
  const bool d1 = which == Which::D1;
  if (sheet_.parity.data.period) return;  // one period: no chart
  // The columns: the ends of the section's intervals and the zeros of f′ (f″) inside them, in
  // order, each once; the sign on each interval is the section's (increasing: f′ > 0).
  std::vector<Number> xs = d1 ? d1Zeros_ : d2Zeros_;
  std::vector<std::pair<Interval, Sign>> signs;
  if (d1) {
    for (const TrendInterval& t : sheet_.monotonicity.data.intervals) {
      signs.push_back({t.range, t.trend == Trend::Increasing   ? Sign::Plus
                                : t.trend == Trend::Decreasing ? Sign::Minus
                                                               : Sign::Zero});
    }
  } else {
    for (const ConcavityInterval& c : sheet_.concavity.data.intervals) {
      signs.push_back({c.range, c.up ? Sign::Plus : Sign::Minus});
    }
  }
  if (signs.empty()) return;
  for (const auto& [range, sign] : signs) {
    xs.push_back(range.from);
    xs.push_back(range.to);
  }
  std::stable_sort(xs.begin(), xs.end(),
                   [](const Number& a, const Number& b) { return a.value < b.value; });
  std::vector<Number> columns;
  for (Number& n : xs) {
    if (columns.empty() || !SameX(columns.back().value, n.value)) columns.push_back(std::move(n));
  }
  SignChart chart = ChartOf(which, std::move(columns), [&](double mid) {
    for (const auto& [range, sign] : signs) {
      if (mid > range.from.value && mid < range.to.value) return sign;
    }
    return Sign::Undefined;
  });
  (d1 ? sheet_.monotonicity.data.chart : sheet_.concavity.data.chart) = std::move(chart);
}

SignChart Builder::ChartOf(Which which, std::vector<Number> xs,
                           const std::function<Sign(double)>& sectionSign) {
  const std::size_t n = xs.size();
  if (n < 2) return {};
  auto a = Ask<Factored>([&] { return engine_.Factors(which); });
  if (!a.determined || a.value.numerator.size() + a.value.denominator.size() < 2) return {};
  SignChart chart;
  chart.xs = std::move(xs);
  auto inside = [&](std::size_t i, int k) {  // the k-th of five points inside interval i
    const double lo = chart.xs[i].value, hi = chart.xs[i + 1].value;
    double x = Inside(lo, hi);
    for (int s = 0; s < k; ++s) x = s % 2 ? Inside(x, hi) : Inside(lo, x);
    return x;
  };
  for (bool den : {false, true}) {
    for (const Expr& e : den ? a.value.denominator : a.value.numerator) {
      std::optional<SignChartRow> row = FactorRow(e, den, chart.xs, inside);
      if (!row) return {};
      chart.rows.push_back(std::move(*row));
    }
  }
  // The row of g, and the rule of signs checked on every interval of D.
  const std::vector<Number>& zeros = which == Which::F    ? zeros_
                                     : which == Which::D1 ? d1Zeros_
                                                          : d2Zeros_;
  const char* name = which == Which::F ? "f(x)" : which == Which::D1 ? "f′(x)" : "f″(x)";
  const char* latex = which == Which::F ? "f(x)" : which == Which::D1 ? "f'(x)" : "f''(x)";
  SignChartRow g{name, latex, false, {}, {}};
  for (std::size_t i = 0; i < n; ++i) {
    const double x = chart.xs[i].value;
    const bool undefined = !InD(x) || (which != Which::F && std::isnan(G(which, x)));
    g.atPoint.push_back(!std::isfinite(x)    ? Sign::None
                        : undefined          ? Sign::Undefined
                        : Contains(zeros, x) ? Sign::Zero
                                             : SignOf(G(which, x)));
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const Sign s = sectionSign(inside(i, 0));
    if (s == Sign::Undefined) {  // outside D: no sign to give
      for (SignChartRow& r : chart.rows) r.onInterval[i] = Sign::Undefined;
    } else {
      int product = a.value.constantSign;
      for (const SignChartRow& r : chart.rows) {
        const Sign fs = r.onInterval[i];
        if (fs != Sign::Plus && fs != Sign::Minus) return {};
        if (fs == Sign::Minus) product = -product;
      }
      if (s != (product > 0 ? Sign::Plus : Sign::Minus)) return {};
    }
    g.onInterval.push_back(s);
  }
  chart.rows.push_back(std::move(g));
  return chart;
}

std::optional<SignChartRow> Builder::FactorRow(
    const Expr& e, bool den, const std::vector<Number>& xs,
    const std::function<double(std::size_t, int)>& inside) {
  Fn g;
  if (!g.Compile(e.text)) return std::nullopt;
  SignChartRow row{e.text, e.latex, den, {}, {}};
  for (const Number& column : xs) {
    const double x = column.value;
    if (!std::isfinite(x)) {
      row.atPoint.push_back(Sign::None);
      continue;
    }
    const double v = g(x), h = 1e-6 * std::max(1.0, std::fabs(x));
    double scale = 1;
    for (double y : {g(x - h), g(x + h)}) {
      if (std::isfinite(y)) scale = std::max(scale, std::fabs(y));
    }
    row.atPoint.push_back(std::isnan(v)                  ? Sign::Undefined
                          : std::fabs(v) <= 1e-9 * scale ? Sign::Zero
                                                         : SignOf(v));
  }
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    const Sign s = SignOf(g(inside(i, 0)));
    for (int k = 1; k < 5; ++k) {
      if (SignOf(g(inside(i, k))) != s) return std::nullopt;  // a sign change the columns miss
    }
    row.onInterval.push_back(s);
  }
  return row;
}

}  // namespace curvalis::study::sheet_build
