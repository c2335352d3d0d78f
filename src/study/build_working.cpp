// The working of the sections ("Svolgimento"): the lines a student writes to reach each
// result. The engine answers the algebra (the conditions solved, the rules of derivation with
// the derivatives of the operands, f(−x), f(0) written out, a numerator); the lines that join
// them to the sheet's results are written here from the results themselves, so the working
// never says other than the sheet. Every formula a line shows is read back by our evaluator
// and, where it has a value to agree with, compared with it at points.
#include "study/sheet_builder.h"
#include "study/sheet_writers.h"
#include "study/working_lines.h"

namespace curvalis::study {
namespace sheet_build {

namespace {

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
      // "in x ≈ −1.369083181" for a decimal, never "x = ≈ …".
      const bool approx = p.x.text.rfind("≈", 0) == 0;
      out.push_back(Line(StepRule::SignChange,
                         name + " cambia segno da " + before + " a " + after + " in x " +
                             (approx ? "" : "= ") + p.x.text + kImplies + what,
                         latexName + "\\text{ cambia segno da } " + (before[0] == '+' ? "+" : "-") +
                             "\\text{ a } " + (after[0] == '+' ? "+" : "-") + "\\text{ in } x " +
                             (approx ? "" : "= ") + Latex(p.x) + " \\Rightarrow \\text{" + what +
                             "}"));
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
    std::vector<Step> slope = ObliqueWorking(a, false, "f(x)/x", "\\frac{f(x)}{x}");
    out.insert(out.end(), slope.begin(), slope.end());
    // f(x) − mx, the sign of m taken into the operation: "f(x) − x", "f(x) + 2x".
    std::string mx = LineText(a.m, Exact(0, "0"));
    mx = mx.rfind("y = ", 0) == 0 ? mx.substr(4) : mx;
    const std::string minus = "\xE2\x88\x92";
    const std::string diff =
        mx.rfind(minus, 0) == 0 ? "f(x) + " + mx.substr(minus.size()) : "f(x) " + minus + " " + mx;
    out.push_back(
        Line(StepRule::ObliqueIntercept, "q = " + lim + "[" + diff + "] = " + a.q.text,
             "q = " + limLatex + "\\left[" + StudentLatex(diff) + "\\right] = " + Latex(a.q)));
    std::vector<Step> intercept = ObliqueWorking(a, true, diff, StudentLatex(diff));
    out.insert(out.end(), intercept.begin(), intercept.end());
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
