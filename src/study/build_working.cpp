// The working of the sections ("Svolgimento"): the lines a student writes to reach each
// result. The engine answers the algebra (the conditions solved, the rules of derivation with
// the derivatives of the operands, f(−x), f(0) written out, a numerator); the lines that join
// them to the sheet's results are written here from the results themselves, so the working
// never says other than the sheet. Every formula a line shows is read back by our evaluator
// and, where it has a value to agree with, compared with it at points.
#include "study/sheet_builder.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace sheet_build {

namespace {

constexpr const char* kIff = " \xE2\x87\x94 ";      // ⇔
constexpr const char* kImplies = " \xE2\x87\x92 ";  // ⇒

Step Line(StepRule rule, std::string text, std::string latex, std::string formula = {}) {
  return Step{rule, std::move(text), std::move(latex), std::move(formula)};
}

std::string Latex(const Number& n) {
  return n.latex.empty() ? StudentLatex(n.text) : n.latex;
}

// "lim x→2⁻ f(x)" and its LaTeX.
std::string LimitText(const Number& at, Approach side) {
  switch (side) {
    case Approach::MinusInfinity:
      return "lim x→−∞ ";
    case Approach::PlusInfinity:
      return "lim x→+∞ ";
    case Approach::Left:
      return "lim x→" + at.text + "⁻ ";
    case Approach::Right:
      return "lim x→" + at.text + "⁺ ";
  }
  return {};
}
std::string LimitLatex(const Number& at, Approach side) {
  switch (side) {
    case Approach::MinusInfinity:
      return "\\lim_{x \\to -\\infty} ";
    case Approach::PlusInfinity:
      return "\\lim_{x \\to +\\infty} ";
    case Approach::Left:
      return "\\lim_{x \\to " + Latex(at) + "^{-}} ";
    case Approach::Right:
      return "\\lim_{x \\to " + Latex(at) + "^{+}} ";
  }
  return {};
}

// "x = −1 ∨ x = 1".
Step Solutions(const std::vector<Number>& zeros, const char* name, const char* latexName) {
  if (zeros.empty()) {
    return Line(StepRule::Solutions, std::string(name) + " = 0 non ha soluzioni in D",
                std::string(latexName) + " = 0 \\text{ non ha soluzioni in } D");
  }
  std::string text, latex;
  for (const Number& z : zeros) {
    // A decimal already carries its "≈": "x ≈ 0.2679491924".
    const bool approx = z.text.rfind("\xE2\x89\x88", 0) == 0;
    text += std::string(text.empty() ? "" : " \xE2\x88\xA8 ") + (approx ? "x " : "x = ") + z.text;
    latex += std::string(latex.empty() ? "" : " \\vee ") + (approx ? "x " : "x = ") + Latex(z);
  }
  return Line(StepRule::Solutions, text, latex);
}

bool Infinite(const std::optional<Number>& n) {
  return n && std::isinf(n->value);
}

}  // namespace

std::vector<Step> Builder::Working(SectionId id) {
  if (!sheet_.function.determined || !sheet_.function.data.exact) return {};
  // An engine that gives no working for the domain gives none at all: the sections then have
  // their results alone.
  if (id != SectionId::Domain && !engineWorks_) return {};
  switch (id) {
    case SectionId::Domain:
      return DomainWorking();
    case SectionId::Parity:
      return ParityWorking();
    case SectionId::Intercepts:
      return InterceptsWorking();
    case SectionId::Asymptotes:
      return AsymptotesWorking();
    case SectionId::Sign:
      BuildSignChart();
      return {};
    case SectionId::Derivative:
      return DerivativeWorking(Which::D1);
    case SectionId::SecondDerivative:
      return DerivativeWorking(Which::D2);
    case SectionId::Monotonicity:
      BuildDerivativeChart(Which::D1);
      return ZerosWorking(Which::D1, d1Zeros_);
    case SectionId::Concavity:
      BuildDerivativeChart(Which::D2);
      return ZerosWorking(Which::D2, d2Zeros_);
    case SectionId::Limits:
      return LimitsWorking();
    case SectionId::Extrema:
      return ConclusionsWorking(Which::D1);
    case SectionId::Inflections:
      return ConclusionsWorking(Which::D2);
    default:
      return {};
  }
}

