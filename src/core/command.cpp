#include "core/command.h"

#include <cfloat>
#include <cmath>

#include "core/formula_message.h"

namespace curvalis {

void FormulaErrorHandler(Host& host, Surface& mainSurface, EvalBook& book, int number,
                         std::string_view detail) {
  host.SetBusyCursor(false);
  if (number == kFormulaRejected) host.Message(kMsgFormulaError, detail);
  mainSurface.SetDrawWidth(1);
  CloseEvalBook(book);
}

void FormulaErrorHandler(Host& host, Surface& mainSurface, EvalBook& book, const EvalError& e,
                         std::string_view funzione) {
  std::string detail;
  if (e.number() == kFormulaRejected) detail = RejectionDetail(funzione, e.rejection());
  FormulaErrorHandler(host, mainSurface, book, e.number(), detail);
}

void SetGraphFrame(Surface& surface, const ViewState& v) {
  surface.SetScale(v.OffsetX - 3.2 * v.ScaleUnit, v.OffsetY + 2.4 * v.ScaleUnit,
                   v.OffsetX + 3.2 * v.ScaleUnit, v.OffsetY - 2.4 * v.ScaleUnit);
}

void SetTextFrame(Surface& surface) {
  surface.SetScale(0, 0, 48, 64);
}

void PlaceTextLine(Surface& surface, double row) {
  surface.Point(0, row, Palette(15));
}

bool Drawable(double v) {
  return std::fabs(v) <= static_cast<double>(FLT_MAX);
}

}  // namespace curvalis
