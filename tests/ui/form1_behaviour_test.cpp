// The main window driven with real key and mouse events: era buttons, the
// entry chain, 決定, 再計算, closing and reopening.
#include <QMessageBox>
#include <QtTest>

#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "support/focus_frame.h"
#include "support/form_testing.h"
#include "support/text_pixels.h"
#include "ui/form1.h"
#include "ui/form2.h"

namespace {

constexpr QRgb kNavy = qRgb(0, 0, 128);
bool Is(QRgb pixel, QRgb colour) { return (pixel & 0xFFFFFF) == (colour & 0xFFFFFF); }

// Does the column x of the image hold the colour somewhere in [y0, y1]?
bool ColourNear(const QImage& image, int x, int y0, int y1, QRgb colour) {
    for (int y = y0; y <= y1; ++y)
        if (Is(image.pixel(x, y), colour)) return true;
    return false;
}

// How many pixels of the image are not navy, and the first of them; empty
// when all are navy.
QString NotNavy(const QImage& image) {
    int count = 0;
    QPoint first;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!Is(image.pixel(x, y), kNavy) && count++ == 0) first = QPoint(x, y);
    return count ? QString("%1 pixels, the first at %2,%3").arg(count).arg(first.x()).arg(first.y()) : QString();
}

}  // namespace