std::vector<Step> Builder::DomainWorking() {
  auto a = Ask<std::vector<ConditionWork>>([&] { return engine_.ExistenceConditions(); });
  if (!a.determined) return {};
  engineWorks_ = true;
  std::vector<Step> out;
  bool allSolved = true;
  for (const ConditionWork& c : a.value) {
    out.push_back(Line(StepRule::Condition, c.condition.text + " (" + c.source + ")",
                       c.condition.latex + " \\quad \\text{(" + c.source + ")}"));
    allSolved = allSolved && c.solution && !c.solution->condition.empty();
    if (c.solution && !c.solution->condition.empty()) {
      out.push_back(Line(StepRule::ConditionSolved, c.solution->condition,
                         StudentLatex(c.solution->condition)));
    }
  }
  // The intersection of the solutions, only when each condition was solved: the same set the
  // section shows ("D = ]−∞; 2[ ∪ ]2; +∞[").
  if (!allSolved) return out;
  std::string d, dLatex;
  for (const Interval& i : sheet_.domain.data.domain.intervals) {
    d += (d.empty() ? "" : " ∪ ") + IntervalText(i);
    // The brackets as delimiters of their own: "]" opening an interval is no closing one.
    dLatex += std::string(dLatex.empty() ? "" : " \\cup ") +
              (i.closedLeft ? "[" : "\\mathopen{]}") + Latex(i.from) + ";\\, " + Latex(i.to) +
              (i.closedRight ? "]" : "\\mathclose{[}");
  }
  d = "D = " + (d.empty() ? std::string("∅") : d);
  dLatex = "D = " + (dLatex.empty() ? std::string("\\emptyset") : dLatex);
  out.push_back(Line(StepRule::Intersection, a.value.empty() ? "nessuna condizione: " + d : d,
                     a.value.empty() ? "\\text{nessuna condizione: } " + dLatex : dLatex));
  return out;
}

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

std::vector<Step> Builder::ParityWorking() {
  std::vector<Step> out;
  if (!sheet_.domain.determined) return out;
  auto mirrored = Ask<std::vector<Expr>>([&] { return engine_.Mirrored(); });
  if (!mirrored.determined || mirrored.value.empty()) return out;
  const std::vector<Interval>& iv = sheet_.domain.data.domain.intervals;
  // A periodic f's domain is given for one period, which says nothing of its symmetry: the
  // working compares f(−x) alone.
  const bool periodic = sheet_.parity.data.period.has_value();
  bool symmetric = true;
  for (const Interval& i : iv) {
    bool found = false;
    for (const Interval& j : iv) {
      found = found || (SameX(j.from.value, -i.to.value) && SameX(j.to.value, -i.from.value) &&
                        j.closedLeft == i.closedRight && j.closedRight == i.closedLeft);
    }
    symmetric = symmetric && found;
  }
  if (!symmetric && !periodic) {
    out.push_back(Line(StepRule::DomainNotSymmetric, "D non è simmetrico rispetto a 0",
                       "D \\text{ non è simmetrico rispetto a } 0"));
    return out;
  }
  if (!periodic) {
    out.push_back(Line(StepRule::DomainSymmetric, "D è simmetrico rispetto a 0",
                       "D \\text{ è simmetrico rispetto a } 0"));
  }
  // Each form of f(−x) read back agrees with f at −x where both have a value.
  std::string text = "f(−x)", latex = "f(-x)";
  std::string formula;
  for (const Expr& e : mirrored.value) {
    Fn g;
    if (!g.Compile(e.text)) return out;
    int checked = 0;
    for (double x : TestPoints()) {
      const double want = F(-x), got = g(x);
      if (std::isnan(want) || std::isnan(got)) continue;
      if (std::fabs(want - got) > 1e-7 * std::max(1.0, std::fabs(want))) return out;
      ++checked;
    }
    if (checked == 0) return out;
    text += " = " + e.text;
    latex += " = " + e.latex;
    formula = e.text;
  }
  out.push_back(Line(StepRule::Mirrored, text, latex, formula));
  switch (sheet_.parity.data.parity) {
    case Parity::Even:
      out.push_back(Line(StepRule::Compared, "f(−x) = f(x)", "f(-x) = f(x)"));
      break;
    case Parity::Odd:
      out.push_back(Line(StepRule::Compared, "f(−x) = −f(x)", "f(-x) = -f(x)"));
      break;
    case Parity::None:
      out.push_back(Line(StepRule::Compared, "f(−x) ≠ f(x) e f(−x) ≠ −f(x)",
                         "f(-x) \\neq f(x) \\text{ e } f(-x) \\neq -f(x)"));
      break;
  }
  return out;
}

