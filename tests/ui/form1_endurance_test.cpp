// The main window under bad input and long use: huge pastes, odd
// characters, key and click storms, many charts, many reopenings. Run in the
// sanitizer build too, where LeakSanitizer checks that nothing leaks.
#include <QClipboard>
#include <QtTest>

#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "support/form_testing.h"
#include "ui/form1.h"

class Form1EnduranceTest : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form1* form = nullptr;

    QWidget* W(const QString& name) { return testing_support::FindControl(*form, name); }
    QLineEdit* Text(int n) { return static_cast<QLineEdit*>(W(QString("Text%1").arg(n))); }

    void Open() {
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
    }

    // Clicks where a person would: the event goes to whatever control is
    // visible at that point of the window, if any.
    void ClickAt(const QString& name) {
        if (!form->IsLoaded()) return;  // no window, nothing to click
        QWidget* control = W(name);
        QWidget* picture = W("Picture1");
        const QPoint centre = control->geometry().center();
        QWidget* target = picture->childAt(centre);
        if (!target) return;  // hidden: the click lands on the picture area
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(picture, centre));
    }

    // Types any text, one character (or surrogate pair) per key event, the
    // way an input method hands characters to a box.
    static void TypeText(QWidget* widget, const QString& text) {
        for (int i = 0; i < text.size(); ++i) {
            const int length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
            QApplication::sendEvent(widget, &release);
            i += length - 1;
        }
    }

    void CommitValidEntries() {
        const QStringList texts = {"55", "5", "15", "12", "2005", "10"};
        ClickAt("Command2");
        ClickAt("Command8");
        for (int n = 1; n <= 6; ++n) {
            Text(n)->setFocus();
            Text(n)->setText(texts[n - 1]);
            QTest::keyClick(Text(n), Qt::Key_Return);
        }
    }

private slots:
    void init() {
        StartRecording();
        form = new ui::Form1;
        Open();
    }
    void cleanup() {
        delete form;
        form = nullptr;
        StopRecording();
    }

    void megabytePasteIntoEveryBoxIsAnInputError() {
        const QString digits(1 << 20, QChar('7'));
        QGuiApplication::clipboard()->setText(digits);
        for (int n = 1; n <= 6; ++n) {
            Text(n)->setFocus();
            QTest::keyClick(Text(n), Qt::Key_V, Qt::ControlModifier);
            if (Text(n)->text().size() != digits.size()) Text(n)->insert(digits);  // no clipboard here
            QCOMPARE(Text(n)->text().size(), digits.size());
            QTest::keyClick(Text(n), Qt::Key_Return);
            QCOMPARE(form->EntryRecord().Slot(n)->size(), std::size_t(1 << 20));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // 決定
        QCOMPARE(messages, QStringList{QString::fromUtf8(ui::kInputErrorMessage)});
        QCOMPARE(endRequests, 1);
        QVERIFY(!form->IsLoaded());
    }

    void controlCharactersEmojiAndMixedWidthText() {
        const QStringList texts = {QString::fromUtf8("\x01\x02\x1b[2J\x7f"), QString::fromUtf8("😀👨‍👩‍👧"),
                                   QString::fromUtf8("１９８０年ｘ"), QString::fromUtf8("\u202e12\u202c"),
                                   QString::fromUtf8("２００５"), QString::fromUtf8("１０")};
        for (int n = 1; n <= 6; ++n) {
            Text(n)->setFocus();
            TypeText(Text(n), texts[n - 1]);
            QTest::keyClick(Text(n), Qt::Key_Return);
        }
        QVERIFY(form->EntryRecord().Slot(5).has_value());
        QCOMPARE(QString::fromStdString(*form->EntryRecord().Slot(2)), Text(2)->text());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(endRequests, 1);
    }

    void enterAThousandTimesInARow() {
        CommitValidEntries();
        for (int i = 0; i < 1000; ++i) QTest::keyClick(Text(6), Qt::Key_Return);
        QVERIFY(!W("Command9")->isHidden());
        QVERIFY(messages.isEmpty());
        // And a thousand on whatever has the focus. The first presses 決定,
        // which draws the chart, hides itself and leaves the focus on the
        // chart, where Enter does nothing: the other 999 change nothing at
        // all, the chart stays as drawn and nothing is reported.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(W("Command9")->isHidden());
        QCOMPARE(QApplication::focusWidget(), W("Picture1"));
        const QImage chart = static_cast<tk::PictureBox*>(W("Picture1"))->Image();
        const QString title = static_cast<QLabel*>(W("Label11"))->text();
        QVERIFY(!title.isEmpty());
        int presses = 1;
        while (form->IsLoaded() && presses < 1000) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : form->Window(), Qt::Key_Return);
            ++presses;
        }
        QCOMPARE(presses, 1000);
        QVERIFY(form->IsLoaded());
        QVERIFY(messages.isEmpty());
        QCOMPARE(endRequests, 0);
        QCOMPARE(QApplication::focusWidget(), W("Picture1"));
        QCOMPARE(static_cast<QLabel*>(W("Label11"))->text(), title);
        QVERIFY(static_cast<tk::PictureBox*>(W("Picture1"))->Image() == chart);
        for (int n = 1; n <= 6; ++n) QCOMPARE(form->EntryRecord().Slot(n).has_value(), true);
    }

    void everyButtonClickedTwiceInQuickSuccession() {
        CommitValidEntries();
        for (int n = 1; n <= 10; ++n) {
            ClickAt(QString("Command%1").arg(n));
            ClickAt(QString("Command%1").arg(n));
        }
        QVERIFY(messages.isEmpty());
        QVERIFY(form->IsLoaded());
        ClickAt("Image3");
        ClickAt("Image3");  // the window is already closed: nothing happens
        QVERIFY(!form->IsLoaded());
        QCOMPARE(endRequests, 0);
    }

    void aHundredChartsAndRecalculations() {
        CommitValidEntries();
        for (int i = 0; i < 100; ++i) {
            if (i > 0) {  // 再計算 emptied the boxes: type the month again
                Text(6)->setFocus();
                QTest::keyClicks(Text(6), i % 2 ? "2" : "10");
                QTest::keyClick(Text(6), Qt::Key_Return);
            }
            QCOMPARE(QApplication::focusWidget(), W("Command9"));
            QTest::keyClick(W("Command9"), Qt::Key_Return);
            QVERIFY(!W("Label11")->isHidden());
            ClickAt("Command10");
        }
        QVERIFY(messages.isEmpty());
        QCOMPARE(endRequests, 0);
        QCOMPARE(static_cast<QLabel*>(W("Label11"))->text(), QString());
    }

    void aHundredClosesAndReopenings() {
        ClickAt("Command3");
        for (int i = 0; i < 100; ++i) {
            ClickAt("Image3");
            QVERIFY(!form->IsLoaded());
            Open();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // One window, in its load state, with the state kept.
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) windows += w->isVisible();
        QCOMPARE(windows, 1);
        QVERIFY(W("Command9")->isHidden());
        QCOMPARE(form->BirthEraOffset(), std::optional<int>(1988));
    }
};

QTEST_MAIN(Form1EnduranceTest)
#include "form1_endurance_test.moc"
