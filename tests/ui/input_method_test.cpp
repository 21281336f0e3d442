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
//   a click that moves the focus: Qt commits "１９８０" into the composing
//                 box itself and calls Reset, then sends the box
//                 FocusAboutToChange; ibus answers 2-3 ms later, to
//                 whatever has the focus by then: UpdatePreeditText ""
//                 (hidden), CommitText "１９８０";
//   a click on the composition: the same, Qt committing while the box
//                 handles the mouse release.
// Each ibus signal arrives in a turn of the event loop of its own; Qt's own
// commit comes in the turn of the click, while Qt delivers it. Offscreen Qt
// has no input context, so the fake commits on FocusAboutToChange,
// filtering the application before the guard does (a later filter runs
// first), and on a release on the composing box, filtering the box itself
// (which runs after the application's filters), as the box's handler does.
class FakeIbus : public QObject {
public:
    FakeIbus() { qApp->installEventFilter(this); }

    void Type(const QString& composition) {
        for (int n = 1; n <= composition.size(); ++n) SendPreedit(composition.left(n));
    }
    void Enter() {
        Signal();
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
        QTimer::singleShot(0, this, [this, text] {
            SendEmpty();
            if (sendsCopy) SendCommit(text);
        });
    }
    // Whether the engine commits its composition once more on a reset, as
    // mozc does; one that does not leaves the guard waiting in vain.
    bool sendsCopy = true;
    // A commit of the input method's own that is no answer to anything:
    // an on-screen keyboard, a handwriting pad, an engine without
    // compositions.
    static void UserCommits(const QString& text) {
        Signal();
        SendCommit(text);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusAboutToChange) QtCommitsAndResets();
        return false;
    }

