// Both windows as assistive technology sees them, through Qt's
// accessibility interfaces: names, descriptions, roles and actions.
// (accessibility_events_test checks that the changes are announced.)
#include <QAccessible>
#include <QtTest>

#include "support/form_testing.h"
#include "support/worked_example.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"
#include "ui/form2.h"

namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface) qFatal("no accessible interface for %s", qPrintable(widget->objectName()));
    return iface;
}

QString Name(QWidget* widget) { return Accessible(widget)->text(QAccessible::Name); }
QString Description(QWidget* widget) { return Accessible(widget)->text(QAccessible::Description); }

constexpr const char* kOctober2005Title = "グレゴリオ暦（西暦） 2005年 10月のバイオリズム";

}  // namespace

class AccessibilityTest : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form2* title = nullptr;

    ui::Form1* Main() { return title->MainWindow(); }
    template <class T = QWidget>
    T* W(const char* name) { return testing_support::FindControl<T>(*Main(), name); }

    // The main window's focused object is the chart, read as name and
    // description.
    void ExpectFocusedChart(const QString& name, const QString& description) {
        QAccessibleInterface* focused = Accessible(Main()->Window())->focusChild();
        QVERIFY2(focused, "nothing has the focus");
        QCOMPARE(focused->object(), static_cast<QObject*>(W("Picture1")));
        QCOMPARE(focused->role(), QAccessible::Chart);
        QVERIFY(focused->state().focused);
        QCOMPARE(focused->text(QAccessible::Name), name);
        QCOMPARE(focused->text(QAccessible::Description), description);
    }