class Form1BehaviourTest : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form1* form = nullptr;

    template <class T = QWidget>
    T* W(const QString& name) { return testing_support::FindControl<T>(*form, name); }
    QWidget* Command(int n) { return W(QString("Command%1").arg(n)); }
    QLineEdit* Text(int n) { return W<QLineEdit>(QString("Text%1").arg(n)); }
    QString Title() { return W<QLabel>("Label11")->text(); }
    QImage Chart() { return W("Picture1")->grab().toImage(); }

    void Open() {
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
        QTRY_COMPARE(QApplication::focusWidget(), W("Picture1"));
    }

    // Clicks into a box, replaces its text by typing and presses Enter.
    void Commit(int box, const QString& text) {
        QTest::mouseClick(Text(box), Qt::LeftButton);
        Text(box)->selectAll();
        QTest::keyClicks(Text(box), text);
        QTest::keyClick(Text(box), Qt::Key_Return);
    }

    // Types the six entries in turn, each with Enter, starting in Text1.
    void TypeAllEntries(const QStringList& texts) {
        QTest::mouseClick(Text(1), Qt::LeftButton);
        for (int n = 1; n <= 6; ++n) {
            QCOMPARE(QApplication::focusWidget(), Text(n));
            QTest::keyClicks(Text(n), texts[n - 1]);
            QTest::keyClick(Text(n), Qt::Key_Return);
        }
    }

    void Decide() {
        QCOMPARE(QApplication::focusWidget(), Command(9));
        QTest::keyClick(Command(9), Qt::Key_Return);
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

    void eraButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("offset");
        QTest::newRow("birth 大正") << 1 << 1911;
        QTest::newRow("birth 昭和") << 2 << 1925;
        QTest::newRow("birth 平成") << 3 << 1988;
        QTest::newRow("birth 西暦") << 4 << 0;
        QTest::newRow("target 大正") << 5 << 1911;
        QTest::newRow("target 昭和") << 6 << 1925;
        QTest::newRow("target 平成") << 7 << 1988;
        QTest::newRow("target 西暦") << 8 << 0;
    }
    void eraButtons() {
        QFETCH(int, button);
        QFETCH(int, offset);
        const bool birth = button <= 4;
        const int first = birth ? 1 : 5;
        const int other = birth ? 5 : 1;
        for (int round = 0; round < 2; ++round) {  // a second click repeats the same steps
            QTest::mouseClick(Command(button), Qt::LeftButton);
            QCOMPARE(birth ? form->BirthEraOffset() : form->TargetEraOffset(), std::optional<int>(offset));
            QCOMPARE(birth ? form->TargetEraOffset() : form->BirthEraOffset(), std::nullopt);
            for (int n = first; n < first + 4; ++n) QCOMPARE(Command(n)->isHidden(), n != button);
            for (int n = other; n < other + 4; ++n) QVERIFY(!Command(n)->isHidden());
            QCOMPARE(QApplication::focusWidget(), Text(birth ? 1 : 5));
        }
    }

    void keyboardOnlyFromEraButtonToChart() {
        // The window opens with the focus on the picture area, framed.
        QCOMPARE(testing_support::FocusFrameFault(*W<tk::PictureBox>("Picture1"), Chart(), kNavy, true), QString());
        // Tab from the picture area to 昭和 of the birth group, Space presses it.
        QTest::keyClick(W("Picture1"), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Command(2));
        QTest::keyClick(Command(2), Qt::Key_Space);
        QCOMPARE(QApplication::focusWidget(), Text(1));
        for (const auto& [n, text] : std::vector<std::pair<int, QString>>{
                 {1, "55"}, {2, "5"}, {3, "15"}, {4, "12"}, {5, "2005"}, {6, "10"}}) {
            QCOMPARE(QApplication::focusWidget(), Text(n));
            QTest::keyClicks(QApplication::focusWidget(), text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QVERIFY(!Command(9)->isHidden());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Enter on the focused 決定

        QVERIFY(messages.isEmpty());
        QCOMPARE(endRequests, 0);
        QVERIFY(Command(9)->isHidden());
        QVERIFY(!Command(10)->isHidden());
        QVERIFY(!W("Label11")->isHidden());
        QCOMPARE(Title(), QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));

        // 昭和 55 is 1980: the worked example's chart.
        const QImage chart = Chart();
        QVERIFY(Is(chart.pixel(740, 250), qRgb(255, 255, 0)));   // last grid line of October
        QVERIFY(Is(chart.pixel(760, 250), kNavy));               // no 33rd line
        QVERIFY(Is(chart.pixel(50, 400), qRgb(255, 255, 0)));    // the axis
        QVERIFY(ColourNear(chart, 120, 385, 388, qRgb(255, 0, 0)));      // v1 = -0.136
        QVERIFY(ColourNear(chart, 120, 366, 368, qRgb(255, 255, 255)));  // v2 = -0.330
        QVERIFY(ColourNear(chart, 120, 461, 463, qRgb(0, 255, 0)));      // v3 = +0.618
        QVERIFY(ColourNear(chart, 740, 326, 328, qRgb(255, 0, 0)));      // v1(32) = -0.731
        // The day number 1 in bright white under the first grid line, its
        // top-left corner at 120,610: the text below y 610, none above it.
        const int dayOne = testing_support::TextPixels(chart, QRect(120, 610, 16, 16), kNavy, qRgb(255, 255, 255));
        QVERIFY2(dayOne >= 8, qPrintable(QString("%1 pixels of white text under the first grid line").arg(dayOne)));
        QCOMPARE(testing_support::TextPixels(chart, QRect(121, 601, 19, 9), kNavy, qRgb(255, 255, 255)), 0);

        // 決定 is gone and the focus is on the chart, where Enter does nothing.
        QCOMPARE(QApplication::focusWidget(), W("Picture1"));
        const QImage kept = W<tk::PictureBox>("Picture1")->Image();
        QTest::keyClick(W("Picture1"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), W("Picture1"));
        QVERIFY(messages.isEmpty());
        QCOMPARE(Title(), QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));
        QVERIFY(W<tk::PictureBox>("Picture1")->Image() == kept);
        QVERIFY(Text(1)->text() == "55" && !Command(1)->isVisible());
        // The focus shows as a frame along the window's edges, over the navy
        // only: every pixel of the chart is as drawn.
        QCOMPARE(testing_support::FocusFrameFault(*W<tk::PictureBox>("Picture1"), Chart(), kNavy, true), QString());

        // Tab goes on along the tab order: the era buttons left, then 再計算,
        // which Space presses.
        QStringList tabbedTo;
        while (QApplication::focusWidget() != Command(10) && tabbedTo.size() < 10) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            tabbedTo << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(tabbedTo, QStringList({"Command2", "Command5", "Command6", "Command7", "Command8", "Command10"}));
        QCOMPARE(testing_support::FocusFrameFault(*W<tk::PictureBox>("Picture1"), Chart(), kNavy, false), QString());
        QTest::keyClick(Command(10), Qt::Key_Space);
        QCOMPARE(Title(), QString());
        QCOMPARE(QApplication::focusWidget(), Text(1));
    }

    void enterInText6FirstThenDecideFailsValidation() {
        QTest::mouseClick(Text(6), Qt::LeftButton);
        QTest::keyClick(Text(6), Qt::Key_Return);
        QVERIFY(!Command(9)->isHidden());
        QCOMPARE(QApplication::focusWidget(), Command(9));
        QPointer<QWidget> window = form->Window();
        Decide();
        QCOMPARE(messages, QStringList{"入力の誤りです。データを確認してください。"});
        QVERIFY(!form->IsLoaded());
        QVERIFY(!window->isVisible());
        QCOMPARE(endRequests, 1);
    }

    void invalidEntriesShowTheMessageOnceAndEnd() {
        QTest::mouseClick(Command(4), Qt::LeftButton);
        TypeAllEntries({"1980", "13", "15", "12", "2005", "10"});  // month 13
        Decide();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(endRequests, 1);
        QVERIFY(!form->IsLoaded());
    }

    void inputErrorWarnsWhileTheWindowIsStillOpenThenClosesItThenEnds() {
        // The real message box this time, captioned as the program captions
        // it; the end is still only noted, with whether the window was
        // already closed at that moment.
        tk::SetMessageBoxHandler({});
        tk::SetApplicationTitle(QString::fromUtf8(ui::kApplicationTitle));
        std::vector<bool> loadedAtEnd;
        tk::SetEndHandler([this, &loadedAtEnd] { loadedAtEnd.push_back(form->IsLoaded()); });

        QTest::mouseClick(Command(4), Qt::LeftButton);
        TypeAllEntries({"1980", "13", "15", "12", "2005", "10"});  // month 13

        struct {
            bool seen = false;
            QString caption, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            qsizetype buttonCount = 0;
            bool windowOpen = false, decideHidden = false, recalculateShown = false;
            QString windowFocus;
            std::size_t ends = 0;
        } atBox;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            atBox.seen = true;
            atBox.caption = box->windowTitle();
            atBox.text = box->text();
            atBox.icon = box->icon();
            atBox.buttons = box->standardButtons();
            atBox.buttonCount = box->buttons().size();
            atBox.windowOpen = form->IsLoaded() && form->Window()->isVisible();
            if (form->IsLoaded()) {
                atBox.decideHidden = Command(9)->isHidden();
                atBox.recalculateShown = !Command(10)->isHidden();
                if (QWidget* focus = form->Window()->focusWidget()) atBox.windowFocus = focus->objectName();
            }
            atBox.ends = loadedAtEnd.size();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        Decide();  // returns once the box is answered

        QVERIFY2(atBox.seen, "no message box was open");
        QCOMPARE(atBox.caption, QString("バイオリズム"));
        QCOMPARE(atBox.text, QString("入力の誤りです。データを確認してください。"));
        QCOMPARE(atBox.icon, QMessageBox::Warning);
        QCOMPARE(atBox.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(atBox.buttonCount, 1);
        // By then the main window is still open, with 決定 hidden and 再計算
        // shown, and the end not yet asked for.
        QVERIFY(atBox.windowOpen);
        QVERIFY(atBox.decideHidden);
        QVERIFY(atBox.recalculateShown);
        // The window's focus is where Qt put it when 決定 hid itself, not on
        // the chart: there is none.
        QCOMPARE(atBox.windowFocus, QString("Text1"));
        QCOMPARE(atBox.ends, std::size_t(0));
        // Answered: the window closes, then the program ends, once.
        QCOMPARE(loadedAtEnd, std::vector<bool>{false});
        QVERIFY(!form->IsLoaded());
    }

    void typingWithoutEnterCommitsNothing() {
        QTest::mouseClick(Command(8), Qt::LeftButton);
        Commit(5, "2005");
        // Typed, but left with the mouse instead of Enter.
        QTest::mouseClick(Text(5), Qt::LeftButton);
        Text(5)->selectAll();
        QTest::keyClicks(Text(5), "2010");
        QTest::mouseClick(Text(6), Qt::LeftButton);
        QCOMPARE(form->EntryRecord().Slot(5), std::optional<std::string>("2005"));
        QCOMPARE(form->EntryRecord().Slot(1), std::nullopt);
        Commit(1, "1980");
        Commit(2, "5");
        Commit(3, "15");
        Commit(4, "12");
        Commit(6, "4");
        Decide();
        QCOMPARE(Title(), QString("グレゴリオ暦（西暦） 2005年 4月のバイオリズム"));
    }

    void recalculateStartsOverAndKeepsEntriesAndOffsets() {
        QTest::mouseClick(Command(2), Qt::LeftButton);
        QTest::mouseClick(Command(8), Qt::LeftButton);
        TypeAllEntries({"55", "5", "15", "12", "2005", "10"});
        Decide();
        QVERIFY(Is(Chart().pixel(740, 250), qRgb(255, 255, 0)));

        QTest::mouseClick(Command(10), Qt::LeftButton);
        QCOMPARE(Title(), QString());
        QVERIFY(!W("Label11")->isHidden());
        for (int n = 1; n <= 6; ++n) QVERIFY(Text(n)->text().isEmpty());
        const QImage chart = Chart();
        for (const QPoint p : {QPoint(740, 250), QPoint(50, 400), QPoint(120, 386), QPoint(120, 462)})
            QVERIFY(Is(chart.pixel(p), kNavy));
        // Nothing of the chart is left anywhere: what the area keeps is plain
        // navy, and so is every pixel of the window between its controls.
        QCOMPARE(NotNavy(W<tk::PictureBox>("Picture1")->Image()), QString());
        QImage between = chart.copy(0, 0, 959, 687);
        QPainter coverControls(&between);
        for (QWidget* child : W("Picture1")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible()) coverControls.fillRect(child->geometry(), QColor(kNavy));
        coverControls.end();
        QCOMPARE(NotNavy(between), QString());
        for (int n = 1; n <= 8; ++n) QVERIFY(!Command(n)->isHidden());
        QVERIFY(!Command(10)->isHidden());
        QVERIFY(Command(9)->isHidden());  // as it was
        QCOMPARE(QApplication::focusWidget(), Text(1));
        QCOMPARE(form->EntryRecord().Slot(1), std::optional<std::string>("55"));
        QCOMPARE(form->EntryRecord().Slot(6), std::optional<std::string>("10"));
        QCOMPARE(form->BirthEraOffset(), std::optional<int>(1925));
        QCOMPARE(form->TargetEraOffset(), std::optional<int>(0));


        // An empty box committed with Enter is not a number: 決定 reports it.
        QTest::keyClick(Text(1), Qt::Key_Return);
        QTest::mouseClick(Text(6), Qt::LeftButton);
        QTest::keyClick(Text(6), Qt::Key_Return);
        Decide();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(endRequests, 1);
    }

    void secondChartAfterRecalculateHasItsOwnGrid() {
        QTest::mouseClick(Command(4), Qt::LeftButton);
        QTest::mouseClick(Command(8), Qt::LeftButton);
        TypeAllEntries({"1980", "5", "15", "12", "2005", "10"});
        Decide();
        QTest::mouseClick(Command(10), Qt::LeftButton);
        TypeAllEntries({"1980", "5", "15", "12", "2005", "2"});
        Decide();
        QCOMPARE(Title(), QString("グレゴリオ暦（西暦） 2005年 2月のバイオリズム"));
        const QImage chart = Chart();
        QVERIFY(Is(chart.pixel(680, 250), qRgb(255, 255, 0)));  // 29 lines: the last at 680
        QVERIFY(Is(chart.pixel(700, 250), kNavy));
        QVERIFY(Is(chart.pixel(740, 250), kNavy));  // October's grid is gone
    }

    void closeAndReopenKeepsOffsetsAndEntries() {
        QTest::mouseClick(Command(2), Qt::LeftButton);   // 昭和, before the close
        QTest::mouseClick(Command(8), Qt::LeftButton);
        Commit(6, "10");
        QTest::mouseClick(W("Image3"), Qt::LeftButton, {}, QPoint(16, 16));
        QVERIFY(!form->IsLoaded());
        QCOMPARE(endRequests, 0);

        Open();
        for (const char* hidden : {"Command9", "Label11", "Command10"}) QVERIFY(W(hidden)->isHidden());
        for (int n = 1; n <= 8; ++n) QVERIFY(!Command(n)->isHidden());
        for (int n = 1; n <= 6; ++n) QVERIFY(Text(n)->text().isEmpty());
        QCOMPARE(form->BirthEraOffset(), std::optional<int>(1925));
        QCOMPARE(form->EntryRecord().Slot(6), std::optional<std::string>("10"));

        // 55 committed after the reopening is still read as 昭和 55.
        TypeAllEntries({"55", "5", "15", "12", "2005", "10"});
        Decide();
        QVERIFY(messages.isEmpty());
        QVERIFY(ColourNear(Chart(), 120, 385, 388, qRgb(255, 0, 0)));  // 1980's physical value
    }

    void platformCloseActsLikeTheClosingIcon() {
        QTest::mouseClick(Command(3), Qt::LeftButton);
        QVERIFY(form->Window()->close());
        QVERIFY(!form->IsLoaded());
        QCOMPARE(endRequests, 0);
        Open();
        QCOMPARE(form->BirthEraOffset(), std::optional<int>(1988));
    }

    void decidingAgainGivesTheSameChart() {
        // 昭和 55 and 平成 17: the offsets go on once however often 決定 runs.
        QTest::mouseClick(Command(2), Qt::LeftButton);
        QTest::mouseClick(Command(7), Qt::LeftButton);
        TypeAllEntries({"55", "5", "15", "12", "17", "10"});
        Decide();
        const QString firstTitle = Title();
        const QImage firstChart = W<tk::PictureBox>("Picture1")->Image();
        QCOMPARE(firstTitle, QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));

        QTest::mouseClick(Text(6), Qt::LeftButton);
        QTest::keyClick(Text(6), Qt::Key_Return);
        Decide();
        QVERIFY(messages.isEmpty());
        QCOMPARE(Title(), firstTitle);
        // Drawn over itself: the lines are identical (the smoothed day
        // numbers grow a little stronger where they are printed twice).
        const QImage secondChart = W<tk::PictureBox>("Picture1")->Image();
        QCOMPARE(secondChart.copy(0, 0, 1017, 605), firstChart.copy(0, 0, 1017, 605));
        QCOMPARE(form->EntryRecord().Slot(1), std::optional<std::string>("55"));
    }

    void otherKeysReachTheBoxUnchanged() {
        QTest::mouseClick(Text(3), Qt::LeftButton);
        QTest::keyClicks(Text(3), "1x2");
        QTest::keyClick(Text(3), Qt::Key_Backspace);
        QCOMPARE(Text(3)->text(), QString("1x"));
        QCOMPARE(form->EntryRecord().Slot(3), std::nullopt);
        QTest::keyClick(Text(3), Qt::Key_Return);
        QCOMPARE(form->EntryRecord().Slot(3), std::optional<std::string>("1x"));
        QCOMPARE(QApplication::focusWidget(), Text(4));
    }
};

QTEST_MAIN(Form1BehaviourTest)
#include "form1_behaviour_test.moc"
