// The working of Limiti: for f a quotient (a product, a sum, a power) at its top, the limits of
// its two parts, the form they give, and how an indeterminate one is resolved (the degrees, the
// hierarchy of infinities, a notable limit, f simplified, De l'Hôpital, the highest power of a
// polynomial, f written otherwise: 0·∞ as a quotient, ∞ − ∞ with a term collected, a power as
// e to a product). Every line is written from the sheet's own limit and only where it gives it.
#include "study/sheet_builder.h"
#include "study/working_lines.h"

namespace curvalis::study::sheet_build {

namespace {

// A part in parentheses after "lim", unless it is one word or one call ("ln(1 + x)").
std::string Part(const Expr& e) {
  return Operand(e.text, false);
}

// The same in LaTeX: in parentheses where the text is.
std::string PartLatex(const Expr& e) {
  return Operand(e.text, false) == e.text ? e.latex : "\\left(" + e.latex + "\\right)";
}

// A limit whose working is written: where and from which side, the value it reaches (the
// sheet's limit, or the confirmed limit of an inner expression), and what tends to it.
struct Goal {
  Number at;
  Approach side;
  Number value;
  std::string name = "f(x)";
  std::string nameLatex = "f(x)";
  std::string own = "f(x)";  // the name at the start of a line, without parentheses
  std::string ownLatex = "f(x)";

