// The main window as it opens: size, controls, colours, fonts, tab order,
// focus and load state, read back from the real widgets.
#include <QtTest>

#include "support/form_testing.h"
#include "toolkit/controls.h"
#include "toolkit/picture_box.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"

namespace {

constexpr QRgb kNavy = qRgb(0, 0, 128);

bool IsNavy(QRgb pixel) { return (pixel & 0xFFFFFF) == (kNavy & 0xFFFFFF); }

}  // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT

    ui::Form1* form = nullptr;

    template <class T = QWidget>
    T* W(const char* name) { return testing_support::FindControl<T>(*form, name); }

private slots:
    void init() {
        form = new ui::Form1;
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form->Window()));
    }
    void cleanup() {
        delete form;
        form = nullptr;
    }

    void windowIsFixedSizeWithEmptyTitle() {
        QWidget* window = form->Window();
        QCOMPARE(window->size(), QSize(959, 687));
        QCOMPARE(window->minimumSize(), QSize(959, 687));
        QCOMPARE(window->maximumSize(), QSize(959, 687));
        QVERIFY(window->windowTitle().trimmed().isEmpty());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
    }

    void everyControlOfTheTableExistsWithItsNameAndAccessibleName() {
        int count = 0;
        for (const tk::ControlDef& def : ui::Form1Layout()) {
            QWidget* widget = W(def.name);
            if (def.kind == tk::ControlKind::Label) {
                // Read by what it shows; the title, empty until 決定, by
                // what it is.
                QCOMPARE(widget->accessibleName(), QString::fromUtf8(def.caption));
                QVERIFY2(!widget->accessibleName().isEmpty() || !widget->accessibleDescription().isEmpty(), def.name);
            } else {
                QVERIFY2(!widget->accessibleName().isEmpty(), def.name);
            }
            if (def.container) QCOMPARE(widget->parentWidget(), W(def.container));
            ++count;
        }
        QCOMPARE(count, 39);
        QCOMPARE(W("Picture1")->parentWidget(), form->Window());
        QCOMPARE(W("Picture1")->findChildren<tk::Label*>().size(), 19);
        QCOMPARE(W("Picture1")->findChildren<tk::CommandButton*>().size(), 10);
        QCOMPARE(W("Picture1")->findChildren<tk::TextBox*>().size(), 6);
        QCOMPARE(W("Picture1")->findChildren<tk::IconImage*>().size(), 3);
    }

    void controlsSitWhereTheLayoutPutsThem() {
        QCOMPARE(W("Picture1")->geometry(), QRect(0, 0, 1017, 745));
        const std::vector<std::pair<const char*, QRect>> fixed = {
            {"Command1", {96, 40, 49, 25}},   {"Command4", {288, 40, 57, 25}},  {"Command5", {456, 40, 57, 25}},
            {"Command8", {656, 40, 57, 25}},  {"Text1", {96, 88, 49, 18}},      {"Text3", {224, 88, 33, 18}},
            {"Text5", {448, 96, 49, 18}},     {"Text6", {520, 96, 41, 18}},     {"Command9", {728, 96, 57, 41}},
            {"Command10", {816, 560, 57, 41}}, {"Image1", {56, 40, 32, 32}},    {"Image2", {408, 32, 32, 32}},
            {"Image3", {744, 16, 32, 32}},
        };
        for (const auto& [name, rect] : fixed) QCOMPARE(W(name)->geometry(), rect);

        // Labels keep their top-left corner and size themselves to their
        // caption: about the design width, one line high.
        const std::vector<std::tuple<const char*, QPoint, int>> labels = {
            {"Label7", {8, 8}, 119},    {"Label8", {440, 8}, 191},  {"Label16", {33, 305}, 48},
            {"Label12", {849, 265}, 98}, {"Label13", {848, 344}, 98}, {"Label14", {849, 417}, 98},
            {"Label20", {336, 648}, 400},
        };
        for (const auto& [name, topLeft, designWidth] : labels) {
            QWidget* label = W(name);
            QCOMPARE(label->pos(), topLeft);
            QVERIFY2(std::abs(label->width() - designWidth) <= designWidth / 10 + 4,
                     qPrintable(QString("%1 is %2 wide").arg(name).arg(label->width())));
            QVERIFY2(label->height() < 30, name);
        }
        // The longest hint stays on one line inside the window.
        QVERIFY(W("Label20")->geometry().right() < 959);
        QVERIFY(W("Label20")->geometry().bottom() < 687);
        QVERIFY(W("Label14")->geometry().right() < 959);
    }

    void legendLabelsHaveTheCurveColoursAndSitJustRightOfTheLeaderLines() {
        const std::vector<std::tuple<const char*, QRgb, QRgb>> legend = {
            {"Label12", qRgb(0, 0, 0), qRgb(255, 0, 0)},
            {"Label13", qRgb(0, 0, 0), qRgb(255, 255, 255)},
            {"Label14", qRgb(255, 255, 255), qRgb(0, 255, 0)},
        };
        for (const auto& [name, text, background] : legend) {
            QWidget* label = W(name);
            QCOMPARE(label->palette().color(QPalette::WindowText).rgb(), text);
            QCOMPARE(label->palette().color(QPalette::Window).rgb(), background);
            const int gap = label->x() - 847;
            QVERIFY2(gap >= 1 && gap <= 2, name);
            QCOMPARE(static_cast<QFrame*>(label)->frameWidth(), 2);
            // Painted: the middle of the label shows its background colour.
            const QImage image = label->grab().toImage();
            QCOMPARE(image.pixel(3, 3) & 0xFFFFFF, background & 0xFFFFFF);
        }
        QCOMPARE(W("Label11")->palette().color(QPalette::WindowText).rgb(), qRgb(192, 255, 192));
        QCOMPARE(W("Label20")->palette().color(QPalette::WindowText).rgb(), qRgb(255, 0, 0));
        QCOMPARE(W("Label6")->palette().color(QPalette::WindowText).rgb(), qRgb(255, 255, 192));
        QCOMPARE(W("Label17")->palette().color(QPalette::WindowText).rgb(), qRgb(255, 224, 192));
    }

    void fontsArePixelSizedJapaneseGothic() {
        const std::vector<std::tuple<const char*, int, bool>> fonts = {
            {"Text1", 16, true},  {"Label7", 16, true},   {"Label16", 24, false}, {"Label12", 19, true},
            {"Label20", 16, false}, {"Command1", 12, false}, {"Command10", 11, false}, {"Picture1", 12, false},
        };
        for (const auto& [name, pixels, bold] : fonts) {
            QCOMPARE(W(name)->font().pixelSize(), pixels);
            QCOMPARE(W(name)->font().bold(), bold);
            QCOMPARE(W(name)->font().italic(), false);
        }
    }

    void buttonsUseThePlatformColoursNotTheNavyArea() {
        const QColor face = QApplication::palette().color(QPalette::Button);
        QCOMPARE(W("Command1")->palette().color(QPalette::Button), face);
        const QImage button = W("Command1")->grab().toImage();
        QVERIFY(!IsNavy(button.pixel(button.width() / 2, 3)));
    }

    void iconsShowTheirPicturesOverTheNavyArea() {
        const QImage picture = W("Picture1")->grab().toImage();
        // The knob's transparent corner shows navy; its body does not.
        QVERIFY(IsNavy(picture.pixel(744 + 31, 16 + 31)));
        int drawn = 0;
        for (int y = 16; y < 48; ++y)
            for (int x = 744; x < 776; ++x) drawn += !IsNavy(picture.pixel(x, y));
        QVERIFY2(drawn > 200, qPrintable(QString::number(drawn)));
    }

    void graphicalButtonShowsItsIconAboveItsCaption() {
        auto* decide = W<tk::CommandButton>("Command9");
        decide->show();
        const QImage image = decide->grab().toImage();
        // Where the caption lies: the box around the dark text pixels of the
        // same button with a blank picture (away from its edges).
        tk::CommandButton blank(decide->text(), nullptr);
        QPixmap transparent(32, 32);
        transparent.fill(Qt::transparent);
        blank.SetGraphical(transparent);
        blank.setFont(decide->font());
        blank.resize(decide->size());
        const QImage caption = blank.grab().toImage();
        QRect text;
        for (int y = 3; y < caption.height() - 3; ++y)
            for (int x = 3; x < caption.width() - 3; ++x)
                if (qGray(caption.pixel(x, y)) < 80) text |= QRect(x, y, 1, 1);
        QVERIFY2(text.height() >= 5 && text.width() >= 10, "the blank button shows no caption");
        QVERIFY2(text.top() > decide->height() / 2, "the caption is not at the bottom");
        // The pencil is yellow: it shows above the caption, and none of it
        // inside the caption's box, where the caption is drawn just as on the
        // blank button.
        int yellowAbove = 0, yellowInCaption = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFF00) {
                    yellowAbove += y < text.top();
                    yellowInCaption += text.contains(x, y);
                }
        QVERIFY2(yellowAbove > 10, qPrintable(QString::number(yellowAbove)));
        QCOMPARE(yellowInCaption, 0);
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x)
                QVERIFY2((qGray(image.pixel(x, y)) < 80) == (qGray(caption.pixel(x, y)) < 80),
                         qPrintable(QString("caption pixel (%1,%2)").arg(x).arg(y)));
    }

    void tabOrderAndInitialFocus() {
        QTRY_COMPARE(QApplication::focusWidget(), W("Picture1"));
        const char* order[] = {"Picture1", "Command1", "Command2", "Command3", "Command4", "Command5",
                               "Command6", "Command7", "Command8", "Command9", "Command10", "Text1",
                               "Text2",    "Text3",    "Text4",    "Text5",    "Text6"};
        QWidget* widget = W(order[0]);
        for (std::size_t i = 1; i < std::size(order); ++i) {
            widget = widget->nextInFocusChain();
            while (widget && widget->focusPolicy() == Qt::NoFocus) widget = widget->nextInFocusChain();
            QCOMPARE(widget ? widget->objectName() : QString(), QString(order[i]));
        }
        // Tab from the picture area reaches the first era button.
        QTest::keyClick(W("Picture1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), W("Command1"));
    }

    void opensInItsLoadState() {
        for (const char* hidden : {"Command9", "Label11", "Command10"}) QVERIFY2(W(hidden)->isHidden(), hidden);
        for (int n = 1; n <= 8; ++n) QVERIFY(!W(qPrintable(QString("Command%1").arg(n)))->isHidden());
        for (int n = 1; n <= 6; ++n) QVERIFY(W<QLineEdit>(qPrintable(QString("Text%1").arg(n)))->text().isEmpty());
        // No chart: the grid area is plain navy.
        const QImage picture = W("Picture1")->grab().toImage();
        for (const QPoint p : {QPoint(120, 250), QPoint(500, 400), QPoint(740, 590)}) QVERIFY(IsNavy(picture.pixel(p)));
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
