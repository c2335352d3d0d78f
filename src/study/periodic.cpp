#include "study/periodic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "core/formula.h"
#include "core/prepare_formula.h"
#include "exact_engine/numbers.h"
#include "study/sheet.h"

namespace curvalis::study {
namespace {

// p/q·π (withPi) or p/q as a student writes it, "3π/4", "−π/2", "2π", "3/2", and in LaTeX.
Number RationalNumber(long p, long q, bool withPi) {
  const long g = std::gcd(std::labs(p), q);
  p /= g;
  q /= g;
  Number n;
  n.exact = true;
  n.value = double(p) / double(q) * (withPi ? M_PI : 1.0);
  if (p == 0) {
    n.text = n.latex = "0";
    return n;
  }
  const std::string sign = p < 0 ? "−" : "", latexSign = p < 0 ? "-" : "";
  const long a = std::labs(p);
  std::string top = withPi ? (a == 1 ? "π" : std::to_string(a) + "π") : std::to_string(a);
  std::string latexTop =
      withPi ? (a == 1 ? "\\pi" : std::to_string(a) + "\\pi") : std::to_string(a);
  n.text = sign + top + (q == 1 ? "" : "/" + std::to_string(q));
  n.latex = latexSign + (q == 1 ? latexTop : "\\frac{" + latexTop + "}{" + std::to_string(q) + "}");
  return n;
}

// The value a student text reads as with our evaluator (NaN when it has none).
double ReadsAs(const std::string& text) {
  CompiledFormula formula;
  if (formula.Compile(PrepareFormula(text)) != FormulaReject::None) return NAN;
  return formula.EvaluateNumber(0);
}

}  // namespace

std::optional<Number> RationalOrPiMultiple(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  for (bool withPi : {true, false}) {
    const double unit = withPi ? M_PI : 1.0;
    for (long q = 1; q <= 24; ++q) {
      const double p = std::round(v / unit * q);
      if (std::fabs(p) > 1e6) break;
      if (std::fabs(p * unit / q - v) > 1e-12 * (1 + std::fabs(v))) continue;
      Number n = RationalNumber(long(p), q, withPi);
      if (std::fabs(ReadsAs(n.text) - v) <= 1e-12 * (1 + std::fabs(v))) return n;
    }
  }
  return std::nullopt;
}

std::optional<Number> Shifted(const Number& n, const Number& by, int times) {
  const double v = n.value + times * by.value;
  if (times == 0) return n;
  if (!n.exact || !by.exact) return Approx(v);
  // Only sums of two rational multiples of π (or two rationals) are written here, so the
  // parts must be such numbers themselves.
  if (!RationalOrPiMultiple(n.value) || !RationalOrPiMultiple(by.value)) return std::nullopt;
  return RationalOrPiMultiple(v);
}

std::string KTimes(const Number& period) {
  const std::string& t = period.text;
  if (t == "1") return "k";
  if (const auto pi = t.find("π"); pi != std::string::npos) {
    return t.substr(0, pi) + "k" + t.substr(pi);
  }
  if (!t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return t + "k";
  }
  return "k·(" + t + ")";
}

std::vector<std::string> EveryPeriod(std::vector<Number> points, const Number& period) {
  const double t = period.value;
  // Each point moved into [0; T[ where that can be written exactly.
  for (Number& p : points) {
    const int k = int(std::floor(p.value / t + 1e-12));
    if (k == 0) continue;
    if (auto moved = Shifted(p, period, -k)) p = *moved;
  }
  std::sort(points.begin(), points.end(),
            [](const Number& a, const Number& b) { return a.value < b.value; });
  points.erase(std::unique(points.begin(), points.end(),
                           [&](const Number& a, const Number& b) {
                             const double d = std::fabs(a.value - b.value) / t;
                             return std::fabs(d - std::round(d)) < 1e-9;
                           }),
               points.end());
  Number step = period;
  // Points evenly spaced over the period are one progression of step T/n.
  if (points.size() > 1) {
    const double s = t / double(points.size());
    bool even = true;
    for (std::size_t i = 1; i < points.size(); ++i) {
      even = even && SameX(points[i].value - points[i - 1].value, s);
    }
    auto small = RationalOrPiMultiple(s);
    if (even && small && period.exact) {
      step = *small;
      points.resize(1);
    }
  }
  std::vector<std::string> out;
  for (const Number& p : points) {
    const std::string k = KTimes(step);
    out.push_back(SameX(p.value, 0) ? k : p.text + " + " + k);
  }
  return out;
}

std::vector<std::pair<double, std::string>> PiTicks(double lo, double hi, double step) {
  std::vector<std::pair<double, std::string>> out;
  if (!(step > 0) || !(hi > lo) || (hi - lo) / step > 200) return out;
  for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + 1e-9 * step; k += 1) {
    const double x = k * step;
    auto n = RationalOrPiMultiple(x);
    out.emplace_back(x, n ? n->text : Approx(x).text.substr(std::string("≈ ").size()));
  }
  return out;
}

}  // namespace curvalis::study
