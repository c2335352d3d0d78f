// The builder of the sheet, shared by the files that build its sections (build_*.cpp): asks
// the exact engine, checks every answer with our own evaluator, and finds numerically what
// the engine cannot give. The signs on each interval come from a test point inside it; the
// cuts between intervals are the zeros, the gaps of the domain and the points where f is not
// differentiable, plus any sign change a scan of the interval finds that the engine did not
// name. Private to the study library.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>

#include "core/formula.h"
#include "core/formula_message.h"
#include "core/prepare_formula.h"
#include "exact_engine/numbers.h"
#include "numeric/checks.h"
#include "study/sheet.h"

namespace curvalis::study {
namespace sheet_build {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Why a sign, trend or concavity is not given: the values sampled along one of its stretches
// disagree with the sign read inside it.
constexpr const char* kSignDoubtful =
    "i valori calcolati cambiano segno dove non si trova un punto di separazione";

// Why a sign is not given inside D where f has no value: it only overflows a double there.
constexpr const char* kOverflow =
    "i valori di f superano il più grande numero che il calcolo rappresenta";

struct Cancelled {};

// f, f′ or f″ as our evaluator computes it from a text in the student notation.
class Fn {
 public:
  bool Compile(std::string_view text) {
    ok_ = formula_.Compile(PrepareFormula(text)) == FormulaReject::None;
    return ok_;
  }
  bool ok() const { return ok_; }
  double operator()(double x) {
    return ok_ && std::isfinite(x) ? formula_.EvaluateNumber(x) : kNaN;
  }
  // The same at n abscissas at once, through the evaluator's batch path.
  void Many(const double* xs, double* ys, std::size_t n) {
    if (ok_) formula_.EvaluateMany(xs, ys, n);
    for (std::size_t i = 0; i < n; ++i) {
      if (!ok_ || !std::isfinite(xs[i])) ys[i] = kNaN;
    }
  }

 private:
  CompiledFormula formula_;
  bool ok_ = false;
};

inline Number Exact(double v, const std::string& text) {
  return Number{text, text, v, true, true};
}

inline Sign SignOf(double v) {
  if (std::isnan(v)) return Sign::Undefined;
  if (v == 0 || std::fabs(v) < 1e-13) return Sign::Zero;
  return v > 0 ? Sign::Plus : Sign::Minus;
}

// A point strictly inside ]a; b[ (either end may be infinite).
inline double Inside(double a, double b) {
  if (std::isinf(a) && std::isinf(b)) return 0.5;
  if (std::isinf(a)) return b - 1 - std::fabs(b) * 0.5;
  if (std::isinf(b)) return a + 1 + std::fabs(a) * 0.5;
  return a + (b - a) * 0.5;
}

inline bool Contains(const std::vector<Number>& list, double x) {
  return std::any_of(list.begin(), list.end(), [&](const Number& n) { return SameX(n.value, x); });
}

// One interval of the domain as the sheet studies it: for a periodic f the part inside the
// period [0; T[, each end telling whether it is an end of the domain or the period's cut.
struct Piece {
  Interval range;
  bool leftIsEnd = true;
  bool rightIsEnd = true;
};

// A run of a piece between two cuts, with the sign of a quantity inside it.
struct Stretch {
  Number from, to;
  Sign sign = Sign::Plus;
};

class Builder {
 public:
  Builder(ExactEngine& engine, SheetObserver* observer, const std::atomic<bool>* cancel,
          const SheetBudget& budget)
      : engine_(engine), observer_(observer), cancel_(cancel), budget_(budget) {}

  Sheet Run(std::string_view funzione);

 private:
  // --- asking the engine ---------------------------------------------------------------
  template <typename T, typename Q>
  Answer<T> Ask(Q question) {
    if (cancel_ && cancel_->load()) throw Cancelled{};
    if (engineOff_ || BudgetSpent()) {
      Answer<T> a;
      a.why = engineWhy_;
      return a;
    }
    Answer<T> a = question();
    if (cancel_ && cancel_->load()) throw Cancelled{};
    return a;
  }

  template <typename T>
  void Done(Section<T>& section, SectionId id) {
    if (section.determined) section.steps = Working(id);
    section.ready = true;
    if (observer_) observer_->SectionReady(sheet_, id);
  }
  template <typename T>
  void Undetermined(Section<T>& section, SectionId id, std::string reason) {
    section.determined = false;
    section.reason = reason.empty() ? "non trovato" : std::move(reason);
    Done(section, id);
  }

  // --- our evaluator -------------------------------------------------------------------
  double F(double x) { return f_(x); }
  double D1(double x);
  double D2(double x);

  double G(Which g, double x) { return g == Which::F ? F(x) : g == Which::D1 ? D1(x) : D2(x); }

