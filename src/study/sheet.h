// The written study of f over its whole domain ("Studio completo"), as data: thirteen sections
// in the order a student writes them, the sign-and-variation table, and the noteworthy points
// for the graph. The builder (BuildSheet) fills it from the exact engine's answers, each value
// checked with our own evaluator; the window, the exports and the batch trace only read it.
// Standard C++ only.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "exact_engine/engine.h"

namespace curvalis::study {

// The sections, in the order of the sheet and of the trace.
enum class SectionId {
  Function,          // "Funzione"
  Domain,            // "Dominio"
  Parity,            // "Simmetrie"
  Intercepts,        // "Intersezioni con gli assi"
  Sign,              // "Segno"
  Limits,            // "Limiti"
  Asymptotes,        // "Asintoti"
  Derivative,        // "Derivata prima"
  Monotonicity,      // "Monotonia" (part of "Derivata prima" on the sheet)
  Extrema,           // "Massimi e minimi" (part of "Derivata prima" on the sheet)
  SecondDerivative,  // "Derivata seconda"
  Concavity,         // "Concavità" (part of "Derivata seconda" on the sheet)
  Inflections,       // "Flessi" (part of "Derivata seconda" on the sheet)
};
inline constexpr int kSectionCount = 13;

// The outline of the written sheet that every writer of it walks (the trace, Markdown, LaTeX,
// the PDF and the printed page): its title, then its sections in this order.
inline constexpr std::string_view kSheetTitle = "Studio di funzione";
inline constexpr std::array<SectionId, kSectionCount> kOutline = {
    SectionId::Function,     SectionId::Domain,  SectionId::Parity,           SectionId::Intercepts,
    SectionId::Sign,         SectionId::Limits,  SectionId::Asymptotes,       SectionId::Derivative,
    SectionId::Monotonicity, SectionId::Extrema, SectionId::SecondDerivative, SectionId::Concavity,
    SectionId::Inflections};

// The trace name of a section: "function", "domain", ..., "inflections".
std::string_view SectionName(SectionId id);
// The Italian heading of a section, as in the comments of SectionId.
std::string_view SectionTitle(SectionId id);

// A point with both coordinates, each a checked Number.
struct Point {
  Number x;
  Number y;
};

// --- The data of each section -------------------------------------------------------------

// 1. f as the sheet writes it. `exact` false: f has no exact study, `reason` says why
// ("funzione non elementare: INT"); the other sections are then found numerically ("≈").
struct FunctionData {
  Expr f;              // f(x) in the student notation and in LaTeX
  std::string typed;   // the text of Funzione as typed (what the graph evaluates)
  bool exact = true;   // an exact study was possible
  std::string reason;  // why not, when exact is false
};

// A point outside D with D on both sides, named by its one-sided limits: eliminabile (both
// finite and equal: the graph has a hole there), di salto (finite and different: `jump` is the
// right limit minus the left one), di seconda specie (an infinite or missing one-sided limit).
enum class DiscontinuityKind { Removable, Jump, Second };
struct Discontinuity {
  Number x;
  DiscontinuityKind kind = DiscontinuityKind::Second;
  std::optional<Number> jump;   // Jump only
  std::optional<Number> limit;  // Removable only: the value both sides approach (the hole)
};

// 2. The domain: the condition ("x ≠ 2") and its maximal intervals, increasing.
struct DomainData {
  Domain domain;
  // For a periodic f: the condition for every period ("x ≠ π/2 + kπ, k ∈ ℤ"); `domain` then
  // holds the intervals of the period studied.
  std::string periodicCondition;
  std::vector<Discontinuity> discontinuities;
};

// Why f is neither even nor odd: its domain is not symmetric about 0, or f(−x) is neither
// f(x) nor −f(x) where both are defined.
enum class ParityWhy { Compared, DomainNotSymmetric };
// 3. Symmetry. A periodic f has `period`; the sections from 4 on then cover one period only
// (Sheet::periodWindow).
struct ParityData {
  Parity parity = Parity::None;
  std::optional<Number> period;
  ParityWhy why = ParityWhy::Compared;
};

// 4. The points on the axes: (0; f(0)) first when 0 is in D, then every zero (each point once).
struct InterceptsData {
  std::vector<Point> points;
  std::string periodicZeros;  // a periodic f: "x = kπ, k ∈ ℤ", its zeros in every period
};

// The sign of a quantity on an interval or at a point. Undefined is "‖" (outside the domain);
// None is an empty cell (the columns −∞ and +∞ of the table's sign rows).
enum class Sign { Plus, Minus, Zero, Undefined, None };

// 5. Where f > 0 and f < 0, cut at every zero and every gap of D. An interval where f is
// identically 0 has Sign::Zero.
struct SignInterval {
  Interval range;
  Sign sign = Sign::Plus;
};
// The sign chart ("schema del segno") a student draws for it: a row for each factor of the
// numerator and of the denominator, with its sign between the noteworthy points, and the row
// of f by the rule of signs. Columns as in the variation table (`xs`, the ends −∞ and +∞
// included where D is unbounded); `rows` empty when no chart could be given and checked.
struct SignChartRow {
  std::string factor;  // "x − 1", "x + 1", "x − 2"; "f(x)" for the last row
  std::string latex;
  bool denominator = false;
  std::vector<Sign> atPoint;     // at each column: "0", "‖" where undefined, None at ±∞
  std::vector<Sign> onInterval;  // on each interval between two columns
};
struct SignChart {
  std::vector<Number> xs;
  std::vector<SignChartRow> rows;
};
struct SignData {
  std::vector<SignInterval> intervals;
  SignChart chart;
};

// 6. One limit: at a finite end of D that does not belong to D (from its open side), or at
// -inf / +inf where D is unbounded. `value` empty: the limit does not exist.
struct LimitItem {
  Number at;      // the point; +-inf (value +-infinity, text "−∞"/"+∞") for the infinities
  Approach side;  // Left / Right of a point, MinusInfinity / PlusInfinity
  std::optional<Number> value;  // a 0 that f approaches keeping its sign is written "0⁺" or "0⁻"
  // Set when the limit could not be found: why ("non determinato: tempo scaduto"); `value`
  // is then empty without meaning that the limit does not exist.
  std::string reason;
};
struct LimitsData {
  std::vector<LimitItem> items;
};

// 7. Asymptotes. Vertical: `x`, with the side(s) where the one-sided limit is infinite.
// Horizontal (m = 0) and oblique: the line y = m·x + q and the side of infinity it belongs to;
// a line serving both -inf and +inf is listed once for each side.
enum class AsymptoteKind { Vertical, Horizontal, Oblique };
enum class Side { Left, Right, Both, MinusInfinity, PlusInfinity };
struct AsymptoteItem {
  AsymptoteKind kind = AsymptoteKind::Vertical;
  Side side = Side::Both;
  Number x;  // vertical only
  Number m;  // oblique only (0 for horizontal)
  Number q;  // horizontal: y = q; oblique: the intercept
  // Horizontal and oblique: +1 when the graph approaches the line from above, −1 from below,
  // 0 when the values do not say (f crosses it ever again, or the difference is lost).
  int from = 0;
};
struct AsymptotesData {
  std::vector<AsymptoteItem> items;
  std::string periodicVertical;  // a periodic f: "x = π/2 + kπ, k ∈ ℤ"
};

// How f fails to be differentiable at a point of D, from its one-sided derivatives: punto
// angoloso (different, one at least finite), cuspide (infinite, opposite signs), punto a
// tangente verticale (infinite at an end of D), flesso a tangente verticale (infinite, the same
// sign); Unknown when a one-sided derivative could not be found.
enum class NonDifferentiableKind { Corner, Cusp, VerticalTangent, VerticalInflection, Unknown };
struct NonDifferentiablePoint {
  Number x;
  NonDifferentiableKind kind = NonDifferentiableKind::Unknown;
  std::optional<Number> left, right;  // f′₋ and f′₊ (only the side inside D at an end)
};

// 8. f′ written, and the points of D where f is not differentiable (corners, vertical
// tangents): D of f minus D of f′, increasing.
struct DerivativeData {
  Expr d1;
  std::vector<Number> notDifferentiable;
  std::vector<NonDifferentiablePoint> kinds;  // one for each of notDifferentiable, same order
};

// 9. Monotonicity on maximal intervals (neighbours with the same trend are one interval when
// the point between them belongs to D). An end that belongs to D is closed.
enum class Trend { Increasing, Decreasing, Constant };
struct TrendInterval {
  Interval range;
  Trend trend = Trend::Increasing;
};
struct MonotonicityData {
  std::vector<TrendInterval> intervals;
  SignChart chart;  // the sign chart of f′ (its factors, then f′), when the working has one
};

// 10. Relative extrema: where the trend changes (corners included) and at ends of D that belong
// to it. `absolute`: no value or limit of f goes beyond it.
struct ExtremumItem {
  bool maximum = true;  // false: minimum
  Point p;
  bool absolute = false;
};
struct ExtremaData {
  std::vector<ExtremumItem> items;
};

// 11. f″ written.
struct SecondDerivativeData {
  Expr d2;
};

// 12. Concavity on maximal intervals.
struct ConcavityInterval {
  Interval range;
  bool up = true;  // "concava verso l'alto"; false: "verso il basso"
};
struct ConcavityData {
  std::vector<ConcavityInterval> intervals;
  SignChart chart;  // the sign chart of f″, when the working has one
};

// 13. Inflection points: the concavity changes at a point with a tangent (never a corner).
struct InflectionItem {
  Point p;
  bool horizontalTangent = false;  // f′ = 0 there
};
struct InflectionsData {
  std::vector<InflectionItem> items;
};

// One section: pending until the builder reaches it; then either determined with its data or
// undetermined with the reason ("non determinato" on the sheet, then the reason).
template <typename T>
struct Section {
  bool ready = false;       // the builder has finished this section
  bool determined = false;  // ready and found; `data` holds it
  std::string reason;       // ready and not found: why (Italian)
  T data{};
  // The working that leads to `data` ("Svolgimento"), in the order a student writes it; empty
  // for a section without one, or when no line of it could be given and checked.
  std::vector<Step> steps;
};

// --- The sign-and-variation table ---------------------------------------------------------

// The arrow of the f row on one interval between two columns.
enum class Arrow { Up, Down, Flat, None };  // None: f undefined there (hatched)

// What the f row shows in one column. At a point of D: `value`. At an end of D or a point
// outside it: the one-sided limits of the sides where f is defined (a pole shows both, "‖"
// between them). The column -inf has only `right` (the limit at -inf), +inf only `left`.
struct TableFCell {
  std::optional<Number> value;  // f(x) when x belongs to D
  std::optional<Number> left;   // limit from the left (f defined just left of x)
  std::optional<Number> right;  // limit from the right (f defined just right of x)
  bool inDomain = false;        // x belongs to D
};

// The table: columns are the noteworthy x values, increasing: the ends of D (-inf, +inf
// included when D is unbounded), the gaps, the zeros of f′ and f″ and the points where f is
// not differentiable. Between column i and i+1 lies interval i.
struct VariationTable {
  std::vector<Number> xs;          // the column heads, "−∞" ... "+∞"
  std::vector<Sign> d1AtPoint;     // sign of f′ at each column ("0", "‖", or its sign)
  std::vector<Sign> d1OnInterval;  // sign of f′ on each interval (size xs.size() - 1)
  std::vector<Sign> d2AtPoint;     // sign of f″ at each column
  std::vector<Sign> d2OnInterval;  // sign of f″ on each interval
  std::vector<TableFCell> f;       // the f row at each column
  std::vector<Arrow> arrows;       // the f row on each interval
  bool hasD1 = false;              // the f′ rows are known (else they show "?")
  bool hasD2 = false;              // the f″ rows are known
};

// --- The graph ----------------------------------------------------------------------------

// Hole: a removable discontinuity, drawn as an empty circle.
enum class PointKind { Intercept, Maximum, Minimum, Inflection, Corner, DomainEnd, Hole };

// A noteworthy point for the graph, marked and labelled "(2 − √3; 4 − 2√3)".
struct GraphPoint {
  Point p;
  PointKind kind = PointKind::Intercept;
  std::string label;  // the exact coordinates as the sheet writes them
};

// A view that shows every noteworthy point (and the asymptotes' crossings), with a margin.
struct GraphView {
  double left = -5, right = 5, bottom = -5, top = 5;
  // A periodic f: the x ticks are multiples of this step (π/4, π/2 or π), written with π; 0:
  // the ticks of an ordinary scale.
  double piStep = 0;
};

// The ticks of a scale in multiples of `step` = π/n over [lo; hi]: each abscissa with its text
// as a student writes it ("−π/2", "π", "3π/4").
std::vector<std::pair<double, std::string>> PiTicks(double lo, double hi, double step);

// --- The sheet ----------------------------------------------------------------------------

struct Sheet {
  Section<FunctionData> function;
  Section<DomainData> domain;
  Section<ParityData> parity;
  Section<InterceptsData> intercepts;
  Section<SignData> sign;
  Section<LimitsData> limits;
  Section<AsymptotesData> asymptotes;
  Section<DerivativeData> derivative;
  Section<MonotonicityData> monotonicity;
  Section<ExtremaData> extrema;
  Section<SecondDerivativeData> secondDerivative;
  Section<ConcavityData> concavity;
  Section<InflectionsData> inflections;