// A failed expectation ends the test function at once.
#define EXPECT_FOCUSED_CHART(name, description)              \
    do {                                                     \
        ExpectFocusedChart(name, description);               \
        if (QTest::currentTestFailed()) return;              \
    } while (false)

    void OpenMain() {
        QTest::keyClick(title->Control<QWidget>("Command1"), Qt::Key_Return);
        QVERIFY(QTest::qWaitForWindowExposed(Main()->Window()));
    }

    // 西暦 in both groups, then the six entries, each with Enter, and 決定.
    void Chart(const QStringList& entries) {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        QTest::mouseClick(W("Command8"), Qt::LeftButton);
        QTest::mouseClick(W("Text1"), Qt::LeftButton);
        for (const QString& text : entries) {
            QTest::keyClicks(QApplication::focusWidget(), text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(), W("Command9"));
        QTest::keyClick(W("Command9"), Qt::Key_Return);
        QVERIFY(messages.isEmpty());
    }

private slots:
    void initTestCase() {
        tk::InstallAccessibility();
    }
    void init() {
        StartRecording();
        title = new ui::Form2;
        title->Show();
        QVERIFY(QTest::qWaitForWindowExposed(title->Window()));
    }
    void cleanup() {
        delete title;
        title = nullptr;
        StopRecording();
    }

    void bothWindowsAreWindowsUnderTheirNames() {
        QCOMPARE(Accessible(title->Window())->role(), QAccessible::Window);
        QCOMPARE(Name(title->Window()), QString("バイオリズム"));
        OpenMain();
        QCOMPARE(Accessible(Main()->Window())->role(), QAccessible::Window);
        QCOMPARE(Name(Main()->Window()), QString("バイオリズム計算"));
        // The controls inside keep their own roles.
        QCOMPARE(Accessible(W("Command9"))->role(), QAccessible::Button);
        QCOMPARE(Accessible(W("Text1"))->role(), QAccessible::EditableText);
    }

    void everyLabelIsReadByItsCaptionAndExplainedByItsDescription() {
        OpenMain();
        int labels = 0;
        for (const tk::ControlDef& def : ui::Form1Layout()) {
            if (def.kind != tk::ControlKind::Label) continue;
            ++labels;
            QWidget* label = W(def.name);
            QCOMPARE(Name(label), QString::fromUtf8(def.caption));
            QCOMPARE(Description(label), QString::fromUtf8(def.accessibleDescription ? def.accessibleDescription : ""));
        }
        QCOMPARE(labels, 19);
        // Two of them, as a screen reader hears them.
        QCOMPARE(Name(W("Label2")), QString("暦年"));
        QCOMPARE(Description(W("Label2")), QString("生まれた年"));
        QCOMPARE(Name(W("Label12")), QString("身体リズム"));
        QCOMPARE(Description(W("Label12")), QString("赤の線は身体リズム（23日周期）"));
    }

    void closingIconIsPressedLikeAClickAndNeverTakesTheFocus() {
        OpenMain();
        QWidget* icon = W("Image3");
        QAccessibleInterface* iface = Accessible(icon);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(Name(icon), QString("閉じる"));
        QVERIFY(!iface->state().focusable);
        QCOMPARE(icon->focusPolicy(), Qt::NoFocus);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QVERIFY(actions);
        QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});

        QTest::mouseClick(W("Command2"), Qt::LeftButton);  // state that must survive, as after a click
        QWidget* focused = QApplication::focusWidget();
        actions->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!Main()->IsLoaded());
        QCOMPARE(endRequests, 0);
        QVERIFY(title->Window()->isVisible());
        QCOMPARE(Main()->BirthEraOffset(), std::optional<int>(1925));
        QVERIFY(focused != icon);
    }

    void exitIconIsPressedLikeAClick() {
        QWidget* icon = title->Control<QWidget>("Image1");
        QAccessibleInterface* iface = Accessible(icon);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(Name(icon), QString("終了"));
        QVERIFY(!iface->state().focusable);
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(endRequests, 1);
        QTRY_COMPARE(QApplication::focusWidget(), title->Control<QWidget>("Command1"));
    }

    void iconsThatDoNothingAreImagesWithoutActions() {
        OpenMain();
        for (const char* hand : {"Image1", "Image2"}) {
            QAccessibleInterface* iface = Accessible(W(hand));
            QCOMPARE(iface->role(), QAccessible::Graphic);
            QVERIFY(iface->actionInterface()->actionNames().isEmpty());
        }
        QCOMPARE(Name(W("Image1")), QString("生年の暦を選んでください"));
    }

    void thePictureAreaIsAChart() {
        OpenMain();
        QCOMPARE(Accessible(W("Picture1"))->role(), QAccessible::Chart);
        QVERIFY(Accessible(W("Picture1"))->state().focusable);
    }

    // What a screen reader reads when the focus moves: the object that has
    // the focus, as the window's accessible interface gives it.
    void everyDecideTakesTheFocusToTheChartNamedByItsTitleAndDescribedByItsSummary() {
        OpenMain();
        QWidget* label = W("Label11");
        QWidget* picture = W("Picture1");
        // The window opens with the focus on the empty chart.
        EXPECT_FOCUSED_CHART("バイオリズムのグラフ", QString());

        Chart({"1980", "5", "15", "12", "2005", "10"});
        QCOMPARE(QApplication::focusWidget(), picture);
        EXPECT_FOCUSED_CHART(kOctober2005Title, testing_support::kWorkedExampleSummary);
        QCOMPARE(Name(label), QString(kOctober2005Title));

        // Enter on the chart does nothing.
        QTest::keyClick(picture, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), picture);
        QVERIFY(messages.isEmpty());
        QCOMPARE(Name(label), QString(kOctober2005Title));

        // 再計算 empties both and takes the focus to the birth year, as before.
        QTest::mouseClick(W("Command10"), Qt::LeftButton);
        QVERIFY(Name(label).isEmpty());
        QCOMPARE(Name(picture), QString("バイオリズムのグラフ"));
        QVERIFY(Description(picture).isEmpty());
        QAccessibleInterface* focused = Accessible(Main()->Window())->focusChild();
        QVERIFY(focused && focused->object() == W("Text1"));

        // The next chart, a 28-day February, brings its own title and days.
        Chart({"1980", "5", "15", "0", "2023", "2"});
        EXPECT_FOCUSED_CHART("グレゴリオ暦（西暦） 2023年 2月のバイオリズム",
                           "身体リズムの要注意日は4日、16日、27日。＋側の極大は22日。－側の極大は10日。"
                           "感情リズムの要注意日は9日、23日。＋側の極大は2日。－側の極大は16日。"
                           "知性リズムの要注意日は8日、24日。＋側の極大は16日。－側の極大はなし。");

        // Closed and opened again: an empty chart, then the next 決定 as ever.
        Accessible(W("Image3"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!Main()->IsLoaded());
        OpenMain();
        QTRY_COMPARE(QApplication::focusWidget(), W("Picture1"));
        EXPECT_FOCUSED_CHART("バイオリズムのグラフ", QString());
        Chart({"1980", "5", "15", "12", "2005", "10"});
        EXPECT_FOCUSED_CHART(kOctober2005Title, testing_support::kWorkedExampleSummary);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
