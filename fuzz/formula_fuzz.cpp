// Compiles any input as a formula and evaluates what compiles at a few abscissae.
// Properties: nothing throws or crashes; a rejection has a reason; a compiled formula gives
// the same value twice; one evaluation stays far below a millisecond (the language has no
// loops, so only a pathological program could take long).
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/formula.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  curvalis::CompiledFormula f;
  curvalis::FormulaReject reason = f.Compile(text);
  if (reason != curvalis::FormulaReject::None) {
    if (f.IsCompiled()) std::abort();
    return 0;
  }
  const double xs[] = {0, 1, -1, 0.5, -3.2, 1e9, -1e9, 1e300, 5e-324, NAN};
  for (double x : xs) {
    auto start = std::chrono::steady_clock::now();
    curvalis::Value a = f.Evaluate(x);
    double n = f.EvaluateNumber(x);
    auto took = std::chrono::steady_clock::now() - start;
    if (took > std::chrono::milliseconds(5)) std::abort();
    curvalis::Value b = f.Evaluate(x);
    if (a.kind != b.kind || a.error != b.error || a.text != b.text) std::abort();
    if (a.kind == curvalis::ValueKind::Number && !(a.number == b.number)) std::abort();
    if (a.kind == curvalis::ValueKind::Number && !std::isfinite(a.number)) std::abort();
    double expected = curvalis::NumberOrNaN(a);
    if (!(std::isnan(n) && std::isnan(expected)) && n != expected) std::abort();
  }
  return 0;
}
