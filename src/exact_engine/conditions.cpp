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

}  // namespace

std::vector<Condition> ConditionsOfExistence(const Node& f) {
  return Reader().Run(f);
}

std::string ConditionText(const Condition& c) {
  const std::string u = StudentText(c.expr);
  switch (c.kind) {
    case ConditionKind::NonZero:
      return u + " \xE2\x89\xA0 0";  // ≠
    case ConditionKind::Positive:
      return u + " > 0";
    case ConditionKind::NonNegative:
      return u + " \xE2\x89\xA5 0";  // ≥
    case ConditionKind::InUnitInterval:
      return "\xE2\x88\x92"
             "1 \xE2\x89\xA4 " +
             u + " \xE2\x89\xA4 1";  // −1 ≤ u ≤ 1
    case ConditionKind::NotHalfPiPlusKPi:
      return u + " \xE2\x89\xA0 \xCF\x80/2 + k\xCF\x80";  // ≠ π/2 + kπ
  }
  return u;
}

std::string ConditionLatex(const Condition& c) {
  const std::string u = LatexText(c.expr);
  switch (c.kind) {
    case ConditionKind::NonZero:
      return u + " \\neq 0";
    case ConditionKind::Positive:
      return u + " > 0";
    case ConditionKind::NonNegative:
      return u + " \\geq 0";
    case ConditionKind::InUnitInterval:
      return "-1 \\leq " + u + " \\leq 1";
    case ConditionKind::NotHalfPiPlusKPi:
      return u + " \\neq \\frac{\\pi}{2} + k\\pi";
  }
  return u;
}

std::string_view ConditionSourceText(ConditionSource source) {
  switch (source) {
    case ConditionSource::Denominator:
      return "denominatore";
    case ConditionSource::LogArgument:
      return "argomento del logaritmo";
    case ConditionSource::Radicand:
      return "radicando";
    case ConditionSource::ArcsinArgument:
      return "argomento dell'arcoseno";
    case ConditionSource::ArccosArgument:
      return "argomento dell'arcocoseno";
    case ConditionSource::TangentArgument:
      return "argomento della tangente";
    case ConditionSource::PowerBase:
      return "base di una potenza con esponente reale";
  }
  return "";
}

Node ConditionGuard(const Condition& c) {
  switch (c.kind) {
    case ConditionKind::NonZero:
      return Node::Of("inv", {c.expr});
    case ConditionKind::Positive:
      return Node::Of("ln", {c.expr});
    case ConditionKind::NonNegative:
      return Node::Of("sqrt", {c.expr});
    case ConditionKind::InUnitInterval:
      return Node::Of("asin", {c.expr});
    case ConditionKind::NotHalfPiPlusKPi:
      return Node::Of("tan", {c.expr});
  }
  return c.expr;
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
