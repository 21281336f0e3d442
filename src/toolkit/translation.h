// Qt's own texts (the entry boxes' context menu, the message box's button)
// in Japanese, whatever the language of the system: the program is
// Japanese only.
#pragma once

#include <QLibraryInfo>
#include <QString>

namespace tk {

// Loads Qt's Japanese translation (qtbase_ja) from the folder and installs
// it into the application. Returns false, and changes nothing, when the
// folder has no such file.
bool InstallQtTranslation(const QString& folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

}  // namespace tk
