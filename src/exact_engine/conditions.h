// The conditions of existence of f, read from its formula tree by our own code, as a student
// writes them before solving: one condition for each operation that is not defined everywhere
// ("x − 2 ≠ 0" for a denominator, "x² − 4 > 0" for the argument of a logarithm, "1 − x² ≥ 0"
// for a radicand, "x ≠ π/2 + kπ" for the argument of the tangent). Their intersection is the
// domain of f as the evaluator computes it. Nothing is solved here: solving each condition is
// a question for the exact engine, whose answer, a condition on x, DomainOfCondition reads as
// intervals. Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exact_engine/engine.h"
#include "exact_protocol/protocol.h"

namespace curvalis::study {

// What the sub-expression u must satisfy.
enum class ConditionKind {
  NonZero,           // u ≠ 0
  Positive,          // u > 0
  NonNegative,       // u ≥ 0
  InUnitInterval,    // −1 ≤ u ≤ 1
  NotHalfPiPlusKPi,  // u ≠ π/2 + kπ, k ∈ ℤ
};

// Which operation the condition comes from.
enum class ConditionSource {
  Denominator,      // "denominatore": 1/u, u^(−n)
  LogArgument,      // "argomento del logaritmo": ln(u), log(u)
  Radicand,         // "radicando": √u
  ArcsinArgument,   // "argomento dell'arcoseno": arcsin(u)
  ArccosArgument,   // "argomento dell'arcocoseno": arccos(u)
  TangentArgument,  // "argomento della tangente": tg(u)
  PowerBase,        // "base di una potenza con esponente reale": u^(1/3), u^x
};

struct Condition {
  ConditionKind kind = ConditionKind::NonZero;
  Node expr;  // u, a sub-expression of f that depends on x
  ConditionSource source = ConditionSource::Denominator;
};

// The conditions of f in the order a student writes them: reading the formula from the left,
// the conditions inside an argument before the condition on the argument itself (ln(ln(x)):
// "x > 0", then "ln(x) > 0"). Each (kind, sub-expression) once, with the source where it first
// appears; u ≥ 0 is not written after u > 0, and a root in a denominator (1/√u) gives u > 0
// (radicando) alone. A sub-expression without x gives no condition, nor does one that holds
// everywhere (the denominator e^u, the argument of a logarithm e^u). For a denominator u^n (n a
// positive whole number), |u| or −u, the condition is written on u: 1/(x − 2)² gives "x − 2 ≠ 0".
// A power u^r with r a number that is not whole needs u ≥ 0 (u > 0 when r < 0); a power
// u^v with v depending on x needs u > 0 (the evaluator gives no value for a negative base
// with an exponent that is not whole).
std::vector<Condition> ConditionsOfExistence(const Node& f);

// The condition as a student writes it, in the student notation ("x − 2 ≠ 0", "−1 ≤ x ≤ 1",
// "x ≠ π/2 + kπ") and in LaTeX ("x - 2 \neq 0"). The sides are formulas that read back.
std::string ConditionText(const Condition& c);
std::string ConditionLatex(const Condition& c);
// "denominatore", "argomento del logaritmo", "radicando", ...
std::string_view ConditionSourceText(ConditionSource source);

// An expression whose domain is exactly where the condition holds: 1/u, ln(u), √u, arcsin(u),
// tg(u). Asking the exact engine for its domain solves the condition.
Node ConditionGuard(const Condition& c);

// Whether the condition holds at x by our own evaluator (false where u has no value).
bool ConditionHolds(const Condition& c, double x);

// The intervals where `cond` (x compared with constants, joined by and/or) holds, inside
// [0; period[ for a periodic f, decided exactly by the order of its constants, and the
// condition as a student writes it; nullopt when the condition is not of that form.
std::optional<Domain> DomainOfCondition(const Node& cond, const std::optional<Number>& period);

}  // namespace curvalis::study
