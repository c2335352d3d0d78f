// The elementary part of the formula language as an expression tree for the exact engine.
// The formula is read by our own parser (every student spelling included) and the tree is
// rebuilt from its plain stack code, so the engine studies exactly what the evaluator draws.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "exact_protocol/protocol.h"

namespace curvalis::study {

struct Translation {
  std::optional<Node> tree;  // set when the formula is elementary
  bool rejected = false;     // the parser rejected the formula: `reason` says why
  std::string reason;        // why it was rejected
  std::string construct;     // not elementary: the first construct outside ("INT", "IF")
};

// `funzione` as typed into f(x)= (without the leading "=").
Translation TranslateFormula(std::string_view funzione);

// A decimal number as the exact rational it reads as: 1.5 is "3/2", 0.1 is "1/10".
Node ExactDecimal(double v);

// The tree with x replaced by `value`.
Node Substitute(const Node& tree, const Node& value);

// The numeric value of a tree at x (NaN where it has none); the infinities as themselves.
double TreeValue(const Node& tree, double x = 0);

}  // namespace curvalis::study
