#include <string>

#include "exact_engine/engine.h"

namespace curvalis::study {

std::string ReasonText(Reason why, std::string_view detail) {
  // The words of each reason, in the order of Reason; a rejected formula and a function that is
  // not elementary have the detail after theirs.
  static constexpr std::string_view kReasonTexts[] = {
      "",
      "non determinato",
      "formula non valida: ",
      "funzione non elementare: ",
      "motore di calcolo esatto non disponibile",
      "non determinato: tempo scaduto",
      "non determinato: il motore di calcolo si è interrotto",
      "non determinato: risposta non valida del motore di calcolo",
      "non determinato: tempo scaduto",
      "non determinato: il motore di calcolo non ha trovato la risposta",
      "non determinato: derivata non rappresentabile",
      "non determinato: dominio non rappresentabile",
      "non determinato: infinite soluzioni",
      "fuori dal dominio",
      "non determinato: non è un quoziente",
  };
  static_assert(std::size(kReasonTexts) == static_cast<std::size_t>(Reason::NotQuotient) + 1);
  std::string text(kReasonTexts[static_cast<std::size_t>(why)]);
  if (why == Reason::Rejected || why == Reason::NotElementary) text += detail;
  return text;
}

}  // namespace curvalis::study
