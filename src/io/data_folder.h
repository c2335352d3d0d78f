// The program's data folder, where "Archivio.txt" and "Grafico.bmp" live.
#pragma once

#include <QString>

namespace curvalis {

inline constexpr char kGraphFileName[] = "Grafico.bmp";

// The data folder: $CURVALIS_DATA_DIR when it is set, otherwise the user's application data
// folder (~/.local/share/Curvalis). Not created here.
QString DataFolder();
// A file of the data folder, by name.
QString DataFilePath(const QString& name);
// Creates the data folder when it does not exist yet. False, with the reason, when it cannot.
bool EnsureDataFolder(QString* reason);

// A failure told to the user: the fixed text, then the reason on a line of its own.
QString FailureMessage(const char* text, const QString& reason);

}  // namespace curvalis
