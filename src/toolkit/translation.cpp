#include "translation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace tk {

bool InstallQtTranslation(const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tk
