// Our evaluator of the formula language: the prepared formula ("=" and an expression in
// spreadsheet syntax or as students write it, with x1 as the variable cell) is compiled once,
// then evaluated per sample without allocating.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "core/value.h"

namespace curvalis {

// Why a formula was rejected when it was stored. All of them surface as error number 1004.
enum class FormulaReject {
  None,
  Empty,               // "=" alone, or no leading "="
  UnbalancedParen,     // "=(x1+1", "=x1)"
  DanglingOperator,    // "=x1+", "=*2"
  WrongArgumentCount,  // "=sin(x1,2)", "=pi(1)"
  TooDeep,             // more than kMaxFormulaDepth nested levels
  TooLong,             // more than kMaxFormulaLength bytes
  UnknownName,         // "=X^2", "=foo(x1)", "=sen2(x1)": a name the language does not know
  MissingCallParen,    // "=sin x1": a function's name without its "("
  NumberAfterOperand,  // "=x1 2", "=(x1)2": a number right after an operand is no product
  UnclosedBar,         // "=|x1-1": an absolute value bar never closed
  Syntax,              // anything else: "=1,2", "=#", an unclosed text literal, "=1e400"
};

// A rejection and the symbol it concerns: bytes [begin, end) of the compiled text (the
// unclosed parenthesis or bar, the operator without its operand, the unknown name, the
// unexpected token; empty at the end of the formula). Empty and TooLong concern no symbol.
struct FormulaRejection {
  FormulaReject reason = FormulaReject::None;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The reason in a few Italian words, without the symbol: "Nome sconosciuto".
std::string_view RejectText(FormulaReject reason);

// Limits of a stored formula. limit - 1 is accepted, limit + 1 is rejected.
inline constexpr std::size_t kMaxFormulaLength = 8192;  // bytes, with the leading "="
inline constexpr int kMaxFormulaDepth = 128;            // nested parentheses, calls, bars and roots

class CompiledFormula {
 public:
  CompiledFormula();
  ~CompiledFormula();
  CompiledFormula(CompiledFormula&&) noexcept;
  CompiledFormula& operator=(CompiledFormula&&) noexcept;

  // Compiles `formula` (with its leading "="). On rejection the previous program is
  // dropped and Evaluate gives an empty value.
  FormulaReject Compile(std::string_view formula);
  bool IsCompiled() const;
  // What the last Compile rejected, and where; reason None after a success.
  const FormulaRejection& rejection() const;

  // The value of the formula with the variable cell X1 holding x. The reference stays valid
  // until the next call. No allocation for formulas that handle no text.
  const Value& Evaluate(double x);

  // NumberOrNaN(Evaluate(x)), with a fast path for purely numeric formulas.
  double EvaluateNumber(double x);

  // The same over n abscissas at once: out[i] is EvaluateNumber(xs[i]) (Evaluate(xs[i]))
  // bit for bit. A numeric formula without IF and IFERROR runs each instruction over many
  // samples in a row, without allocating; any other runs one sample after the other.
  void EvaluateMany(const double* xs, double* out, std::size_t n);
  void EvaluateMany(const double* xs, Value* out, std::size_t n);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace curvalis
