// The value window's computation: f at the point typed into ValoreX.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/command.h"
#include "core/value.h"

namespace curvalis {

// What a click on "=" of the value window works with.
struct ValoreContext {
  EvalBook& book;        // the value window's own book
  Surface& mainSurface;  // the main window's drawing: a failure sets its draw width to 1
  Host& host;            // the value window's cursor, message boxes and trace
  std::string funzione;  // the text of Funzione at the click
  std::string valoreX;   // the text of ValoreX
  std::string decimalSeparator = ".";
};

// The text of ValoreY for a value of f: a number in the general format with the given
// decimal separator, TRUE and FALSE as "VERO" and "FALSO", a text unchanged. An error value
// cannot be shown: nothing.
std::optional<std::string> ValueText(const Value& v, std::string_view decimalSeparator);

// The click on "=": reads x from ValoreX and evaluates f there. Returns the new text of
// ValoreY, also handed to the host as the text of "Valore.ValoreY". On failure it shows the
// message ("Errore nella formula!" for a rejected formula, "Funzione non calcolabile o non
// definita!" otherwise), sets the main drawing's width to 1, closes the book and returns
// nothing: ValoreY keeps its text.
std::optional<std::string> ComputeValue(ValoreContext& ctx);

}  // namespace curvalis