std::vector<Step> Builder::InterceptsWorking() {
  std::vector<Step> out;
  const std::vector<Point>& points = sheet_.intercepts.data.points;
  const Number zero = Exact(0, "0");
  if (InD(0)) {
    auto s = Ask<Expr>([&] { return engine_.Substituted(Which::F, zero); });
    const Point* p =
        !points.empty() && SameX(points.front().x.value, 0) ? &points.front() : nullptr;
    Fn written;
    if (s.determined && p && written.Compile(s.value.text)) {
      const double v = written(0);
      if (std::fabs(v - p->y.value) <= 1e-9 * std::max(1.0, std::fabs(v))) {
        out.push_back(Line(StepRule::ValueAtZero, "f(0) = " + s.value.text + " = " + p->y.text,
                           "f(0) = " + s.value.latex + " = " + Latex(p->y), s.value.text));
      }
    }
  } else {
    out.push_back(Line(StepRule::ZeroNotInDomain, "0 ∉ D: nessuna intersezione con l'asse y",
                       "0 \\notin D\\text{: nessuna intersezione con l'asse } y"));
  }
  std::vector<Step> zeros = ZerosWorking(Which::F, zeros_);
  out.insert(out.end(), zeros.begin(), zeros.end());
  return out;
}

std::vector<Step> Builder::LimitsWorking() {
  std::vector<Step> out;
  for (const LimitItem& item : sheet_.limits.data.items) {
    if (!item.value || !item.value->exact || !item.value->checked) continue;
    auto a = Ask<QuotientLimit>([&] { return engine_.QuotientLimits(item.at, item.side); });
    if (!a.determined) continue;
    std::vector<Step> lines = QuotientLimitLines(item, a.value);
    out.insert(out.end(), lines.begin(), lines.end());
  }
  return out;
}

