#include "exact_engine/numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace curvalis::study {

Number Infinity(bool plus) {
  Number n;
  n.text = plus ? "+∞" : "−∞";
  n.latex = plus ? "+\\infty" : "-\\infty";
  n.value =
      plus ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
  n.exact = true;
  return n;
}

std::string DecimalText(double value) {
  if (std::fabs(value) < 1e-12) value = 0;
  char buf[64];
  // Ten significant digits, trailing zeros kept, as the exact engine writes its decimals.
  std::snprintf(buf, sizeof buf, "%#.10g", std::fabs(value));
  std::string digits = buf;
  // "1e+20" in the student notation is "1E+20", which the formula language reads.
  for (char& c : digits) {
    if (c == 'e') c = 'E';
  }
  return (value < 0 ? "−" : "") + digits;
}

Number Approx(double value) {
  if (std::fabs(value) < 1e-12) value = 0;
  Number n;
  const std::string d = DecimalText(value);
  n.text = "≈ " + d;
  std::string latex = d;
  if (latex.rfind("−", 0) == 0) latex = "-" + latex.substr(std::string("−").size());
  n.latex = "\\approx " + latex;
  n.value = value;
  n.exact = false;
  return n;
}

bool SameX(double a, double b) {
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(a) + std::fabs(b));
}

}  // namespace curvalis::study
