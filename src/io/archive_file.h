// The archive file "Archivio.txt" of the data folder: reading its records and appending one.
#pragma once

#include <QString>
#include <QStringList>

namespace curvalis {

inline constexpr char kMsgArchiveNotSaved[] = "Impossibile salvare la funzione";

// The archive's records in file order, as the archive window lists them. A missing or
// unreadable file gives no records.
QStringList ReadArchiveFile(const QString& path);

// Appends the record of `text` to the archive at `path`, creating it when it is missing.
// The old bytes are copied, with the new record after them, into a temporary file of the same
// folder, which then replaces the archive: a failure at any point (disk full, no right to
// write, the folder missing) leaves the archive as it was. False, with the reason, on failure.
bool AppendArchiveRecord(const QString& path, const QString& text, QString* reason);

}  // namespace curvalis
