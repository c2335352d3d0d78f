// The archive file "Archivio.txt" of the data folder: reading its records and appending one.
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>

namespace curvalis {

inline constexpr char kMsgArchiveNotSaved[] = "Impossibile salvare la funzione";

// How long a save waits for another program that is writing the same archive.
inline constexpr std::chrono::milliseconds kArchiveLockWait{5000};

// The lock file beside the archive at `path`: while it exists, a program is appending.
QString ArchiveLockPath(const QString& path);

// The archive's records in file order, as the archive window lists them. A missing or
// unreadable file gives no records.
QStringList ReadArchiveFile(const QString& path);

// Appends the record of `text` to the archive at `path`, creating it when it is missing.
// The old bytes are copied, with the new record after them, into a temporary file of the same
// folder, which then replaces the archive: a failure at any point (disk full, no right to
// write, the folder missing) leaves the archive as it was. False, with the reason, on failure.
// The whole append holds the archive's lock file, so that two programs saving at once cannot
// replace each other's record; a lock left by a program that no longer runs is taken over.
// When another program holds the lock for longer than `lockWait`, nothing is written.
bool AppendArchiveRecord(const QString& path, const QString& text, QString* reason,
                         std::chrono::milliseconds lockWait = kArchiveLockWait);

}  // namespace curvalis