std::vector<Step> Builder::QuotientLimitLines(const LimitItem& item, const QuotientLimit& q) {
  const double want = item.value->value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const std::string lim = LimitText(item.at, item.side), limLatex = LimitLatex(item.at, item.side);
  // A part in parentheses after "lim", unless it is one word or one call ("ln(1 + x)").
  auto part = [](const Expr& e) {
    const std::string& s = e.text;
    const std::size_t open = s.find('(');
    // A function's name before the parenthesis: letters, or the root sign.
    const std::string name = open == std::string::npos ? "" : s.substr(0, open);
    bool call = !name.empty() && s.back() == ')' &&
                (name == "√" || std::all_of(name.begin(), name.end(), [](char c) {
                   return std::isalpha(static_cast<unsigned char>(c)) != 0;
                 }));
    for (std::size_t i = open, depth = 0; call && i < s.size(); ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')' && --depth == 0 && i + 1 < s.size()) call = false;
    }
    return s.find(' ') == std::string::npos || call ? s : "(" + s + ")";
  };
  auto partLatex = [](const Expr& e) { return "\\left(" + e.latex + "\\right)"; };
  std::vector<Step> out;
  out.push_back(Line(StepRule::LimitParts,
                     lim + part(q.numerator) + " = " + q.numeratorLimit.text + ", " + lim +
                         part(q.denominator) + " = " + q.denominatorLimit.text,
                     limLatex + partLatex(q.numerator) + " = " + Latex(q.numeratorLimit) +
                         ", \\quad " + limLatex + partLatex(q.denominator) + " = " +
                         Latex(q.denominatorLimit)));
  if (q.op != '/') {
    std::vector<Step> rest = SumOrProductForm(item, q);
    if (rest.empty()) return {};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
  }
  const std::string form = q.numeratorLimit.text + "/" + q.denominatorLimit.text;
  const std::string formLatex =
      "\\frac{" + Latex(q.numeratorLimit) + "}{" + Latex(q.denominatorLimit) + "}";
  const bool aInf = std::isinf(a), bInf = std::isinf(b);
  // A determined form: its value by the rules of signs, which must be the sheet's.
  std::optional<double> value;
  if (!aInf && a != 0 && b == 0 && q.denominatorLimit.text != "0") {
    const int sb = q.denominatorLimit.text == "0⁺" ? 1 : -1;
    value = (a > 0 ? 1 : -1) * sb * kInf;
  } else if (aInf && !bInf && b != 0) {
    value = (a > 0) == (b > 0) ? kInf : -kInf;
  } else if (aInf && b == 0 && q.denominatorLimit.text != "0") {
    value = (a > 0) == (q.denominatorLimit.text == "0⁺") ? kInf : -kInf;
  } else if (!aInf && bInf) {
    value = 0;
  }
  if (value) {
    if (*value != want && !(std::isfinite(*value) && std::fabs(want) < 1e-12)) return {};
    out.push_back(Line(StepRule::LimitForm, form + " = " + item.value->text,
                       formLatex + " = " + Latex(*item.value)));
    return out;
  }
  const bool zeroOverZero = a == 0 && b == 0, infOverInf = aInf && bInf;
  if (!zeroOverZero && !infOverInf) return {};
  out.push_back(Line(StepRule::IndeterminateForm,
                     std::string("forma indeterminata ") + (zeroOverZero ? "0/0" : "∞/∞"),
                     std::string("\\text{forma indeterminata } ") +
                         (zeroOverZero ? "\\frac{0}{0}" : "\\frac{\\infty}{\\infty}")));
  const std::string result = lim + "f(x) = " + item.value->text;
  const std::string resultLatex = limLatex + "f(x) = " + Latex(*item.value);
  const int n = q.numeratorDegree, d = q.denominatorDegree;
  if (infOverInf && n >= 0 && d >= 0) {
    // The degrees say which part wins: an infinity, the ratio of the leading coefficients, 0.
    const bool agrees = n > d    ? std::isinf(want)
                        : n == d ? std::isfinite(want) && want != 0
                                 : std::fabs(want) < 1e-12;
    if (!agrees) return out;
    const char* cmp = n > d ? " > " : n == d ? " = " : " < ";
    const char* cmpLatex = n > d ? " > " : n == d ? " = " : " < ";
    out.push_back(Line(StepRule::DegreesCompared,
                       "grado " + std::to_string(n) + " del numeratore" + cmp + "grado " +
                           std::to_string(d) + " del denominatore" + kImplies + result,
                       "\\text{grado } " + std::to_string(n) + "\\text{ del numeratore}" +
                           cmpLatex + "\\text{grado } " + std::to_string(d) +
                           "\\text{ del denominatore} \\Rightarrow " + resultLatex));
    return out;
  }
  const int gn = q.numeratorGrowth, gd = q.denominatorGrowth;
  if (infOverInf && gn > 0 && gd > 0 && gn != gd) {
    // The hierarchy of infinities: e^x beyond every power of x, every power beyond ln(x).
    if (gn > gd ? !std::isinf(want) : std::fabs(want) >= 1e-12) return out;
    const Expr& high = gn > gd ? q.numerator : q.denominator;
    const Expr& low = gn > gd ? q.denominator : q.numerator;
    out.push_back(
        Line(StepRule::Hierarchy,
             high.text + " è un infinito di ordine superiore a " + low.text + kImplies + result,
             high.latex + "\\text{ è un infinito di ordine superiore a } " + low.latex +
                 " \\Rightarrow " + resultLatex));
    return out;
  }
  // The notable limits that tend to 1 as t → 0, t the denominator: sin(t)/t, (e^t − 1)/t,
  // ln(1 + t)/t, recognised in the numerator as written.
  const std::string t = q.denominator.text;
  const std::string tt = t.size() == 1 ? t : "(" + t + ")";
  struct Notable {
    std::string numerator;
    const char* text;
    const char* latex;
  };
  const Notable notable[] = {
      {"sin(" + t + ")", "sin(t)/t", "\\frac{\\sin t}{t}"},
      {"e^" + tt + " − 1", "(e^t − 1)/t", "\\frac{e^t - 1}{t}"},
      {"ln(1 + " + t + ")", "ln(1 + t)/t", "\\frac{\\ln(1 + t)}{t}"},
      {"ln(" + t + " + 1)", "ln(1 + t)/t", "\\frac{\\ln(1 + t)}{t}"},
  };
  for (const Notable& n : notable) {
    if (!zeroOverZero || want != 1 || q.numerator.text != n.numerator) continue;
    out.push_back(Line(StepRule::NotableLimit,
                       std::string("limite notevole: ") + n.text + " → 1 per t → 0, con t = " + t +
                           kImplies + result,
                       std::string("\\text{limite notevole: } ") + n.latex +
                           " \\to 1 \\text{ per } t \\to 0, \\text{ con } t = " +
                           q.denominator.latex + " \\Rightarrow " + resultLatex));
    return out;
  }
  if (zeroOverZero && q.simplified) {
    // f simplified has the limit as its value at the point: read back and compared.
    Fn s;
    const double v = s.Compile(q.simplified->text) ? s(item.at.value) : kNaN;
    if (std::isfinite(v) && std::fabs(v - want) <= 1e-9 * std::max(1.0, std::fabs(want))) {
      out.push_back(Line(StepRule::SimplifiedLimit,
                         "f(x) = " + q.simplified->text + " per x ≠ " + item.at.text + kImplies +
                             lim + "f(x) = " + lim + part(*q.simplified) + " = " + item.value->text,
                         "f(x) = " + q.simplified->latex + " \\text{ per } x \\neq " +
                             Latex(item.at) + " \\Rightarrow " + limLatex + "f(x) = " + limLatex +
                             partLatex(*q.simplified) + " = " + Latex(*item.value),
                         q.simplified->text));
      return out;
    }
  }
  if (q.numeratorDerivative && q.denominatorDerivative && q.derivativesLimit) {
    // De l'Hôpital: the limit of the quotient of the derivatives, when it is the sheet's.
    const double l = q.derivativesLimit->value;
    const bool same =
        std::isinf(want)
            ? l == want
            : std::isfinite(l) && std::fabs(l - want) <= 1e-9 * std::max(1.0, std::fabs(want));
    if (!same) return out;
    const Expr& dn = *q.numeratorDerivative;
    const Expr& dd = *q.denominatorDerivative;
    const std::string ratio = part(dn) + "/" + part(dd);
    out.push_back(Line(
        StepRule::DeLHopital,
        "De l'Hôpital: D[" + q.numerator.text + "] = " + dn.text + ", D[" + q.denominator.text +
            "] = " + dd.text + kImplies + lim + "f(x) = " + lim + ratio + " = " + item.value->text,
        "\\text{De l'Hôpital: } D\\left[" + q.numerator.latex + "\\right] = " + dn.latex +
            ", \\quad D\\left[" + q.denominator.latex + "\\right] = " + dd.latex +
            " \\Rightarrow " + limLatex + "f(x) = " + limLatex + "\\frac{" + dn.latex + "}{" +
            dd.latex + "} = " + Latex(*item.value),
        ratio));
  }
  return out;
}