  // g at the midpoints of n equal steps in t = arctan x over ]a; b[ (either end may be
  // infinite), computed together: the scans' grids.
  void Grid(Which g, double a, double b, int n, std::vector<double>* xs, std::vector<double>* ys);

  bool InD(double x) const;
  // Strictly inside one piece.
  bool Interior(const Piece& p, double x) const;

  // Sample points inside the pieces, for the checks.
  std::vector<double> TestPoints() const;

  // Points where g changes sign (or jumps across an undefined point) inside ]a; b[, found on a
  // grid in t = arctan x and refined by bisection. `zeros` receives those where g is 0,
  // `jumps` those where it is not.
  void ScanSignChanges(Which g, double a, double b, std::vector<double>* zeros,
                       std::vector<double>* jumps);

  // Points inside ]a; b[ where f jumps (a step, a pole without a sign change): on a grid in
  // t = arctan x, the largest steps between neighbours are narrowed by bisection; a step that
  // stays large when its width is down to the last bits is a jump.
  std::vector<double> Jumps(double a, double b);

  // x written with 12 significant digits: where a refinement that stopped next to a point
  // meets the point itself (2 rather than 1.9999999999999998).
  static double Round12(double x);

  // A zero named by the engine passes when it lies in the domain and g is 0 there (or changes
  // sign across it with a small value).
  bool CheckRoot(Which g, double x);

  // The solutions of g = 0 in the pieces: the engine's, each checked (a failed check leaves a
  // decimal with ≈); where the engine has none, those a scan finds.
  std::vector<Number> Roots(Which which);

  // f (or f′, f″) at a point, as the engine writes it when our evaluator agrees, else a decimal.
  std::optional<Number> ValueOf(const Number& at);

  // --- the sections ---------------------------------------------------------------------
  void Build(std::string_view funzione);

  // Every section from `first` on undetermined with `reason`; the table stays empty.
  void Rest(SectionId first, const std::string& reason);

  void BuildFunction(std::string_view funzione);

  // A helper that cannot be started or does not answer in time is not asked again for this
  // sheet: every further question would wait as long for the same answer.
  bool EngineDown(Reason why);

  // The sheet's clock, and whether the time for the engine's questions is spent (then the
  // engine is off for the rest of the sheet); otherwise the engine is told what is left.
  std::chrono::steady_clock::time_point Now() const;
  bool BudgetSpent();

  bool CheckDomain(const Domain& d);

  // The domain found by a scan of where f has a value, between a and b (either may be infinite).
  std::vector<Interval> ScanDomain(double a, double b);

  // A scan on a grid never lands on a single missing point (the pole of 1/(x − 2)): each
  // interval is cut where f jumps and has no value at the point the jump narrows down to.
  std::vector<Interval> SplitAtHoles(const std::vector<Interval>& intervals);

  void BuildDomain();

  // The conditions of existence of f read from its tree (none for a function that is not
  // elementary), and the checks of a domain against them (build_conditions.cpp).
  void ReadConditions();
  bool ConditionsHold(double x);
  // f has a value at x, or every condition holds there and the value only overflows a double.
  bool HasValueOrOverflows(double x);
  // Whether a dense sample of f agrees with `d`, whose intervals pieces_ holds meanwhile.
  bool DomainAgrees(const Domain& d);
  // The intersection of the conditions, each solved by the engine; nullopt when one is not.
  std::optional<Domain> DomainOfConditions();
  static std::vector<Interval> Intersect(const std::vector<Interval>& a,
                                         const std::vector<Interval>& b);

  // Even, odd or neither, as the values of f say at sample points.
  Parity NumericParity();

  void BuildParity();
  void BuildIntercepts();

  // The runs of one piece cut at `cuts` (and at every further sign change of g a scan finds),
  // each with the sign of g at a point inside it. Interior cuts are open ends.
  std::vector<Stretch> Runs(const Piece& p, std::vector<Number> cuts, Which g);

  // Whether g keeps `sign` all along ]a; b[: samples spread in t = arctan x must not say
  // otherwise. A sign read at one test point is shown only when the whole stretch agrees, so a
  // cut the scan missed (a step of INT(x), a change inside a run of underflowed zeros) gives no
  // wrong interval.
  bool SignHolds(Which g, double a, double b, Sign sign);

  void BuildSign();

  // What the values of f approaching the point (or far out) say of a limit: confirmed,
  // refuted or unconfirmed (numeric/checks).
  Check CheckLimit(const Number& at, Approach side, const Number& value);

  // What the values of f say of a limit: a value they settle to, or an infinity they grow to.
  std::optional<Number> NumericLimit(const Number& at, Approach side);

