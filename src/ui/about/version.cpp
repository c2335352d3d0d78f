#include "ui/about/version.h"

namespace curvalis {

QString ApplicationTitle() {
  return QStringLiteral("Curvalis");
}

QString VersionLine() {
  return QStringLiteral("Versione %1.%2.%3")
      .arg(CURVALIS_VERSION_MAJOR)
      .arg(CURVALIS_VERSION_MINOR)
      .arg(CURVALIS_VERSION_PATCH);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    icon.addFile(QStringLiteral(":/icons/curvalis-%1.png").arg(size), QSize(size, size));
  }
  icon.addFile(QStringLiteral(":/icons/curvalis.png"), QSize(256, 256));
  return icon;
}

}  // namespace curvalis
