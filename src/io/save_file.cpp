#include "io/save_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace curvalis {

bool CommitWhole(QSaveFile& file, QString* why) {
  auto fail = [&](const QString& reason) {
    file.cancelWriting();
    file.commit();  // removes the temporary file
    if (why) *why = reason;
    return false;
  };
  if (file.error() != QFileDevice::NoError) return fail(file.errorString());
  if (!file.flush()) return fail(file.errorString());
  const int fd = file.handle();
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || qint64(info.st_size) != file.pos()) {
    return fail(QStringLiteral("il file non è stato scritto per intero (disco pieno?)"));
  }
  if (::fsync(fd) != 0) return fail(QStringLiteral("il file non è stato scritto sul disco"));
  if (!file.commit()) {
    if (why) *why = file.errorString();
    return false;
  }
  return true;
}

QString Where(const QString& path, const QString& what) {
  return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

namespace {

bool EnsureFolderOf(const QString& path, QString* reason) {
  const QString folder = QFileInfo(path).absolutePath();
  if (QFileInfo(folder).isDir() || QDir().mkpath(folder)) return true;
  if (reason) *reason = Where(folder, QStringLiteral("la cartella non può essere creata"));
  return false;
}

}  // namespace

bool WriteWhole(const QString& path, QString* reason,
                const std::function<bool(QIODevice& out, QString* why)>& render) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString why;
    if (!render(buffer, &why)) {
      if (reason) *reason = Where(path, why);
      return false;
    }
  }
  if (!EnsureFolderOf(path, reason)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (reason) *reason = Where(path, file.errorString());
    return false;
  }
  QString why;
  if (file.write(bytes) != bytes.size() && file.error() == QFileDevice::NoError) {
    // Part of the bytes written and no error: the disk is full.
    why = QStringLiteral("il file non è stato scritto per intero (disco pieno?)");
    file.cancelWriting();
    file.commit();  // removes the temporary file
  } else if (CommitWhole(file, &why)) {
    return true;
  }
  if (reason) *reason = Where(path, why);
  return false;
}

}  // namespace curvalis