  void AddLimit(const Number& at, Approach side);
  void BuildLimits();
  std::optional<Number> LimitAt(double x, Approach side) const;
  void BuildAsymptotes();

  void BuildDerivative();

  // Runs of f′ (or f″) over every piece, neighbours of the same sign joined (the point between
  // them belongs to D). Cuts are kept in `bounds` with the signs on either side.
  struct Bound {
    Number x;
    Sign left, right;
  };
  std::vector<std::vector<Stretch>> SignRuns(const std::vector<Number>& cuts, Which g,
                                             std::vector<Bound>* bounds);

  // The sign runs of f′ (or f″) over D, cut at its zeros and where f is not differentiable.
  // False, with the section not determined, when the samples disagree with them.
  template <typename T>
  bool DerivativeRuns(Which g, Section<T>& section, SectionId id) {
    const bool d1 = g == Which::D1;
    std::vector<Number>& zeros = d1 ? d1Zeros_ : d2Zeros_;
    std::vector<std::vector<Stretch>>& runs = d1 ? trendRuns_ : concavityRuns_;
    std::vector<Bound>& bounds = d1 ? trendBounds_ : concavityBounds_;
    zeros = IdenticallyZero(g) ? std::vector<Number>{} : Roots(g);
    std::vector<Number> cuts = zeros;
    cuts.insert(cuts.end(), notDiff_.begin(), notDiff_.end());
    runs = SignRuns(cuts, g, &bounds);
    // No value of f′ (f″) inside D where f only overflows: its sign there is not known.
    bool overflow = false;
    for (const auto& piece : runs) {
      for (const Stretch& r : piece) {
        overflow = overflow || (r.sign == Sign::Undefined &&
                                HasValueOrOverflows(Inside(r.from.value, r.to.value)));
      }
    }
    if (!runsDoubtful_ && !overflow) return true;
    Undetermined(section, id, overflow ? kOverflow : kSignDoubtful);
    runs.assign(pieces_.size(), {});
    bounds.clear();
    return false;
  }

  // Each run of every piece as an interval: an end is closed where the piece's end is.
  template <typename Each>
  void ForEachRun(const std::vector<std::vector<Stretch>>& all, Each each) {
    for (std::size_t k = 0; k < pieces_.size(); ++k) {
      const auto& runs = all[k];
      for (std::size_t i = 0; i < runs.size(); ++i) {
        each(Interval{runs[i].from, runs[i].to, i == 0 && pieces_[k].range.closedLeft,
                      i + 1 == runs.size() && pieces_[k].range.closedRight},
             runs[i].sign);
      }
    }
  }

  void BuildMonotonicity();

  // For a periodic f the period's start 0 has neighbours on both sides: just left of it is
  // just left of T. The signs of the runs on either side, when 0 is inside D.
  bool AcrossPeriodStart(const std::vector<std::vector<Stretch>>& runs, Sign* left, Sign* right);

  void AddExtremum(const Number& x, bool maximum);
  void BuildExtrema();
  void BuildSecondDerivative();
  void BuildConcavity();

  // A point where f is not differentiable has a tangent only when it is vertical: f′ grows
  // without bound on both sides.
  bool HasTangent(double x);

  void BuildInflections();

  // --- the working (build_working.cpp) -------------------------------------------------
  // The lines of the working of a section just determined, each expression checked with our
  // evaluator; a line that cannot be given or checked is left out.
  std::vector<Step> Working(SectionId id);
  std::vector<Step> DomainWorking();
  // The sign chart of f from the factors of its numerator and denominator (left empty when a
  // factor's signs do not give the signs of f).
  void BuildSignChart();
  // The sign chart of f′ under Monotonia (Which::D1), of f″ under Concavità (Which::D2).
  void BuildDerivativeChart(Which which);
  // The sign chart of g (f, f′ or f″) over the columns `xs` (in order): a row for each factor
  // of its numerator and denominator, then g's own row, whose sign on each interval is the
  // section's (`sectionSign` at a point inside it; Undefined outside the domain) and must agree
  // with the rule of signs. Empty when a part is missing or disagrees.
  SignChart ChartOf(Which which, std::vector<Number> xs,
                    const std::function<Sign(double)>& sectionSign);
  // A factor's row: its sign at each column and on each interval (`inside(i, k)`, the k-th of
  // five points inside interval i); nullopt where it changes sign inside an interval.
  std::optional<SignChartRow> FactorRow(const Expr& e, bool den, const std::vector<Number>& xs,
                                        const std::function<double(std::size_t, int)>& inside);
  std::vector<Step> ParityWorking();
  std::vector<Step> InterceptsWorking();
  std::vector<Step> AsymptotesWorking();
  std::vector<Step> DerivativeWorking(Which which);
  // The conclusions of Massimi e minimi (Which::D1) or Flessi (Which::D2): at each point the
  // change of sign of f′ (f″) that makes it one, then its ordinate computed.
  std::vector<Step> ConclusionsWorking(Which which);
  // The working of Limiti: for f a quotient (product, sum, power), the limits of its two
  // parts, the form they give, and how an indeterminate one is resolved; each line only where
  // it agrees with the sheet's limit.
  std::vector<Step> LimitsWorking();
  // The limit that gives m (q) of an oblique asymptote worked out: f(x)/x (f(x) − mx, written
  // `own`) as the CAS simplifies it, then its parts and form as in Limiti; nothing unless it
  // reaches the sheet's value.
  std::vector<Step> ObliqueWorking(const AsymptoteItem& a, bool intercept, const std::string& own,
                                   const std::string& ownLatex);
  // "f′(x) = 0 ⇔ x² − 4x + 1 = 0", then the solutions (or that there are none).
  std::vector<Step> ZerosWorking(Which which, const std::vector<Number>& zeros);

