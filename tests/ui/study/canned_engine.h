// An exact engine with canned answers for a few formulas, and a delay before each answer when
// a test wants a slow engine. The answers are those the computer algebra system gives, so the
// sheet's own checks pass them as exact.
#pragma once

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <thread>

#include "study/exact_engine.h"

namespace curvalis::testing {

using namespace curvalis::study;

inline Number Exact(const char* text, double value, const char* latex = "") {
  return Number{text, latex, value, true};
}
inline Number PlusInf() {
  return Exact("+∞", std::numeric_limits<double>::infinity(), "+\\infty");
}
inline Number MinusInf() {
  return Exact("−∞", -std::numeric_limits<double>::infinity(), "-\\infty");
}

// What the engine knows of one function.
struct CannedStudy {
  Expr f, d1, d2;
  Domain domain;
  std::vector<Number> zeros[3];  // of f, f′, f″
  Symmetry symmetry;
  std::optional<Line> asymptote;                     // the same at both sides of infinity
  std::function<double(int which, double x)> value;  // f, f′, f″ at x
  std::map<double, Number> exactValues;              // f at the points the sheet asks for
};

inline Interval Open(Number from, Number to) {
  return Interval{std::move(from), std::move(to), false, false};
}

// (x² − 1)/(x − 2), the worked example.
inline CannedStudy WorkedExample() {
  CannedStudy s;
  s.f = {"(x² − 1)/(x − 2)", "\\frac{x^2-1}{x-2}", true};
  s.d1 = {"(x² − 4x + 1)/(x − 2)²", "\\frac{x^2-4x+1}{(x-2)^2}", true};
  s.d2 = {"6/(x − 2)³", "\\frac{6}{(x-2)^3}", true};
  s.domain = {"x ≠ 2", {Open(MinusInf(), Exact("2", 2)), Open(Exact("2", 2), PlusInf())}};
  s.zeros[0] = {Exact("−1", -1), Exact("1", 1)};
  s.zeros[1] = {Exact("2 − √3", 2 - std::sqrt(3.0), "2-\\sqrt{3}"),
                Exact("2 + √3", 2 + std::sqrt(3.0), "2+\\sqrt{3}")};
  s.asymptote = Line{Exact("1", 1), Exact("2", 2)};
  s.value = [](int which, double x) {
    const double d = x - 2;
    if (which == 0) return (x * x - 1) / d;
    if (which == 1) return (x * x - 4 * x + 1) / (d * d);
    return 6 / (d * d * d);
  };
  s.exactValues = {{0.0, Exact("1/2", 0.5, "\\frac{1}{2}")},
                   {-1.0, Exact("0", 0)},
                   {1.0, Exact("0", 0)},
                   {2 - std::sqrt(3.0), Exact("4 − 2√3", 4 - 2 * std::sqrt(3.0), "4-2\\sqrt{3}")},
                   {2 + std::sqrt(3.0), Exact("4 + 2√3", 4 + 2 * std::sqrt(3.0), "4+2\\sqrt{3}")}};
  return s;
}

// x³ − 3x: odd, defined everywhere, a maximum at −1 and a minimum at 1.
inline CannedStudy Cubic() {
  CannedStudy s;
  s.f = {"x³ − 3x", "x^3-3x", true};
  s.d1 = {"3x² − 3", "3x^2-3", true};
  s.d2 = {"6x", "6x", true};
  s.domain = {"x ∈ ℝ", {Open(MinusInf(), PlusInf())}};
  s.zeros[0] = {Exact("−√3", -std::sqrt(3.0), "-\\sqrt{3}"), Exact("0", 0),
                Exact("√3", std::sqrt(3.0), "\\sqrt{3}")};
  s.zeros[1] = {Exact("−1", -1), Exact("1", 1)};
  s.zeros[2] = {Exact("0", 0)};
  s.symmetry.parity = Parity::Odd;
  s.value = [](int which, double x) {
    if (which == 0) return x * x * x - 3 * x;
    if (which == 1) return 3 * x * x - 3;
    return 6 * x;
  };
  s.exactValues = {{0.0, Exact("0", 0)},
                   {-1.0, Exact("2", 2)},
                   {1.0, Exact("−2", -2)},
                   {std::sqrt(3.0), Exact("0", 0)},
                   {-std::sqrt(3.0), Exact("0", 0)}};
  return s;
}

class CannedEngine : public ExactEngine {
 public:
  explicit CannedEngine(std::chrono::milliseconds delay = {}) : m_delay(delay) {}