  std::string Lim() const { return LimitText(at, side); }
  std::string LimLatex() const { return LimitLatex(at, side); }
  // "lim x→0⁺ f(x) = 1" and its LaTeX.
  std::string Result() const { return Lim() + name + " = " + value.text; }
  std::string ResultLatex() const { return LimLatex() + nameLatex + " = " + Latex(value); }
  // The goal of what a rewritten form depends on (an inner expression, with its own limit).
  Goal Of(const QuotientLimit& inner) const {
    return Goal{at,
                side,
                *inner.limit,
                Part(inner.expression),
                PartLatex(inner.expression),
                inner.expression.text,
                inner.expression.latex};
  }
};

// Whether a value a rule gives is the limit: the same infinity, or the same number.
bool Same(double got, double want) {
  if (std::isinf(got) || std::isinf(want)) return got == want;
  return std::isfinite(got) && std::fabs(got - want) <= 1e-9 * std::max(1.0, std::fabs(want));
}

// Whether `ratio` as written reads back as the quotient of the texts n and d, at points where
// both have a value (at least two).
bool ReadsAsQuotient(const std::string& ratio, const std::string& n, const std::string& d) {
  Fn r, a, b;
  if (!r.Compile(ratio) || !a.Compile(n) || !b.Compile(d)) return false;
  int checked = 0;
  for (double x : {-3.7, -1.3, -0.3, 0.45, 1.9, 3.3, 7.1, 25.5}) {
    const double want = a(x) / b(x), got = r(x);
    if (!std::isfinite(want)) continue;
    if (!Same(got, want)) return false;
    ++checked;
  }
  return checked >= 2;
}

// Whether the lines of a limit reach its value (they do not stop at the form named).
bool Resolved(const std::vector<Step>& lines) {
  return !lines.empty() && lines.back().rule != StepRule::IndeterminateForm &&
         lines.back().rule != StepRule::LimitParts && lines.back().rule != StepRule::Rewritten;
}

// A number as an operand: in parentheses when signed ("+∞·(−2)", "e^(−∞)").
std::string Signed(const Number& n) {
  return n.text.rfind("−", 0) == 0 || n.text.rfind("+", 0) == 0 ? "(" + n.text + ")" : n.text;
}
std::string SignedLatex(const Number& n) {
  return n.text.rfind("−", 0) == 0 || n.text.rfind("+", 0) == 0 ? "\\left(" + Latex(n) + "\\right)"
                                                                : Latex(n);
}

std::vector<Step> Lines(const Goal& g, const QuotientLimit& q);

// A notable limit that tends to 1 as t → 0, t the denominator: sin(t)/t, (e^t − 1)/t,
// ln(1 + t)/t, recognised in the numerator as written.
std::optional<Step> NotableLimit(const Goal& g, const QuotientLimit& q) {
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
    if (q.numerator.text != n.numerator) continue;
    return Line(StepRule::NotableLimit,
                std::string("limite notevole: ") + n.text + " → 1 per t → 0, con t = " + t +
                    kImplies + g.Result(),
                std::string("\\text{limite notevole: } ") + n.latex +
                    " \\to 1 \\text{ per } t \\to 0, \\text{ con } t = " + q.denominator.latex +
                    " \\Rightarrow " + g.ResultLatex());
  }
  return std::nullopt;
}

// "f(x) = ln(x)/(1/x)": the rewritten form, when it reads back.
std::optional<Step> RewrittenLine(const Goal& g, const QuotientLimit& q) {
  Fn back;
  if (!q.rewritten || q.inner.empty() || !back.Compile(q.rewritten->text)) return std::nullopt;
  if (q.conjugate) {
    // "f(x) = (√(x² + 1) − x)·(√(x² + 1) + x)/(√(x² + 1) + x) = 1/(√(x² + 1) + x)"
    const Expr& c = q.inner.front().denominator;
    return Line(StepRule::Rewritten,
                g.own + " = (" + q.expression.text + ")·(" + c.text + ")/(" + c.text +
                    ") = " + q.rewritten->text,
                g.ownLatex + " = \\frac{\\left(" + q.expression.latex + "\\right)\\left(" +
                    c.latex + "\\right)}{" + c.latex + "} = " + q.rewritten->latex,
                q.rewritten->text);
  }
  return Line(StepRule::Rewritten, g.own + " = " + q.rewritten->text,
              g.ownLatex + " = " + q.rewritten->latex, q.rewritten->text);
}

// How an indeterminate 0/0 or ∞/∞ is resolved: the degrees, the hierarchy, a notable limit, f
// simplified or De l'Hôpital, the first that gives the limit; nothing when none does.
std::vector<Step> ResolvedForm(const Goal& g, const QuotientLimit& q) {
  const double want = g.value.value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const bool zeroOverZero = a == 0 && b == 0, infOverInf = std::isinf(a) && std::isinf(b);
  const int n = q.numeratorDegree, d = q.denominatorDegree;
  if (infOverInf && n >= 0 && d >= 0) {
    // The degrees say which part wins: an infinity, the ratio of the leading coefficients, 0.
    const bool agrees = n > d    ? std::isinf(want)
                        : n == d ? std::isfinite(want) && want != 0
                                 : std::fabs(want) < 1e-12;
    if (!agrees) return {};
    const char* cmp = n > d ? " > " : n == d ? " = " : " < ";
    return {Line(StepRule::DegreesCompared,
                 "grado " + std::to_string(n) + " del numeratore" + cmp + "grado " +
                     std::to_string(d) + " del denominatore" + kImplies + g.Result(),
                 "\\text{grado } " + std::to_string(n) + "\\text{ del numeratore}" + cmp +
                     "\\text{grado } " + std::to_string(d) +
                     "\\text{ del denominatore} \\Rightarrow " + g.ResultLatex())};
  }
  const int gn = q.numeratorGrowth, gd = q.denominatorGrowth;
  if (infOverInf && gn > 0 && gd > 0 && gn != gd) {
    // The hierarchy of infinities: e^x beyond every power of x, every power beyond ln(x).
    if (gn > gd ? !std::isinf(want) : std::fabs(want) >= 1e-12) return {};
    const Expr& high = gn > gd ? q.numerator : q.denominator;
    const Expr& low = gn > gd ? q.denominator : q.numerator;
    return {
        Line(StepRule::Hierarchy,
             high.text + " è un infinito di ordine superiore a " + low.text + kImplies + g.Result(),
             high.latex + "\\text{ è un infinito di ordine superiore a } " + low.latex +
                 " \\Rightarrow " + g.ResultLatex())};
  }
  if (zeroOverZero && want == 1) {
    if (std::optional<Step> notable = NotableLimit(g, q)) return {*notable};
  }
  if (zeroOverZero && q.simplified) {
    // The expression simplified has the limit as its value at the point: read back, compared.
    Fn s;
    if (s.Compile(q.simplified->text) && Same(s(g.at.value), want)) {
      return {Line(StepRule::SimplifiedLimit,
                   g.own + " = " + q.simplified->text + " per x ≠ " + g.at.text + kImplies +
                       g.Lim() + g.name + " = " + g.Lim() + Part(*q.simplified) + " = " +
                       g.value.text,
                   g.ownLatex + " = " + q.simplified->latex + " \\text{ per } x \\neq " +
                       Latex(g.at) + " \\Rightarrow " + g.LimLatex() + g.nameLatex + " = " +
                       g.LimLatex() + PartLatex(*q.simplified) + " = " + Latex(g.value),
                   q.simplified->text)};
    }
  }
  if (!q.numeratorDerivative || !q.denominatorDerivative || !q.derivativesLimit ||
      !Same(q.derivativesLimit->value, want)) {
    return {};
  }
  // De l'Hôpital: the limit of the quotient of the derivatives, when it is the limit.
  const Expr& dn = *q.numeratorDerivative;
  const Expr& dd = *q.denominatorDerivative;
  const std::string ratio = Operand(dn.text, true) + "/" + Operand(dd.text, true);
  if (!ReadsAsQuotient(ratio, dn.text, dd.text)) return {};
  return {Line(StepRule::DeLHopital,
               "De l'Hôpital: D[" + q.numerator.text + "] = " + dn.text + ", D[" +
                   q.denominator.text + "] = " + dd.text + kImplies + g.Lim() + g.name + " = " +
                   g.Lim() + ratio + " = " + g.value.text,
               "\\text{De l'Hôpital: } D\\left[" + q.numerator.latex + "\\right] = " + dn.latex +
                   ", \\quad D\\left[" + q.denominator.latex + "\\right] = " + dd.latex +
                   " \\Rightarrow " + g.LimLatex() + g.nameLatex + " = " + g.LimLatex() +
                   "\\frac{" + dn.latex + "}{" + dd.latex + "} = " + Latex(g.value),
               ratio)};
}

// The form of a quotient: determined by the rules of signs, or named and resolved.
std::vector<Step> QuotientForm(const Goal& g, const QuotientLimit& q) {
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const bool aInf = std::isinf(a), bInf = std::isinf(b);
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
    if (!Same(*value, g.value.value)) return {};
    return {Line(StepRule::LimitForm,
                 q.numeratorLimit.text + "/" + q.denominatorLimit.text + " = " + g.value.text,
                 "\\frac{" + Latex(q.numeratorLimit) + "}{" + Latex(q.denominatorLimit) +
                     "} = " + Latex(g.value))};
  }
  const bool zeroOverZero = a == 0 && b == 0;
  if (!zeroOverZero && !(aInf && bInf)) return {};
  std::vector<Step> out = {
      Line(StepRule::IndeterminateForm,
           std::string("forma indeterminata ") + (zeroOverZero ? "0/0" : "∞/∞"),
           std::string("\\text{forma indeterminata } ") +
               (zeroOverZero ? "\\frac{0}{0}" : "\\frac{\\infty}{\\infty}"))};
  std::vector<Step> how = ResolvedForm(g, q);
  out.insert(out.end(), how.begin(), how.end());
  return out;
}