private:
    // The release on the composition, as the composing box handles it.
    class ClickOnComposition : public QObject {
    public:
        explicit ClickOnComposition(FakeIbus* ime) : ime_(ime) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::MouseButtonRelease && watched == QApplication::focusWidget())
                ime_->QtCommitsAndResets();
            return false;
        }

    private:
        FakeIbus* ime_;
    };

    // A signal from the bus: what has been posted is handled first.
    static void Signal() { QCoreApplication::processEvents(); }
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
        Signal();
        if (QWidget* box = QApplication::focusWidget()) box->installEventFilter(&click_);
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        QInputMethodEvent event(text, {{QInputMethodEvent::TextFormat, 0, int(text.size()), underline},
                                       {QInputMethodEvent::Cursor, int(text.size()), 1, {}}});
        preedit_ = text;
        Send(event);
    }

    QString preedit_;
    ClickOnComposition click_{this};
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
    // The guard as main() installs it with ibus; offscreen Qt has no input
    // module, so InstallCompositionGuard() would decline here.
    void initTestCase() { qApp->installEventFilter(new tk::CompositionGuard(qApp)); }
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
        QTest::mouseClick(Text(1), Qt::LeftButton);  // Qt commits, ibus sends the copy
        Settle();
        QCOMPARE(Text(1)->text(), QString("１"));
    }

    void aClickAwayDropsTheCopyAndNothingAfterIt() {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１９８０");
        QTest::mouseClick(Text(2), Qt::LeftButton);
        Settle();
        QCOMPARE(Texts(), QStringList({"１９８０", "", "", "", "", ""}));
        // The same text committed by the user right after (an on-screen
        // keyboard, nothing typed or clicked in between) is kept.
        FakeIbus::UserCommits("１９８０");
        QCOMPARE(Texts(), QStringList({"１９８０", "１９８０", "", "", "", ""}));
    }

    // An engine that sends no copy: the guard stops waiting for it at the
    // next click, or after its time, and then keeps the same text.
    void aCopyThatNeverComesIsAwaitedOnlyBriefly_data() {
        QTest::addColumn<bool>("click");
        QTest::newRow("a click") << true;
        QTest::newRow("the time passes") << false;
    }
    void aCopyThatNeverComesIsAwaitedOnlyBriefly() {
        QFETCH(bool, click);
        ime->sendsCopy = false;
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１９８０");
        QTest::mouseClick(Text(2), Qt::LeftButton);
        Settle();
        if (click) QTest::mouseClick(Text(3), Qt::LeftButton);
        else QTest::qWait(tk::CompositionGuard::kCopyWindowMs + 100);
        const int receiver = click ? 3 : 2;
        QCOMPARE(QApplication::focusWidget(), Text(receiver));
        FakeIbus::UserCommits("１９８０");
        QCOMPARE(Text(receiver)->text(), QString("１９８０"));
    }

    // A composition confirmed with Enter: ibus sends no copy, so an
    // identical commit that follows is the user's own, whatever came
    // between. (Each row: where the focus goes after Enter, if anywhere.)
    void aCompositionConfirmedWithEnterIsNeverTakenForACopy_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<int>("receiver");
        QTest::newRow("click into 暦月") << "Text2" << 2;
        QTest::newRow("click on the target 西暦") << "Command8" << 5;
        QTest::newRow("no click") << QString() << 1;
    }
    void aCompositionConfirmedWithEnterIsNeverTakenForACopy() {
        QFETCH(QString, clicked);
        QFETCH(int, receiver);
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        ime->Type("１９８０");
        ime->Enter();
        Settle();  // the click comes later, as a person clicks
        if (!clicked.isEmpty()) QTest::mouseClick(W(clicked), Qt::LeftButton);
        Settle();
        QCOMPARE(QApplication::focusWidget(), Text(receiver));
        FakeIbus::UserCommits("１９８０");
        QStringList expected(6, QString());
        expected[0] = "１９８０";
        expected[receiver - 1] += "１９８０";
        QCOMPARE(Texts(), expected);
    }

    // Needed only where the input method answers Qt's own commit with a
    // copy: ibus, measured; fcitx5 sends none; Windows and macOS cancel the
    // composition in the input method.
    void theGuardIsInstalledOnlyForIbusOnLinuxDesktops_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("needed");
        QTest::newRow("X11, ibus") << "xcb" << "ibus" << true;
        QTest::newRow("Wayland, ibus") << "wayland" << "ibus" << true;
        QTest::newRow("Wayland EGL, IBus") << "wayland-egl" << "IBus" << true;
        QTest::newRow("X11, ibus with a parameter") << "xcb" << "ibus:x" << true;
        QTest::newRow("X11, fcitx5") << "xcb" << "fcitx" << false;
        QTest::newRow("X11, fcitx5 by its long name") << "xcb" << "fcitx5" << false;
        QTest::newRow("X11, compose") << "xcb" << "compose" << false;
        QTest::newRow("X11, no module") << "xcb" << "" << false;
        QTest::newRow("Windows, ibus asked for") << "windows" << "ibus" << false;
        QTest::newRow("Windows") << "windows" << "" << false;
        QTest::newRow("macOS") << "cocoa" << "ibus" << false;
        QTest::newRow("offscreen") << "offscreen" << "ibus" << false;
    }
    void theGuardIsInstalledOnlyForIbusOnLinuxDesktops() {
        QFETCH(QString, platform);
        QFETCH(QString, module);
        QFETCH(bool, needed);
        QCOMPARE(tk::CompositionGuardNeeded(platform, module), needed);
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

    void textCommittedWithoutACompositionIsKept() {
        // An input method that commits each character directly.
        QTest::mouseClick(Text(4), Qt::LeftButton);
        for (int i = 0; i < 3; ++i) FakeIbus::UserCommits("1");
        QCOMPARE(Text(4)->text(), QString("111"));
        // Also straight after a composition confirmed with Enter, with
        // nothing typed in between.
        ime->Type("２");
        ime->Enter();
        FakeIbus::UserCommits("２");
        QCOMPARE(Text(4)->text(), QString("111２２"));
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