  // Questions answered so far, by every engine of this kind (the tests count them).
  static std::atomic<int>& questions() {
    static std::atomic<int> count{0};
    return count;
  }

  Answer<Expr> SetFunction(std::string_view funzione) override {
    wait();
    m_study.reset();
    if (funzione == "(x^2-1)/(x-2)") m_study = WorkedExample();
    if (funzione == "x^3-3*x") m_study = Cubic();
    if (!m_study) return no<Expr>("funzione sconosciuta al motore di prova");
    return yes(m_study->f);
  }
  Answer<Expr> Derivative(Which which) override {
    wait();
    if (!m_study) return no<Expr>("nessuna funzione");
    return yes(which == Which::D2 ? m_study->d2 : which == Which::D1 ? m_study->d1 : m_study->f);
  }
  Answer<Domain> DomainOf(Which) override {
    wait();
    if (!m_study) return no<Domain>("nessuna funzione");
    return yes(m_study->domain);
  }
  Answer<std::vector<Number>> Solve(Which which) override {
    wait();
    if (!m_study) return no<std::vector<Number>>("nessuna funzione");
    return yes(m_study->zeros[int(which)]);
  }
  Answer<std::optional<Number>> Limit(Which which, const Number& at, Approach side) override {
    wait();
    if (!m_study) return no<std::optional<Number>>("nessuna funzione");
    // Read off far out or close by: the canned functions have plain limits.
    double x = 0;
    switch (side) {
      case Approach::Left:
        x = at.value - 1e-9;
        break;
      case Approach::Right:
        x = at.value + 1e-9;
        break;
      case Approach::MinusInfinity:
        x = -1e12;
        break;
      case Approach::PlusInfinity:
        x = 1e12;
        break;
    }
    const double y = m_study->value(int(which), x);
    std::optional<Number> result;
    if (std::abs(y) > 1e6) {
      result = y > 0 ? PlusInf() : MinusInf();
    } else {
      const double r = std::round(y);
      result = Exact(r == 0 ? "0" : r == 1 ? "1" : r == 6 ? "6" : "0", r);
    }
    return yes(result);
  }
  Answer<std::optional<Line>> Asymptote(bool) override {
    wait();
    if (!m_study) return no<std::optional<Line>>("nessuna funzione");
    return yes(m_study->asymptote);
  }
  Answer<Symmetry> SymmetryOf() override {
    wait();
    if (!m_study) return no<Symmetry>("nessuna funzione");
    return yes(m_study->symmetry);
  }
  Answer<Number> ValueAt(Which which, const Number& at) override {
    wait();
    if (!m_study) return no<Number>("nessuna funzione");
    const double y = m_study->value(int(which), at.value);
    if (!std::isfinite(y)) return no<Number>("fuori dal dominio");
    if (which == Which::F) {
      for (const auto& [x, n] : m_study->exactValues) {
        if (std::abs(x - at.value) < 1e-12) return yes(n);
      }
    }
    char text[40];
    std::snprintf(text, sizeof text, "≈ %.10g", y);
    return yes(Number{text, text, y, false});
  }

 private:
  void wait() {
    ++questions();
    if (m_delay.count() > 0) std::this_thread::sleep_for(m_delay);
  }
  template <typename T>
  static Answer<T> yes(T value) {
    Answer<T> a;
    a.determined = true;
    a.value = std::move(value);
    return a;
  }
  template <typename T>
  static Answer<T> no(const char* reason) {
    Answer<T> a;
    a.reason = reason;
    return a;
  }

  std::chrono::milliseconds m_delay;
  std::optional<CannedStudy> m_study;
};

}  // namespace curvalis::testing
