// The exact engine's client inside: the class that asks the helper program, its answers'
// cache and the checks of what it answers. Private to the engine's files: helper_engine.cpp
// (the questions of the study), helper_requests.cpp (the helper, the functions, the checks),
// helper_working.cpp (the questions of the working).
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/formula.h"
#include "exact_engine/conditions.h"
#include "exact_engine/engine.h"
#include "exact_engine/helper_engine.h"
#include "exact_engine/helper_process.h"
#include "exact_engine/translate.h"
#include "exact_protocol/protocol.h"

namespace curvalis::study::engine_detail {

using namespace channel;

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Points where the written derivatives are compared with central differences, and where the
// parity and the period are tried.
inline constexpr std::array kSamples = {-7.1, -3.8, -2.45, -1.6, -0.9, -0.35, 0.4,
                                        1.3,  2.7,  3.3,   4.6,  6.2,  9.7};

inline bool Near(double a, double b, double rel) {
  return std::fabs(a - b) <= rel * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

inline int Index(Which w) {
  return w == Which::F ? 0 : w == Which::D1 ? 1 : 2;
}

// The numeric roots kept: none farther out than this, at most this many.
inline constexpr double kFarthestRoot = 1e6;
inline constexpr std::size_t kMostRoots = 30;

// Answers kept per request; beyond that many the memory starts afresh.
inline constexpr std::size_t kMaxCached = 4096;

// What the helper answered to one request.
struct Reply {
  bool ok = false;
  bool none = false;  // a limit that does not exist
  std::vector<std::string> r;
  Reason why = Reason::NotFound;
};

// Why a question has no answer, as Answer says it: the kind and what it names.
struct Why {
  Reason why = Reason::NotFound;
  std::string detail;
};

template <typename T>
Answer<T> Undetermined(Reason why = Reason::NotFound, std::string detail = {}) {
  Answer<T> a;
  a.why = why;
  a.detail = std::move(detail);
  return a;
}
template <typename T>
Answer<T> Undetermined(const Why& w) {
  return Undetermined<T>(w.why, w.detail);
}

template <typename T>
Answer<T> Determined(T value) {
  Answer<T> a;
  a.determined = true;
  a.value = std::move(value);
  return a;
}

// The first tree of a reply, when it has one (with the operations of a condition for
// `conditions`).
inline std::optional<Node> FirstTree(const Reply& rep, bool conditions = false) {
  return rep.ok && !rep.r.empty() ? ParseTree(rep.r[0], conditions) : std::nullopt;
}

// The side of a limit as the channel and the checks take it (−1 left, 1 right, 0 at an
// infinity), and where it is taken as a number (the point, or ±infinity).
inline int Direction(Approach side) {
  return side == Approach::Left ? -1 : side == Approach::Right ? 1 : 0;
}
inline double Towards(const Number& at, Approach side) {
  return side == Approach::PlusInfinity ? kInf : side == Approach::MinusInfinity ? -kInf : at.value;
}

class HelperEngine : public ExactEngine {
 public:
  explicit HelperEngine(const EngineOptions& options)
      : options_(options), helper_(HelperPath(options)) {}

  // The questions of the study.
  Answer<Expr> SetFunction(std::string_view funzione) override;
  Answer<Expr> Derivative(Which which) override;
  Answer<Domain> DomainOf(Which which) override;
  Answer<std::vector<Number>> Solve(Which which) override;
  Answer<std::optional<Number>> Limit(Which which, const Number& at, Approach side) override;
  Answer<std::optional<Line>> Asymptote(bool plusInfinity) override;
  Answer<Symmetry> SymmetryOf() override;
  Answer<Number> ValueAt(Which which, const Number& at) override;
  void SetTimeLeft(std::optional<std::chrono::milliseconds> left) override;
  Answer<Domain> DomainOfText(std::string_view expression) override;
  std::optional<std::vector<ExistenceCondition>> ConditionsOfExistence() override;

  // The questions of the working.
  Answer<std::vector<ConditionWork>> ExistenceConditions() override;
  Answer<std::vector<Step>> DerivationSteps(Which which) override;
  Answer<std::vector<Expr>> Mirrored() override;
  Answer<Expr> Substituted(Which which, const Number& at) override;
  Answer<Expr> Numerator(Which which) override;
  Answer<Factored> Factors(Which which) override;
  Answer<QuotientLimit> QuotientLimits(const Number& at, Approach side) override;
  Answer<QuotientLimit> ObliqueLimits(bool intercept, const Number& m, Approach side) override;

 private:
  // The helper.
  static std::string HelperPath(const EngineOptions& options);
  std::chrono::steady_clock::time_point Now() const;
  Reply Ask(JsonObject request);
  Reply Read(const std::optional<std::string>& line, HelperProcess::Failure failure, long long id);
  // The helper's limit of e at `at` from `side`, and the domain of e (inside one period of f
  // when `periodic`).
  Reply AskLimit(const Node& e, const Number& at, Approach side);
  Answer<Domain> AskDomain(const Node& e, bool periodic);

  // The functions: f, f′ and f″ as trees and as compiled formulas.
  Why ReasonOf(Which which);
  const Node* TreeOf(Which which);
  bool Numeric(Which which);
  double Eval(int i, double x);
  void ChooseDerivative(int i, const Reply& candidates);
  // Whether `text` reads as a formula that agrees with the difference quotients of `of`.
  static bool DerivesOnSamples(const std::function<double(double)>& of, const std::string& text);

  // The checks of an answer, the period.
  static bool IsZeroAt(const std::function<double(double)>& g, double v);
  Answer<std::optional<Line>> NumericAsymptote(double s, const Why& reason);
  bool NumericParity(bool odd);
  std::optional<Number> Period();
  std::optional<Node> PeriodOf(const Node& tree);
  static bool HasTrig(const Node& n);
  Node IntoPeriod(const Node& r, const Number& period);
  static Node PointTree(const Number& at);
  // The candidate of a reply with the shortest student text among those that pass `keep` (all
  // when it is empty), the first of them on a tie; nullopt when none does.
  static std::optional<Node> Shortest(const Reply& rep,
                                      const std::function<bool(const Node&)>& keep);

  // The working's own.
  static void FlattenProduct(const Node& n, std::vector<Node>& out);
  bool SolutionAgrees(const Condition& c, const Domain& d);
  std::optional<Node> Derived(const Node& e);  // the shortest exact derivative of the CAS
  std::optional<Number> ConfirmedLimit(const Node& part, const Number& at, Approach side);
  int ConfirmedDegree(const Node& part);
  std::optional<QuotientLimit> PartsLimit(const Node& f, const Number& at, Approach side,
                                          int depth);
  std::optional<QuotientLimit> PartsLimit(const Node& f, const Node& num, const Node& den, char op,
                                          const Number& at, Approach side, int depth);
  void Rewrite(QuotientLimit& out, const Node& f, const Node& num, const Node& den,
               const Number& at, Approach side, int depth);
  std::optional<Node> Conjugate(const Node& num, const Node& den);
  void QuotientDetails(QuotientLimit& out, const Node& f, const Node& num, const Node& den,
                       const Number& at, Approach side);
  // The shortest exact form of the CAS's simplification of e that agrees with e at points and
  // passes `keep`; nullopt when none does.
  std::optional<Node> Simplest(const Node& e, const std::function<bool(const Node&)>& keep = {});

  EngineOptions options_;
  HelperProcess helper_;
  std::map<std::string, Reply> cache_;
  std::map<std::string, Reply> failed_;  // the requests of this study that got no answer
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  long long nextId_ = 1;

  bool rejected_ = false;
  std::string detail_;  // what f's reason names: the fault, the construct not elementary
  Reason why_ = Reason::NotFound;
  std::array<std::optional<Node>, 3> tree_;
  std::array<std::optional<Expr>, 3> expr_;
  std::array<CompiledFormula, 3> numeric_;
  std::array<bool, 3> hasNumeric_{};
  bool periodKnown_ = false;
  std::optional<Number> period_;
};

}  // namespace curvalis::study::engine_detail
