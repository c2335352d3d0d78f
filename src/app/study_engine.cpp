#include "app/study_engine.h"

#include <QCoreApplication>
#include <cstdlib>

#include "study/unavailable_engine.h"

namespace curvalis {

std::string ExactHelperPath() {
  if (const char* env = std::getenv("CURVALIS_EXACT"); env && *env) return env;
  return (QCoreApplication::applicationDirPath() + "/curvalis-exact").toStdString();
}

std::unique_ptr<study::ExactEngine> MakeProgramExactEngine() {
  // The helper's client joins here: study::MakeExactEngine({ExactHelperPath()}).
  return study::MakeUnavailableEngine();
}

}  // namespace curvalis
