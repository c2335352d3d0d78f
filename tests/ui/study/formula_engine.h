// An exact engine double that knows a few functions by their formula, each with the canned
// answers of the sheet's tests, and waits before each answer when a test wants a slow engine.
// A formula it does not know has no study ("funzione non elementare: sconosciuta al motore di
// prova").
#pragma once

#include <atomic>
#include <memory>

#include "study/canned_engine.h"

namespace curvalis::testing {

using namespace curvalis::study;
using namespace curvalis::study::testing;

// x³ − 3x: odd, defined everywhere, a maximum at −1, a minimum at 1, an inflection at 0.
inline Canned Cubic() {
  const double r3 = std::sqrt(3.0);
  Canned c;
  c.funzione = "x^3-3*x";
  c.f = {"x³ − 3x", "x^3-3x", true};
  c.d1 = {"3x² − 3", "3x^2-3", true};
  c.d2 = {"6x", "6x", true};
  c.domain[0] = c.domain[1] = c.domain[2] = Reals();
  c.roots[0] = {N("−√3", -r3, "-\\sqrt{3}"), N("0", 0), N("√3", r3, "\\sqrt{3}")};
  c.roots[1] = {N("−1", -1, "-1"), N("1", 1)};
  c.roots[2] = {N("0", 0)};
  c.limits = {{"", Approach::MinusInfinity, Inf(false)}, {"", Approach::PlusInfinity, Inf(true)}};
  c.symmetry.parity = Parity::Odd;
  c.values = {{"0", N("0", 0)},
              {"−1", N("2", 2)},
              {"1", N("−2", -2, "-2")},
              {"−√3", N("0", 0)},
              {"√3", N("0", 0)}};
  return c;
}

class FormulaEngine : public ExactEngine {
 public:
  explicit FormulaEngine(int delayMs = 0) : m_delayMs(delayMs) {}

  Answer<Expr> SetFunction(std::string_view funzione) override {
    Canned c;
    for (const Canned& known : {WorkedExample(), Cubic()}) {
      if (funzione == known.funzione) c = known;
    }
    if (c.funzione.empty()) c.noStudy = "sconosciuta al motore di prova";
    if (c.funzione == WorkedExample().funzione) {  // with its working
      c.conditions = {
          {Expr{"x − 2 ≠ 0", "x - 2 \\neq 0", true}, "denominatore", Domain{"x ≠ 2", {}}}};
      c.d1Steps = {{StepRule::Quotient, "f′(x) = (2x·(x − 2) − (x² − 1))/(x − 2)²",
                    "f'(x) = \\frac{2x(x - 2) - (x^2 - 1)}{(x - 2)^2}",
                    "(2x·(x − 2) − (x² − 1))/(x − 2)²"}};
    }
    m_engine = std::make_unique<CannedEngine>(c, m_delayMs);
    return m_engine->SetFunction(funzione);
  }
  Answer<Expr> Derivative(Which w) override { return m_engine->Derivative(w); }
  Answer<Domain> DomainOf(Which w) override { return m_engine->DomainOf(w); }
  Answer<std::vector<Number>> Solve(Which w) override { return m_engine->Solve(w); }
  Answer<std::optional<Number>> Limit(Which w, const Number& at, Approach side) override {
    return m_engine->Limit(w, at, side);
  }
  Answer<std::optional<Line>> Asymptote(bool plus) override { return m_engine->Asymptote(plus); }
  Answer<Symmetry> SymmetryOf() override { return m_engine->SymmetryOf(); }
  Answer<Number> ValueAt(Which w, const Number& at) override { return m_engine->ValueAt(w, at); }
  Answer<std::vector<ConditionWork>> ExistenceConditions() override {
    return m_engine->ExistenceConditions();
  }
  Answer<std::vector<study::Step>> DerivationSteps(Which w) override {
    return m_engine->DerivationSteps(w);
  }

 private:
  int m_delayMs;
  std::unique_ptr<CannedEngine> m_engine = std::make_unique<CannedEngine>(NoFunction());

  static Canned NoFunction() {
    Canned c;
    c.noStudy = "nessuna funzione";
    return c;
  }
};

}  // namespace curvalis::testing
