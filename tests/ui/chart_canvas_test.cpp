// The chart drawn onto the real picture area: pixels of the backing image
// and of the rendered widget.
#include <QtTest>

#include "calc/entries.h"
#include "chart/chart.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "toolkit/platform.h"
#include "support/text_pixels.h"
#include "support/worked_example.h"
#include "ui/picture_canvas.h"

namespace {

constexpr QRgb kNavy = qRgb(0, 0, 128);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGreen = qRgb(0, 255, 0);

bool Is(QRgb pixel, QRgb colour) { return (pixel & 0xFFFFFF) == (colour & 0xFFFFFF); }

// The row of the curve's pixel in column x, searched around the expected y.
int RowOf(const QImage& image, int x, double expectedY, QRgb colour) {
    for (int dy = 0; dy <= 2; ++dy)
        for (int y : {int(expectedY) - dy, int(expectedY) + 1 + dy})
            if (Is(image.pixel(x, y), colour)) return y;
    return -1;
}

}  // namespace

class ChartCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void drawsKeepsAndClearsTheChart() {
        QWidget window;
        window.resize(959, 687);
        tk::PictureBox picture(QColor(kNavy), &window);
        picture.setGeometry(0, 0, 1017, 745);
        picture.setFont(tk::UiFont(12));
        tk::Label label("", &picture);
        label.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const calc::Calculation c = testing_support::WorkedExample();
        ui::PictureCanvas canvas(picture);
        ui::LabelTitle title(label);
        chart::DrawChart(c, title, canvas);
        QVERIFY(!label.isHidden());
        QCOMPARE(label.text(), QString("グレゴリオ暦（西暦） 2005年 10月のバイオリズム"));

        const QImage image = picture.Image();
        QVERIFY(Is(image.pixel(740, 210), kYellow));  // the 32nd grid line
        QVERIFY(Is(image.pixel(740, 600), kYellow));  // down to its lower end
        QVERIFY(Is(image.pixel(760, 210), kNavy));
        QVERIFY(Is(image.pixel(130, 210), kNavy));    // between grid lines
        QVERIFY(Is(image.pixel(0, 400), kYellow));    // the axis
        QCOMPARE(image.size(), QSize(959, 687));       // what the window shows of the area
        QVERIFY(Is(image.pixel(958, 400), kYellow));  // on past the window's edge
        QVERIFY(Is(image.pixel(930, 399), kNavy));  // right of the grid, above the axis
        // One point of each curve, on its own grid line.
        const struct { int r; QRgb colour; int k; } points[] = {{1, kRed, 1}, {2, kWhite, 1}, {3, kGreen, 1}, {1, kRed, 32}};
        for (const auto& p : points) {
            const int x = 100 + 20 * p.k;
            const double y = 400 + 100 * c.series[p.r](p.k);
            const int row = RowOf(image, x, y, p.colour);
            QVERIFY2(row >= 0 && std::abs(row - y) <= 1.0,
                     qPrintable(QString("rhythm %1 at x=%2: expected y=%3, found %4").arg(p.r).arg(x).arg(y).arg(row)));
        }
        // The leader lines reach the legend.
        QVERIFY(Is(image.pixel(847, 288), kRed));
        QVERIFY(Is(image.pixel(847, 344), kWhite));
        QVERIFY(Is(image.pixel(847, 415), kGreen));
        // The day number 1 in bright white under the first grid line.
        const int dayOne = testing_support::TextPixels(image, QRect(120, 610, 16, 16), kNavy, kWhite);
        QVERIFY2(dayOne >= 8, qPrintable(QString("%1 pixels of white text under the first grid line").arg(dayOne)));

        // Hidden and shown again, the area still renders the chart.
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage rendered = picture.grab().toImage();
        QVERIFY(Is(rendered.pixel(740, 210), kYellow));
        QVERIFY(Is(rendered.pixel(0, 400), kYellow));
        QVERIFY(RowOf(rendered, 120, 400 + 100 * c.series[3](1), kGreen) >= 0);

        // Clear: background only.
        canvas.Clear();
        const QImage cleared = picture.grab().toImage();
        for (const QPoint p : {QPoint(740, 210), QPoint(0, 400), QPoint(847, 288), QPoint(125, 615)})
            QVERIFY(Is(cleared.pixel(p), kNavy));
    }

    void secondChartWithoutClearLiesOverTheFirst() {
        tk::PictureBox picture(QColor(kNavy), nullptr);
        picture.resize(1017, 745);
        tk::Label label("", &picture);
        ui::PictureCanvas canvas(picture);
        ui::LabelTitle title(label);
        chart::DrawChart(testing_support::WorkedExample(), title, canvas);
        chart::DrawChart(testing_support::WorkedExample("2005", "2"), title, canvas);
        // February's 29 lines over October's 32: October's last line is still there.
        QVERIFY(Is(picture.Image().pixel(740, 210), kYellow));
        QCOMPARE(label.text(), QString("グレゴリオ暦（西暦） 2005年 2月のバイオリズム"));
    }
};

QTEST_MAIN(ChartCanvasTest)
#include "chart_canvas_test.moc"
