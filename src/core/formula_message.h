// What a student is told about a formula the evaluator rejected: the reason in Italian, the
// symbol as typed, and where it stands in Funzione.
#pragma once

#include <string>
#include <string_view>

#include "core/formula.h"

namespace curvalis {

// The detail of a rejection of PrepareFormula(funzione), for the message box under "Errore
// nella formula!": "Nome sconosciuto «sen2» (colonna 1)", "Parentesi non chiusa (colonna 4)",
// "Formula vuota". The column is 1-based in `funzione` as typed and counts characters, not
// bytes (a π is one column); a rejection at the end of the formula is one column past its
// last character. Empty for a formula that was not rejected.
std::string RejectionDetail(std::string_view funzione, const FormulaRejection& rejection);

}  // namespace curvalis
