// What the written study asks of the exact engine: f, its derivatives, domains, solutions,
// limits, asymptotes and parity, each answer checked with our own evaluator before it is
// called exact. The engine behind it is a helper program around the computer algebra system;
// tests put a double of their own in its place. Standard C++ only.
//
// Every call blocks until its answer is there or its time limit has passed, so the windows call
// it from a worker thread and the batch mode calls it in line. Calls are made one at a time.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace curvalis::study {

// A number as the sheet shows it. `text` is in the student notation and reads back, typed into
// f(x)=, with the same value ("2 − √3", "e²", "ln(2)", "π/4", "+∞", "−∞"); a value that is not
// exact is written "≈ 0.2679491924" (10 significant digits). `value` is +-infinity for the two
// infinities.
struct Number {
  std::string text;
  std::string latex;
  double value = 0;
  bool exact = false;
  // False when our evaluator could neither confirm nor refute the value: it is shown as the
  // engine gives it, marked "non verificato".
  bool checked = true;
};

// An expression of x as the sheet shows it: `text` in the student notation, a formula that
// Curvalis reads ("(x² − 4x + 1)/(x − 2)²"), and the same in LaTeX.
struct Expr {
  std::string text;
  std::string latex;
  bool exact = true;
};

// An interval of the real line; an infinite end is never closed.
struct Interval {
  Number from;
  Number to;
  bool closedLeft = false;
  bool closedRight = false;
};

// Why a question got no answer: what the sheet decides on (a helper that is missing or out of
// time is not asked again). Its words are looked up by ReasonText where they are shown.
enum class Reason {
  None,                  // answered
  NotFound,              // the engine found no answer it could give
  Rejected,              // the formula is not valid (the detail says why)
  NotElementary,         // f has no exact study (the detail names the construct)
  Unavailable,           // the helper program cannot be started
  TimeUp,                // the helper did not answer in time
  HelperDied,            // the helper ended while answering
  BadAnswer,             // the helper's answer is not one we read
  SlowQuestion,          // the helper's own bound on one computation ran out
  NoAnswer,              // the helper answered that it found no answer
  DerivativeNotWritten,  // the CAS gave no derivative we can write
  DomainNotWritten,      // the CAS gave no domain we can write
  InfiniteSolutions,     // the equation holds on a whole interval
  OutsideDomain,         // the point is not in the domain
  NotQuotient,           // the function is no quotient
};

// The Italian words of a reason, as the sheet shows them ("non determinato: tempo scaduto",
// "funzione non elementare: INT" with the detail "INT").
std::string ReasonText(Reason why, std::string_view detail = {});

// What one question got: its answer, or why there is none: the kind, and what the kind names
// where it names something (the construct that is not elementary, the fault of the formula).
template <typename T>
struct Answer {
  bool determined = false;
  T value{};
  Reason why = Reason::None;
  std::string detail;
  std::string reason() const { return ReasonText(why, detail); }
};

// Which function a question is about: f, f′ or f″.
enum class Which { F, D1, D2 };

// Where a limit is taken: from the left of a point, from its right, or at -inf / +inf (then
// `at` is ignored).
enum class Approach { Left, Right, MinusInfinity, PlusInfinity };

enum class Parity { None, Even, Odd };

struct Symmetry {
  Parity parity = Parity::None;
  std::optional<Number> period;  // set for a periodic f: the smallest positive period
};

// The domain of a function: the condition as a student writes it ("x ≠ 2", "x ≥ 1",
// "x ∈ ℝ") and the maximal intervals, in increasing order.
struct Domain {
  std::string condition;
  std::vector<Interval> intervals;
};

// A line y = m·x + q that f approaches at one side of infinity (m = 0: horizontal).
struct Line {
  Number m;
  Number q;
};

// --- The working ("svolgimento") ----------------------------------------------------------

