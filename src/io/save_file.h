// Finishing a QSaveFile so that only a whole file replaces the old one, and writing a file
// whole or not at all.
#pragma once

#include <QIODevice>
#include <QSaveFile>
#include <QString>
#include <functional>

namespace curvalis {

// Flushes `file`, checks that every byte written is in the temporary file, syncs it to the
// disk and renames it over the target. QFileDevice passes over a short write, which a full
// disk gives (part of a write succeeds, the rest is dropped), and would commit a cut file;
// the size on disk is therefore compared with the bytes written. On failure the temporary
// file is removed, the target stays as it was, and `why` says what went wrong.
bool CommitWhole(QSaveFile& file, QString* why);

// "path: what", the reason of a failure as the message boxes say it.
QString Where(const QString& path, const QString& what);

// Writes `path` whole or not at all: `render` makes the file's bytes in memory (false, with
// the reason, when it cannot), which go to a temporary file of the same folder that then
// replaces `path`; a missing folder is created. Every byte is counted: a writer that streams
// to the file itself may pass over a short write (a full disk), and a cut file must never
// replace a whole one. False, with "path: reason", on failure.
bool WriteWhole(const QString& path, QString* reason,
                const std::function<bool(QIODevice& out, QString* why)>& render);

}  // namespace curvalis