// The form of a product or a sum: determined ("+∞·(−2) = −∞"), or named ("forma indeterminata
// 0·∞") and resolved where f written otherwise (or a polynomial's highest power) gives it.
std::vector<Step> SumOrProductForm(const Goal& g, const QuotientLimit& q) {
  const double want = g.value.value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const bool product = q.op == '*';
  const bool aInf = std::isinf(a), bInf = std::isinf(b);
  if (!aInf && !bInf) return {};  // both finite: nothing a student resolves
  const bool indeterminate =
      product ? (aInf && b == 0) || (bInf && a == 0) : aInf && bInf && (a > 0) != (b > 0);
  if (!indeterminate) {
    const double value = product ? ((a > 0) == (b > 0) ? kInf : -kInf) : aInf ? a : b;
    if (value != want) return {};
    return {Line(StepRule::LimitForm,
                 q.numeratorLimit.text + (product ? "·" : " + ") + Signed(q.denominatorLimit) +
                     " = " + g.value.text,
                 Latex(q.numeratorLimit) + (product ? " \\cdot " : " + ") +
                     SignedLatex(q.denominatorLimit) + " = " + Latex(g.value))};
  }
  std::vector<Step> out = {Line(StepRule::IndeterminateForm,
                                std::string("forma indeterminata ") + (product ? "0·∞" : "∞ − ∞"),
                                std::string("\\text{forma indeterminata } ") +
                                    (product ? "0 \\cdot \\infty" : "\\infty - \\infty"))};
  // A polynomial at ±∞ goes as its term of highest degree (collected, the others tend to 0).
  const bool far = g.side == Approach::PlusInfinity || g.side == Approach::MinusInfinity;
  if (!product && far && q.degree >= 1 && std::isinf(want)) {
    const std::string d = std::to_string(q.degree);
    const std::string who = g.name == "f(x)" ? "f" : g.name;
    const std::string whoLatex = g.name == "f(x)" ? "f" : g.nameLatex;
    out.push_back(Line(StepRule::HighestPower,
                       who + " è un polinomio di grado " + d +
                           ": decide il termine di grado massimo" + kImplies + g.Result(),
                       whoLatex + " \\text{ è un polinomio di grado } " + d +
                           "\\text{: decide il termine di grado massimo} \\Rightarrow " +
                           g.ResultLatex()));
    return out;
  }
  std::optional<Step> rewritten = RewrittenLine(g, q);
  if (!rewritten) return out;
  const QuotientLimit& inner = q.inner.front();
  // 0·∞ and the conjugate: the quotient is f itself, with f's limit; ∞ − ∞ collected:
  // u·(1 + v/u), v/u with its own.
  const bool same = product || q.conjugate;
  std::vector<Step> lines;
  if (same) {
    if (!Same(inner.limit->value, want)) return out;
    lines = Lines(g, inner);
  } else {
    lines = Lines(g.Of(inner), inner);
  }
  if (!Resolved(lines)) return out;
  if (q.rewritten->text != g.own) out.push_back(*rewritten);  // not "ln(x)/x = ln(x)/x"
  out.insert(out.end(), lines.begin(), lines.end());
  if (!same) {
    // The collected term's limit times 1 plus that of the quotient: an infinity with its sign.
    const Number& u = q.collectedSecond ? q.denominatorLimit : q.numeratorLimit;
    const double l = inner.limit->value;
    const double value = (u.value > 0) == (1 + l > 0) ? kInf : -kInf;
    if (value != want) return {};
    out.push_back(Line(StepRule::LimitForm,
                       Signed(u) + "·(1 + " + Signed(*inner.limit) + ") = " + g.value.text,
                       SignedLatex(u) + " \\cdot \\left(1 + " + SignedLatex(*inner.limit) +
                           "\\right) = " + Latex(g.value)));
  }
  return out;
}