// What a line of the working does. Each has a fixed name in the trace (StepRuleName) and an
// example in the program's design record; tests assert these, never the Italian words.
enum class StepRule {
  // Dominio
  Condition,        // "x − 2 ≠ 0 (denominatore)"
  ConditionSolved,  // "x ≠ 2": the condition above solved
  Intersection,     // "D = ]−∞; 2[ ∪ ]2; +∞[": the solutions together
  // Derivata prima and Derivata seconda: the rules, outermost first
  Polynomial,      // "D[x² − 1] = 2x"
  Sum,             // "D[x + ln(x)] = 1 + 1/x"
  ConstantFactor,  // "D[3·sin(x)] = 3·cos(x)"
  Product,         // "D[x·e^x] = 1·e^x + x·e^x"
  Quotient,        // "f′(x) = (2x·(x − 2) − (x² − 1))/(x − 2)²"
  Chain,           // "D[sin(x²)] = cos(x²)·2x"
  PowerOfX,        // "D[x^x] = x^x·(ln(x) + 1)": a power whose base and exponent depend on x
  Elementary,      // "D[sin(x)] = cos(x)": a derivative from the table
  Simplified,      // "f′(x) = (x² − 4x + 1)/(x − 2)²": the result, as the sheet gives it
  Numerator,       // "f′(x) = 0 ⇔ x² − 4x + 1 = 0": the zeros are those of the numerator
  Solutions,       // "x = 2 − √3 ∨ x = 2 + √3", or "nessuna soluzione"
  // Simmetrie
  DomainSymmetric,     // "D è simmetrico rispetto a 0"
  DomainNotSymmetric,  // "D non è simmetrico rispetto a 0"
  Mirrored,            // "f(−x) = (x² − 1)/(−x − 2)"
  Compared,            // "f(−x) ≠ f(x) e f(−x) ≠ −f(x)"
  // Intersezioni
  ValueAtZero,      // "f(0) = (0² − 1)/(0 − 2) = 1/2"
  ZeroNotInDomain,  // "0 ∉ D: nessuna intersezione con l'asse y"
  // Asintoti
  VerticalFromLimit,    // "lim x→2⁻ f(x) = −∞ ⇒ x = 2"
  HorizontalFromLimit,  // "lim x→+∞ f(x) = 1 ⇒ y = 1"
  ObliqueSlope,         // "m = lim x→+∞ f(x)/x = 1"
  ObliqueIntercept,     // "q = lim x→+∞ [f(x) − x] = 2"
  // Massimi e minimi, Flessi: the conclusions
  SignChange,  // "f′ cambia segno da + a − in x = 2 − √3 ⇒ massimo relativo"
  Ordinate,    // "f(2 − √3) = ((2 − √3)² − 1)/((2 − √3) − 2) = 4 − 2√3"
  // Limiti
  LimitParts,         // "lim x→2⁻ (x² − 1) = 3, lim x→2⁻ (x − 2) = 0⁻"
  LimitForm,          // "3/0⁻ = −∞": the form substitution gives, determined
  IndeterminateForm,  // "forma indeterminata ∞/∞"
  DegreesCompared,    // "grado 2 del numeratore > grado 1 del denominatore ⇒ ... = +∞"
  SimplifiedLimit,  // "f(x) = x − 2 per x ≠ −2 ⇒ lim x→−2⁻ f(x) = lim x→−2⁻ (x − 2) = −4"
  Hierarchy,     // "e^x è un infinito di ordine superiore a x ⇒ lim x→+∞ f(x) = +∞"
  HighestPower,  // "f è un polinomio: decide il termine di grado massimo, 3 ⇒ ... = +∞"
  DeLHopital,  // "De l'Hôpital: D[x] = 1, D[1 + e^x] = e^x ⇒ lim x→+∞ f(x) = lim x→+∞ 1/e^x = 0⁺"
  NotableLimit,  // "limite notevole: sin(t)/t → 1 per t → 0, con t = x ⇒ ... = 1"
  Rewritten,     // "f(x) = ln(x)/(1/x)": f written so that its indeterminate form resolves
};

// "condition", "condition_solved", ..., "oblique_intercept".
std::string_view StepRuleName(StepRule rule);

// One line of the working: the rule, the line in the student notation and in LaTeX (math
// mode, without the dollars), and the expression in it that reads back as a formula (empty
// when the line has none), checked at points before the line is given.
struct Step {
  StepRule rule = StepRule::Condition;
  std::string text;
  std::string latex;
  std::string formula;
};