  // --- the table and the graph ----------------------------------------------------------
  void BuildTable();

  void BuildGraph();

  // --- the points a teacher asks about (build_points.cpp) --------------------------------
  // A periodic f with points outside D in [0; T[ is studied between two of them: the pieces
  // of [0; T[ beyond the last such point q move one period back, so the window is ]q − T; q[
  // (tg: ]−π/2; π/2[); where 0 is such a point the period is ]0; T[. Nothing moves when a
  // point cannot be written exactly.
  void MovePeriodWindow(const Number& period);
  // A number of [0; T[ as it lies in the period studied (moved one period back beyond q).
  Number IntoWindow(const Number& n) const;
  // The rest of the domain once the period is known: the condition for every period, the
  // discontinuities; then the section is done.
  void FinishDomain();
  // Why f is neither even nor odd.
  ParityWhy WhyNoParity() const;
  // A limit, as the Limiti section finds it: the engine's answer checked by the values, else
  // what the values show; nullopt when none is found (or it does not exist).
  std::optional<Number> CheckedLimit(const Number& at, Approach side);
  // The discontinuities at the points outside D with D on both sides.
  void FindDiscontinuities();
  // 0⁺ or 0⁻ for the limits 0 where f keeps its sign, and the side each horizontal or oblique
  // asymptote is approached from.
  void MarkZeroLimits();
  void MarkAsymptoteSides();
  // The kind of each point where f is not differentiable, from its one-sided derivatives.
  void NameNonDifferentiable();
  // Points of D where the confirmed f′ has no value that the engine's domain of f′ missed:
  // 0 and the exact points where f′ or f″ changes sign across a missing value.
  void PointsWithoutDerivative();
  std::optional<Number> OneSidedDerivative(const Number& x, Approach side);
  // The lines of the periodic texts of the intercepts and asymptotes.
  void PeriodicZeros();
  void PeriodicAsymptotes();
  // The holes of the graph, at the removable discontinuities; the ticks in multiples of π.
  void GraphHolesAndTicks();
  // f″ (or f′) written as 0: identically zero, without zeros to cut at.
  bool IdenticallyZero(Which g) const;

  ExactEngine& engine_;
  SheetObserver* observer_;
  const std::atomic<bool>* cancel_;
  Sheet sheet_;
  bool engineOff_ = false;
  std::optional<Answer<Domain>> domainAnswer_;  // asked with f, kept for the domain section
  Reason engineWhy_ = Reason::None;
  bool unknownBound_ = false;  // a limit of f is unknown or does not exist: no extremum is absolute
  Fn f_, d1_, d2_;
  std::vector<Piece> pieces_;
  std::vector<Number> zeros_, d1Zeros_, d2Zeros_, notDiff_;
  std::vector<double>
      jumps_;  // where f jumps inside its domain (a function that is not elementary)
  std::vector<std::pair<double, Number>> values_;
  std::vector<std::vector<Stretch>> trendRuns_, concavityRuns_;
  std::vector<Bound> trendBounds_, concavityBounds_;
  bool runsDoubtful_ = false;  // a stretch of the last Runs disagreed with its sign
  bool engineWorks_ = false;   // the engine gives the working (its domain's conditions)
  // A periodic f studied in ]windowEnd − T; windowEnd[ (set when the window moved): the
  // points of [0; T[ from windowEnd on lie one period back.
  std::optional<Number> windowEnd_;
  std::vector<Number> outsidePoints_;  // points outside D in [0; T[ (periodic f)
  SheetBudget budget_;
  struct ReadCondition {
    std::unique_ptr<Fn> guard, expr;
    bool nonZero = false;
  };
  std::vector<ReadCondition> conditions_;
  bool elementary_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace sheet_build
}  // namespace curvalis::study
