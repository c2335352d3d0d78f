// Qt's own texts in Italian: the buttons, labels and tooltips of the standard dialogs (file
// dialogs, message boxes, the print dialog), so that they speak the program's language.
#pragma once

#include <QString>

namespace curvalis {

// The folder Qt's translation files are installed in.
QString QtTranslationsFolder();

// Installs Qt's Italian translation "qtbase_it" from `folder` into the running application.
// False when the file is missing or unreadable: then nothing is installed and Qt's texts stay
// as they are.
bool InstallQtTranslations(const QString& folder = QtTranslationsFolder());

}  // namespace curvalis