std::vector<Step> Builder::SumOrProductForm(const LimitItem& item, const QuotientLimit& q) {
  const double want = item.value->value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const bool product = q.op == '*';
  const bool aInf = std::isinf(a), bInf = std::isinf(b);
  if (!aInf && !bInf) return {};  // both finite: nothing a student resolves
  // The second part in parentheses when it is negative: "+∞·(−2)", "+∞ + (−∞)".
  auto operand = [](const Number& n) {
    return n.text.rfind("−", 0) == 0 || n.text.rfind("+", 0) == 0 ? "(" + n.text + ")" : n.text;
  };
  auto operandLatex = [](const Number& n) {
    return n.text.rfind("−", 0) == 0 || n.text.rfind("+", 0) == 0
               ? "\\left(" + Latex(n) + "\\right)"
               : Latex(n);
  };
  const std::string form =
      q.numeratorLimit.text + (product ? "·" : " + ") + operand(q.denominatorLimit);
  const std::string formLatex =
      Latex(q.numeratorLimit) + (product ? " \\cdot " : " + ") + operandLatex(q.denominatorLimit);
  std::optional<double> value;
  const char* indeterminate = nullptr;
  if (product) {
    if ((aInf && b == 0) || (bInf && a == 0)) {
      indeterminate = "0·∞";
    } else {
      value = ((a > 0) == (b > 0)) ? kInf : -kInf;
    }
  } else if (aInf && bInf && (a > 0) != (b > 0)) {
    indeterminate = "∞ − ∞";
  } else {
    value = aInf ? a : b;
  }
  if (indeterminate) {
    std::vector<Step> out = {Line(StepRule::IndeterminateForm,
                                  std::string("forma indeterminata ") + indeterminate,
                                  std::string("\\text{forma indeterminata } ") +
                                      (product ? "0 \\cdot \\infty" : "\\infty - \\infty"))};
    // A polynomial at ±∞ goes as its term of highest degree (collected, the others tend to 0).
    const bool far = item.side == Approach::PlusInfinity || item.side == Approach::MinusInfinity;
    if (!product && far && q.degree >= 1 && std::isinf(want)) {
      const std::string d = std::to_string(q.degree);
      out.push_back(Line(StepRule::HighestPower,
                         "f è un polinomio di grado " + d + ": decide il termine di grado massimo" +
                             kImplies + LimitText(item.at, item.side) +
                             "f(x) = " + item.value->text,
                         "f \\text{ è un polinomio di grado } " + d +
                             "\\text{: decide il termine di grado massimo} \\Rightarrow " +
                             LimitLatex(item.at, item.side) + "f(x) = " + Latex(*item.value)));
    }
    return out;
  }
  if (*value != want) return {};
  return {Line(StepRule::LimitForm, form + " = " + item.value->text,
               formLatex + " = " + Latex(*item.value))};
}