// One condition of existence of f: as a student writes it ("x − 2 ≠ 0"), where it comes from
// ("denominatore"), and its solution when the engine found one our evaluator agrees with (none
// for a periodic f, whose domain the sheet gives for one period).
struct ConditionWork {
  Expr condition;
  std::string source;
  std::optional<Domain> solution;
};

// f written as a quotient of factors (the CAS's factor of its numerator and denominator), for
// the sign chart: the factors that depend on x, and the sign of the constant before them.
struct Factored {
  std::vector<Expr> numerator;
  std::vector<Expr> denominator;
  int constantSign = 1;
};

// A condition of existence of f, read from its formula tree: `guard` is an expression defined
// exactly where the condition holds (1/u, ln(u), √u, ...), `expr` the sub-expression u, both in
// the student notation; `nonZero` for u ≠ 0 (a single point a sample never lands on).
struct ExistenceCondition {
  std::string guard;
  std::string expr;
  bool nonZero = false;
};

// f as a quotient at one of its limits: its numerator and denominator, the limit of each there
// (confirmed by our evaluator; a 0 the part approaches keeping its sign written 0⁺ or 0⁻),
// their degrees when both are polynomials (-1 otherwise), and at a point f simplified, when
// the CAS has a form that agrees with f and has a value there.
struct QuotientLimit {
  // '/' for a quotient; '*' or '+' for f a product or a sum (its first factor or term as the
  // numerator, the others as the denominator), which have no degrees, simplified form or
  // derivatives; '^' for a power whose base (the numerator) and exponent (the denominator)
  // both depend on x; 'c' for ln, e^, √ or arctg of an expression of x (`function`), its
  // argument as the numerator and f itself, with f's limit, as the denominator.
  char op = '/';
  std::string function;
  int degree = -1;  // f's degree when f is a polynomial (confirmed on values), else -1
  Expr numerator;
  Expr denominator;
  Number numeratorLimit;
  Number denominatorLimit;
  int numeratorDegree = -1;
  int denominatorDegree = -1;
  // At ±∞, how each part grows in the hierarchy of infinities: 1 a logarithm of a polynomial,
  // 2 a polynomial, 3 e to a polynomial (a positive constant before it allowed); 0 none of these.
  int numeratorGrowth = 0;
  int denominatorGrowth = 0;
  std::optional<Expr> simplified;
  // For 0/0 or ∞/∞: the derivatives of the two parts and the limit of their quotient (De
  // l'Hôpital), each checked.
  std::optional<Expr> numeratorDerivative;
  std::optional<Expr> denominatorDerivative;
  std::optional<Number> derivativesLimit;
  // An indeterminate form resolved by writing f otherwise: a product 0·∞ as a quotient (the
  // factor that tends to 0 as the reciprocal under the other), a sum ∞ − ∞ with one term
  // collected (u·(1 + v/u)), a power 1^∞, 0⁰ or ∞⁰ as e^(exponent·ln(base)). `rewritten` is that
  // form (it agrees with f at points); `inner` the parts of what decides its limit (the
  // quotient; v/u; the product in the exponent), whose own `limit` is confirmed.
  std::optional<Expr> rewritten;
  std::vector<QuotientLimit> inner;
  std::optional<Number> limit;
  Expr expression;               // what these are the parts of: f, or an inner expression
  bool collectedSecond = false;  // ∞ − ∞: the second term is the one collected
  bool conjugate = false;  // ∞ − ∞ of a root: times its conjugate, `inner` f as a quotient
};

class ExactEngine {
 public:
  virtual ~ExactEngine() = default;

  // Takes the text of Funzione as typed and makes it the f of the questions below. Answers
  // f as the sheet writes it; undetermined with the reason when the formula is rejected or
  // has no exact study ("funzione non elementare: INT", naming the first such function or
  // construct). Questions about a function that has no exact study are still answered where
  // they can be found numerically (solutions, limits), with exact = false.
  virtual Answer<Expr> SetFunction(std::string_view funzione) = 0;

  // f′ and f″ simplified (the shorter of the CAS's normal and factor forms).
  virtual Answer<Expr> Derivative(Which which) = 0;

  // The domain of f, f′ or f″ (the points where f is not differentiable are the points of the
  // domain of f outside that of f′).
  virtual Answer<Domain> DomainOf(Which which) = 0;

