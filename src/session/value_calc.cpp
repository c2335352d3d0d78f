#include "session/value_calc.h"

#include <cmath>

#include "core/formula_message.h"
#include "core/prepare_formula.h"
#include "core/print_format.h"
#include "core/read_number.h"
#include "session/commands.h"

namespace curvalis {

std::optional<std::string> ValueText(const Value& v, std::string_view decimalSeparator) {
  switch (v.kind) {
    case ValueKind::Number:
      if (!std::isfinite(v.number)) return std::nullopt;
      return FormatGeneral(v.number, decimalSeparator);
    case ValueKind::Bool:
      return std::string(v.number != 0 ? "VERO" : "FALSO");
    case ValueKind::Text:
      return v.text;
    case ValueKind::Empty:  // an empty cell reads as 0, as in arithmetic
      return FormatGeneral(0, decimalSeparator);
    case ValueKind::Error:
      break;
  }
  return std::nullopt;
}

std::optional<std::string> ComputeValue(ValoreContext& ctx) {
  ctx.host.CommandStarted(CommandName(Cmd::ValoreUguale));
  // The computation sets no busy cursor, so its failure paths have none to restore.
  auto fail = [&](std::string_view message, std::string_view detail = {}) {
    ctx.host.Message(message, detail);
    ctx.mainSurface.SetDrawWidth(1);
    CloseEvalBook(ctx.book);
    return std::nullopt;
  };
  try {
    std::string prepared = PrepareFormula(ctx.funzione);
    double x = ReadLeadingNumber(ctx.valoreX);
    // A point too large for a double is no point: nothing to evaluate.
    if (!std::isfinite(x)) return fail(kMsgNotComputable);
    OpenEvalBook(ctx.book, prepared);
    std::optional<std::string> text = ValueText(EvaluateAt(ctx.book, x), ctx.decimalSeparator);
    if (!text) return fail(kMsgNotComputable);
    ctx.host.ControlText("Valore.ValoreY", *text);
    CloseEvalBook(ctx.book);
    return text;
  } catch (const EvalError& e) {
    if (e.number() != kFormulaRejected) return fail(kMsgNotComputable);
    return fail(kMsgFormulaError, RejectionDetail(ctx.funzione, e.rejection()));
  } catch (...) {
    return fail(kMsgNotComputable);
  }
}

}  // namespace curvalis
