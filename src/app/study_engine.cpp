#include "app/study_engine.h"

#include <QCoreApplication>
#include <cstdlib>

#include "exact_engine/helper_engine.h"

namespace curvalis {

std::string ExactHelperPath() {
  if (const char* env = std::getenv("CURVALIS_EXACT"); env && *env) return env;
  return (QCoreApplication::applicationDirPath() + "/curvalis-exact").toStdString();
}

std::unique_ptr<study::ExactEngine> MakeProgramExactEngine() {
  study::EngineOptions options;
  options.helperPath = ExactHelperPath();
  return study::MakeExactEngine(options);
}

}  // namespace curvalis