std::vector<Step> Builder::ConclusionsWorking(Which which) {
  const bool d1 = which == Which::D1;
  // The sign of f′ (f″) on each interval, from the section that gives it.
  std::vector<std::pair<Interval, const char*>> signs;
  if (d1) {
    for (const TrendInterval& t : sheet_.monotonicity.data.intervals) {
      if (t.trend != Trend::Constant) {
        signs.push_back({t.range, t.trend == Trend::Increasing ? "+" : "−"});
      }
    }
  } else {
    for (const ConcavityInterval& c : sheet_.concavity.data.intervals) {
      signs.push_back({c.range, c.up ? "+" : "−"});
    }
  }
  auto sideSign = [&](double x, bool left) -> const char* {
    for (const auto& [range, sign] : signs) {
      if (SameX(left ? range.to.value : range.from.value, x)) return sign;
    }
    return nullptr;
  };
  std::vector<std::pair<Point, std::string>> points;  // each point and what it is
  if (d1) {
    for (const ExtremumItem& e : sheet_.extrema.data.items) {
      points.push_back({e.p, e.maximum ? "massimo relativo" : "minimo relativo"});
    }
  } else {
    for (const InflectionItem& i : sheet_.inflections.data.items) points.push_back({i.p, "flesso"});
  }
  std::vector<Step> out;
  for (const auto& point : points) {
    // Plain names, not a structured binding: clang 14 cannot capture one in a lambda.
    const Point& p = point.first;
    const std::string& what = point.second;
    const char *before = sideSign(p.x.value, true), *after = sideSign(p.x.value, false);
    if (before && after && std::string(before) != after) {
      const std::string name = d1 ? "f′" : "f″", latexName = d1 ? "f'" : "f''";
      out.push_back(Line(StepRule::SignChange,
                         name + " cambia segno da " + before + " a " + after +
                             " in x = " + p.x.text + kImplies + what,
                         latexName + "\\text{ cambia segno da } " + (before[0] == '+' ? "+" : "-") +
                             "\\text{ a } " + (after[0] == '+' ? "+" : "-") + "\\text{ in } x = " +
                             Latex(p.x) + " \\Rightarrow \\text{" + what + "}"));
    }
    // The ordinate: f at the point as written, read back to the sheet's value.
    if (!p.x.exact || !p.y.exact) continue;
    auto s = Ask<Expr>([&] { return engine_.Substituted(Which::F, p.x); });
    Fn written;
    if (!s.determined || !written.Compile(s.value.text)) continue;
    const double v = written(p.x.value);
    if (!(std::fabs(v - p.y.value) <= 1e-9 * std::max(1.0, std::fabs(v)))) continue;
    if (s.value.text == p.y.text) continue;  // nothing to compute
    out.push_back(Line(StepRule::Ordinate,
                       "f(" + p.x.text + ") = " + s.value.text + " = " + p.y.text,
                       "f\\left(" + Latex(p.x) + "\\right) = " + s.value.latex + " = " + Latex(p.y),
                       s.value.text));
  }
  return out;
}

