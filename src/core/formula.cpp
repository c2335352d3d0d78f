// Placeholder until the evaluator lands: every formula is rejected.
#include "core/formula.h"

namespace curvalis {

std::string_view RejectText(FormulaReject) { return "rejected"; }

struct CompiledFormula::Impl {
  Value result;
};

CompiledFormula::CompiledFormula() : impl_(std::make_unique<Impl>()) {}
CompiledFormula::~CompiledFormula() = default;
CompiledFormula::CompiledFormula(CompiledFormula&&) noexcept = default;
CompiledFormula& CompiledFormula::operator=(CompiledFormula&&) noexcept = default;
FormulaReject CompiledFormula::Compile(std::string_view) { return FormulaReject::Syntax; }
bool CompiledFormula::IsCompiled() const { return false; }
const Value& CompiledFormula::Evaluate(double) { return impl_->result; }
double CompiledFormula::EvaluateNumber(double) { return NumberOrNaN(impl_->result); }

}  // namespace curvalis
