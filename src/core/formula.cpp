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
  // In FormulaReject's order.
  static constexpr std::string_view kTexts[] = {
      "Formula accettata",
      "Formula vuota",
      "Parentesi non bilanciate",
      "Operatore senza operando",
      "Numero di argomenti sbagliato",
      "Troppi livelli di parentesi",
      "Formula troppo lunga",
      "Nome sconosciuto",
      "Manca la parentesi dopo il nome della funzione",
      "Manca un operatore prima del numero",
      "Barra del valore assoluto non chiusa",
      "Errore di sintassi",
  };
  static_assert(std::size(kTexts) == std::size_t(FormulaReject::Syntax) + 1);
  return kTexts[std::size_t(reason)];
}

struct CompiledFormula::Impl {
  formula::Program program;
  bool compiled = false;
  bool numericNumber = false;  // EvaluateNumber runs on doubles
  bool numericValue = false;   // Evaluate too: the result has one kind
  bool resultBool = false;     // that kind is the truth value
  double constantNumber = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> numbers;         // the numeric stack
  std::vector<Value> values;           // the general stack
  formula::DirectFn direct = nullptr;  // the whole program as one function: sin(x1)
  bool batch = false;                  // EvaluateMany runs each instruction over a chunk
  formula::BatchStack batchStack;
  Value result;
  FormulaRejection rejection;

  double RunNumbers(double x) {
    return direct ? direct(x) : formula::RunNumeric(program.code.data(), numbers.data(), x);
  }

  void RunValues(double x) {
    const auto& code = program.code;
    formula::RunGeneric(code.data(), code.data() + code.size(), program.pool.data(), values.data(),
                        x);
    result = values[0];
    formula::FinishResult(result);
  }

  // The paths of Evaluate and EvaluateNumber that are not the numeric one, out of line so the
  // numeric one stays short.
  [[gnu::noinline]] const Value& SlowValue(double x) {
    if (compiled && !program.constant) RunValues(x);
    return result;
  }

  [[gnu::noinline]] double SlowNumber(double x) {
    if (!compiled || program.constant) return constantNumber;
    RunValues(x);
    return NumberOrNaN(result);
  }
};

CompiledFormula::CompiledFormula() : impl_(std::make_unique<Impl>()) {}
CompiledFormula::~CompiledFormula() = default;
CompiledFormula::CompiledFormula(CompiledFormula&&) noexcept = default;
CompiledFormula& CompiledFormula::operator=(CompiledFormula&&) noexcept = default;

FormulaReject CompiledFormula::Compile(std::string_view formula) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& m = *impl_;
  m = Impl{};
  FormulaReject reason =
      formula::CompileProgram(formula, m.program, formula::CompileOptions{}, &m.rejection);
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
  if (p.numeric && p.code.size() == 2) m.direct = formula::DirectKernel(p.code[0].op);
  // One slot for the initial top of the numeric stack, one for a list's last value.
  if (p.numeric) m.numbers.assign(p.depth + 2, 0.0);
  if (!m.numericValue) m.values.resize(std::max<std::size_t>(1, p.depth));
  m.batch = formula::BatchRunnable(p);
  if (m.batch) m.batchStack.Reserve(p);
  return reason;
}

bool CompiledFormula::IsCompiled() const {
  return impl_ && impl_->compiled;
}

const FormulaRejection& CompiledFormula::rejection() const {
  static const FormulaRejection kNone;
  return impl_ ? impl_->rejection : kNone;
}

const Value& CompiledFormula::Evaluate(double x) {
  static const Value kNothing;
  Impl* m = impl_.get();
  if (!m) return kNothing;  // moved from
  if (!m->numericValue) return m->SlowValue(x);
  double r = m->RunNumbers(x);
  if (formula::IsErr(r)) {
    m->result.kind = ValueKind::Error;
    m->result.error = formula::ErrorOf(r);
    m->result.number = 0;
  } else {
    m->result.kind = m->resultBool ? ValueKind::Bool : ValueKind::Number;
    m->result.error = ErrorCode::None;
    m->result.number = r + 0.0;  // a negative zero becomes 0
  }
  return m->result;
}

double CompiledFormula::EvaluateNumber(double x) {
  Impl* m = impl_.get();
  if (!m) return std::numeric_limits<double>::quiet_NaN();  // moved from
  if (!m->numericNumber) return m->SlowNumber(x);
  double r = m->RunNumbers(x);
  return formula::IsErr(r) ? std::numeric_limits<double>::quiet_NaN() : r + 0.0;
}

void CompiledFormula::EvaluateMany(const double* xs, double* out, std::size_t n) {
  Impl* m = impl_.get();
  if (!m || !m->batch) {
    for (std::size_t i = 0; i < n; ++i) out[i] = EvaluateNumber(xs[i]);
    return;
  }
  for (std::size_t done = 0; done < n;) {
    const std::size_t k = std::min(formula::kBatchChunk, n - done);
    const double* r = formula::RunBatch(m->program.code.data(), m->batchStack, xs + done, k);
    formula::BatchNumbers(r, out + done, k);
    done += k;
  }
}

void CompiledFormula::EvaluateMany(const double* xs, Value* out, std::size_t n) {
  Impl* m = impl_.get();
  if (!m || !m->batch || !m->numericValue) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Evaluate(xs[i]);
    return;
  }
  const ValueKind kind = m->resultBool ? ValueKind::Bool : ValueKind::Number;
  for (std::size_t done = 0; done < n;) {
    const std::size_t k = std::min(formula::kBatchChunk, n - done);
    const double* boxed = formula::RunBatch(m->program.code.data(), m->batchStack, xs + done, k);
    for (std::size_t j = 0; j < k; ++j) {
      // As Evaluate: an error keeps its kind, a negative zero becomes 0.
      const double r = boxed[j];
      Value& v = out[done + j];
      if (formula::IsErr(r)) {
        v.kind = ValueKind::Error;
        v.error = formula::ErrorOf(r);
        v.number = 0;
      } else {
        v.kind = kind;
        v.error = ErrorCode::None;
        v.number = r + 0.0;
      }
      v.text.clear();
    }
    done += k;
  }
}

}  // namespace curvalis
