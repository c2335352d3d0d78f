// The coordinates under the pointer: the text the main window shows in a tooltip while the
// pointer moves over the drawing, "x = 1.25   f(x) = 0.949". It reads the view and the text of
// Funzione and changes neither, draws nothing and shows no message.
#pragma once

#include <string>
#include <string_view>

#include "core/formula.h"
#include "core/view_state.h"

namespace curvalis {

// The decimals of the abscissa: the fewest d (from 0 on) with 10^-d at most `pixelWidth`, the
// world width of one pixel, so that neighbouring pixels read different values: 2 at
// ScaleUnit 1, 3 at 0.1, 1 at 10.
int ReadoutDecimals(double pixelWidth);

// The abscissa of logical pixel column `px` (0 at the left edge, 632 at the right) in the
// graph frame of `view`, rounded to ReadoutDecimals.
double ReadoutAbscissa(const ViewState& view, double px);

// The abscissa as the readout writes it: `decimals` at most, trailing zeros dropped; beyond
// 10^15 in the general format of text fields.
std::string ReadoutXText(double x, int decimals, std::string_view decimalSeparator);
// A value of f as the readout writes it: at most 6 significant digits, E notation below 1E-4
// and from 1E+6 on ("1.23457E+06").
std::string ReadoutYText(double y, std::string_view decimalSeparator);

class PointerReadout {
 public:
  PointerReadout();
  ~PointerReadout();
  PointerReadout(const PointerReadout&) = delete;
  PointerReadout& operator=(const PointerReadout&) = delete;

  // The text for the pointer at logical pixel (px, py) of the drawing: "x = X   f(x) = Y",
  // or "x = X   f(x) non definita" where f gives no number there. Empty (no tooltip) outside
  // the drawing and while Funzione is empty or rejected. The formula is compiled when the
  // text of Funzione differs from the last call's, not at every move. Never throws.
  std::string Text(std::string_view funzione, const ViewState& view, double px, double py,
                   std::string_view decimalSeparator);

 private:
  // Compiles `funzione` unless it is the text compiled last; false if it is rejected.
  bool Prepare(std::string_view funzione);

  std::string funzione_;
  bool prepared_ = false;  // funzione_ holds the text last compiled
  bool accepted_ = false;  // ... and the evaluator accepted it
  CompiledFormula formula_;
};

}  // namespace curvalis
