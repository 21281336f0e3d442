// Both windows on a screen scaled by 2 (CTest runs this with
// QT_SCALE_FACTOR=2): the chart is kept at twice the pixels with lines two
// device pixels wide in pure colours, and the icons and the title picture are
// enlarged into sharp squares, not smoothed.
#include <QtTest>

#include "calc/entries.h"
#include "chart/chart.h"
#include "support/focus_frame.h"
#include "support/form_testing.h"
#include "support/worked_example.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/picture_canvas.h"

namespace {

constexpr QRgb kNavy = qRgb(0, 0, 128);
constexpr QRgb kYellow = qRgb(255, 255, 0);

QRgb Rgb(QRgb pixel) { return pixel | 0xFF000000; }

// Describes the first 2 x 2 block of the grab that is not one square of the
// picture's pixel (or, where the picture is transparent, of one colour);
// empty when every block is.
QString FirstUnsharpBlock(const QImage& grab, const QImage& picture, QPoint at = {}) {
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int gx = 2 * (at.x() + x), gy = 2 * (at.y() + y);
            const QRgb block[] = {Rgb(grab.pixel(gx, gy)), Rgb(grab.pixel(gx + 1, gy)), Rgb(grab.pixel(gx, gy + 1)),
                                  Rgb(grab.pixel(gx + 1, gy + 1))};
            const QRgb source = picture.pixel(x, y);
            const QRgb want = qAlpha(source) ? Rgb(source) : block[0];
            for (const QRgb pixel : block)
                if (pixel != want)
                    return QString("(%1,%2): %3 where the picture has %4").arg(x).arg(y).arg(pixel, 8, 16).arg(source, 8, 16);
        }
    return {};
}

}  // namespace

class HighDpiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Everything below is about this: without it the test proves nothing.
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
    }

    void chartIsKeptAtTwiceThePixelsWithCrispLines() {
        ui::Form1 form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        auto* picture = testing_support::FindControl<tk::PictureBox>(form, "Picture1");
        ui::PictureCanvas canvas(*picture);
        ui::LabelTitle title(*testing_support::FindControl<tk::Label>(form, "Label11"));
        chart::DrawChart(testing_support::WorkedExample(), title, canvas);

        const QImage image = picture->Image();
        QCOMPARE(image.devicePixelRatio(), 2.0);
        QCOMPARE(image.size(), QSize(2 * 959, 2 * 687));  // what the window shows, at twice the pixels
        // A pen one logical pixel wide is two device pixels wide, centred on
        // its coordinate: the last grid line (x = 740) covers device columns
        // 1479 and 1480 in pure yellow, with navy beside it, above and below
        // the curves (which stay between y = 300 and 500).
        for (const int y : {2 * 205, 2 * 250, 2 * 295, 2 * 505, 2 * 550, 2 * 595}) {
            QCOMPARE(Rgb(image.pixel(1478, y)), kNavy);
            QCOMPARE(Rgb(image.pixel(1479, y)), kYellow);
            QCOMPARE(Rgb(image.pixel(1480, y)), kYellow);
            QCOMPARE(Rgb(image.pixel(1481, y)), kNavy);
        }
        // The axis (y = 400) covers device rows 799 and 800, left of the
        // curves and right of the grid.
        for (const int x : {0, 100, 200, 1600, 1690, 1916}) {
            QCOMPARE(Rgb(image.pixel(x, 798)), kNavy);
            QCOMPARE(Rgb(image.pixel(x, 799)), kYellow);
            QCOMPARE(Rgb(image.pixel(x, 800)), kYellow);
            QCOMPARE(Rgb(image.pixel(x, 801)), kNavy);
        }
        // The window shows the kept image as it is.
        const QImage shown = picture->grab().toImage();
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(Rgb(shown.pixel(1479, 500)), kYellow);
        QCOMPARE(Rgb(shown.pixel(1481, 500)), kNavy);
        // The picture area has the focus: its frame is four device pixels
        // wide, over the navy only.
        QVERIFY(picture->hasFocus());
        QCOMPARE(testing_support::FocusFrameFault(*picture, shown, kNavy, true), QString());
    }

    void iconsAreEnlargedIntoSharpSquares() {
        ui::Form2 titleWindow;
        titleWindow.Show();
        QVERIFY(QTest::qWaitForWindowExposed(titleWindow.Window()));
        titleWindow.Command1_Click();
        ui::Form1* form = titleWindow.MainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
        const struct {
            const tk::Form* form;
            const char* control;
            const char* icon;
        } icons[] = {
            {form, "Image1", ":/icons/hand.ico"},
            {form, "Image2", ":/icons/hand.ico"},
            {form, "Image3", ":/icons/knob.ico"},
            {&titleWindow, "Image1", ":/icons/knob.ico"},
        };
        for (const auto& icon : icons) {
            const QImage grab = testing_support::FindControl(*icon.form, icon.control)->grab().toImage();
            QCOMPARE(grab.size(), QSize(64, 64));
            const QString unsharp = FirstUnsharpBlock(grab, tk::LoadIcon32(icon.icon).toImage());
            QVERIFY2(unsharp.isEmpty(), qPrintable(QString("%1 %2").arg(icon.control, unsharp)));
        }
    }

    void titlePictureIsEnlargedIntoSharpSquares() {
        ui::Form2 titleWindow;
        titleWindow.Show();
        QVERIFY(QTest::qWaitForWindowExposed(titleWindow.Window()));
        const QImage grab = titleWindow.Window()->grab().toImage();
        QCOMPARE(grab.size(), QSize(2 * 802, 2 * 632));
        // A strip across the whole picture, clear of the two controls.
        const QImage picture = QImage(":/title.bmp").convertToFormat(QImage::Format_RGB32);
        const QImage strip = picture.copy(0, 300, 764, 40);
        const QString unsharp = FirstUnsharpBlock(grab, strip, QPoint(0, 300));
        QVERIFY2(unsharp.isEmpty(), qPrintable(unsharp));
    }
};

QTEST_MAIN(HighDpiTest)
#include "high_dpi_test.moc"