  bool tableReady = false;  // `table` is final (after the last section)
  VariationTable table;
  std::vector<GraphPoint> points;  // noteworthy points for the graph (after the last section)
  GraphView view;                  // a view showing all of them

  // The sections from Intercepts on cover one period of a periodic f: [0; T[, or a period
  // between two points outside D (]−π/2; π/2[ for tg); the interval, for the sheet's note
  // "lo studio che segue è nel periodo ..." and for the graph.
  std::optional<Interval> periodWindow;

  // The reason of a formula that could not be studied at all (empty or rejected): the sheet
  // then holds only this ("Errore nella formula!" and the reason); every section is
  // undetermined with it.
  std::string rejected;
};

// Calls f with the section `id` of `sheet` (a Sheet or a const Sheet), whatever its data.
template <typename S, typename F>
void WithSection(S& sheet, SectionId id, F&& f) {
  auto sections = std::tie(sheet.function, sheet.domain, sheet.parity, sheet.intercepts, sheet.sign,
                           sheet.limits, sheet.asymptotes, sheet.derivative, sheet.monotonicity,
                           sheet.extrema, sheet.secondDerivative, sheet.concavity,
                           sheet.inflections);  // in the order of SectionId
  static_assert(std::tuple_size_v<decltype(sections)> == kSectionCount);
  std::apply(
      [&](auto&... s) {
        int i = 0;
        ((i++ == int(id) ? (void)f(s) : void()), ...);
      },
      sections);
}

// True when the section is ready (determined or not).
bool SectionReady(const Sheet& sheet, SectionId id);

// --- Building it --------------------------------------------------------------------------

// Told of each section as soon as it is ready, in order, and once at the end. Called on the
// builder's thread (a worker thread in the window, the batch's own thread); the sheet is not
// changed while a callback runs, so a window copies what it needs and posts it to its thread.
class SheetObserver {
 public:
  virtual ~SheetObserver() = default;
  virtual void SectionReady(const Sheet& sheet, SectionId id) = 0;
  // The whole sheet, the table and the graph points included.
  virtual void Finished(const Sheet& sheet) = 0;
};

// How long the sheet may wait for the engine: its questions together get `engineTime`, read on
// `clock` (the steady clock unless set; tests pass a fake one). Once it is spent no question is
// sent: what is left is found numerically or said "non determinato: tempo scaduto". The
// numeric work after it is short, so a whole study ends within about a second more.
struct SheetBudget {
  std::chrono::milliseconds engineTime{4000};
  std::function<std::chrono::steady_clock::time_point()> clock;
};

// Builds the sheet of `funzione` (the text of Funzione as typed) with `engine` within `budget`,
// telling `observer` (may be null) of each section. `cancel` (may be null), once true, stops
// the build between questions: the sections not reached stay not ready and Finished is not
// called.
Sheet BuildSheet(ExactEngine& engine, std::string_view funzione, SheetObserver* observer = nullptr,
                 const std::atomic<bool>* cancel = nullptr, const SheetBudget& budget = {});

// --- Texts shared by the window, the exports and the screen reader -------------------------

// The sign as the table writes it: "+", "−", "0", "‖", "" (None).
std::string_view SignText(Sign sign);

// The head of a row of the sign chart: its factor, and "(den.)" for a factor of the
// denominator, so that a factor of both (x + 2 in (x² − 4)/(x + 2)) is told apart.
std::string ChartRowTitle(const SignChartRow& row);
std::string ChartRowLatex(const SignChartRow& row);

// "A", "A e B", "A, B e C".
std::string JoinItalian(const std::vector<std::string>& parts);
// The head of a limit, before what tends: "lim x→2⁻ ", "lim x→+∞ ".
std::string LimitText(const Number& at, Approach side);
// The side of an asymptote: "da sinistra", "per x → −∞".
std::string SideText(Side side);

// "]−∞; 2[", "[1; +∞[", "(2 − √3; 4 − 2√3)".
std::string IntervalText(const Interval& interval);
std::string PointText(const Point& point);
// "y = x + 2", "y = −x", "y = 2x − π", "y = 1".
std::string LineText(const Number& m, const Number& q);
// The f row: "↗", "↘", "→", and "‖" where f is undefined; a cell "4 − 2√3", "−∞ ‖ +∞".
std::string ArrowText(Arrow arrow);
std::string FCellText(const TableFCell& cell);

// The lines of one section in Italian and the student notation, without its heading:
// e.g. {"D = ]−∞; 2[ ∪ ]2; +∞[", "x ≠ 2"}; "calcolo in corso" when not ready; "non
// determinato: <reason>" when undetermined.
std::vector<std::string> SectionLines(const Sheet& sheet, SectionId id);

// The sheet with its results alone: every section's working and sign chart taken away (the exports
// "without the working").
Sheet ResultsOnly(Sheet sheet);

// The heading of a section's working on the sheet.
inline constexpr std::string_view kWorkingTitle = "Svolgimento";

// The working of a section, whether it has one.
const std::vector<Step>& SectionSteps(const Sheet& sheet, SectionId id);

// The sign chart a section's working draws ("schema del segno"): Segno's of f, Monotonia's of
// f′, Concavità's of f″; nullptr for the other sections and where there is none.
const SignChart* SectionChart(const Sheet& sheet, SectionId id);
inline constexpr std::string_view kSignChartTitle = "Schema del segno";

// The headings of the two parts that follow the sections.
inline constexpr std::string_view kTableTitle = "Tabella dei segni e della variazione";
inline constexpr std::string_view kGraphTitle = "Grafico";

// The table as text, one line per row, for a screen reader and the Markdown export.
std::vector<std::string> TableLines(const Sheet& sheet);

}  // namespace curvalis::study
