#include <string>

#include "exact_engine/engine.h"

namespace curvalis::study {

std::string ReasonText(Reason why, std::string_view detail) {
  switch (why) {
    case Reason::None:
      return {};
    case Reason::NotFound:
      return "non determinato";
    case Reason::Rejected:
      return "formula non valida: " + std::string(detail);
    case Reason::NotElementary:
      return "funzione non elementare: " + std::string(detail);
    case Reason::Unavailable:
      return "motore di calcolo esatto non disponibile";
    case Reason::TimeUp:
    case Reason::SlowQuestion:
      return "non determinato: tempo scaduto";
    case Reason::HelperDied:
      return "non determinato: il motore di calcolo si è interrotto";
    case Reason::BadAnswer:
      return "non determinato: risposta non valida del motore di calcolo";
    case Reason::NoAnswer:
      return "non determinato: il motore di calcolo non ha trovato la risposta";
    case Reason::DerivativeNotWritten:
      return "non determinato: derivata non rappresentabile";
    case Reason::DomainNotWritten:
      return "non determinato: dominio non rappresentabile";
    case Reason::InfiniteSolutions:
      return "non determinato: infinite soluzioni";
    case Reason::OutsideDomain:
      return "fuori dal dominio";
    case Reason::NotQuotient:
      return "non determinato: non è un quoziente";
  }
  return "non determinato";
}

}  // namespace curvalis::study