// The form of a power whose base and exponent depend on x: determined ("(+∞)^(−1) = 0⁺"), or
// 1^∞, 0⁰, ∞⁰ named and resolved by the notable limit (1 + 1/t)^t or as e^(exponent·ln(base)).
std::vector<Step> PowerForm(const Goal& g, const QuotientLimit& q) {
  const double want = g.value.value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const char* form = a == 1 && std::isinf(b)            ? "1^∞"
                     : a == 0 && b == 0                 ? "0⁰"
                     : a > 0 && std::isinf(a) && b == 0 ? "∞⁰"
                                                        : nullptr;
  if (!form) {
    std::optional<double> value;
    if (std::isinf(a) && a > 0 && b != 0) {
      value = b > 0 ? kInf : 0;
    } else if (q.numeratorLimit.text == "0⁺" && b != 0) {
      value = b > 0 ? 0 : kInf;
    } else if (std::isfinite(a) && a > 0 && a != 1 && std::isinf(b)) {
      value = (a > 1) == (b > 0) ? kInf : 0;
    }
    if (!value || !Same(*value, want)) return {};
    return {
        Line(StepRule::LimitForm,
             "(" + q.numeratorLimit.text + ")^" + Signed(q.denominatorLimit) + " = " + g.value.text,
             "\\left(" + Latex(q.numeratorLimit) + "\\right)^{" + Latex(q.denominatorLimit) +
                 "} = " + Latex(g.value))};
  }
  const std::string formLatex = a == 1 ? "1^{\\infty}" : a == 0 ? "0^{0}" : "\\infty^{0}";
  std::vector<Step> out = {Line(StepRule::IndeterminateForm,
                                std::string("forma indeterminata ") + form,
                                "\\text{forma indeterminata } " + formLatex)};
  // (1 + 1/t)^t → e for t → ±∞, t the exponent, recognised in the base as written.
  const std::string t = q.denominator.text;
  if (std::isinf(b) && q.numeratorLimit.text == "1" && Same(std::exp(1.0), want) &&
      q.numerator.text == "1 + 1/" + (t.size() == 1 ? t : "(" + t + ")")) {
    out.push_back(
        Line(StepRule::NotableLimit,
             "limite notevole: (1 + 1/t)^t → e per t → ∞, con t = " + t + kImplies + g.Result(),
             "\\text{limite notevole: } \\left(1 + \\frac{1}{t}\\right)^t \\to e "
             "\\text{ per } t \\to \\infty, \\text{ con } t = " +
                 q.denominator.latex + " \\Rightarrow " + g.ResultLatex()));
    return out;
  }
  std::optional<Step> rewritten = RewrittenLine(g, q);
  if (!rewritten) return out;
  const QuotientLimit& inner = q.inner.front();
  const Number& l = *inner.limit;
  std::vector<Step> lines = Lines(g.Of(inner), inner);
  if (!Resolved(lines) || !Same(std::exp(l.value), want)) return out;
  if (q.rewritten->text != g.own) out.push_back(*rewritten);  // not "ln(x)/x = ln(x)/x"
  out.insert(out.end(), lines.begin(), lines.end());
  const std::string power = l.value == 0          ? "0"
                            : std::isinf(l.value) ? Signed(l)
                            : l.text.find_first_not_of("0123456789") == std::string::npos
                                ? l.text
                                : "(" + l.text + ")";
  const std::string powerLatex = l.value == 0 ? "0" : Latex(l);
  out.push_back(Line(StepRule::LimitForm, g.Lim() + g.name + " = e^" + power + " = " + g.value.text,
                     g.LimLatex() + g.nameLatex + " = e^{" + powerLatex + "} = " + Latex(g.value)));
  return out;
}

