// The builder of the sheet: asks the exact engine, checks every answer with our own evaluator,
// and finds numerically what the engine cannot give. The signs on each interval come from a
// test point inside it; the cuts between intervals are the zeros, the gaps of the domain and
// the points where f is not differentiable, plus any sign change a scan of the interval finds
// that the engine did not name.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>

#include "core/formula.h"
#include "core/formula_message.h"
#include "core/prepare_formula.h"
#include "exact_engine/numbers.h"
#include "study/sheet.h"

namespace curvalis::study {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Why a sign, trend or concavity is not given: the values sampled along one of its stretches
// disagree with the sign read inside it.
constexpr const char* kSignDoubtful =
    "i valori calcolati cambiano segno dove non si trova un punto di separazione";

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

Number Exact(double v, std::string text) {
  Number n;
  n.text = std::move(text);
  n.latex = n.text;
  n.value = v;
  n.exact = true;
  return n;
}

Sign SignOf(double v) {
  if (std::isnan(v)) return Sign::Undefined;
  if (v == 0 || std::fabs(v) < 1e-13) return Sign::Zero;
  return v > 0 ? Sign::Plus : Sign::Minus;
}

// A point strictly inside ]a; b[ (either end may be infinite).
double Inside(double a, double b) {
  if (std::isinf(a) && std::isinf(b)) return 0.5;
  if (std::isinf(a)) return b - 1 - std::fabs(b) * 0.5;
  if (std::isinf(b)) return a + 1 + std::fabs(a) * 0.5;
  return a + (b - a) * 0.5;
}

bool Contains(const std::vector<Number>& list, double x) {
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
  Builder(ExactEngine& engine, SheetObserver* observer, const std::atomic<bool>* cancel)
      : engine_(engine), observer_(observer), cancel_(cancel) {}

  Sheet Run(std::string_view funzione) {
    try {
      Build(funzione);
    } catch (const Cancelled&) {
      return sheet_;
    }
    if (observer_) observer_->Finished(sheet_);
    return sheet_;
  }

 private:
  // --- asking the engine ---------------------------------------------------------------
  template <typename T, typename Q>
  Answer<T> Ask(Q question) {
    if (cancel_ && cancel_->load()) throw Cancelled{};
    if (engineOff_) {
      Answer<T> a;
      a.reason = engineReason_;
      return a;
    }
    Answer<T> a = question();
    if (cancel_ && cancel_->load()) throw Cancelled{};
    return a;
  }

  template <typename T>
  void Done(Section<T>& section, SectionId id) {
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
  double D1(double x) {
    if (d1_.ok()) return d1_(x);
    const double h = 1e-6 * (1 + std::fabs(x));
    const double a = F(x - h), b = F(x + h);
    return std::isnan(a) || std::isnan(b) ? kNaN : (b - a) / (2 * h);
  }
  double D2(double x) {
    if (d2_.ok()) return d2_(x);
    const double h = 1e-4 * (1 + std::fabs(x));
    const double a = D1(x - h), b = D1(x + h);
    return std::isnan(a) || std::isnan(b) ? kNaN : (b - a) / (2 * h);
  }

  double G(Which g, double x) { return g == Which::F ? F(x) : g == Which::D1 ? D1(x) : D2(x); }

  // g at the midpoints of n equal steps in t = arctan x over ]a; b[ (either end may be
  // infinite), computed together: the scans' grids.
  void Grid(Which g, double a, double b, int n, std::vector<double>* xs, std::vector<double>* ys) {
    const double ta = std::isinf(a) ? -M_PI / 2 : std::atan(a);
    const double tb = std::isinf(b) ? M_PI / 2 : std::atan(b);
    xs->resize(n);
    ys->resize(n);
    for (int i = 0; i < n; ++i) (*xs)[i] = std::tan(ta + (tb - ta) * (i + 0.5) / n);
    Fn& fn = g == Which::F ? f_ : g == Which::D1 ? d1_ : d2_;
    if (fn.ok()) return fn.Many(xs->data(), ys->data(), n);
    for (int i = 0; i < n; ++i) (*ys)[i] = G(g, (*xs)[i]);
  }

  bool InD(double x) const {
    if (!std::isfinite(x)) return false;
    for (const Piece& p : pieces_) {
      const Interval& r = p.range;
      const bool afterFrom = x > r.from.value || (r.closedLeft && SameX(x, r.from.value));
      const bool beforeTo = x < r.to.value || (r.closedRight && SameX(x, r.to.value));
      if (afterFrom && beforeTo) return true;
    }
    return false;
  }
  // Strictly inside one piece.
  bool Interior(const Piece& p, double x) const {
    return x > p.range.from.value && x < p.range.to.value && !SameX(x, p.range.from.value) &&
           !SameX(x, p.range.to.value);
  }

  // Sample points inside the pieces, for the checks.
  std::vector<double> TestPoints() const {
    std::vector<double> out;
    for (const Piece& p : pieces_) {
      const double a = p.range.from.value, b = p.range.to.value;
      const double m = Inside(a, b);
      out.push_back(m);
      out.push_back(Inside(a, m));
      out.push_back(Inside(m, b));
    }
    return out;
  }

  // Points where g changes sign (or jumps across an undefined point) inside ]a; b[, found on a
  // grid in t = arctan x and refined by bisection. `zeros` receives those where g is 0,
  // `jumps` those where it is not.
  void ScanSignChanges(Which g, double a, double b, std::vector<double>* zeros,
                       std::vector<double>* jumps) {
    std::vector<double> xs, ys;
    Grid(g, a, b, 2000, &xs, &ys);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      if (!(xs[i] > a && xs[i] < b) || std::isnan(ys[i])) continue;
      xs[kept] = xs[i];
      ys[kept++] = ys[i];
    }
    xs.resize(kept);
    ys.resize(kept);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const double x = xs[i], y = ys[i];
      if (y == 0) {
        // A sample that is exactly 0 is a zero when both its neighbours are not: a run of zeros
        // is a stretch where g is 0, not a list of points. The first and last samples have a
        // neighbour on one side only, and far out that is where a value that only underflows
        // (x·e^(−x) beyond 745) turns 0: no zero is read there.
        const bool inner = i > 0 && i + 1 < xs.size();
        if (inner && ys[i - 1] != 0 && ys[i + 1] != 0) zeros->push_back(x);
        continue;
      }
      if (i == 0 || ys[i - 1] == 0 || (ys[i - 1] < 0) == (y < 0)) continue;
      const double prevY = ys[i - 1];
      double lo = xs[i - 1], hi = x, ylo = prevY;
      for (int k = 0; k < 200 && lo < hi; ++k) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) break;
        const double ym = G(g, mid);
        if (std::isnan(ym)) {
          // An undefined point inside: the change is at its edge; follow the left side.
          hi = mid;
          continue;
        }
        if (ym == 0) {
          lo = hi = mid;
          break;
        }
        if ((ym < 0) == (ylo < 0)) {
          lo = mid;
          ylo = ym;
        } else {
          hi = mid;
        }
      }
      const double root = std::fabs(lo) < 1e-12 ? 0 : lo;
      const double gl = G(g, lo), gh = G(g, hi);
      const double scale = 1 + std::fabs(prevY) + std::fabs(y);
      const bool zero = std::isfinite(gl) && std::isfinite(gh) &&
                        std::min(std::fabs(gl), std::fabs(gh)) <= 1e-7 * scale;
      (zero ? zeros : jumps)->push_back(root);
    }
  }

  // Points inside ]a; b[ where f jumps (a step, a pole without a sign change): on a grid in
  // t = arctan x, the largest steps between neighbours are narrowed by bisection; a step that
  // stays large when its width is down to the last bits is a jump.
  std::vector<double> Jumps(double a, double b) {
    std::vector<double> xs, ys;
    Grid(Which::F, a, b, 4000, &xs, &ys);
    std::vector<std::pair<double, std::pair<double, double>>> steps;
    double px = kNaN, py = kNaN;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const double x = xs[i], y = ys[i];
      if (!(x > a && x < b) || std::isnan(y)) continue;
      if (!std::isnan(py)) steps.push_back({std::fabs(y - py), {px, x}});
      px = x;
      py = y;
    }
    std::sort(steps.begin(), steps.end(),
              [](const auto& l, const auto& r) { return l.first > r.first; });
    std::vector<double> out;
    for (std::size_t k = 0; k < steps.size() && k < 8; ++k) {
      if (steps[k].first == 0) break;
      double lo = steps[k].second.first, hi = steps[k].second.second;
      double flo = F(lo), fhi = F(hi);
      for (int n = 0; n < 200; ++n) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) break;
        const double fm = F(mid);
        if (std::isnan(fm)) {
          lo = hi = mid;
          break;
        }
        if (std::fabs(fm - flo) >= std::fabs(fhi - fm)) {
          hi = mid;
          fhi = fm;
        } else {
          lo = mid;
          flo = fm;
        }
      }
      const double step = std::fabs(fhi - flo);
      if (lo == hi || !(step <= 1e-6 * (1 + std::fabs(flo) + std::fabs(fhi)))) {
        const double at = std::fabs(lo) < 1e-12 ? 0 : lo;
        if (std::none_of(out.begin(), out.end(), [&](double o) { return SameX(o, at); })) {
          out.push_back(at);
        }
      }
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // x written with 12 significant digits: where a refinement that stopped next to a point
  // meets the point itself (2 rather than 1.9999999999999998).
  static double Round12(double x) {
    if (x == 0 || !std::isfinite(x)) return x;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12g", x);
    return std::strtod(buf, nullptr);
  }

  // A zero named by the engine passes when it lies in the domain and g is 0 there (or changes
  // sign across it with a small value).
  bool CheckRoot(Which g, double x) {
    const double y = G(g, x);
    if (std::isnan(y)) return false;
    const double h = 1e-6 * (1 + std::fabs(x));
    const double a = G(g, x - h), b = G(g, x + h);
    double scale = 1;
    if (!std::isnan(a)) scale += std::fabs(a);
    if (!std::isnan(b)) scale += std::fabs(b);
    if (std::fabs(y) <= 1e-9 * scale) return true;
    return !std::isnan(a) && !std::isnan(b) && (a < 0) != (b < 0) && std::fabs(y) <= 1e-6 * scale;
  }

  // The solutions of g = 0 in the pieces: the engine's, each checked (a failed check leaves a
  // decimal with ≈); where the engine has none, those a scan finds.
  std::vector<Number> Roots(Which which, bool* found) {
    std::vector<Number> out;
    auto a = Ask<std::vector<Number>>([&] { return engine_.Solve(which); });
    if (a.determined) {
      *found = true;
      for (const Number& n : a.value) {
        if (!InD(n.value)) continue;
        // A root the engine itself marks not exact keeps its own decimal when it passes.
        out.push_back(CheckRoot(which, n.value) ? n : Approx(n.value));
      }
    } else {
      *found = false;
      for (const Piece& p : pieces_) {
        std::vector<double> zeros, jumps;
        ScanSignChanges(which, p.range.from.value, p.range.to.value, &zeros, &jumps);
        for (double z : zeros) {
          if (!Contains(out, z)) out.push_back(Approx(z));
        }
        // A closed end where g is 0 is a zero too.
        for (const auto& [closed, end] : {std::pair{p.range.closedLeft, p.range.from.value},
                                          std::pair{p.range.closedRight, p.range.to.value}}) {
          if (closed && std::isfinite(end) && G(which, end) == 0 && !Contains(out, end)) {
            out.push_back(Approx(end));
          }
        }
      }
    }
    std::sort(out.begin(), out.end(),
              [](const Number& x, const Number& y) { return x.value < y.value; });
    return out;
  }

  // f (or f′, f″) at a point, as the engine writes it when our evaluator agrees, else a decimal.
  std::optional<Number> ValueOf(const Number& at) {
    for (const auto& [x, v] : values_) {
      if (SameX(x, at.value)) return v;
    }
    const double mine = F(at.value);
    std::optional<Number> out;
    if (at.exact) {
      auto a = Ask<Number>([&] { return engine_.ValueAt(Which::F, at); });
      if (a.determined && !std::isnan(mine) &&
          std::fabs(a.value.value - mine) <= 1e-9 * (1 + std::fabs(mine))) {
        out = a.value;
      }
    }
    if (!out && !std::isnan(mine)) out = Approx(mine);
    if (out) values_.emplace_back(at.value, *out);
    return out;
  }

  // --- the sections ---------------------------------------------------------------------
  void Build(std::string_view funzione) {
    sheet_.function.data.typed = std::string(funzione);
    CompiledFormula probe;
    if (probe.Compile(PrepareFormula(funzione)) != FormulaReject::None) {
      Rejected("Errore nella formula: " + RejectionDetail(funzione, probe.rejection()));
      return;
    }
    f_.Compile(funzione);
    BuildFunction(funzione);
    BuildDomain();
    if (sheet_.domain.data.domain.intervals.empty()) {
      Rest(SectionId::Parity, "il dominio è vuoto");
      return;
    }
    BuildParity();
    BuildIntercepts();
    BuildSign();
    BuildLimits();
    BuildAsymptotes();
    BuildDerivative();
    BuildMonotonicity();
    BuildExtrema();
    BuildSecondDerivative();
    BuildConcavity();
    BuildInflections();
    BuildTable();
    BuildGraph();
  }

  // Every section from `first` on undetermined with `reason`; the table stays empty.
  void Rest(SectionId first, const std::string& reason) {
    for (int i = int(first); i < kSectionCount; ++i) {
      WithSection(sheet_, SectionId(i), [&](auto& s) { Undetermined(s, SectionId(i), reason); });
    }
    sheet_.tableReady = true;
  }

  void Rejected(const std::string& reason) {
    sheet_.rejected = reason;
    Rest(SectionId::Function, reason);
  }

  void BuildFunction(std::string_view funzione) {
    FunctionData& d = sheet_.function.data;
    auto a = Ask<Expr>([&] { return engine_.SetFunction(funzione); });
    if (a.determined) {
      // The engine's writing of f must read back, through our evaluator, as the same function.
      Fn written;
      bool same = written.Compile(a.value.text);
      for (double x : {-3.7, -1.3, -0.3, 0.45, 1.9, 3.3, 7.1, 25.5}) {
        const double mine = F(x), theirs = written(x);
        if (!std::isnan(mine) && !std::isnan(theirs) &&
            std::fabs(mine - theirs) > 1e-9 * (1 + std::fabs(mine))) {
          same = false;
        }
      }
      if (same) {
        d.f = a.value;
        d.exact = a.value.exact;
        if (!d.exact) d.reason = a.reason;
        // The engine may write f without its helper program; the first question that needs
        // the helper says whether the study can be exact at all.
        domainAnswer_ = Ask<Domain>([&] { return engine_.DomainOf(Which::F); });
        if (!domainAnswer_->determined && EngineDown(domainAnswer_->reason)) {
          d.f.exact = false;
          d.exact = false;
          d.reason = domainAnswer_->reason;
        }
      } else {
        d.f = Expr{std::string(funzione), "", false};
        d.exact = false;
        d.reason = "la forma esatta non corrisponde ai valori della funzione";
      }
    } else {
      d.f = Expr{std::string(funzione), "", false};
      d.exact = false;
      d.reason = a.reason.empty() ? "nessuna risposta del motore di calcolo esatto" : a.reason;
      EngineDown(a.reason);
    }
    sheet_.function.determined = true;
    Done(sheet_.function, SectionId::Function);
  }

  // A helper that cannot be started or does not answer in time is not asked again for this
  // sheet: every further question would wait as long for the same answer.
  bool EngineDown(const std::string& reason) {
    if (reason == kEngineUnavailable || reason.find("tempo") != std::string::npos) {
      engineOff_ = true;
      engineReason_ = reason;
    }
    return engineOff_;
  }

  bool CheckDomain(const Domain& d) {
    if (d.intervals.empty()) return false;
    std::vector<Piece> saved = pieces_;
    pieces_.clear();
    for (const Interval& i : d.intervals) pieces_.push_back({i, true, true});
    bool ok = true;
    for (double x : TestPoints()) ok = ok && !std::isnan(F(x));
    for (const Interval& i : d.intervals) {
      if (i.from.value > i.to.value) ok = false;
      if (i.closedLeft && std::isnan(F(i.from.value))) ok = false;
      if (i.closedRight && std::isnan(F(i.to.value))) ok = false;
    }
    pieces_ = saved;
    return ok;
  }

  // The domain found by a scan of where f has a value, between a and b (either may be infinite).
  std::vector<Interval> ScanDomain(double a, double b) {
    constexpr int kSamples = 4000;
    std::vector<double> xs, ys;
    Grid(Which::F, a, b, kSamples + 1, &xs, &ys);
    std::vector<Interval> out;
    auto end = [&](double defined, double undefined) {
      for (int k = 0; k < 200; ++k) {
        const double mid = defined + (undefined - defined) / 2;
        if (mid == defined || mid == undefined) break;
        (std::isnan(F(mid)) ? undefined : defined) = mid;
      }
      return std::fabs(defined) < 1e-9 ? 0.0 : defined;
    };
    double runStart = kNaN;  // where the run of defined samples being read begins
    bool startOpenToInf = false;
    double prevX = kNaN;
    bool prevDefined = false;
    for (int i = 0; i <= kSamples + 1; ++i) {
      const bool past = i > kSamples;
      const double x = past ? kNaN : xs[i];
      const bool defined = !past && !std::isnan(ys[i]);
      if (defined && !prevDefined) {
        if (i == 0) {
          startOpenToInf = std::isinf(a);
          runStart = std::isinf(a) ? -kInf : a;
        } else {
          runStart = end(x, prevX);
          startOpenToInf = false;
        }
      } else if (!defined && prevDefined) {
        Interval r;
        if (startOpenToInf) {
          r.from = Infinity(false);
        } else {
          r.from = Approx(runStart);
          r.closedLeft = !std::isnan(F(runStart));
        }
        if (past) {
          r.to = std::isinf(b) ? Infinity(true) : Approx(b);
        } else {
          const double e = end(prevX, x);
          r.to = Approx(e);
          r.closedRight = !std::isnan(F(e));
        }
        out.push_back(r);
      }
      prevX = x;
      prevDefined = defined;
    }
    return out;
  }

  // A scan on a grid never lands on a single missing point (the pole of 1/(x − 2)): each
  // interval is cut where f jumps and has no value at the point the jump narrows down to.
  std::vector<Interval> SplitAtHoles(const std::vector<Interval>& intervals) {
    std::vector<Interval> out;
    for (Interval i : intervals) {
      for (double j : Jumps(i.from.value, i.to.value)) {
        const double r = Round12(j);
        if (!std::isnan(F(r)) || !(r > i.from.value && r < i.to.value)) continue;
        Interval left = i;
        left.to = Approx(r);
        left.closedRight = false;
        out.push_back(left);
        i.from = Approx(r);
        i.closedLeft = false;
      }
      out.push_back(i);
    }
    return out;
  }

  void BuildDomain() {
    auto a =
        domainAnswer_ ? *domainAnswer_ : Ask<Domain>([&] { return engine_.DomainOf(Which::F); });
    DomainData& d = sheet_.domain.data;
    if (a.determined && CheckDomain(a.value)) {
      d.domain = a.value;
    } else {
      d.domain.condition.clear();
      d.domain.intervals = SplitAtHoles(ScanDomain(-kInf, kInf));
    }
    for (const Interval& i : d.domain.intervals) pieces_.push_back({i, true, true});
    // A periodic f defined on the whole of one period [0; T[ is defined everywhere: the section
    // says so, while the sections from the intercepts on study that period only.
    const auto& iv = d.domain.intervals;
    if (iv.size() == 1 && iv[0].from.value == 0 && iv[0].closedLeft && !iv[0].closedRight &&
        std::isfinite(iv[0].to.value) && iv[0].to.value > 0) {
      const double t = iv[0].to.value;
      if (!std::isnan(F(-0.37 * t)) && !std::isnan(F(1.37 * t))) {
        d.domain = Domain{"x ∈ ℝ", {Interval{Infinity(false), Infinity(true), false, false}}};
      }
    }
    sheet_.domain.determined = true;
    Done(sheet_.domain, SectionId::Domain);
  }

  // Even, odd or neither, as the values of f say at sample points.
  Parity NumericParity() {
    bool even = true, odd = true;
    int tested = 0;
    for (double x : {0.37, 1.1, 1.9, 2.7, 3.3, 4.6, 7.2, 12.5, 0.05, 0.5, 1.0, 2.0, 3.0}) {
      const double a = F(x), b = F(-x);
      if (std::isnan(a) != std::isnan(b)) return Parity::None;
      if (std::isnan(a)) continue;
      ++tested;
      const double tol = 1e-9 * (1 + std::fabs(a));
      even = even && std::fabs(a - b) <= tol;
      odd = odd && std::fabs(a + b) <= tol;
    }
    if (tested == 0) return Parity::None;
    return even ? Parity::Even : odd ? Parity::Odd : Parity::None;
  }

  bool CheckPeriod(double t) {
    if (!(t > 0) || !std::isfinite(t)) return false;
    for (double x : {0.37, 1.1, -1.9, 2.7, -3.3, 4.6}) {
      const double a = F(x), b = F(x + t);
      if (std::isnan(a) != std::isnan(b)) return false;
      if (!std::isnan(a) && std::fabs(a - b) > 1e-7 * (1 + std::fabs(a))) return false;
    }
    return true;
  }

  void BuildParity() {
    auto a = Ask<Symmetry>([&] { return engine_.SymmetryOf(); });
    ParityData& d = sheet_.parity.data;
    d.parity = NumericParity();
    if (a.determined && a.value.period && CheckPeriod(a.value.period->value)) {
      d.period = a.value.period;
    }
    sheet_.parity.determined = true;
    if (d.period) {
      Interval w;
      w.from = Exact(0, "0");
      w.to = *d.period;
      w.closedLeft = true;
      sheet_.periodWindow = w;
      const double t = d.period->value;
      std::vector<Piece> clipped;
      for (const Piece& p : pieces_) {
        Piece c = p;
        if (c.range.to.value <= 0 || c.range.from.value >= t) continue;
        if (c.range.from.value < 0) {
          c.range.from = w.from;
          c.range.closedLeft = true;
          c.leftIsEnd = false;
        }
        if (c.range.to.value > t || SameX(c.range.to.value, t)) {
          c.range.to = w.to;
          c.range.closedRight = false;
          c.rightIsEnd = false;
        }
        // The engine may give the domain inside the period already: 0 and T are ends of D only
        // where f has no value beyond them (T stands for 0 one period on).
        if (SameX(c.range.from.value, 0) && c.range.closedLeft) {
          c.leftIsEnd = std::isnan(F(-1e-7 * t));
        }
        clipped.push_back(c);
      }
      pieces_ = clipped;
      // T belongs to D exactly when 0 does (a pole at 0 is a pole at T, whatever rounding
      // leaves of f(T)): an interval that ends at T ends at a point of D only then.
      const bool zeroIn = InD(0);
      for (Piece& c : pieces_) {
        if (SameX(c.range.to.value, t)) c.rightIsEnd = !zeroIn;
      }
    }
    Done(sheet_.parity, SectionId::Parity);
  }

  void BuildIntercepts() {
    bool found = false;
    zeros_ = Roots(Which::F, &found);
    InterceptsData& d = sheet_.intercepts.data;
    if (InD(0)) {
      if (auto y = ValueOf(Exact(0, "0"))) d.points.push_back({Exact(0, "0"), *y});
    }
    for (const Number& z : zeros_) {
      if (!d.points.empty() && SameX(z.value, 0) && SameX(d.points.front().x.value, 0)) continue;
      d.points.push_back({z, Exact(0, "0")});
      values_.emplace_back(z.value, Exact(0, "0"));
    }
    sheet_.intercepts.determined = true;
    Done(sheet_.intercepts, SectionId::Intercepts);
  }

  // The runs of one piece cut at `cuts` (and at every further sign change of g a scan finds),
  // each with the sign of g at a point inside it. Interior cuts are open ends.
  std::vector<Stretch> Runs(const Piece& p, std::vector<Number> cuts, Which g) {
    std::vector<Number> inside;
    for (const Number& c : cuts) {
      if (Interior(p, c.value) && !Contains(inside, c.value)) inside.push_back(c);
    }
    std::vector<double> zeros, jumps;
    ScanSignChanges(g, p.range.from.value, p.range.to.value, &zeros, &jumps);
    for (double z : zeros) jumps.push_back(z);
    for (double j : jumps) {
      if (Interior(p, j) && !Contains(inside, j)) inside.push_back(Approx(j));
    }
    std::sort(inside.begin(), inside.end(),
              [](const Number& a, const Number& b) { return a.value < b.value; });
    std::vector<Stretch> out;
    Number from = p.range.from;
    for (std::size_t i = 0; i <= inside.size(); ++i) {
      const Number to = i < inside.size() ? inside[i] : p.range.to;
      out.push_back({from, to, SignOf(G(g, Inside(from.value, to.value)))});
      if (!SignHolds(g, from.value, to.value, out.back().sign)) runsDoubtful_ = true;
      from = to;
    }
    return out;
  }

  // Whether g keeps `sign` all along ]a; b[: samples spread in t = arctan x must not say
  // otherwise. A sign read at one test point is shown only when the whole stretch agrees, so a
  // cut the scan missed (a step of INT(x), a change inside a run of underflowed zeros) gives no
  // wrong interval.
  bool SignHolds(Which g, double a, double b, Sign sign) {
    if (sign == Sign::Undefined) return true;
    std::vector<double> xs, all, ys;
    Grid(g, a, b, 64, &xs, &all);
    double largest = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      if (!(xs[i] > a && xs[i] < b) || std::isnan(all[i])) continue;
      ys.push_back(all[i]);
      largest = std::max(largest, std::fabs(all[i]));
    }
    // Rounding near a cut may leave a value of either sign that is tiny beside the others.
    const double noise = std::max(1e-13, 1e-9 * largest);
    for (const double y : ys) {
      if (sign == Sign::Zero ? std::fabs(y) > 1e-13
                             : (sign == Sign::Plus ? y < -noise : y > noise)) {
        return false;
      }
    }
    return true;
  }

  void BuildSign() {
    SignData& d = sheet_.sign.data;
    for (const Piece& p : pieces_) {
      for (double j : Jumps(p.range.from.value, p.range.to.value)) {
        if (!std::isnan(F(Round12(j)))) jumps_.push_back(j);
      }
      std::sort(jumps_.begin(), jumps_.end(),
                [](double a, double b) { return std::fabs(a) < std::fabs(b); });
      runsDoubtful_ = false;
      auto runs = Runs(p, zeros_, Which::F);
      if (runsDoubtful_) {
        sheet_.sign.data.intervals.clear();
        Undetermined(sheet_.sign, SectionId::Sign, kSignDoubtful);
        return;
      }
      for (std::size_t i = 0; i < runs.size(); ++i) {
        SignInterval s;
        s.range.from = runs[i].from;
        s.range.to = runs[i].to;
        s.range.closedLeft = i == 0 && p.range.closedLeft && !Contains(zeros_, p.range.from.value);
        s.range.closedRight =
            i + 1 == runs.size() && p.range.closedRight && !Contains(zeros_, p.range.to.value);
        s.sign = runs[i].sign == Sign::Undefined ? Sign::Zero : runs[i].sign;
        d.intervals.push_back(s);
      }
    }
    sheet_.sign.determined = true;
    Done(sheet_.sign, SectionId::Sign);
  }

  // A limit passes when the values of f approaching it agree: near a finite value, or large
  // with the right sign for an infinite one.
  std::optional<double> Approaching(const Number& at, Approach side, double* last) {
    std::vector<double> ys;
    for (int k = 2; k <= 8; ++k) {
      const double step = std::pow(10.0, -k);
      double x = 0;
      switch (side) {
        case Approach::Left:
          x = at.value - step * (1 + std::fabs(at.value));
          break;
        case Approach::Right:
          x = at.value + step * (1 + std::fabs(at.value));
          break;
        case Approach::MinusInfinity:
          x = -std::pow(10.0, k);
          break;
        case Approach::PlusInfinity:
          x = std::pow(10.0, k);
          break;
      }
      const double y = F(x);
      if (!std::isnan(y)) ys.push_back(y);
    }
    if (ys.empty()) return std::nullopt;
    *last = ys.back();
    return ys.size() >= 2 ? ys[ys.size() - 2] : ys.back();
  }

  bool CheckLimit(const Number& at, Approach side, const Number& value) {
    double last = kNaN;
    auto before = Approaching(at, side, &last);
    if (!before) return false;
    if (std::isinf(value.value)) {
      return (value.value > 0 ? last > 1e3 : last < -1e3) &&
             std::fabs(last) >= std::fabs(*before) * 0.999;
    }
    return std::fabs(last - value.value) <= 1e-3 * (1 + std::fabs(value.value));
  }

  // What the values of f say of a limit: a value they settle to, or an infinity they grow to.
  std::optional<Number> NumericLimit(const Number& at, Approach side) {
    double last = kNaN;
    auto before = Approaching(at, side, &last);
    if (!before) return std::nullopt;
    if (std::fabs(last - *before) <= 1e-6 * (1 + std::fabs(last))) return Approx(last);
    if (std::fabs(last) > 1e6 && std::fabs(last) > std::fabs(*before) &&
        (last > 0) == (*before > 0)) {
      Number n = Infinity(last > 0);
      n.exact = false;
      return n;
    }
    return std::nullopt;
  }

  void AddLimit(const Number& at, Approach side) {
    auto a = Ask<std::optional<Number>>([&] { return engine_.Limit(Which::F, at, side); });
    LimitItem item{at, side, std::nullopt};
    if (a.determined && a.value) {
      if (a.value->exact && CheckLimit(at, side, *a.value)) {
        item.value = a.value;
      } else {
        item.value = NumericLimit(at, side);
        if (!item.value) return;
      }
    } else if (a.determined) {
      // The engine says there is no limit; the values must not settle.
      if (auto n = NumericLimit(at, side); n && std::isfinite(n->value)) {
        unknownBound_ = true;
        return;
      }
    } else {
      item.value = NumericLimit(at, side);
      if (!item.value) {
        unknownBound_ = true;
        return;
      }
    }
    if (!item.value) unknownBound_ = true;
    sheet_.limits.data.items.push_back(item);
  }

  void BuildLimits() {
    for (const Piece& p : pieces_) {
      const Interval& r = p.range;
      if (std::isinf(r.from.value)) {
        AddLimit(r.from, Approach::MinusInfinity);
      } else if (!r.closedLeft && p.leftIsEnd) {
        AddLimit(r.from, Approach::Right);
      }
      if (std::isinf(r.to.value)) {
        AddLimit(r.to, Approach::PlusInfinity);
      } else if (!r.closedRight && p.rightIsEnd) {
        AddLimit(r.to, Approach::Left);
      }
    }
    // At a gap the left limit comes before the right one, as the student reads along x.
    auto& items = sheet_.limits.data.items;
    std::stable_sort(items.begin(), items.end(), [](const LimitItem& a, const LimitItem& b) {
      auto key = [](const LimitItem& i) {
        return i.side == Approach::MinusInfinity  ? -kInf
               : i.side == Approach::PlusInfinity ? kInf
                                                  : i.at.value;
      };
      if (key(a) != key(b)) return key(a) < key(b);
      return a.side == Approach::Left && b.side != Approach::Left;
    });
    sheet_.limits.determined = true;
    Done(sheet_.limits, SectionId::Limits);
  }

  std::optional<Number> LimitAt(double x, Approach side) const {
    for (const LimitItem& i : sheet_.limits.data.items) {
      if (i.side != side) continue;
      if (side == Approach::MinusInfinity || side == Approach::PlusInfinity ||
          SameX(i.at.value, x)) {
        return i.value;
      }
    }
    return std::nullopt;
  }

  bool CheckLine(bool plus, const Line& l) {
    // Far abscissas that are no whole numbers, where a step function agrees with a line.
    for (double X : {1234567.89, 9876543.21}) {
      const double x = plus ? X : -X;
      const double y = F(x);
      if (std::isnan(y)) return false;
      if (std::fabs(y - (l.m.value * x + l.q.value)) > 1e-3 * (1 + std::fabs(l.q.value)))
        return false;
    }
    return true;
  }

  void BuildAsymptotes() {
    auto& items = sheet_.asymptotes.data.items;
    for (const LimitItem& l : sheet_.limits.data.items) {
      if (!l.value || !std::isinf(l.value->value)) continue;
      if (l.side != Approach::Left && l.side != Approach::Right) continue;
      const Side side = l.side == Approach::Left ? Side::Left : Side::Right;
      auto same = std::find_if(items.begin(), items.end(), [&](const AsymptoteItem& a) {
        return a.kind == AsymptoteKind::Vertical && SameX(a.x.value, l.at.value);
      });
      if (same != items.end()) {
        same->side = Side::Both;
      } else {
        AsymptoteItem a;
        a.kind = AsymptoteKind::Vertical;
        a.x = l.at;
        a.side = side;
        items.push_back(a);
      }
    }
    for (bool plus : {false, true}) {
      const bool unbounded =
          !pieces_.empty() && (plus ? std::isinf(pieces_.back().range.to.value)
                                    : std::isinf(pieces_.front().range.from.value));
      if (!unbounded) continue;
      auto a = Ask<std::optional<Line>>([&] { return engine_.Asymptote(plus); });
      std::optional<Line> line;
      if (a.determined && a.value && CheckLine(plus, *a.value)) {
        line = a.value;
      } else if (!a.determined || a.value) {
        // No line from the engine, or one our values refuse: a finite limit is still a
        // horizontal asymptote.
        auto l = LimitAt(0, plus ? Approach::PlusInfinity : Approach::MinusInfinity);
        if (l && std::isfinite(l->value)) line = Line{Exact(0, "0"), *l};
      }
      if (!line) continue;
      AsymptoteItem item;
      item.kind = line->m.value == 0 ? AsymptoteKind::Horizontal : AsymptoteKind::Oblique;
      item.side = plus ? Side::PlusInfinity : Side::MinusInfinity;
      item.m = line->m;
      item.q = line->q;
      items.push_back(item);
    }
    sheet_.asymptotes.determined = true;
    Done(sheet_.asymptotes, SectionId::Asymptotes);
  }

  // The engine's derivative passes when it reads back through our evaluator as the difference
  // quotient of the function it derives, at the test points.
  bool CheckDerivative(Fn& d, const std::function<double(double)>& of, double step) {
    int compared = 0;
    for (double x : TestPoints()) {
      const double h = step * (1 + std::fabs(x));
      const double a = of(x - h), b = of(x + h), v = d(x);
      if (std::isnan(a) || std::isnan(b) || std::isnan(v)) continue;
      ++compared;
      const double q = (b - a) / (2 * h);
      if (std::fabs(q - v) > 1e-3 * (1 + std::fabs(v))) return false;
    }
    return compared > 0;
  }

  void BuildDerivative() {
    auto a = Ask<Expr>([&] { return engine_.Derivative(Which::D1); });
    if (a.determined &&
        !(d1_.Compile(a.value.text) && CheckDerivative(
                                           d1_, [this](double x) { return F(x); }, 1e-5))) {
      d1_ = Fn();
      a.determined = false;
      a.reason = "derivata non confermata dai valori della funzione";
    }
    // The points of D where f′ has no value: the ends of the intervals of D(f′) that lie in D.
    auto dom = Ask<Domain>([&] { return engine_.DomainOf(Which::D1); });
    if (dom.determined) {
      for (const Interval& i : dom.value.intervals) {
        for (const Number& e : {i.from, i.to}) {
          if (!std::isfinite(e.value) || !InD(e.value) || Contains(notDiff_, e.value)) continue;
          bool inside = false;
          for (const Interval& j : dom.value.intervals) {
            inside = inside || (e.value > j.from.value && e.value < j.to.value) ||
                     (j.closedLeft && SameX(e.value, j.from.value)) ||
                     (j.closedRight && SameX(e.value, j.to.value));
          }
          if (!inside) notDiff_.push_back(e);
        }
      }
      std::sort(notDiff_.begin(), notDiff_.end(),
                [](const Number& x, const Number& y) { return x.value < y.value; });
    }
    if (a.determined) {
      sheet_.derivative.data.d1 = a.value;
      sheet_.derivative.data.notDifferentiable = notDiff_;
      sheet_.derivative.determined = true;
      Done(sheet_.derivative, SectionId::Derivative);
    } else {
      Undetermined(sheet_.derivative, SectionId::Derivative, a.reason);
    }
  }

  // Runs of f′ (or f″) over every piece, neighbours of the same sign joined (the point between
  // them belongs to D). Cuts are kept in `bounds` with the signs on either side.
  struct Bound {
    Number x;
    Sign left, right;
  };
  std::vector<std::vector<Stretch>> SignRuns(const std::vector<Number>& cuts, Which g,
                                             std::vector<Bound>* bounds) {
    std::vector<std::vector<Stretch>> out;
    runsDoubtful_ = false;
    for (const Piece& p : pieces_) {
      auto runs = Runs(p, cuts, g);
      std::vector<Stretch> merged;
      for (const auto& r : runs) {
        if (!merged.empty() && merged.back().sign == r.sign) {
          merged.back().to = r.to;
        } else {
          if (!merged.empty()) bounds->push_back({r.from, merged.back().sign, r.sign});
          merged.push_back(r);
        }
      }
      out.push_back(merged);
    }
    return out;
  }

  // The sign runs of f′ (or f″) over D, cut at its zeros and where f is not differentiable.
  // False, with the section not determined, when the samples disagree with them.
  template <typename T>
  bool DerivativeRuns(Which g, Section<T>& section, SectionId id) {
    const bool d1 = g == Which::D1;
    std::vector<Number>& zeros = d1 ? d1Zeros_ : d2Zeros_;
    std::vector<std::vector<Stretch>>& runs = d1 ? trendRuns_ : concavityRuns_;
    std::vector<Bound>& bounds = d1 ? trendBounds_ : concavityBounds_;
    bool found = false;
    zeros = Roots(g, &found);
    std::vector<Number> cuts = zeros;
    cuts.insert(cuts.end(), notDiff_.begin(), notDiff_.end());
    runs = SignRuns(cuts, g, &bounds);
    if (!runsDoubtful_) return true;
    Undetermined(section, id, kSignDoubtful);
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

  // Without a confirmed f′ the trend comes from difference quotients, which say nothing true
  // across a jump of f: then the sections of f′ and f″ are not determined.
  std::string NoNumericDerivative() const {
    if (d1_.ok() || jumps_.empty()) return {};
    return "f ha un salto in x " + Approx(jumps_.front()).text +
           " e non ha una derivata esatta: la monotonia non si ricava numericamente";
  }

  void BuildMonotonicity() {
    if (std::string why = NoNumericDerivative(); !why.empty()) {
      Undetermined(sheet_.monotonicity, SectionId::Monotonicity, why);
      trendRuns_.assign(pieces_.size(), {});
      return;
    }
    if (!DerivativeRuns(Which::D1, sheet_.monotonicity, SectionId::Monotonicity)) return;
    ForEachRun(trendRuns_, [&](const Interval& range, Sign sign) {
      if (sign == Sign::Undefined) return;
      const Trend trend = sign == Sign::Plus    ? Trend::Increasing
                          : sign == Sign::Minus ? Trend::Decreasing
                                                : Trend::Constant;
      sheet_.monotonicity.data.intervals.push_back({range, trend});
    });
    sheet_.monotonicity.determined = true;
    Done(sheet_.monotonicity, SectionId::Monotonicity);
  }

  // For a periodic f the period's start 0 has neighbours on both sides: just left of it is
  // just left of T. The signs of the runs on either side, when 0 is inside D.
  bool AcrossPeriodStart(const std::vector<std::vector<Stretch>>& runs, Sign* left, Sign* right) {
    if (!sheet_.periodWindow || pieces_.empty() || runs.size() != pieces_.size()) return false;
    const Piece& first = pieces_.front();
    const Piece& last = pieces_.back();
    if (!SameX(first.range.from.value, 0) || first.leftIsEnd || last.rightIsEnd || !InD(0) ||
        runs.front().empty() || runs.back().empty()) {
      return false;
    }
    *left = runs.back().back().sign;
    *right = runs.front().front().sign;
    return true;
  }

  void AddExtremum(const Number& x, bool maximum) {
    auto y = ValueOf(x);
    if (!y) return;
    sheet_.extrema.data.items.push_back({maximum, {x, *y}, false});
  }

  void BuildExtrema() {
    if (!sheet_.monotonicity.determined) {
      Undetermined(sheet_.extrema, SectionId::Extrema, sheet_.monotonicity.reason);
      return;
    }
    for (const Bound& b : trendBounds_) {
      if (!InD(b.x.value)) continue;
      if (b.left == Sign::Plus && b.right == Sign::Minus) AddExtremum(b.x, true);
      if (b.left == Sign::Minus && b.right == Sign::Plus) AddExtremum(b.x, false);
    }
    for (std::size_t k = 0; k < pieces_.size(); ++k) {
      const Piece& p = pieces_[k];
      const auto& runs = trendRuns_[k];
      if (runs.empty()) continue;
      if (p.range.closedLeft && p.leftIsEnd && runs.front().sign != Sign::Zero) {
        AddExtremum(p.range.from, runs.front().sign == Sign::Minus);
      }
      if (p.range.closedRight && p.rightIsEnd && runs.back().sign != Sign::Zero) {
        AddExtremum(p.range.to, runs.back().sign == Sign::Plus);
      }
    }
    Sign left, right;
    if (AcrossPeriodStart(trendRuns_, &left, &right)) {
      if (left == Sign::Plus && right == Sign::Minus) AddExtremum(Exact(0, "0"), true);
      if (left == Sign::Minus && right == Sign::Plus) AddExtremum(Exact(0, "0"), false);
    }
    auto& items = sheet_.extrema.data.items;
    std::sort(items.begin(), items.end(), [](const ExtremumItem& a, const ExtremumItem& b) {
      return a.p.x.value < b.p.x.value;
    });
    // Absolute: no value or limit of f goes beyond it.
    std::vector<double> bounds;
    for (const auto& e : items) bounds.push_back(e.p.y.value);
    for (const auto& l : sheet_.limits.data.items) {
      if (l.value) bounds.push_back(l.value->value);
    }
    if (sheet_.periodWindow) {
      if (auto v = ValueOf(sheet_.periodWindow->from)) bounds.push_back(v->value);
    }
    if (!unknownBound_) {
      for (auto& e : items) {
        const double y = e.p.y.value, tol = 1e-9 * (1 + std::fabs(y));
        e.absolute = std::all_of(bounds.begin(), bounds.end(),
                                 [&](double b) { return e.maximum ? b <= y + tol : b >= y - tol; });
      }
    }
    sheet_.extrema.determined = true;
    Done(sheet_.extrema, SectionId::Extrema);
  }

  void BuildSecondDerivative() {
    auto a = Ask<Expr>([&] { return engine_.Derivative(Which::D2); });
    if (a.determined &&
        !(d2_.Compile(a.value.text) && CheckDerivative(
                                           d2_, [this](double x) { return D1(x); }, 1e-4))) {
      d2_ = Fn();
      a.determined = false;
      a.reason = "derivata seconda non confermata dai valori della derivata prima";
    }
    if (a.determined) {
      sheet_.secondDerivative.data.d2 = a.value;
      sheet_.secondDerivative.determined = true;
      Done(sheet_.secondDerivative, SectionId::SecondDerivative);
    } else {
      Undetermined(sheet_.secondDerivative, SectionId::SecondDerivative, a.reason);
    }
  }

  void BuildConcavity() {
    if (!d2_.ok() && !sheet_.monotonicity.determined) {
      Undetermined(sheet_.concavity, SectionId::Concavity, sheet_.monotonicity.reason);
      concavityRuns_.assign(pieces_.size(), {});
      return;
    }
    if (!DerivativeRuns(Which::D2, sheet_.concavity, SectionId::Concavity)) return;
    ForEachRun(concavityRuns_, [&](const Interval& range, Sign sign) {
      if (sign == Sign::Plus || sign == Sign::Minus) {
        sheet_.concavity.data.intervals.push_back({range, sign == Sign::Plus});
      }
    });
    sheet_.concavity.determined = true;
    Done(sheet_.concavity, SectionId::Concavity);
  }

  // A point where f is not differentiable has a tangent only when it is vertical: f′ grows
  // without bound on both sides.
  bool HasTangent(double x) {
    if (!Contains(notDiff_, x)) return true;
    const double h = 1e-7 * (1 + std::fabs(x));
    const double a = D1(x - h), b = D1(x + h);
    return !std::isnan(a) && !std::isnan(b) && std::fabs(a) > 1e4 && std::fabs(b) > 1e4;
  }

  void BuildInflections() {
    if (!sheet_.concavity.determined) {
      Undetermined(sheet_.inflections, SectionId::Inflections, sheet_.concavity.reason);
      return;
    }
    for (const Bound& b : concavityBounds_) {
      const bool change = (b.left == Sign::Plus && b.right == Sign::Minus) ||
                          (b.left == Sign::Minus && b.right == Sign::Plus);
      if (!change || !InD(b.x.value) || !HasTangent(b.x.value)) continue;
      auto y = ValueOf(b.x);
      if (!y) continue;
      const double d1 = D1(b.x.value);
      const bool flat = Contains(d1Zeros_, b.x.value) || (!std::isnan(d1) && std::fabs(d1) < 1e-9);
      sheet_.inflections.data.items.push_back({{b.x, *y}, flat});
    }
    Sign left, right;
    if (AcrossPeriodStart(concavityRuns_, &left, &right) && HasTangent(0) &&
        ((left == Sign::Plus && right == Sign::Minus) ||
         (left == Sign::Minus && right == Sign::Plus))) {
      if (auto y = ValueOf(Exact(0, "0"))) {
        const double d1 = D1(0);
        const bool flat = Contains(d1Zeros_, 0) || (!std::isnan(d1) && std::fabs(d1) < 1e-9);
        auto& items = sheet_.inflections.data.items;
        items.insert(items.begin(), {{Exact(0, "0"), *y}, flat});
      }
    }
    sheet_.inflections.determined = true;
    Done(sheet_.inflections, SectionId::Inflections);
  }

  // --- the table and the graph ----------------------------------------------------------
  void BuildTable() {
    VariationTable& t = sheet_.table;
    sheet_.tableReady = true;
    // Without the trend there are no arrows to draw: the table is not determined.
    if (!sheet_.monotonicity.determined) return;
    std::vector<Number> xs;
    auto add = [&](const Number& n) {
      if (!Contains(xs, n.value)) xs.push_back(n);
    };
    for (const Piece& p : pieces_) {
      add(p.range.from);
      add(p.range.to);
    }
    for (const auto* list : {&d1Zeros_, &notDiff_, &d2Zeros_}) {
      for (const Number& n : *list) {
        if (InD(n.value)) add(n);
      }
    }
    for (const auto& e : sheet_.extrema.data.items) add(e.p.x);
    for (const auto& i : sheet_.inflections.data.items) add(i.p.x);
    for (const auto& b : trendBounds_) add(b.x);
    std::sort(xs.begin(), xs.end(),
              [](const Number& a, const Number& b) { return a.value < b.value; });
    t.xs = xs;
    t.hasD1 = sheet_.monotonicity.determined;
    t.hasD2 = sheet_.concavity.determined;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const double x = xs[i].value;
      const bool in = InD(x);
      auto at = [&](const std::vector<Number>& zeros, double v) {
        if (std::isinf(x)) return Sign::None;
        if (!in || Contains(notDiff_, x)) return Sign::Undefined;
        if (Contains(zeros, x)) return Sign::Zero;
        return SignOf(v);
      };
      t.d1AtPoint.push_back(at(d1Zeros_, in ? D1(x) : kNaN));
      t.d2AtPoint.push_back(at(d2Zeros_, in ? D2(x) : kNaN));
      TableFCell cell;
      cell.inDomain = in;
      if (in || (sheet_.periodWindow && SameX(x, sheet_.periodWindow->to.value) && InD(0))) {
        cell.value = ValueOf(xs[i]);
      } else if (std::isinf(x)) {
        if (x < 0) cell.right = LimitAt(x, Approach::MinusInfinity);
        if (x > 0) cell.left = LimitAt(x, Approach::PlusInfinity);
      } else {
        cell.left = LimitAt(x, Approach::Left);
        cell.right = LimitAt(x, Approach::Right);
      }
      t.f.push_back(cell);
      if (i + 1 < xs.size()) {
        const double m = Inside(x, xs[i + 1].value);
        const bool defined = !std::isnan(F(m));
        const Sign s1 = defined ? SignOf(D1(m)) : Sign::Undefined;
        t.d1OnInterval.push_back(s1);
        t.d2OnInterval.push_back(defined ? SignOf(D2(m)) : Sign::Undefined);
        t.arrows.push_back(s1 == Sign::Plus    ? Arrow::Up
                           : s1 == Sign::Minus ? Arrow::Down
                           : s1 == Sign::Zero  ? Arrow::Flat
                                               : Arrow::None);
      }
    }
    sheet_.tableReady = true;
  }

  void BuildGraph() {
    auto add = [&](const Point& p, PointKind kind) {
      for (const GraphPoint& g : sheet_.points) {
        if (SameX(g.p.x.value, p.x.value) && SameX(g.p.y.value, p.y.value)) return;
      }
      sheet_.points.push_back({p, kind, PointText(p)});
    };
    for (const auto& e : sheet_.extrema.data.items)
      add(e.p, e.maximum ? PointKind::Maximum : PointKind::Minimum);
    for (const auto& i : sheet_.inflections.data.items) add(i.p, PointKind::Inflection);
    for (const Number& c : notDiff_) {
      if (auto y = ValueOf(c)) add({c, *y}, PointKind::Corner);
    }
    for (const Piece& p : pieces_) {
      for (const auto& [closed, end] : {std::pair{p.range.closedLeft, p.range.from},
                                        std::pair{p.range.closedRight, p.range.to}}) {
        if (closed && std::isfinite(end.value)) {
          if (auto y = ValueOf(end)) add({end, *y}, PointKind::DomainEnd);
        }
      }
    }
    for (const Point& p : sheet_.intercepts.data.points) add(p, PointKind::Intercept);
    std::vector<double> xs, ys;
    for (const GraphPoint& g : sheet_.points) {
      xs.push_back(g.p.x.value);
      ys.push_back(g.p.y.value);
    }
    for (const auto& a : sheet_.asymptotes.data.items) {
      if (a.kind == AsymptoteKind::Vertical) xs.push_back(a.x.value);
      if (a.kind == AsymptoteKind::Horizontal) ys.push_back(a.q.value);
    }
    if (sheet_.periodWindow) {
      xs.push_back(0);
      xs.push_back(sheet_.periodWindow->to.value);
    }
    auto span = [](std::vector<double> v, double* lo, double* hi) {
      v.erase(std::remove_if(v.begin(), v.end(), [](double d) { return !std::isfinite(d); }),
              v.end());
      if (v.empty()) v = {0};
      *lo = *std::min_element(v.begin(), v.end());
      *hi = *std::max_element(v.begin(), v.end());
      double width = std::max(*hi - *lo, 2.0);
      const double mid = (*lo + *hi) / 2;
      width *= 1.3;
      *lo = mid - width / 2;
      *hi = mid + width / 2;
    };
    span(xs, &sheet_.view.left, &sheet_.view.right);
    span(ys, &sheet_.view.bottom, &sheet_.view.top);
  }

  ExactEngine& engine_;
  SheetObserver* observer_;
  const std::atomic<bool>* cancel_;
  Sheet sheet_;
  bool engineOff_ = false;
  std::optional<Answer<Domain>> domainAnswer_;  // asked with f, kept for the domain section
  std::string engineReason_;
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
};

}  // namespace

Sheet BuildSheet(ExactEngine& engine, std::string_view funzione, SheetObserver* observer,
                 const std::atomic<bool>* cancel) {
  Builder builder(engine, observer, cancel);
  return builder.Run(funzione);
}

}  // namespace curvalis::study
