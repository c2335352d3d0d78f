#include "exact_engine/conditions.h"

#include <cmath>
#include <numbers>

#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {

namespace {

class Reader {
 public:
  std::vector<Condition> Run(const Node& f) {
    Walk(f);
    return std::move(out_);
  }

 private:
  void Add(ConditionKind kind, const Node& u, ConditionSource source) {
    if (!HasX(u)) return;
    const std::string key = TreeText(u);
    for (const Condition& c : out_) {
      if ((c.kind == kind ||
           (kind == ConditionKind::NonNegative && c.kind == ConditionKind::Positive)) &&
          TreeText(c.expr) == key)
        return;
    }
    out_.push_back(Condition{kind, u, source});
  }

  // The expression a denominator's condition is written on: (x − 2)², |x − 2| and −(x − 2)
  // are non-zero where x − 2 is.
  static const Node& Core(const Node& u) {
    if (u.Is("neg") || u.Is("abs")) return Core(u.args[0]);
    if (u.Is("^") && !HasX(u.args[1])) {
      const double r = TreeValue(u.args[1]);
      if (r > 0 && r == std::floor(r)) return Core(u.args[0]);
    }
    return u;
  }

  void Denominator(const Node& u) {
    const Node& core = Core(u);
    if (core.Is("exp")) return;  // never 0
    // A root in a denominator: its radicand must be positive, not only non-negative.
    if (core.Is("sqrt") && HasX(core.args[0])) {
      const std::string key = TreeText(core.args[0]);
      for (Condition& c : out_) {
        if (c.kind == ConditionKind::NonNegative && TreeText(c.expr) == key) {
          c.kind = ConditionKind::Positive;
          return;
        }
      }
      Add(ConditionKind::Positive, core.args[0], ConditionSource::Radicand);
      return;
    }
    Add(ConditionKind::NonZero, core, ConditionSource::Denominator);
  }

  void Walk(const Node& n) {
    if (n.kind != Node::Kind::Op) return;
    for (const Node& a : n.args) Walk(a);
    if (n.args.empty()) return;
    const Node& u = n.args[0];
    if (n.Is("inv")) {
      Denominator(u);
    } else if (n.Is("ln") || n.Is("log10")) {
      if (!u.Is("exp")) Add(ConditionKind::Positive, u, ConditionSource::LogArgument);
    } else if (n.Is("sqrt")) {
      Add(ConditionKind::NonNegative, u, ConditionSource::Radicand);
    } else if (n.Is("asin")) {
      Add(ConditionKind::InUnitInterval, u, ConditionSource::ArcsinArgument);
    } else if (n.Is("acos")) {
      Add(ConditionKind::InUnitInterval, u, ConditionSource::ArccosArgument);
    } else if (n.Is("tan")) {
      Add(ConditionKind::NotHalfPiPlusKPi, u, ConditionSource::TangentArgument);
    } else if (n.Is("^") && n.args.size() == 2) {
      Power(u, n.args[1]);
    }
  }

  void Power(const Node& base, const Node& exponent) {
    if (HasX(exponent)) {
      if (!base.Is("exp")) Add(ConditionKind::Positive, base, ConditionSource::PowerBase);
      return;
    }
    const double r = TreeValue(exponent);
    if (!std::isfinite(r)) return;
    if (r == std::floor(r)) {
      if (r < 0) Denominator(base);
      return;
    }
    const bool root = std::fabs(r) == 0.5;
    const ConditionSource source = root ? ConditionSource::Radicand : ConditionSource::PowerBase;
    Add(r > 0 ? ConditionKind::NonNegative : ConditionKind::Positive, base, source);
  }

  std::vector<Condition> out_;
};

// How each kind of condition is written around u, in the student notation and in LaTeX, and
// the function defined exactly where it holds; in the order of ConditionKind.
struct KindWords {
  const char* before;
  const char* after;
  const char* latexBefore;
  const char* latexAfter;
  const char* guard;
};
constexpr KindWords kKindWords[] = {
    {"", " ≠ 0", "", " \\neq 0", "inv"},
    {"", " > 0", "", " > 0", "ln"},
    {"", " ≥ 0", "", " \\geq 0", "sqrt"},
    {"−1 ≤ ", " ≤ 1", "-1 \\leq ", " \\leq 1", "asin"},
    {"", " ≠ π/2 + kπ", "", " \\neq \\frac{\\pi}{2} + k\\pi", "tan"},
};

}  // namespace

std::vector<Condition> ConditionsOfExistence(const Node& f) {
  return Reader().Run(f);
}

std::string ConditionText(const Condition& c) {
  const KindWords& w = kKindWords[static_cast<std::size_t>(c.kind)];
  return w.before + StudentText(c.expr) + w.after;
}

std::string ConditionLatex(const Condition& c) {
  const KindWords& w = kKindWords[static_cast<std::size_t>(c.kind)];
  return w.latexBefore + LatexText(c.expr) + w.latexAfter;
}

std::string_view ConditionSourceText(ConditionSource source) {
  // In the order of ConditionSource.
  static constexpr std::string_view kTexts[] = {
      "denominatore",
      "argomento del logaritmo",
      "radicando",
      "argomento dell'arcoseno",
      "argomento dell'arcocoseno",
      "argomento della tangente",
      "base di una potenza con esponente reale",
  };
  return kTexts[static_cast<std::size_t>(source)];
}

Node ConditionGuard(const Condition& c) {
  return Node::Of(kKindWords[static_cast<std::size_t>(c.kind)].guard, {c.expr});
}

bool ConditionHolds(const Condition& c, double x) {
  const double u = TreeValue(c.expr, x);
  if (!std::isfinite(u)) return false;
  switch (c.kind) {
    case ConditionKind::NonZero:
      return u != 0;
    case ConditionKind::Positive:
      return u > 0;
    case ConditionKind::NonNegative:
      return u >= 0;
    case ConditionKind::InUnitInterval:
      return u >= -1 && u <= 1;
    case ConditionKind::NotHalfPiPlusKPi: {
      const double off = std::remainder(u - std::numbers::pi / 2, std::numbers::pi);
      return std::fabs(off) > 1e-12 * std::max(1.0, std::fabs(u));
    }
  }
  return false;
}

}  // namespace curvalis::study
