// The integral window's work: the click on "=" (the sums of analysis/integral_sums.cpp, the
// result and its legend) and the diagram of f with the signed areas hatched.
#pragma once

#include <string>
#include <string_view>

#include "analysis/analyses.h"
#include "core/command.h"
#include "session/commands.h"

namespace curvalis {

// The diagram's surface is named as its click.
inline constexpr std::string_view kDiagramSurface = CommandName(Cmd::IntegraleDiagramma);
inline constexpr int kDiagramWidthPx = 313;   // 4695 twips
inline constexpr int kDiagramHeightPx = 185;  // 2775 twips
inline constexpr std::string_view kLegendAscending = "Integrale= Area gialla - Area verde";
inline constexpr std::string_view kLegendDescending = "Integrale= Area verde - Area gialla";

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

}  // namespace curvalis
