// Qt's own texts in Japanese: the entry box's context menu, through the
// translation the program installs at start.
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "toolkit/controls.h"
#include "toolkit/translation.h"

namespace {

// The menu's entries without their shortcuts, separators left out.
QStringList ContextMenuTexts() {
    QWidget window;
    tk::TextBox box(&window);
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text().section('\t', 0, 0);
    return texts;
}

}  // namespace

class TranslationTest : public QObject {
    Q_OBJECT

private slots:
    // In this order: without the translation, with a folder that lacks it,
    // then with Qt's own folder.
    void withoutTheTranslationQtSpeaksEnglish() {
        QCOMPARE(ContextMenuTexts(),
                 QStringList({"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"}));
    }

    void aFolderWithoutTheFileChangesNothing() {
        QTemporaryDir empty;
        QVERIFY(!tk::InstallQtTranslation(empty.path()));
        QCOMPARE(ContextMenuTexts().first(), QString("&Undo"));
    }

    void theContextMenuIsJapaneseWhateverTheLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(tk::InstallQtTranslation());
        QCOMPARE(ContextMenuTexts(), QStringList({"元に戻す(&U)", "やり直す(&R)", "切り取り(&T)", "コピー(&C)",
                                                  "貼り付け(&P)", "削除", "すべてを選択"}));
    }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
