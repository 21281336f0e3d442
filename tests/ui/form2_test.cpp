// The title window and the program's start: 開始 opens one main window, the
// knob ends the program, closing the main window returns to the title.
#include <QtTest>

#include "toolkit/controls.h"
#include "support/form_testing.h"
#include "toolkit/platform.h"
#include "ui/form1.h"
#include "ui/form2.h"

namespace {

int VisibleWindows() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) count += w->isVisible();
    return count;
}

}  // namespace

class Form2Test : public QObject, testing_support::RecordsPlatform {
    Q_OBJECT

    ui::Form2* title = nullptr;

    QWidget* Start() { return title->Control<QWidget>("Command1"); }

private slots:
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

    void startShowsOnlyTheTitleWindowWithFocusOnStart() {
        QCOMPARE(VisibleWindows(), 1);
        QWidget* window = title->Window();
        QCOMPARE(window->size(), QSize(802, 632));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(window->windowTitle().trimmed().isEmpty());
        QCOMPARE(title->MainWindow(), nullptr);
        QTRY_COMPARE(QApplication::focusWidget(), Start());
        QCOMPARE(Start()->geometry(), QRect(664, 464, 65, 49));
        QCOMPARE(title->Control<QWidget>("Image1")->geometry(), QRect(712, 16, 32, 32));
    }

    void titlePictureAtItsOwnSizeWithFaceColouredStrips() {
        const QImage shown = title->Window()->grab().toImage();
        const QImage picture(":/title.bmp");
        QCOMPARE(picture.size(), QSize(764, 629));
        const QRgb face = title->Window()->palette().color(QPalette::Window).rgb();
        for (const QPoint p : {QPoint(770, 300), QPoint(801, 631), QPoint(400, 630), QPoint(764, 10)})
            QCOMPARE(shown.pixel(p), face);
        // Not stretched: picture pixels land on the same window pixels.
        for (const QPoint p : {QPoint(0, 0), QPoint(382, 300), QPoint(763, 628), QPoint(100, 600)})
            QCOMPARE(shown.pixel(p), picture.pixel(p));
    }

    void enterOnStartOpensTheMainWindowBesideTheTitle() {
        QTRY_COMPARE(QApplication::focusWidget(), Start());
        QTest::keyClick(Start(), Qt::Key_Return);
        ui::Form1* main = title->MainWindow();
        QVERIFY(main);
        QVERIFY(main->IsLoaded());
        QVERIFY(QTest::qWaitForWindowExposed(main->Window()));
        QVERIFY(title->Window()->isVisible());
        QCOMPARE(VisibleWindows(), 2);
    }

    void secondStartKeepsOneMainWindowAndBringsItToTheFront() {
        QTest::mouseClick(Start(), Qt::LeftButton);
        ui::Form1* main = title->MainWindow();
        QWidget* mainWindow = main->Window();
        QTest::mouseClick(main->Control<QWidget>("Command4"), Qt::LeftButton);  // some state to keep
        title->Window()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), title->Window());
        QTest::mouseClick(Start(), Qt::LeftButton);
        QCOMPARE(title->MainWindow(), main);
        QCOMPARE(main->Window(), mainWindow);  // not loaded again
        QVERIFY(main->Control<QWidget>("Command1")->isHidden());
        QCOMPARE(VisibleWindows(), 2);
        QTRY_COMPARE(QApplication::activeWindow(), mainWindow);
    }

    void closingTheMainWindowReturnsToTheTitleAndStartReopensIt() {
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTest::mouseClick(Start(), Qt::LeftButton);
        ui::Form1* main = title->MainWindow();
        QTest::mouseClick(main->Control<QWidget>("Command2"), Qt::LeftButton);
        QTest::mouseClick(main->Control<QWidget>("Image3"), Qt::LeftButton, {}, QPoint(16, 16));
        QVERIFY(!main->IsLoaded());
        QCOMPARE(endRequests, 0);
        QVERIFY(title->Window()->isVisible());
        QTRY_COMPARE(VisibleWindows(), 1);
        QCOMPARE(lastClosed.count(), 0);

        QTest::mouseClick(Start(), Qt::LeftButton);
        QCOMPARE(title->MainWindow(), main);
        QVERIFY(main->IsLoaded());
        for (const char* hidden : {"Command9", "Label11", "Command10"}) QVERIFY(main->Control<QWidget>(hidden)->isHidden());
        QVERIFY(!main->Control<QWidget>("Command1")->isHidden());
        QCOMPARE(main->BirthEraOffset(), std::optional<int>(1925));
    }

    void exitIconRequestsTheEndOnce() {
        QTest::mouseClick(Start(), Qt::LeftButton);
        QTest::mouseClick(title->Control<QWidget>("Image1"), Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(endRequests, 1);
    }

    void programEndsWhenNoWindowRemains() {
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QTest::mouseClick(Start(), Qt::LeftButton);
        bool mainStillOpenAfterTitleClosed = false;
        QTimer::singleShot(0, [&] {
            title->Window()->close();  // the platform's close on the title window
            mainStillOpenAfterTitleClosed = title->MainWindow()->IsLoaded();
            QTimer::singleShot(50, [this] {
                QTest::mouseClick(title->MainWindow()->Control<QWidget>("Image3"), Qt::LeftButton, {}, QPoint(16, 16));
            });
        });
        QTimer::singleShot(5000, [] { QApplication::exit(1); });  // the program did not end
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(mainStillOpenAfterTitleClosed);
        QCOMPARE(endRequests, 0);
    }

    void realEndClosesEveryWindowAndLeavesWithStatusZero() {
        tk::SetEndHandler({});
        QTest::mouseClick(Start(), Qt::LeftButton);
        QTimer::singleShot(0, [this] {
            QTest::mouseClick(title->Control<QWidget>("Image1"), Qt::LeftButton, {}, QPoint(16, 16));
        });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(VisibleWindows(), 0);
    }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
