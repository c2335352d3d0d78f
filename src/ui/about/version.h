// The program's title, version line and icon, shown by the splash, the about window and the
// help.
#pragma once

#include <QIcon>
#include <QString>

namespace curvalis {

// "Curvalis".
QString ApplicationTitle();

// "Versione " followed by major.minor.revision, each a plain integer: "Versione 1.1.2".
// The numbers are the build's project version, so the windows never show a stale one.
QString VersionLine();

// The line-chart icon at every size the resources hold (16 to 256 pixels).
QIcon ProgramIcon();

}  // namespace curvalis