// ln, e^, √ or arctg of an argument whose limit is where the function has a limit of its own:
// "ln(0⁺) = −∞", "e^(−∞) = 0⁺", "√(+∞) = +∞", "arctg(+∞) = π/2", when that is the limit; nothing
// for an argument with a finite limit the function is continuous at.
std::vector<Step> CallForm(const Goal& g, const QuotientLimit& q) {
  const Number& l = q.numeratorLimit;
  const double a = l.value, half = std::acos(-1.0) / 2;
  std::optional<double> value;
  std::string text, latex;
  if (q.function == "ln" && (l.text == "0⁺" || a == kInf)) {
    value = a == 0 ? -kInf : kInf;
    text = "ln(" + l.text + ")";
    latex = "\\ln\\left(" + Latex(l) + "\\right)";
  } else if (q.function == "exp" && std::isinf(a)) {
    value = a > 0 ? kInf : 0;
    text = "e^" + Signed(l);
    latex = "e^{" + Latex(l) + "}";
  } else if (q.function == "sqrt" && a == kInf) {
    value = kInf;
    text = "√(" + l.text + ")";
    latex = "\\sqrt{" + Latex(l) + "}";
  } else if (q.function == "atan" && std::isinf(a)) {
    value = a > 0 ? half : -half;
    text = "arctg(" + l.text + ")";
    latex = "\\operatorname{arctg}\\left(" + Latex(l) + "\\right)";
  }
  if (!value || !Same(*value, g.value.value)) return {};
  return {Line(StepRule::LimitForm, text + " = " + g.value.text, latex + " = " + Latex(g.value))};
}