std::vector<Step> Builder::ZerosWorking(Which which, const std::vector<Number>& zeros) {
  const char* name = which == Which::F ? "f(x)" : which == Which::D1 ? "f′(x)" : "f″(x)";
  const char* latexName = which == Which::F ? "f(x)" : which == Which::D1 ? "f'(x)" : "f''(x)";
  std::vector<Step> out;
  // f′ (f″) identically 0 is 0 everywhere: "no solutions" would say the opposite.
  const Expr* d = which == Which::D1   ? &sheet_.derivative.data.d1
                  : which == Which::D2 ? &sheet_.secondDerivative.data.d2
                                       : nullptr;
  if (d && d->exact && d->text == "0") return out;
  auto n = Ask<Expr>([&] { return engine_.Numerator(which); });
  Fn num;
  if (n.determined && num.Compile(n.value.text)) {
    // The numerator is 0 at every zero the sheet gives.
    bool agrees = true;
    for (const Number& z : zeros) {
      const double v = num(z.value);
      agrees =
          agrees && std::isfinite(v) && std::fabs(v) < 1e-7 * std::max(1.0, std::fabs(z.value));
    }
    if (agrees) {
      out.push_back(
          Line(StepRule::Numerator, std::string(name) + " = 0" + kIff + n.value.text + " = 0",
               std::string(latexName) + " = 0 \\iff " + n.value.latex + " = 0", n.value.text));
    }
  }
  out.push_back(Solutions(zeros, name, latexName));
  return out;
}

