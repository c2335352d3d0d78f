// A double of the exact engine with the answers of a textbook written in: each function of the
// tests carries the exact answers a computer algebra system gives for it.
#pragma once

#include <chrono>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "exact_engine/engine.h"

namespace curvalis::study::testing {

inline Number N(std::string text, double value, std::string latex = "") {
  Number n;
  n.text = std::move(text);
  n.latex = latex.empty() ? n.text : std::move(latex);
  n.value = value;
  n.exact = true;
  return n;
}

inline Number Inf(bool plus) {
  return N(plus ? "+∞" : "−∞", plus ? INFINITY : -INFINITY, plus ? "+\\infty" : "-\\infty");
}

// A root the engine found only numerically.
inline Number Near(std::string text, double value) {
  Number n = N(std::move(text), value);
  n.exact = false;
  return n;
}

inline Interval Iv(Number a, Number b, bool closedLeft = false, bool closedRight = false) {
  return Interval{std::move(a), std::move(b), closedLeft, closedRight};
}

inline Domain Reals() {
  return Domain{"x ∈ ℝ", {Iv(Inf(false), Inf(true))}};
}

struct Canned {
  std::string funzione;
  Expr f;
  Expr d1, d2;
  Domain domain[3];                                                              // of f, f′, f″
  std::vector<Number> roots[3];                                                  // of f, f′, f″
  std::vector<std::tuple<std::string, Approach, std::optional<Number>>> limits;  // at's text
  std::optional<Line> asymptote[2];  // at −∞, at +∞
  Symmetry symmetry;
  std::vector<std::pair<std::string, Number>> values;  // f at a point, by the point's text
  std::string noStudy;  // set: every question is undetermined, with this detail
  Reason noStudyWhy = Reason::NotElementary;  // and this kind
  // Set: f is written (as a client writes it without its helper), every other question is
  // undetermined, the helper unavailable.
  bool helperDown = false;
  // The working, when the test gives one: the conditions of existence, the rules of f′.
  std::optional<std::vector<ConditionWork>> conditions;
  std::vector<Step> d1Steps;
  // The conditions of existence our code reads from f's tree (nullopt: none read), and the
  // engine's domain of each guard, by the guard's text.
  std::optional<std::vector<ExistenceCondition>> existence;
  std::vector<std::pair<std::string, Domain>> guardDomains;
};

class CannedEngine : public ExactEngine {
 public:
  explicit CannedEngine(Canned c, int delayMs = 0) : c_(std::move(c)), delayMs_(delayMs) {}

  int questions = 0;
  // A fake clock that each question moves on by `answerTime`: an engine that answers slowly,
  // without a test that sleeps.
  std::chrono::steady_clock::time_point now{};
  std::chrono::milliseconds answerTime{0};
  std::optional<std::chrono::milliseconds> timeLeft;  // as the sheet last told it
  void SetTimeLeft(std::optional<std::chrono::milliseconds> left) override { timeLeft = left; }
  std::optional<std::vector<ExistenceCondition>> ConditionsOfExistence() override {
    return c_.existence;
  }
  Answer<Domain> DomainOfText(std::string_view guard) override {
    Wait();
    for (const auto& [text, d] : c_.guardDomains) {
      if (text == guard) return Give(d);
    }
    return Answer<Domain>{false, {}, Reason::NotFound, {}};
  }

  Answer<Expr> SetFunction(std::string_view) override {
    Wait();
    Answer<Expr> a = Give(c_.f);
    if (c_.helperDown) a = {true, c_.f, Reason::None, {}};
    return a;
  }
  Answer<Expr> Derivative(Which which) override {
    Wait();
    return Give(which == Which::D1 ? c_.d1 : c_.d2);
  }
  Answer<Domain> DomainOf(Which which) override {
    Wait();
    return Give(c_.domain[int(which)]);
  }
  Answer<std::vector<Number>> Solve(Which which) override {
    Wait();
    return Give(c_.roots[int(which)]);
  }
  Answer<std::optional<Number>> Limit(Which, const Number& at, Approach side) override {
    Wait();
    for (const auto& [text, s, value] : c_.limits) {
      if (s == side &&
          (side == Approach::MinusInfinity || side == Approach::PlusInfinity || text == at.text)) {
        return Give(value);
      }
    }
    return Answer<std::optional<Number>>{false, {}, Reason::NotFound, {}};
  }
  Answer<std::optional<Line>> Asymptote(bool plus) override {
    Wait();
    return Give(c_.asymptote[plus ? 1 : 0]);
  }
  Answer<Symmetry> SymmetryOf() override {
    Wait();
    return Give(c_.symmetry);
  }
  Answer<Number> ValueAt(Which, const Number& at) override {
    Wait();
    for (const auto& [text, value] : c_.values) {
      if (text == at.text) return Give(value);
    }
    return Answer<Number>{false, {}, Reason::NotFound, {}};
  }
  Answer<std::vector<ConditionWork>> ExistenceConditions() override {
    Wait();
    if (!c_.conditions) return {};
    return Give(*c_.conditions);
  }
  Answer<std::vector<Step>> DerivationSteps(Which which) override {
    Wait();
    if (which != Which::D1 || c_.d1Steps.empty()) return {};
    return Give(c_.d1Steps);
  }

