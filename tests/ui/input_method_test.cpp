// The main window with a Japanese input method, replayed as the ibus bus
// shows it with mozc: compositions, commits, and the copy ibus sends after
// Qt has committed a composition itself because the focus moved.
#include <QtTest>

#include "support/form_testing.h"
#include "toolkit/controls.h"
#include "toolkit/input_method.h"
#include "ui/form1.h"

namespace {

// Qt's ibus input context with mozc in hiragana mode, as the bus showed it:
//   typing 1980:  UpdatePreeditText "１", "１９", "１９８", "１９８０"
//                 (underlined), each sent to the focused box;
//   Enter:        CommitText "１９８０", HidePreeditText;
//   a click that moves the focus (or one into the composing box): Qt
//                 commits "１９８０" into the composing box itself and calls
//                 Reset; ibus answers later, to whatever has the focus by
//                 then: UpdatePreeditText "" (hidden), CommitText "１９８０".
class FakeIbus : public QObject {
public:
    FakeIbus() { qApp->installEventFilter(this); }

    void Type(const QString& composition) {
        for (int n = 1; n <= composition.size(); ++n) SendPreedit(composition.left(n));
    }
    void Enter() {
        SendCommit(std::exchange(preedit_, QString()));
        SendEmpty();
    }
    // What Qt's input context does when a click takes the focus away or
    // lands in the composition: commit it where it is, reset the input
    // method, and receive ibus's answer to the reset later.
    void QtCommitsAndResets() {
        if (preedit_.isEmpty()) return;
        const QString text = std::exchange(preedit_, QString());
        SendCommit(text);
        QTimer::singleShot(0, this, [text] {
            SendEmpty();
            SendCommit(text);
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusAboutToChange) QtCommitsAndResets();
        return false;
    }

private:
    // Each event goes to whatever has the focus, as Qt's input context sends it.
    static void Send(QInputMethodEvent& event) {
        if (QObject* focus = QGuiApplication::focusObject()) QCoreApplication::sendEvent(focus, &event);
    }
    static void SendCommit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        Send(event);
    }
    static void SendEmpty() {
        QInputMethodEvent event;
        Send(event);
    }
    void SendPreedit(const QString& text) {
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        QInputMethodEvent event(text, {{QInputMethodEvent::TextFormat, 0, int(text.size()), underline},
                                       {QInputMethodEvent::Cursor, int(text.size()), 1, {}}});
        preedit_ = text;
        Send(event);
    }

    QString preedit_;
};

// Pixels of a colour in a widget as it is painted.
int CountColour(QWidget* widget, QRgb colour) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

}  // namespace

class InputMethodTest : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form1* form = nullptr;
    FakeIbus* ime = nullptr;

    template <class T = QWidget>
    T* W(const QString& name) { return testing_support::FindControl<T>(*form, name); }
    QLineEdit* Text(int n) { return W<QLineEdit>(QString("Text%1").arg(n)); }
    QStringList Texts() {
        QStringList texts;
        for (int n = 1; n <= 6; ++n) texts << Text(n)->text();
        return texts;
    }
    // Lets ibus's late answers arrive.
    static void Settle() { QTest::qWait(20); }

    // Enter confirms the composition, a second Enter commits the box.
    void Commit(int box, const QString& composition) {
        QCOMPARE(QApplication::focusWidget(), Text(box));
        ime->Type(composition);
        ime->Enter();
        QTest::keyClick(Text(box), Qt::Key_Return);
    }
    void CommitAll(const QStringList& compositions) {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        QTest::mouseClick(W("Command8"), Qt::LeftButton);
        QTest::mouseClick(Text(1), Qt::LeftButton);
        for (int n = 1; n <= 6; ++n) Commit(n, compositions[n - 1]);
    }