std::vector<Step> Builder::AsymptotesWorking() {
  std::vector<Step> out;
  const std::vector<LimitItem>& limits = sheet_.limits.data.items;
  for (const AsymptoteItem& a : sheet_.asymptotes.data.items) {
    if (a.kind == AsymptoteKind::Vertical) {
      std::string text, latex;
      for (const LimitItem& l : limits) {
        if (l.side != Approach::Left && l.side != Approach::Right) continue;
        if (!SameX(l.at.value, a.x.value) || !Infinite(l.value)) continue;
        text += (text.empty() ? "" : ", ") + LimitText(l.at, l.side) + "f(x) = " + l.value->text;
        latex += (latex.empty() ? "" : ", \\quad ") + LimitLatex(l.at, l.side) +
                 "f(x) = " + Latex(*l.value);
      }
      if (text.empty()) continue;
      out.push_back(Line(StepRule::VerticalFromLimit, text + kImplies + "x = " + a.x.text,
                         latex + " \\Rightarrow x = " + Latex(a.x)));
      continue;
    }
    const Approach side =
        a.side == Side::MinusInfinity ? Approach::MinusInfinity : Approach::PlusInfinity;
    const Number inf = Infinity(side == Approach::PlusInfinity);
    const std::string lim = LimitText(inf, side), limLatex = LimitLatex(inf, side);
    const std::string line = LineText(a.m, a.q);
    if (a.kind == AsymptoteKind::Horizontal) {
      out.push_back(
          Line(StepRule::HorizontalFromLimit, lim + "f(x) = " + a.q.text + kImplies + line,
               limLatex + "f(x) = " + Latex(a.q) + " \\Rightarrow " + StudentLatex(line)));
      continue;
    }
    out.push_back(Line(StepRule::ObliqueSlope, "m = " + lim + "f(x)/x = " + a.m.text,
                       "m = " + limLatex + "\\frac{f(x)}{x} = " + Latex(a.m)));
    // f(x) − mx, the sign of m taken into the operation: "f(x) − x", "f(x) + 2x".
    std::string mx = LineText(a.m, Exact(0, "0"));
    mx = mx.rfind("y = ", 0) == 0 ? mx.substr(4) : mx;
    const std::string minus = "\xE2\x88\x92";
    const std::string diff =
        mx.rfind(minus, 0) == 0 ? "f(x) + " + mx.substr(minus.size()) : "f(x) " + minus + " " + mx;
    out.push_back(
        Line(StepRule::ObliqueIntercept, "q = " + lim + "[" + diff + "] = " + a.q.text,
             "q = " + limLatex + "\\left[" + StudentLatex(diff) + "\\right] = " + Latex(a.q)));
  }
  return out;
}

std::vector<Step> Builder::DerivativeWorking(Which which) {
  const bool first = which == Which::D1;
  auto a = Ask<std::vector<Step>>([&] { return engine_.DerivationSteps(which); });
  std::vector<Step> out;
  const Expr& result = first ? sheet_.derivative.data.d1 : sheet_.secondDerivative.data.d2;
  if (a.determined) {
    for (Step& s : a.value) {
      Fn back;
      if (!s.formula.empty() && !back.Compile(s.formula)) continue;  // it must read back
      // The line of the whole of f (f′) agrees with the sheet's f′ (f″).
      if (s.text.rfind(first ? "f′(x) = " : "f″(x) = ", 0) == 0) {
        int checked = 0;
        bool agrees = true;
        for (double x : TestPoints()) {
          const double want = G(which, x), got = back(x);
          if (std::isnan(want) || std::isnan(got)) continue;
          agrees = agrees && std::fabs(want - got) <= 1e-6 * std::max(1.0, std::fabs(want));
          ++checked;
        }
        if (!agrees || checked == 0) continue;
      }
      out.push_back(std::move(s));
    }
  }
  if (!out.empty() && !result.text.empty() && result.exact && out.front().formula != result.text) {
    const char* name = first ? "f′(x) = " : "f″(x) = ";
    out.push_back(Line(StepRule::Simplified, name + result.text,
                       std::string(first ? "f'(x) = " : "f''(x) = ") + result.latex, result.text));
  }
  return out;
}

}  // namespace sheet_build
}  // namespace curvalis::study
