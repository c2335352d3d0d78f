#include "io/archive_file.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <algorithm>
#include <string>
#include <thread>

#include "core/archive_format.h"
#include "io/save_file.h"

namespace curvalis {
namespace {

// Beyond this size only the beginning of an archive is listed: a stray huge file in the data
// folder must not take all the memory.
constexpr qint64 kMaxArchiveBytes = qint64(256) << 20;
constexpr qint64 kCopyChunk = qint64(1) << 20;

// How often a save that waits for the archive's lock tries it again.
constexpr std::chrono::milliseconds kLockRetry{5};

// Takes `lock`, waiting up to `wait` while another program holds it. QLockFile removes, on the
// way, a lock whose program no longer runs. The lock is tried again every few milliseconds,
// not with QLockFile's own pauses that double up to seconds: with those, a program saving
// many records in a row takes the lock again each time before the one waiting looks.
bool TakeLock(QLockFile& lock, std::chrono::milliseconds wait) {
  const QDeadlineTimer deadline(wait, Qt::PreciseTimer);
  for (;;) {
    if (lock.tryLock(0)) return true;
    if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) return false;
    std::this_thread::sleep_for(
        std::min(kLockRetry, std::chrono::milliseconds(deadline.remainingTime())));
  }
}

// Why the lock could not be taken, for the user.
QString LockFailure(const QString& path, const QLockFile& lock) {
  switch (lock.error()) {
    case QLockFile::LockFailedError:
      return Where(path, QStringLiteral("l'archivio è in uso da un altro programma, riprovare "
                                        "fra qualche secondo"));
    case QLockFile::PermissionError:
      return Where(lock.fileName(),
                   QStringLiteral("il file di blocco dell'archivio non può essere creato "
                                  "(permesso negato)"));
    default:  // the lock file's few bytes could not be written
      return Where(lock.fileName(),
                   QStringLiteral("il file di blocco dell'archivio non può essere creato "
                                  "(disco pieno?)"));
  }
}

}  // namespace

QString ArchiveLockPath(const QString& path) {
  return path + QStringLiteral(".lock");
}

QStringList ReadArchiveFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.read(kMaxArchiveBytes);
  const std::vector<std::string> entries =
      ReadArchive(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  QStringList list;
  list.reserve(qsizetype(entries.size()));
  for (const std::string& e : entries) list.append(QString::fromUtf8(e));
  return list;
}

bool AppendArchiveRecord(const QString& path, const QString& text, QString* reason,
                         std::chrono::milliseconds lockWait) {
  auto fail = [&](const QString& why) {
    if (reason) *reason = Where(path, why);
    return false;
  };
  const QString folder = QFileInfo(path).absolutePath();
  if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
    return fail(QStringLiteral("la cartella non può essere creata"));
  }
  // Held from the read of the old bytes to the rename: another program's append, in between,
  // would be replaced by this one. Released (the file removed) when the function returns.
  QLockFile lock(ArchiveLockPath(path));
  if (!TakeLock(lock, lockWait)) {
    if (reason) *reason = LockFailure(path, lock);
    return false;
  }
  QFile old(path);
  const bool exists = old.exists();
  if (exists && !old.open(QIODevice::ReadOnly)) return fail(old.errorString());

  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
  // The reason is read before the temporary file is removed.
  auto cancel = [&](const QString& why) {
    out.cancelWriting();
    return fail(why);
  };
  ArchiveEndScanner end;
  if (exists) {
    for (;;) {
      QByteArray chunk = old.read(kCopyChunk);
      if (chunk.isEmpty()) break;
      if (out.write(chunk) != chunk.size()) return cancel(out.errorString());
      end.Feed(std::string_view(chunk.constData(), std::size_t(chunk.size())));
    }
    if (old.error() != QFileDevice::NoError) return cancel(old.errorString());
  }
  const QByteArray utf8 = text.toUtf8();
  std::string add(end.Separator());
  add += ArchiveRecord(std::string_view(utf8.constData(), std::size_t(utf8.size())));
  if (out.write(add.data(), qint64(add.size())) != qint64(add.size()))
    return cancel(out.errorString());
  QString why;
  if (!CommitWhole(out, &why)) return fail(why);
  return true;
}

}  // namespace curvalis
