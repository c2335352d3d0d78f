#include "core/eval_service.h"

namespace curvalis {

void EvalBook::Open(std::string_view prepared) {
  sheetTaken_ = true;
  StoreFormula(prepared);
}

void EvalBook::StoreFormula(std::string_view prepared) {
  if (formulaText_ != prepared || !formula_.IsCompiled()) {
    formulaText_.assign(prepared);
    FormulaReject reason = formula_.Compile(prepared);
    if (reason != FormulaReject::None) {
      formulaText_.clear();
      throw EvalError(kFormulaRejected, formula_.rejection());
    }
  }
}

const Value& EvalBook::EvaluateAt(double x) {
  return formula_.Evaluate(x);
}

double EvalBook::NumberAt(double x) {
  return formula_.EvaluateNumber(x);
}

void EvalBook::NumbersAt(const double* xs, double* ys, std::size_t n) {
  formula_.EvaluateMany(xs, ys, n);
}

void EvalBook::ValuesAt(const double* xs, Value* out, std::size_t n) {
  formula_.EvaluateMany(xs, out, n);
}

void EvalBook::Close() {
  sheetTaken_ = false;
}

std::unique_ptr<EvalServer> StartEvalServer() {
  return std::make_unique<EvalServer>();
}

void QuitEvalServer(std::unique_ptr<EvalServer>& server) {
  server.reset();
}

}  // namespace curvalis
