// The sheet's order of work: f first, then each section in turn; what stops the study (a
// rejected formula, an engine that is down) and what the sections after it then say.
#include "study/sheet_builder.h"

namespace curvalis::study::sheet_build {

Sheet Builder::Run(std::string_view funzione) {
  start_ = Now();
  try {
    Build(funzione);
  } catch (const Cancelled&) {
    return sheet_;
  }
  if (observer_) observer_->Finished(sheet_);
  return sheet_;
}

void Builder::Build(std::string_view funzione) {
  sheet_.function.data.typed = std::string(funzione);
  CompiledFormula probe;
  if (probe.Compile(PrepareFormula(funzione)) != FormulaReject::None) {
    sheet_.rejected = "Errore nella formula: " + RejectionDetail(funzione, probe.rejection());
    Rest(SectionId::Function, sheet_.rejected);
    return;
  }
  f_.Compile(funzione);
  BuildFunction(funzione);
  ReadConditions();
  BuildDomain();
  if (sheet_.domain.data.domain.intervals.empty()) {
    Done(sheet_.domain, SectionId::Domain);
    Rest(SectionId::Parity, "il dominio è vuoto");
    return;
  }
  BuildParity();
  BuildIntercepts();
  BuildSign();
  BuildLimits();
  BuildAsymptotes();
  BuildDerivative();
  BuildMonotonicity();
  BuildExtrema();
  BuildSecondDerivative();
  BuildConcavity();
  BuildInflections();
  BuildTable();
  BuildGraph();
}

void Builder::Rest(SectionId first, const std::string& reason) {
  for (int i = int(first); i < kSectionCount; ++i) {
    WithSection(sheet_, SectionId(i), [&](auto& s) { Undetermined(s, SectionId(i), reason); });
  }
  sheet_.tableReady = true;
}

void Builder::BuildFunction(std::string_view funzione) {
  FunctionData& d = sheet_.function.data;
  auto a = Ask<Expr>([&] { return engine_.SetFunction(funzione); });
  // The engine's writing of f must read back, through our evaluator, as the same function.
  Fn written;
  bool same = a.determined && written.Compile(a.value.text);
  for (double x : {-3.7, -1.3, -0.3, 0.45, 1.9, 3.3, 7.1, 25.5}) {
    const double mine = F(x), theirs = written(x);
    if (!std::isnan(mine) && !std::isnan(theirs) &&
        std::fabs(mine - theirs) > 1e-9 * (1 + std::fabs(mine))) {
      same = false;
    }
  }
  if (same) {
    d.f = a.value;
    d.exact = a.value.exact;
    if (!d.exact) d.reason = a.reason();
    // The engine may write f without its helper program; the first question that needs the
    // helper says whether the study can be exact at all.
    domainAnswer_ = Ask<Domain>([&] { return engine_.DomainOf(Which::F); });
    if (!domainAnswer_->determined && EngineDown(domainAnswer_->why)) {
      d.f.exact = false;
      d.exact = false;
      d.reason = domainAnswer_->reason();
    }
  } else {
    d.f = Expr{std::string(funzione), "", false};
    d.exact = false;
    d.reason = a.determined            ? "la forma esatta non corrisponde ai valori della funzione"
               : a.why == Reason::None ? "nessuna risposta del motore di calcolo esatto"
                                       : a.reason();
    if (!a.determined) EngineDown(a.why);
  }
  sheet_.function.determined = true;
  Done(sheet_.function, SectionId::Function);
}

std::chrono::steady_clock::time_point Builder::Now() const {
  return budget_.clock ? budget_.clock() : std::chrono::steady_clock::now();
}

bool Builder::BudgetSpent() {
  const auto left =
      budget_.engineTime - std::chrono::duration_cast<std::chrono::milliseconds>(Now() - start_);
  if (left.count() > 0) {
    engine_.SetTimeLeft(left);
    return false;
  }
  engineOff_ = true;
  engineWhy_ = Reason::TimeUp;
  return true;
}

bool Builder::EngineDown(Reason why) {
  if (why == Reason::Unavailable || why == Reason::TimeUp) {
    engineOff_ = true;
    engineWhy_ = why;
  }
  return engineOff_;
}

}  // namespace curvalis::study::sheet_build

namespace curvalis::study {

Sheet BuildSheet(ExactEngine& engine, std::string_view funzione, SheetObserver* observer,
                 const std::atomic<bool>* cancel, const SheetBudget& budget) {
  sheet_build::Builder builder(engine, observer, cancel, budget);
  Sheet sheet = builder.Run(funzione);
  engine.SetTimeLeft(std::nullopt);
  return sheet;
}

}  // namespace curvalis::study
