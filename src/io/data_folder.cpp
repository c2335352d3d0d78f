#include "io/data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace curvalis {

QString DataFolder() {
  QString folder = qEnvironmentVariable("CURVALIS_DATA_DIR");
  if (!folder.isEmpty()) return QDir::cleanPath(folder);
  // The application data folder of a program named Curvalis: spelled out, so that it is the
  // same folder whether or not the application's name has been set (the batch mode runs
  // without it).
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
  return QDir::cleanPath(base + QStringLiteral("/Curvalis"));
}

QString DataFilePath(const QString& name) {
  return DataFolder() + QLatin1Char('/') + name;
}

bool EnsureDataFolder(QString* reason) {
  const QString folder = DataFolder();
  if (QFileInfo(folder).isDir() || QDir().mkpath(folder)) return true;
  if (reason) {
    *reason = QStringLiteral("%1: la cartella dei dati non può essere creata")
                  .arg(QDir::toNativeSeparators(folder));
  }
  return false;
}

QString FailureMessage(const char* text, const QString& reason) {
  QString message = QString::fromUtf8(text);
  if (!reason.isEmpty()) message += QLatin1Char('\n') + reason;
  return message;
}

}  // namespace curvalis
