// The evaluation service of a window: server, book, sheet, formula cell and variable cell,
// with the life cycle the windows and commands rely on. The evaluator is our own
// (CompiledFormula); this facade keeps the operations the commands are written against.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "core/formula.h"
#include "core/value.h"

namespace curvalis {

// Error number of a formula the evaluator rejects when it is stored into FormulaCell.
inline constexpr int kFormulaRejected = 1004;

// A failure of the evaluation service that ends a command through FormulaErrorHandler.
class EvalError : public std::exception {
 public:
  EvalError(int number, FormulaReject reason) : number_(number), rejection_{reason, 0, 0} {}
  // A rejected formula (1004): what was rejected, and where in the prepared formula.
  EvalError(int number, const FormulaRejection& rejection)
      : number_(number), rejection_(rejection) {}
  int number() const { return number_; }
  const FormulaRejection& rejection() const { return rejection_; }
  const char* what() const noexcept override { return "evaluation failure"; }

 private:
  int number_;
  FormulaRejection rejection_;
};

// EvalBook with its worksheet 1 (EvalSheet): FormulaCell B1 holds the compiled formula,
// VariableCell X1 the abscissa.
class EvalBook {
 public:
  // OpenEvalBook: takes worksheet 1 and stores the prepared formula into FormulaCell.
  // Throws EvalError(1004) when the formula is rejected.
  void Open(std::string_view prepared);
  // Stores the formula again (the asymptote commands do so); same failure as Open.
  void StoreFormula(std::string_view prepared);
  // EvaluateAt: writes x into VariableCell and reads FormulaCell.
  const Value& EvaluateAt(double x);
  // The same, as a number: a truth value is 1 or 0, and NaN stands where f gives no number
  // (an error, a text, even one that reads as a number: "Truth values as numbers" in
  // docs/decisions.md).
  double NumberAt(double x);
  // NumberAt (EvaluateAt) over a grid known up front: ys[i] is NumberAt(xs[i]), evaluated
  // many samples at once.
  void NumbersAt(const double* xs, double* ys, std::size_t n);
  void ValuesAt(const double* xs, Value* out, std::size_t n);
  // CloseEvalBook: releases the worksheet. Never fails.
  void Close();

  bool sheetTaken() const { return sheetTaken_; }

 private:
  CompiledFormula formula_;
  std::string formulaText_;
  bool sheetTaken_ = false;
};

class EvalServer {
 public:
  EvalBook& book() { return book_; }

 private:
  EvalBook book_;
};

// Window load: a server of the window's own with its book.
std::unique_ptr<EvalServer> StartEvalServer();
// Window unload.
void QuitEvalServer(std::unique_ptr<EvalServer>& server);

inline void OpenEvalBook(EvalBook& book, std::string_view prepared) {
  book.Open(prepared);
}
inline const Value& EvaluateAt(EvalBook& book, double x) {
  return book.EvaluateAt(x);
}
inline void CloseEvalBook(EvalBook& book) {
  book.Close();
}

}  // namespace curvalis
