// The working of the derivatives, read from the formula tree by our own code: which rule of
// derivation each operation of f needs, outermost first, and the line a student writes for it
// ("D[x² − 1] = 2x", "f′(x) = (2x·(x − 2) − (x² − 1))/(x − 2)²"). The derivative of each operand
// is an algebra question for the computer algebra system, asked through `Derive`; every line
// is checked against the difference quotients of what it derives and left out when they
// disagree. Standard C++ only.
#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "exact_engine/engine.h"
#include "exact_protocol/protocol.h"

namespace curvalis::study {

// The derivative of an expression of x, simplified, or nullopt when it cannot be had.
using Derive = std::function<std::optional<Node>(const Node&)>;

// The lines of the working of g′ (g is f for f′, f′ for f″; `second` names the result f″).
// The first line is the rule of the whole of g with the derivatives of its operands written
// out; then one line for each operand that needs a rule of its own, in reading order, and one
// for each derivative from the table used ("D[ln(x)] = 1/x"), once each.
std::vector<Step> DerivationSteps(const Node& g, const Derive& derive, bool second);

// The numerator of g when g is a quotient at its top (its factors that are no denominator);
// nullopt otherwise.
std::optional<Node> NumeratorOf(const Node& g);

// The denominator of g when g is a quotient at its top (the product of its denominators).
std::optional<Node> DenominatorOf(const Node& g);

// g as a product or a sum at its top that is no quotient: its first factor (term) and the
// product (sum) of the others, `op` '*' or '+'; nullopt otherwise.
std::optional<std::pair<Node, Node>> FirstAndRest(const Node& g, char* op);

// The degree of a polynomial in x read from its tree (sums, products, whole powers of
// polynomials, numbers); nullopt for any other expression. A sum whose highest terms cancel
// reads higher than it is: the caller confirms the degree on values.
std::optional<int> PolynomialDegree(const Node& n);

// Where an expression stands in the hierarchy of infinities at ±∞: 1 for ln of a polynomial, 2
// for a polynomial of degree 1 or more, 3 for e to such a polynomial, the same for a positive
// number times one of them; 0 for anything else.
int InfinityOrder(const Node& n);

// The tree with the products by 1, the sums with 0 and the powers 1 taken away.
Node Tidy(const Node& n);

// Whether a and b have the same value at the sample points where both have one (at least two),
// and no value at the same points.
bool SameAtPoints(const Node& a, const Node& b);

}  // namespace curvalis::study
