// The chart's title and summary are announced to assistive technology when
// 決定 sets them and when 再計算 empties them. Qt passes accessibility events
// on only while assistive technology listens, so this test runs on the X
// platform inside a session with the accessibility bus (the end-to-end
// harness's X11 session: tests/e2e/e2e.py within x11), with an update
// handler of its own in place of the bus.
#include <QAccessible>
#include <QtTest>

#include "support/form_testing.h"
#include "toolkit/accessibility.h"
#include "ui/form1.h"

namespace {

struct Announcement {
    QObject* object;
    QAccessible::Event type;
    QString text;  // the name or description when it was announced
};
QList<Announcement> announced;

void Record(QAccessibleEvent* event) {
    QString text;
    if (QAccessibleInterface* iface = event->accessibleInterface()) {
        if (event->type() == QAccessible::NameChanged) text = iface->text(QAccessible::Name);
        if (event->type() == QAccessible::DescriptionChanged) text = iface->text(QAccessible::Description);
    }
    announced.append({event->object(), event->type(), text});
}

// What was announced for the object, as its successive texts.
QStringList Announced(QObject* object, QAccessible::Event type) {
    QStringList texts;
    for (const Announcement& a : announced)
        if (a.object == object && a.type == type) texts << a.text;
    return texts;
}

}  // namespace

class AccessibilityEventsTest : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form1* form = nullptr;

    template <class T = QWidget>
    T* W(const QString& name) { return testing_support::FindControl<T>(*form, name); }

    // The six entries, each typed into its box and committed with Enter, and 決定.
    void Chart(const QStringList& entries) {
        QTest::mouseClick(W("Command4"), Qt::LeftButton);
        QTest::mouseClick(W("Command8"), Qt::LeftButton);
        for (int n = 1; n <= 6; ++n) {
            QWidget* box = W(QString("Text%1").arg(n));
            QTest::keyClicks(box, entries[n - 1]);
            QTest::keyClick(box, Qt::Key_Return);
        }
        QTest::mouseClick(W("Command9"), Qt::LeftButton);
        QVERIFY(messages.isEmpty());
    }

private slots:
    void initTestCase() {
        tk::InstallAccessibility();
        QAccessible::installUpdateHandler(Record);
        StartRecording();
        form = new ui::Form1;
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
        // Focus events are sent only in the active window, which an X server
        // without a window manager makes active a moment after it is shown.
        form->Window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form->Window()));
        QTRY_VERIFY2(QAccessible::isActive(), "assistive technology is not listening: no accessibility bus?");
    }
    void cleanupTestCase() {
        delete form;
        StopRecording();
        QAccessible::installUpdateHandler(nullptr);
    }

    void decideAnnouncesTheTitleAndTheSummaryAndRecalculateTheirRemoval() {
        QWidget* label = W("Label11");
        QWidget* picture = W("Picture1");
        announced.clear();
        Chart({"1980", "5", "15", "12", "2005", "10"});
        QCOMPARE(Announced(label, QAccessible::NameChanged).value(0),
                 QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));
        const QStringList summaries = Announced(picture, QAccessible::DescriptionChanged);
        QCOMPARE(summaries.size(), 1);
        QVERIFY2(summaries[0].startsWith("身体リズムの要注意日は12日、23日。"), qPrintable(summaries[0]));
        // Then the focus moves to the chart, which a screen reader reads out
        // with its new name and description: the last focus event of all,
        // after both changes.
        QCOMPARE(Announced(picture, QAccessible::NameChanged),
                 QStringList{"グレゴリオ暦（西暦） 2005年 10月のバイオリズム"});
        const auto lastFocus = std::find_if(announced.rbegin(), announced.rend(),
                                            [](const Announcement& a) { return a.type == QAccessible::Focus; });
        QVERIFY(lastFocus != announced.rend());
        QCOMPARE(lastFocus->object, static_cast<QObject*>(picture));
        const auto lastChange = std::find_if(announced.rbegin(), announced.rend(), [&](const Announcement& a) {
            return a.object == picture && a.type == QAccessible::DescriptionChanged;
        });
        QVERIFY(lastFocus < lastChange);  // reverse iterators: the focus came later
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QCOMPARE(Announced(picture, QAccessible::Announcement).size(), 1);
#endif

        announced.clear();
        QTest::mouseClick(W("Command10"), Qt::LeftButton);
        QCOMPARE(Announced(label, QAccessible::NameChanged), QStringList{QString()});
        QCOMPARE(Announced(picture, QAccessible::DescriptionChanged), QStringList{QString()});

        // Every 決定 announces its own chart.
        announced.clear();
        Chart({"1980", "5", "15", "0", "2023", "2"});
        QCOMPARE(Announced(label, QAccessible::NameChanged).value(0),
                 QString("グレゴリオ暦（西暦） 2023年 2月のバイオリズム"));
        QVERIFY(Announced(picture, QAccessible::DescriptionChanged).value(0).startsWith("身体リズムの要注意日は4日、16日、27日。"));
    }
};

QTEST_MAIN(AccessibilityEventsTest)
#include "accessibility_events_test.moc"