 private:
  void Wait() {
    ++questions;
    now += answerTime;
    if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
  }
  template <typename T>
  Answer<T> Give(const T& value) const {
    Answer<T> a;
    if (!c_.noStudy.empty() || c_.helperDown) {
      a.why = c_.noStudy.empty() ? Reason::Unavailable : c_.noStudyWhy;
      a.detail = c_.noStudy;
      return a;
    }
    a.determined = true;
    a.value = value;
    return a;
  }

  Canned c_;
  int delayMs_;
};

// The worked example of the sheet: f(x) = (x² − 1)/(x − 2).
inline Canned WorkedExample() {
  const double r3 = std::sqrt(3.0);
  Canned c;
  c.funzione = "(x^2-1)/(x-2)";
  c.f = {"(x² − 1)/(x − 2)", "\\frac{x^2-1}{x-2}", true};
  c.d1 = {"(x² − 4x + 1)/(x − 2)²", "\\frac{x^2-4x+1}{(x-2)^2}", true};
  c.d2 = {"6/(x − 2)³", "\\frac{6}{(x-2)^3}", true};
  const Domain d{"x ≠ 2", {Iv(Inf(false), N("2", 2)), Iv(N("2", 2), Inf(true))}};
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[0] = {N("−1", -1, "-1"), N("1", 1)};
  c.roots[1] = {N("2 − √3", 2 - r3, "2-\\sqrt{3}"), N("2 + √3", 2 + r3, "2+\\sqrt{3}")};
  c.limits = {{"", Approach::MinusInfinity, Inf(false)},
              {"2", Approach::Left, Inf(false)},
              {"2", Approach::Right, Inf(true)},
              {"", Approach::PlusInfinity, Inf(true)}};
  c.asymptote[0] = c.asymptote[1] = Line{N("1", 1), N("2", 2)};
  c.values = {{"0", N("1/2", 0.5, "\\frac{1}{2}")},
              {"2 − √3", N("4 − 2√3", 4 - 2 * r3, "4-2\\sqrt{3}")},
              {"2 + √3", N("4 + 2√3", 4 + 2 * r3, "4+2\\sqrt{3}")}};
  return c;
}

// x³ (an inflection with a horizontal tangent) and a function that is not elementary.
inline Canned Cube() {
  Canned c;
  c.funzione = "x^3";
  c.f = {"x³", "x^3", true};
  c.d1 = {"3x²", "3x^2", true};
  c.d2 = {"6x", "6x", true};
  c.domain[0] = c.domain[1] = c.domain[2] = Reals();
  c.roots[0] = c.roots[1] = c.roots[2] = {N("0", 0)};
  c.limits = {{"", Approach::MinusInfinity, Inf(false)}, {"", Approach::PlusInfinity, Inf(true)}};
  c.symmetry.parity = Parity::Odd;
  c.values = {{"0", N("0", 0)}};
  return c;
}

// (x³ − 4x)/(x² − 1): three zeros between two poles and an oblique asymptote.
inline Canned CubicOverSquare() {
  Canned c;
  c.funzione = "(x^3-4x)/(x^2-1)";
  c.f = {"(x³ − 4x)/(x² − 1)", "\\frac{x^3-4x}{x^2-1}", true};
  c.d1 = {"(x^4 + x² + 4)/(x² − 1)²", "\\frac{x^4+x^2+4}{(x^2-1)^2}", true};
  c.d2 = {"−6x(x² + 3)/(x² − 1)³", "-\\frac{6x(x^2+3)}{(x^2-1)^3}", true};
  const Domain d{"x ≠ −1 ∧ x ≠ 1",
                 {Iv(Inf(false), N("−1", -1, "-1")), Iv(N("−1", -1, "-1"), N("1", 1)),
                  Iv(N("1", 1), Inf(true))}};
  c.domain[0] = c.domain[1] = c.domain[2] = d;
  c.roots[0] = {N("−2", -2, "-2"), N("0", 0), N("2", 2)};
  c.roots[2] = {N("0", 0)};
  c.limits = {{"", Approach::MinusInfinity, Inf(false)}, {"−1", Approach::Left, Inf(false)},
              {"−1", Approach::Right, Inf(true)},        {"1", Approach::Left, Inf(true)},
              {"1", Approach::Right, Inf(false)},        {"", Approach::PlusInfinity, Inf(true)}};
  c.asymptote[0] = c.asymptote[1] = Line{N("1", 1), N("0", 0)};
  c.symmetry.parity = Parity::Odd;
  c.values = {{"0", N("0", 0)}};
  return c;
}

inline Canned Step() {
  Canned c;
  c.funzione = "INT(x)+0.5";
  c.noStudy = "INT";
  return c;
}

}  // namespace curvalis::study::testing
