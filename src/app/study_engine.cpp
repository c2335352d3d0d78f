#include "app/study_engine.h"

#include <QCoreApplication>

#include "exact_engine/helper_engine.h"

namespace curvalis {

std::unique_ptr<study::ExactEngine> MakeProgramExactEngine() {
  study::EngineOptions options;
  options.helperPath = (QCoreApplication::applicationDirPath() + "/curvalis-exact").toStdString();
  return study::MakeExactEngine(options);
}

}  // namespace curvalis
