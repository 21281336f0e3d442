// Both windows as built, checked row by row against the design's layout
// tables, transcribed here on their own (not taken from the program's layout
// constants) so that a wrong row in the program shows up as a difference:
// place and size, caption, text and background colour as the control paints
// them, font, border, tab order and visibility when the window opens.
#include <QtTest>

#include <algorithm>
#include <vector>

#include "support/form_testing.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "ui/form1.h"
#include "ui/form2.h"

namespace {

enum Kind { kPicture, kButton, kGraphicalButton, kTextBox, kLabel, kIcon };

// A colour of the design: an RGB value, or the platform's default for the
// kind of control.
struct Colour {
    bool platform;
    QRgb rgb;
};
constexpr Colour kPlatform{true, 0};
constexpr Colour C(int r, int g, int b) { return {false, qRgb(r, g, b)}; }

constexpr Colour kNavy = C(0, 0, 128);
constexpr Colour kWhite = C(255, 255, 255);
constexpr Colour kBlack = C(0, 0, 0);
constexpr Colour kPaleYellow = C(255, 255, 192);
constexpr Colour kPaleGreen = C(192, 255, 192);
constexpr Colour kPaleOrange = C(255, 224, 192);
constexpr Colour kGreen = C(0, 255, 0);
constexpr Colour kRed = C(255, 0, 0);

struct Row {
    const char* name;
    Kind kind;
    const char* caption;  // nullptr: the control has none
    int left, top, width, height;
    Colour text, background;
    int fontPixels;
    bool bold;
    bool border;
    int tabIndex;  // -1: takes no part in the tab order
    bool visibleAtLoad;
};

// The main window, in pixels. Fonts: 9 pt = 12 px, 8.25 pt = 11 px,
// 12 pt = 16 px, 14.25 pt = 19 px, 18 pt = 24 px; "default font" is 9 pt.
const Row kMainWindow[] = {
    {"Picture1", kPicture, nullptr, 0, 0, 1017, 745, kPlatform, kNavy, 12, false, false, 0, true},
    // Birth-date area.
    {"Label7", kLabel, "生年月日の入力", 8, 8, 119, 16, kWhite, kNavy, 16, true, false, 17, true},
    {"Label5", kLabel, "選択", 16, 48, 34, 16, kWhite, kNavy, 16, true, false, 15, true},
    {"Image1", kIcon, nullptr, 56, 40, 32, 32, kPlatform, kPlatform, 0, false, false, -1, true},
    {"Command1", kButton, "大正", 96, 40, 49, 25, kPlatform, kPlatform, 12, false, false, 1, true},
    {"Command2", kButton, "昭和", 160, 40, 49, 25, kPlatform, kPlatform, 12, false, false, 2, true},
    {"Command3", kButton, "平成", 224, 40, 49, 25, kPlatform, kPlatform, 12, false, false, 3, true},
    {"Command4", kButton, "西暦", 288, 40, 57, 25, kPlatform, kPlatform, 12, false, false, 4, true},
    {"Label2", kLabel, "暦年", 104, 72, 34, 16, kWhite, kNavy, 16, true, false, 12, true},
    {"Label3", kLabel, "暦月", 168, 72, 34, 16, kWhite, kNavy, 16, true, false, 13, true},
    {"Label4", kLabel, "暦日", 224, 72, 34, 16, kWhite, kNavy, 16, true, false, 14, true},
    {"Label6", kLabel, "時刻", 296, 72, 34, 16, kPaleYellow, kNavy, 16, true, false, 16, true},
    {"Label1", kLabel, "生年月日", 8, 88, 68, 16, kPaleYellow, kNavy, 16, true, false, 11, true},
    {"Text1", kTextBox, "", 96, 88, 49, 18, kPlatform, kPlatform, 16, true, true, 30, true},
    {"Text2", kTextBox, "", 160, 88, 49, 18, kPlatform, kPlatform, 16, true, true, 31, true},
    {"Text3", kTextBox, "", 224, 88, 33, 18, kPlatform, kPlatform, 16, true, true, 32, true},
    {"Text4", kTextBox, "", 288, 88, 49, 18, kPlatform, kPlatform, 16, true, true, 33, true},
    // Target-month area.
    {"Label8", kLabel, "バイオリズムを求める年月", 440, 8, 191, 16, kWhite, kNavy, 16, true, false, 18, true},
    {"Image2", kIcon, nullptr, 408, 32, 32, 32, kPlatform, kPlatform, 0, false, false, -1, true},
    {"Command5", kButton, "大正", 456, 40, 57, 25, kPlatform, kPlatform, 12, false, false, 5, true},
    {"Command6", kButton, "昭和", 528, 40, 49, 25, kPlatform, kPlatform, 12, false, false, 6, true},
    {"Command7", kButton, "平成", 592, 40, 49, 25, kPlatform, kPlatform, 12, false, false, 7, true},
    {"Command8", kButton, "西暦", 656, 40, 57, 25, kPlatform, kPlatform, 12, false, false, 8, true},
    {"Label9", kLabel, "暦年", 448, 72, 34, 16, kWhite, kNavy, 16, true, false, 19, true},
    {"Label10", kLabel, "暦月", 528, 72, 34, 16, kWhite, kNavy, 16, true, false, 20, true},
    {"Text5", kTextBox, "", 448, 96, 49, 18, kPlatform, kPlatform, 16, true, true, 34, true},
    {"Text6", kTextBox, "", 520, 96, 41, 18, kPlatform, kPlatform, 16, true, true, 35, true},
    // Action buttons.
    {"Command9", kGraphicalButton, "決定", 728, 96, 57, 41, kPlatform, kPlatform, 12, false, false, 9, false},
    {"Command10", kGraphicalButton, "再計算", 816, 560, 57, 41, kPlatform, kPlatform, 11, false, false, 10, false},
    // Chart title, markers and legend.
    {"Label11", kLabel, "", 80, 160, 6, 16, kPaleGreen, kNavy, 16, true, false, 21, false},
    {"Label16", kLabel, "＋側", 33, 305, 48, 24, kGreen, kNavy, 24, false, false, 25, true},
    {"Label17", kLabel, "－側", 32, 464, 48, 24, kPaleOrange, kNavy, 24, false, false, 26, true},
    {"Label12", kLabel, "身体リズム", 849, 265, 98, 23, kBlack, kRed, 19, true, true, 22, true},
    {"Label13", kLabel, "感情リズム", 848, 344, 98, 23, kBlack, kWhite, 19, true, true, 23, true},
    {"Label14", kLabel, "知性リズム", 849, 417, 98, 23, kWhite, kGreen, 19, true, true, 24, true},
    // Reading hints.
    {"Label18", kLabel, "＋の極大は好調", 32, 648, 112, 16, kGreen, kNavy, 16, false, false, 27, true},
    {"Label19", kLabel, "－側の極大は低調", 176, 648, 128, 16, kWhite, kNavy, 16, false, false, 28, true},
    {"Label20", kLabel, "＋から－に移るとき、または－から＋に移るときは要注意日", 336, 648, 400, 16, kRed, kNavy, 16,
     false, false, 29, true},
    // Closing icon.
    {"Image3", kIcon, nullptr, 744, 16, 32, 32, kPlatform, kPlatform, 0, false, false, -1, true},
};

// The title window.
const Row kTitleWindow[] = {
    {"Command1", kGraphicalButton, "開始", 664, 464, 65, 49, kPlatform, kPlatform, 12, false, false, 0, true},
    {"Image1", kIcon, nullptr, 712, 16, 32, 32, kPlatform, kPlatform, 0, false, false, -1, true},
};

bool KindIs(const QWidget* widget, Kind kind) {
    switch (kind) {
    case kPicture: return qobject_cast<const tk::PictureBox*>(widget);
    case kButton:
    case kGraphicalButton: return qobject_cast<const tk::CommandButton*>(widget);
    case kTextBox: return qobject_cast<const tk::TextBox*>(widget);
    case kLabel: return qobject_cast<const tk::Label*>(widget);
    case kIcon: return qobject_cast<const tk::IconImage*>(widget);
    }
    return false;
}

QString Caption(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* box = qobject_cast<const QLineEdit*>(widget)) return box->text();
    return {};
}

