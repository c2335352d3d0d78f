// CompiledFormula: the compiled program with the stacks it runs on, sized when it is compiled,
// so evaluating allocates nothing (texts aside).
#include "core/formula.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/formula_kernels.h"
#include "core/formula_program.h"

namespace curvalis {

std::string_view RejectText(FormulaReject reason) {
  switch (reason) {
    case FormulaReject::None:
      return "accepted";
    case FormulaReject::Empty:
      return "empty formula";
    case FormulaReject::UnbalancedParen:
      return "unbalanced parenthesis";
    case FormulaReject::DanglingOperator:
      return "operator without an operand";
    case FormulaReject::WrongArgumentCount:
      return "wrong number of arguments";
    case FormulaReject::TooDeep:
      return "nested too deeply";
    case FormulaReject::TooLong:
      return "formula too long";
    case FormulaReject::Syntax:
      return "syntax error";
  }
  return "syntax error";
}

struct CompiledFormula::Impl {
  formula::Program program;
  bool compiled = false;
  bool numericNumber = false;  // EvaluateNumber runs on doubles
  bool numericValue = false;   // Evaluate too: the result has one kind
  bool resultBool = false;     // that kind is the truth value
  double constantNumber = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> numbers;  // the numeric stack
  std::vector<Value> values;    // the general stack
  Value result;

  void Reset() {
    program = formula::Program{};
    compiled = numericNumber = numericValue = resultBool = false;
    constantNumber = std::numeric_limits<double>::quiet_NaN();
    numbers.clear();
    values.clear();
    result = Value{};
  }

  void RunValues(double x) {
    const auto& code = program.code;
    formula::RunGeneric(code.data(), code.data() + code.size(), program.pool.data(), values.data(),
                        x);
    result = values[0];
    formula::FinishResult(result);
  }
};

CompiledFormula::CompiledFormula() : impl_(std::make_unique<Impl>()) {}
CompiledFormula::~CompiledFormula() = default;
CompiledFormula::CompiledFormula(CompiledFormula&&) noexcept = default;
CompiledFormula& CompiledFormula::operator=(CompiledFormula&&) noexcept = default;

FormulaReject CompiledFormula::Compile(std::string_view formula) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& m = *impl_;
  m.Reset();
  FormulaReject reason = formula::CompileProgram(formula, m.program, formula::CompileOptions{});
  if (reason != FormulaReject::None) return reason;

  const formula::Program& p = m.program;
  m.compiled = true;
  if (p.constant) {
    m.result = p.pool[p.code[0].a];
    formula::FinishResult(m.result);
    m.constantNumber = NumberOrNaN(m.result);
    return reason;
  }
  m.numericNumber = p.numeric;
  m.numericValue = p.numeric && (p.resultType == 0 || p.resultType == formula::kTypeNumber ||
                                 p.resultType == formula::kTypeBool);
  m.resultBool = p.resultType == formula::kTypeBool;
  // One slot for the initial top of the numeric stack, one for a list's last value.
  if (p.numeric) m.numbers.assign(p.depth + 2, 0.0);
  if (!m.numericValue) m.values.resize(std::max<std::size_t>(1, p.depth));
  return reason;
}

bool CompiledFormula::IsCompiled() const {
  return impl_ && impl_->compiled;
}

const Value& CompiledFormula::Evaluate(double x) {
  static const Value kNothing;
  if (!impl_) return kNothing;  // moved from
  Impl& m = *impl_;
  if (!m.compiled || m.program.constant) return m.result;
  if (m.numericValue) {
    double r = formula::RunNumeric(m.program.code.data(), m.numbers.data(), x);
    if (formula::IsErr(r)) {
      m.result.kind = ValueKind::Error;
      m.result.error = formula::ErrorOf(r);
      m.result.number = 0;
    } else {
      m.result.kind = m.resultBool ? ValueKind::Bool : ValueKind::Number;
      m.result.error = ErrorCode::None;
      m.result.number = r + 0.0;  // a negative zero becomes 0
    }
    return m.result;
  }
  m.RunValues(x);
  return m.result;
}

double CompiledFormula::EvaluateNumber(double x) {
  if (!impl_) return std::numeric_limits<double>::quiet_NaN();  // moved from
  Impl& m = *impl_;
  if (m.numericNumber) {
    double r = formula::RunNumeric(m.program.code.data(), m.numbers.data(), x);
    return formula::IsErr(r) ? std::numeric_limits<double>::quiet_NaN() : r + 0.0;
  }
  if (!m.compiled || m.program.constant) return m.constantNumber;
  m.RunValues(x);
  return NumberOrNaN(m.result);
}

}  // namespace curvalis
