// The working of Limiti: for f a quotient (a product, a sum) at its top, the limits of its two
// parts, the form they give, and how an indeterminate one is resolved (the degrees, the
// hierarchy of infinities, a notable limit, f simplified, De l'Hôpital, the highest power of a
// polynomial). Every line is written from the sheet's own limit and only where it gives it.
#include <algorithm>
#include <cctype>

#include "study/sheet_builder.h"
#include "study/working_lines.h"

namespace curvalis::study::sheet_build {

namespace {

// A part in parentheses after "lim", unless it is one word or one call ("ln(1 + x)").
std::string Part(const Expr& e) {
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
}

std::string PartLatex(const Expr& e) {
  return "\\left(" + e.latex + "\\right)";
}

// A notable limit that tends to 1 as t → 0, t the denominator: sin(t)/t, (e^t − 1)/t,
// ln(1 + t)/t, recognised in the numerator as written; `result` is the sheet's limit.
std::optional<Step> NotableLimit(const QuotientLimit& q, const std::string& result,
                                 const std::string& resultLatex) {
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
                    kImplies + result,
                std::string("\\text{limite notevole: } ") + n.latex +
                    " \\to 1 \\text{ per } t \\to 0, \\text{ con } t = " + q.denominator.latex +
                    " \\Rightarrow " + resultLatex);
  }
  return std::nullopt;
}

}  // namespace

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
  std::vector<Step> out;
  out.push_back(Line(StepRule::LimitParts,
                     lim + Part(q.numerator) + " = " + q.numeratorLimit.text + ", " + lim +
                         Part(q.denominator) + " = " + q.denominatorLimit.text,
                     limLatex + PartLatex(q.numerator) + " = " + Latex(q.numeratorLimit) +
                         ", \\quad " + limLatex + PartLatex(q.denominator) + " = " +
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
  std::vector<Step> how = ResolvedForm(item, q);
  out.insert(out.end(), how.begin(), how.end());
  return out;
}

std::vector<Step> Builder::ResolvedForm(const LimitItem& item, const QuotientLimit& q) {
  const double want = item.value->value;
  const double a = q.numeratorLimit.value, b = q.denominatorLimit.value;
  const bool zeroOverZero = a == 0 && b == 0, infOverInf = std::isinf(a) && std::isinf(b);
  const std::string lim = LimitText(item.at, item.side), limLatex = LimitLatex(item.at, item.side);
  std::vector<Step> out;
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
  if (zeroOverZero && want == 1) {
    if (std::optional<Step> notable = NotableLimit(q, result, resultLatex)) return {*notable};
  }
  if (zeroOverZero && q.simplified) {
    // f simplified has the limit as its value at the point: read back and compared.
    Fn s;
    const double v = s.Compile(q.simplified->text) ? s(item.at.value) : kNaN;
    if (std::isfinite(v) && std::fabs(v - want) <= 1e-9 * std::max(1.0, std::fabs(want))) {
      out.push_back(Line(StepRule::SimplifiedLimit,
                         "f(x) = " + q.simplified->text + " per x ≠ " + item.at.text + kImplies +
                             lim + "f(x) = " + lim + Part(*q.simplified) + " = " + item.value->text,
                         "f(x) = " + q.simplified->latex + " \\text{ per } x \\neq " +
                             Latex(item.at) + " \\Rightarrow " + limLatex + "f(x) = " + limLatex +
                             PartLatex(*q.simplified) + " = " + Latex(*item.value),
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
    const std::string ratio = Part(dn) + "/" + Part(dd);
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

}  // namespace curvalis::study::sheet_build