// The limits of the two parts, then the form they give and how it is resolved; nothing when
// the form is no step a student writes or does not give the limit.
std::vector<Step> Lines(const Goal& g, const QuotientLimit& q) {
  if (q.op == 'c') {
    std::vector<Step> form = CallForm(g, q);
    if (form.empty()) return {};
    form.insert(
        form.begin(),
        Line(StepRule::LimitParts, g.Lim() + Part(q.numerator) + " = " + q.numeratorLimit.text,
             g.LimLatex() + PartLatex(q.numerator) + " = " + Latex(q.numeratorLimit)));
    return form;
  }
  std::vector<Step> rest = q.op == '/'   ? QuotientForm(g, q)
                           : q.op == '^' ? PowerForm(g, q)
                                         : SumOrProductForm(g, q);
  if (rest.empty()) return {};
  std::vector<Step> out = {Line(StepRule::LimitParts,
                                g.Lim() + Part(q.numerator) + " = " + q.numeratorLimit.text + ", " +
                                    g.Lim() + Part(q.denominator) + " = " + q.denominatorLimit.text,
                                g.LimLatex() + PartLatex(q.numerator) + " = " +
                                    Latex(q.numeratorLimit) + ", \\quad " + g.LimLatex() +
                                    PartLatex(q.denominator) + " = " + Latex(q.denominatorLimit))};
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

}  // namespace

std::vector<Step> Builder::ObliqueWorking(const AsymptoteItem& a, bool intercept,
                                          const std::string& own, const std::string& ownLatex) {
  const Number& value = intercept ? a.q : a.m;
  if (!a.m.exact || !value.exact) return {};
  const bool plus = a.side != Side::MinusInfinity;
  const Approach side = plus ? Approach::PlusInfinity : Approach::MinusInfinity;
  auto r = Ask<QuotientLimit>([&] { return engine_.ObliqueLimits(intercept, a.m, side); });
  Fn back;
  if (!r.determined || !back.Compile(r.value.expression.text)) return {};
  const Expr& e = r.value.expression;
  // After "lim" the difference in brackets, as in the line of q: "lim x→+∞ [f(x) − x]".
  const Goal g{Infinity(plus),
               side,
               value,
               intercept ? "[" + own + "]" : own,
               intercept ? "\\left[" + ownLatex + "\\right]" : ownLatex,
               own,
               ownLatex};
  std::vector<Step> lines = Lines(g, r.value);
  if (!Resolved(lines)) return {};
  std::vector<Step> out;
  if (e.text != own) {
    out.push_back(
        Line(StepRule::Rewritten, own + " = " + e.text, ownLatex + " = " + e.latex, e.text));
  }
  out.insert(out.end(), lines.begin(), lines.end());
  return out;
}

std::vector<Step> Builder::LimitsWorking() {
  std::vector<Step> out;
  for (const LimitItem& item : sheet_.limits.data.items) {
    if (!item.value || !item.value->exact || !item.value->checked) continue;
    auto a = Ask<QuotientLimit>([&] { return engine_.QuotientLimits(item.at, item.side); });
    if (!a.determined) continue;
    std::vector<Step> lines = Lines(Goal{item.at, item.side, *item.value}, a.value);
    out.insert(out.end(), lines.begin(), lines.end());
  }
  return out;
}

}  // namespace curvalis::study::sheet_build
