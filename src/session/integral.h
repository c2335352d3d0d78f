// The integral window's computations: Simpson's rule over the limits, the result and its
// legend, and the diagram of f with the signed areas hatched.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/command.h"

namespace curvalis {

inline constexpr std::string_view kDiagramSurface = "Integrale.Diagramma";
inline constexpr int kDiagramWidthPx = 313;   // 4695 twips
inline constexpr int kDiagramHeightPx = 185;  // 2775 twips
inline constexpr std::string_view kLegendAscending = "Integrale= Area gialla - Area verde";
inline constexpr std::string_view kLegendDescending = "Integrale= Area verde - Area gialla";

// The largest segment count computed: 2·10^7 evaluations, where Simpson's rule gains nothing
// more. A count above it, or one not above 0, cannot be computed.
inline constexpr double kMaxSegments = 10'000'000;

// How a long computation tells how far it is and asks whether to go on. Both may be empty.
struct Progress {
  std::function<void(double done)> report;  // the share of the evaluations done, 0 to 1
  std::function<bool()> keepGoing;          // false: stop, leaving everything as it was
};

// What a click on "=" or on the diagram works with.
struct IntegraleContext {
  Surface& diagramma;    // the diagram, kDiagramWidthPx x kDiagramHeightPx
  Surface& mainSurface;  // the main window's drawing: a rejected formula sets its width to 1
  EvalBook& book;        // the integral window's own book
  Host& host;            // the integral window's cursor, message boxes and trace
  std::string funzione;  // the text of Funzione at the click
  std::string superiore, inferiore, segmenti;  // the texts of the input fields
  std::string decimalSeparator = ".";
  const Progress* progress = nullptr;
};

// The two text fields a computation sets.
struct IntegraleFields {
  std::string area;   // Area
  std::string label;  // Label, the legend
};

enum class IntegralOutcome {
  Shown,          // Area and Label set, the diagram drawn
  EqualLimits,    // Area "0", the diagram cleared
  FormulaError,   // "Errore nella formula!"
  NotComputable,  // "Integrale non calcolabile,variare gli estremi di integrazione!"
  Cancelled,      // stopped through Progress::keepGoing: nothing changed
};

// The click on "=". Sets `fields` where the computation shows a result, handing each text to
// the host as "Integrale.Area" and "Integrale.Label", and draws the diagram.
IntegralOutcome ComputeIntegral(IntegraleContext& ctx, IntegraleFields& fields);

// The click on the diagram: the same frame and curve for the limits of the input fields,
// without hatching; the segment count plays no part.
void RedrawDiagram(IntegraleContext& ctx);

// Simpson's rule with n parabolic segments from a to b on the opened book: the nodes
// a + h·k, h = (b - a) / (2 n), the even ones first, then the odd ones, then a and b. The
// value, or NaN as soon as f gives no number at a node; NaN too when `progress` stops it,
// and then `cancelled` is set.
double SimpsonIntegral(EvalBook& book, double a, double b, double n, const Progress* progress,
                       bool* cancelled);

}  // namespace curvalis
