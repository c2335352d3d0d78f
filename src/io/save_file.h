// Finishing a QSaveFile so that only a whole file replaces the old one.
#pragma once

#include <QSaveFile>
#include <QString>

namespace curvalis {

// Flushes `file`, checks that every byte written is in the temporary file, syncs it to the
// disk and renames it over the target. QFileDevice passes over a short write, which a full
// disk gives (part of a write succeeds, the rest is dropped), and would commit a cut file;
// the size on disk is therefore compared with the bytes written. On failure the temporary
// file is removed, the target stays as it was, and `why` says what went wrong.
bool CommitWhole(QSaveFile& file, QString* why);

}  // namespace curvalis
