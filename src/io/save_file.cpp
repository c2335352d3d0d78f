#include "io/save_file.h"

#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace curvalis