private slots:
    void initTestCase() { tk::InstallCompositionGuard(); }
    void init() {
        StartRecording();
        ime = new FakeIbus;
        form = new ui::Form1;
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
        QVERIFY(QTest::qWaitForWindowActive(form->Window()));
    }
    void cleanup() {
        delete form;
        delete ime;
        form = nullptr;
        StopRecording();
    }

    void clickingIntoAnotherBoxLeavesTheCompositionWhereItWasTyped() {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１９８０");
        QTest::mouseClick(Text(2), Qt::LeftButton);
        Settle();
        QCOMPARE(Text(1)->text(), QString("１９８０"));
        QCOMPARE(Text(2)->text(), QString());
        // Only Enter commits, and the box that took the focus had nothing.
        QTest::keyClick(Text(2), Qt::Key_Return);
        QCOMPARE(form->EntryRecord().Slot(2), std::optional<std::string>(""));
        QCOMPARE(form->EntryRecord().Slot(1), std::nullopt);
        QCOMPARE(QApplication::focusWidget(), Text(3));
    }

    void anEraButtonFocusesAnEmptyYearBox() {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１９８０");
        QTest::mouseClick(W("Command8"), Qt::LeftButton);  // target 西暦: focus to Text5
        Settle();
        QCOMPARE(QApplication::focusWidget(), Text(5));
        QCOMPARE(Texts(), QStringList({"１９８０", "", "", "", "", ""}));
        QCOMPARE(form->TargetEraOffset(), std::optional<int>(0));
    }

    void clickingIntoTheComposingBoxKeepsOneCopy() {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１");
        ime->QtCommitsAndResets();  // what the click into the composition does
        QTest::mouseClick(Text(1), Qt::LeftButton);
        Settle();
        QCOMPARE(Text(1)->text(), QString("１"));
    }

    void decideDrawsFromTheCommittedEntriesAndNoBoxGetsTheCopy() {
        CommitAll({"１９８０", "５", "１５", "１２", "２００５", "１０"});
        QVERIFY(!W("Command9")->isHidden());
        QTest::mouseClick(Text(5), Qt::LeftButton);
        QTest::keyClick(Text(5), Qt::Key_End);
        ime->Type("２０１０");
        QTest::mouseClick(W("Command9"), Qt::LeftButton);
        Settle();
        QVERIFY(messages.isEmpty());
        QCOMPARE(W<QLabel>("Label11")->text(), QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));
        QCOMPARE(Texts(), QStringList({"１９８０", "５", "１５", "１２", "２００５２０１０", "１０"}));
    }

    void recalculateLeavesEveryBoxEmpty() {
        CommitAll({"１９８０", "５", "１５", "１２", "２００５", "１０"});
        QTest::keyClick(W("Command9"), Qt::Key_Return);
        QTest::mouseClick(Text(3), Qt::LeftButton);
        ime->Type("１６");
        QTest::mouseClick(W("Command10"), Qt::LeftButton);  // empties the boxes, focus to Text1
        Settle();
        QCOMPARE(QApplication::focusWidget(), Text(1));
        QCOMPARE(Texts(), QStringList({"", "", "", "", "", ""}));
        QCOMPARE(form->EntryRecord().Slot(3), std::optional<std::string>("１５"));
    }

    void compositionsConfirmedWithEnterAreKeptEvenWhenRepeated() {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１");
        ime->Enter();
        ime->Type("１");
        ime->Enter();
        QCOMPARE(Text(1)->text(), QString("１１"));
        QTest::keyClick(Text(1), Qt::Key_Return);
        QCOMPARE(form->EntryRecord().Slot(1), std::optional<std::string>("１１"));
        // The same text composed in the next box is that box's own input.
        Commit(2, "１１");
        QCOMPARE(form->EntryRecord().Slot(2), std::optional<std::string>("１１"));
    }

    void textCommittedWithoutACompositionIsNeverDropped() {
        // An input method that commits each character directly.
        QTest::mouseClick(Text(4), Qt::LeftButton);
        for (int i = 0; i < 3; ++i) {
            QInputMethodEvent commit;
            commit.setCommitString("1");
            QApplication::sendEvent(Text(4), &commit);
        }
        QCOMPARE(Text(4)->text(), QString("111"));
        // Nor after a composition, once a key has been typed.
        ime->Type("２");
        ime->Enter();
        QTest::keyClick(Text(4), Qt::Key_Backspace);
        QInputMethodEvent commit;
        commit.setCommitString("２");
        QApplication::sendEvent(Text(4), &commit);
        QCOMPARE(Text(4)->text(), QString("111２"));
    }

    void theCompositionIsMarkedInsideTheBox() {
        QTest::mouseClick(Text(1), Qt::LeftButton);
        QCOMPARE(CountColour(Text(1), tk::TextBox::kCompositionBackground), 0);
        ime->Type("１９８０");
        const int marked = CountColour(Text(1), tk::TextBox::kCompositionBackground);
        QVERIFY2(marked > 100, qPrintable(QString::number(marked)));
        // Every marked pixel lies inside the box's frame.
        const QImage image = Text(1)->grab().toImage();
        for (int x = 0; x < image.width(); ++x)
            for (const int y : {0, image.height() - 1})
                QVERIFY((image.pixel(x, y) & 0xFFFFFF) != (tk::TextBox::kCompositionBackground & 0xFFFFFF));
        ime->Enter();
        QCOMPARE(Text(1)->text(), QString("１９８０"));
        QCOMPARE(CountColour(Text(1), tk::TextBox::kCompositionBackground), 0);
    }

    void theSegmentTheInputMethodHighlightsKeepsItsColours() {
        // While converting, mozc paints the current segment light blue.
        const QRgb segment = qRgb(0xD1, 0xEA, 0xFF);
        QTest::mouseClick(Text(1), Qt::LeftButton);
        QTextCharFormat highlight;
        highlight.setBackground(QColor(segment));
        QInputMethodEvent converting("１９８０", {{QInputMethodEvent::TextFormat, 0, 2, highlight}});
        QApplication::sendEvent(Text(1), &converting);
        QVERIFY(CountColour(Text(1), segment) > 30);
        QVERIFY(CountColour(Text(1), tk::TextBox::kCompositionBackground) > 30);
    }
};

QTEST_MAIN(InputMethodTest)
#include "input_method_test.moc"