// The colour the control paints for a role; a platform colour is the one Qt
// gives that kind of control.
void CheckColour(const QWidget* widget, QPalette::ColorRole role, Colour want, const char* what) {
    const QRgb painted = widget->palette().color(role).rgb();
    const QRgb expected = want.platform ? QApplication::palette(widget).color(role).rgb() : want.rgb;
    QVERIFY2(painted == expected, qPrintable(QString("%1 %2: %3, expected %4")
                                                 .arg(widget->objectName(), what)
                                                 .arg(painted, 8, 16)
                                                 .arg(expected, 8, 16)));
}

// A label's opaque background shows just inside its border, and its caption
// is drawn in its text colour (the stems of the glyphs are solid).
void CheckPaintedLabel(QWidget* label, const Row& row) {
    const QImage image = label->grab().toImage();
    const int inside = row.border ? 2 : 0;
    QVERIFY2((image.pixel(inside, inside) | 0xFF000000) == row.background.rgb, row.name);
    if (*row.caption == '\0') return;
    int textPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) textPixels += (image.pixel(x, y) | 0xFF000000) == row.text.rgb;
    QVERIFY2(textPixels >= 10, qPrintable(QString("%1: %2 pixels of its text colour").arg(row.name).arg(textPixels)));
}

void CheckRow(QWidget* widget, const Row& row, QWidget* container) {
    const QString name = row.name;
    QVERIFY2(KindIs(widget, row.kind), row.name);
    QCOMPARE(widget->parentWidget(), container);

    // Place and size. Labels size themselves by measuring their caption:
    // corner and height are exact, the width near the design's. The stand-in
    // face draws ＋, － and some kana a little narrower than the classic one,
    // hence the allowance of 5 % on top of a few pixels.
    if (row.kind == kLabel) {
        QCOMPARE(widget->pos(), QPoint(row.left, row.top));
        QVERIFY2(widget->height() == row.height, qPrintable(QString("%1 is %2 high").arg(name).arg(widget->height())));
        QVERIFY2(std::abs(widget->width() - row.width) <= 4 + row.width / 20,
                 qPrintable(QString("%1 is %2 wide, designed %3").arg(name).arg(widget->width()).arg(row.width)));
    } else {
        QVERIFY2(widget->geometry() == QRect(row.left, row.top, row.width, row.height),
                 qPrintable(QString("%1 at %2,%3 %4x%5")
                                .arg(name)
                                .arg(widget->x())
                                .arg(widget->y())
                                .arg(widget->width())
                                .arg(widget->height())));
    }

    if (row.caption) QCOMPARE(Caption(widget), QString::fromUtf8(row.caption));

    // Colours as the control paints them.
    switch (row.kind) {
    case kLabel:
        CheckColour(widget, widget->foregroundRole(), row.text, "text");
        CheckColour(widget, widget->backgroundRole(), row.background, "background");
        QCOMPARE(widget->foregroundRole(), QPalette::WindowText);
        QVERIFY(widget->autoFillBackground());  // opaque
        CheckPaintedLabel(widget, row);
        break;
    case kButton:
    case kGraphicalButton:
        CheckColour(widget, QPalette::ButtonText, row.text, "text");
        CheckColour(widget, QPalette::Button, row.background, "face");
        break;
    case kTextBox:
        CheckColour(widget, QPalette::Text, row.text, "text");
        CheckColour(widget, QPalette::Base, row.background, "background");
        break;
    case kPicture: {
        const QImage image = widget->grab().toImage();
        QCOMPARE(image.pixel(500, 400) | 0xFF000000, row.background.rgb);
        break;
    }
    case kIcon: break;
    }

    // Font.
    if (row.kind != kIcon) {
        const QFont font = widget->font();
        QVERIFY2(QFontInfo(font).pixelSize() == row.fontPixels,
                 qPrintable(QString("%1: %2 px").arg(name).arg(QFontInfo(font).pixelSize())));
        QVERIFY2(font.bold() == row.bold, row.name);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }

    // Border: the thin sunken edge of the legend; the entry boxes' frame.
    if (auto* frame = qobject_cast<const QFrame*>(widget)) {
        QVERIFY2(frame->frameWidth() == (row.border ? 2 : 0), row.name);
        if (row.border) QCOMPARE(frame->frameShadow(), QFrame::Sunken);
    }
    if (auto* box = qobject_cast<const QLineEdit*>(widget)) QCOMPARE(box->hasFrame(), row.border);

    // Only the buttons, boxes and the picture area take the focus.
    const bool focusable = row.kind != kLabel && row.kind != kIcon;
    QVERIFY2((widget->focusPolicy() != Qt::NoFocus) == focusable, row.name);

    QVERIFY2(widget->isHidden() == !row.visibleAtLoad, row.name);
}