  // The real solutions of f = 0, f′ = 0 or f″ = 0 that lie in the domain of f, in increasing
  // order, each once. For a periodic f only those in [0; T[. Found numerically over the whole
  // domain (marked not exact) where the CAS finds none it can give.
  virtual Answer<std::vector<Number>> Solve(Which which) = 0;

  // The limit of f, f′ or f″ at a point from one side or at an infinity. An answer with no
  // value (nullopt) says the limit does not exist (sin(x) at +inf).
  virtual Answer<std::optional<Number>> Limit(Which which, const Number& at, Approach side) = 0;

  // The line f approaches at -inf (plusInfinity false) or +inf; nullopt when there is none.
  virtual Answer<std::optional<Line>> Asymptote(bool plusInfinity) = 0;

  // Even, odd or neither; the period of a periodic f.
  virtual Answer<Symmetry> SymmetryOf() = 0;

  // The value of f (or f′, f″) at an exact point, written exactly where the CAS can
  // (f(2 − √3) = "4 − 2√3"), else as a decimal with "≈"; undetermined outside the domain.
  virtual Answer<Number> ValueAt(Which which, const Number& at) = 0;

  // --- The working. An engine that cannot give a part answers undetermined, and the sheet
  // leaves that part of the working out. ---

  // The conditions of existence of f read from its formula, each solved.
  virtual Answer<std::vector<ConditionWork>> ExistenceConditions() { return {}; }

  // The rules of derivation applied to f (Which::D1) or to f′ (Which::D2), outermost first,
  // each line checked against the difference quotients of what it derives.
  virtual Answer<std::vector<Step>> DerivationSteps(Which) { return {}; }

  // f(−x) as written ("((−x)² − 1)/(−x − 2)"), then simplified when that is another text
  // (checked against f at −x).
  virtual Answer<std::vector<Expr>> Mirrored() { return {}; }

  // f (or f′, f″) with x replaced by `at`, before any computation: "(0² − 1)/(0 − 2)".
  virtual Answer<Expr> Substituted(Which, const Number&) { return {}; }

  // The numerator of f (or f′, f″) when it is written as a quotient: its zeros in D are the
  // zeros of the quotient.
  virtual Answer<Expr> Numerator(Which) { return {}; }

  // The factors of the numerator and of the denominator of f (or f′, f″), each factored by
  // the CAS and checked at points against the part it factors.
  virtual Answer<Factored> Factors(Which) { return {}; }

  // The parts of f as a quotient at a limit (the form substitution gives); undetermined when f
  // is no quotient or a part's limit is not confirmed.
  virtual Answer<QuotientLimit> QuotientLimits(const Number&, Approach) { return {}; }
  // The same for the limits of an oblique asymptote at ±∞ (`side`): f(x)/x, or f(x) − mx for
  // `intercept`, each as the CAS simplifies it (its `expression`).
  virtual Answer<QuotientLimit> ObliqueLimits(bool, const Number&, Approach) { return {}; }

  // The time left to the sheet's questions from now on: each question then waits at most that
  // long, and none is sent once it is spent ("non determinato: tempo scaduto"). Unbounded
  // (nullopt) unless set. An engine that answers at once may ignore it.
  virtual void SetTimeLeft(std::optional<std::chrono::milliseconds> left) { (void)left; }

  // The conditions of existence of f; nullopt when f has no formula tree (not elementary,
  // or an engine that does not read one).
  virtual std::optional<std::vector<ExistenceCondition>> ConditionsOfExistence() {
    return std::nullopt;
  }

  // The domain of an expression of x in the student notation (a condition of existence of f
  // as its guard, 1/u, ln(u), √u, ...), as the engine solves it; undetermined by default.
  virtual Answer<Domain> DomainOfText(std::string_view) {
    Answer<Domain> a;
    a.why = Reason::NotFound;
    return a;
  }
};

// An exact engine that answers nothing: every question is undetermined, the helper program
// unavailable (Reason::Unavailable). It stands in for the helper program when that cannot be
// started, so the sheet still gets what our evaluator finds.
std::unique_ptr<ExactEngine> MakeUnavailableEngine();

}  // namespace curvalis::study
