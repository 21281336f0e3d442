// Starts the program at its title window.
#include <QApplication>

#include "toolkit/accessibility.h"
#include "toolkit/input_method.h"
#include "toolkit/platform.h"
#include "toolkit/translation.h"
#include "ui/form2.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("biorhythm"));
    QApplication::setApplicationVersion(QStringLiteral(BIORHYTHM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(BIORHYTHM_APP_ID));
    tk::SetApplicationTitle(QString::fromUtf8(ui::kApplicationTitle));
    // Qt's own texts in Japanese, input methods, screen readers.
    tk::InstallQtTranslation();
    tk::InstallCompositionGuard();
    tk::InstallAccessibility();

    ui::Form2 titleWindow;
    titleWindow.Show();
    return QApplication::exec();
}
