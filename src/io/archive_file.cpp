#include "io/archive_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

#include "core/archive_format.h"
#include "io/save_file.h"

namespace curvalis {
namespace {

// Beyond this size only the beginning of an archive is listed: a stray huge file in the data
// folder must not take all the memory.
constexpr qint64 kMaxArchiveBytes = qint64(256) << 20;
constexpr qint64 kCopyChunk = qint64(1) << 20;

QString Where(const QString& path, const QString& what) {
  return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

}  // namespace

QStringList ReadArchiveFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.read(kMaxArchiveBytes);
  const std::vector<std::string> entries =
      ReadArchive(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  QStringList list;
  list.reserve(qsizetype(entries.size()));
  for (const std::string& e : entries)
    list.append(QString::fromUtf8(e.data(), qsizetype(e.size())));
  return list;
}

bool AppendArchiveRecord(const QString& path, const QString& text, QString* reason) {
  auto fail = [&](const QString& why) {
    if (reason) *reason = Where(path, why);
    return false;
  };
  const QString folder = QFileInfo(path).absolutePath();
  if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
    return fail(QStringLiteral("la cartella non può essere creata"));
  }
  QFile old(path);
  const bool exists = old.exists();
  if (exists && !old.open(QIODevice::ReadOnly)) return fail(old.errorString());

  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
  ArchiveEndScanner end;
  if (exists) {
    for (;;) {
      QByteArray chunk = old.read(kCopyChunk);
      if (chunk.isEmpty()) break;
      if (out.write(chunk) != chunk.size()) {
        QString why = out.errorString();
        out.cancelWriting();
        return fail(why);
      }
      end.Feed(std::string_view(chunk.constData(), std::size_t(chunk.size())));
    }
    if (old.error() != QFileDevice::NoError) {
      QString why = old.errorString();
      out.cancelWriting();
      return fail(why);
    }
  }
  const QByteArray utf8 = text.toUtf8();
  std::string add(end.Separator());
  add += ArchiveRecord(std::string_view(utf8.constData(), std::size_t(utf8.size())));
  if (out.write(add.data(), qint64(add.size())) != qint64(add.size())) {
    QString why = out.errorString();
    out.cancelWriting();
    return fail(why);
  }
  QString why;
  if (!CommitWhole(out, &why)) return fail(why);
  return true;
}

}  // namespace curvalis