// The focusable controls in ascending tab index, as the focus chain must
// visit them from the first one.
void CheckTabOrder(const tk::Form& form, std::span<const Row> rows) {
    std::vector<const Row*> order;
    for (const Row& row : rows)
        if (row.kind != kLabel && row.kind != kIcon) order.push_back(&row);
    std::sort(order.begin(), order.end(), [](const Row* a, const Row* b) { return a->tabIndex < b->tabIndex; });
    QWidget* widget = testing_support::FindControl(form, order.front()->name);
    for (std::size_t i = 1; i < order.size(); ++i) {
        do widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus);
        QCOMPARE(widget->objectName(), QString(order[i]->name));
    }
}

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void mainWindow() {
        ui::Form1 form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        QWidget* window = form.Window();
        QCOMPARE(window->size(), QSize(959, 687));
        QCOMPARE(window->minimumSize(), window->maximumSize());  // fixed
        QVERIFY(window->windowTitle().trimmed().isEmpty());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

        QWidget* picture = testing_support::FindControl(form, "Picture1");
        QCOMPARE(picture->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
                 qsizetype(std::size(kMainWindow) - 1));
        for (const Row& row : kMainWindow) {
            CheckRow(testing_support::FindControl(form, row.name), row, row.kind == kPicture ? window : picture);
            if (QTest::currentTestFailed()) return;
        }
        CheckTabOrder(form, kMainWindow);
        // The window opens with the focus on the first of them.
        QTRY_COMPARE(QApplication::focusWidget(), picture);
    }

    void titleWindow() {
        ui::Form2 form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        QWidget* window = form.Window();
        QCOMPARE(window->size(), QSize(802, 632));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);  // no title bar
        QCOMPARE(window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
                 qsizetype(std::size(kTitleWindow)));
        for (const Row& row : kTitleWindow) {
            CheckRow(testing_support::FindControl(form, row.name), row, window);
            if (QTest::currentTestFailed()) return;
        }
        QTRY_COMPARE(QApplication::focusWidget(), testing_support::FindControl(form, "Command1"));
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
