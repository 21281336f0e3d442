// The toolkit's controls and windows on Qt's offscreen platform.
#include <QFontDatabase>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QtTest>

#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/picture_box.h"
#include "toolkit/platform.h"
#include "support/text_pixels.h"

namespace {

constexpr QRgb kNavy = qRgb(0, 0, 128);
bool Is(QRgb pixel, QRgb colour) { return (pixel & 0xFFFFFF) == (colour & 0xFFFFFF); }

// The rows of the size x size image in an icon's text pixel map.
QStringList PixelMapRows(const QString& path, int size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    const int start = lines.indexOf(QString("size %1").arg(size));
    return start < 0 ? QStringList() : lines.mid(start + 1, size);
}

// A small window: a picture area holding a button, a text box, a label and
// an icon.
const tk::ControlDef kControls[] = {
    {tk::ControlKind::PictureArea, "Area", nullptr, 0, 0, 220, 120, tk::kDefaultColour, kNavy, {}, 0, false,
     nullptr, nullptr, "area"},
    {tk::ControlKind::Button, "Button", "押す", 10, 10, 49, 25, tk::kDefaultColour, tk::kDefaultColour, {}, 2, false,
     nullptr, "Area", "button"},
    {tk::ControlKind::TextBox, "Box", nullptr, 10, 50, 60, 20, tk::kDefaultColour, tk::kDefaultColour, {16, true}, 1,
     false, nullptr, "Area", "box"},
    {tk::ControlKind::Label, "Caption", "見出し", 100, 10, 6, 16, qRgb(255, 255, 255), kNavy, {16, true}, 3, true,
     nullptr, "Area", "label"},
    {tk::ControlKind::Icon, "Knob", nullptr, 150, 50, 32, 32, tk::kDefaultColour, tk::kDefaultColour, {}, -1, false,
     ":/icons/knob.ico", "Area", "icon"},
};
const tk::FormDef kWindow = {200, 100, true, {12, false}, nullptr, "test window"};

class TestForm : public tk::Form {
public:
    TestForm() : tk::Form(kWindow, kControls) {}
    int loads = 0;
    int connects = 0;
    int queryUnloads = 0;
    int state = 0;  // lives in the object, not in the window

protected:
    void ConnectHandlers() override { ++connects; }
    void QueryUnload() override {
        ++queryUnloads;
        tk::Form::QueryUnload();
    }
    void Form_Load() override {
        ++loads;
        Control<QWidget>("Caption")->hide();
    }
};

// Counts the close events that reach any widget.
class CloseEventCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Close;
        return false;
    }
};

}  // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void buttonIsPressedByEnterSpaceAndClick() {
        QWidget window;
        tk::CommandButton button("決定", &window);
        QSignalSpy clicked(&button, &QPushButton::clicked);
        window.show();
        button.setFocus();
        QTest::keyClick(&button, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        QTest::keyClick(&button, Qt::Key_Enter);
        QCOMPARE(clicked.count(), 2);
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(clicked.count(), 3);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 4);
        // Holding Enter down does not press it again and again.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QApplication::sendEvent(&button, &repeat);
        QCOMPARE(clicked.count(), 4);
    }

    void textBoxHandsEveryCharacterToKeyPressFirst() {
        QWidget window;
        tk::TextBox box(&window);
        std::vector<std::pair<short, QString>> seen;  // code, text of the box at that moment
        box.SetKeyPress([&](short& key) { seen.emplace_back(key, box.text()); });
        window.show();
        box.setFocus();
        QTest::keyClicks(&box, "5a");
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Enter);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QString("5"));  // the box still did its usual work
        QCOMPARE(seen.size(), std::size_t(5));
        QCOMPARE(seen[0].first, short('5'));
        QCOMPARE(seen[0].second, QString());  // before the box took the key
        QCOMPARE(seen[1].first, short('a'));
        QCOMPARE(seen[2].first, short(13));
        QCOMPARE(seen[2].second, QString("5a"));
        QCOMPARE(seen[3].first, short(13));
        QCOMPARE(seen[4].first, short(8));
        // Arrow keys type no character and reach no handler.
        QTest::keyClick(&box, Qt::Key_Left);
        QCOMPARE(seen.size(), std::size_t(5));
    }

    void labelSizesItselfToItsCaption() {
        QWidget window;
        tk::Label label("", &window);
        label.setFont(tk::UiFont(16, true));
        label.SetCaption("");
        const int emptyWidth = label.width();
        QVERIFY2(emptyWidth <= 6, qPrintable(QString::number(emptyWidth)));  // shows nothing
        label.SetCaption("グレゴリオ暦（西暦） 2005年 4月のバイオリズム");
        const int longWidth = label.width();
        QVERIFY2(longWidth > 300, qPrintable(QString::number(longWidth)));
        QCOMPARE(label.height(), 16);  // one line of its 16-px font
        label.SetCaption("短い");
        QVERIFY(label.width() < longWidth / 4);
        QVERIFY(!label.wordWrap());
        label.SetBorder(true);  // 2 px on each side
        QCOMPARE(label.height(), 20);
        QVERIFY(label.width() >= label.fontMetrics().horizontalAdvance("短い") + 4);
    }

    void iconClickNeedsPressAndReleaseInside() {
        QWidget window;
        tk::IconImage icon(tk::LoadIcon32(":/icons/knob.ico"), &window);
        QCOMPARE(icon.pixmap().size(), QSize(32, 32));
        QSignalSpy clicked(&icon, &tk::IconImage::clicked);
        window.show();
        QTest::mouseClick(&icon, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(clicked.count(), 1);
        QTest::mousePress(&icon, Qt::LeftButton, {}, QPoint(16, 16));
        QTest::mouseRelease(&icon, Qt::LeftButton, {}, QPoint(60, 60));  // dragged off
        QCOMPARE(clicked.count(), 1);
        QTest::mouseClick(&icon, Qt::RightButton, {}, QPoint(16, 16));
        QCOMPARE(clicked.count(), 1);
    }

    void iconsShowTheirOwn32PixelImage() {
        // The pixel maps the icon files are made from, read independently.
        const QColor palette[16] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},   {128, 0, 128},
            {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
        };
        for (const char* name : {"hand", "pencil", "book", "knob", "books"}) {
            const QStringList map = PixelMapRows(QString(BIORHYTHM_ICON_DIR "/%1.txt").arg(name), 32);
            QCOMPARE(map.size(), 32);
            const QImage icon = tk::LoadIcon32(QString(":/icons/%1.ico").arg(name)).toImage();
            QCOMPARE(icon.size(), QSize(32, 32));
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    const QChar c = map[y][x];
                    const QRgb pixel = icon.pixel(x, y);
                    if (c == '.') {
                        QVERIFY2(qAlpha(pixel) == 0, qPrintable(QString("%1 (%2,%3)").arg(name).arg(x).arg(y)));
                    } else {
                        QVERIFY2(pixel == palette[QString(c).toInt(nullptr, 16)].rgb(),
                                 qPrintable(QString("%1 (%2,%3)").arg(name).arg(x).arg(y)));
                    }
                }
        }
        QVERIFY(tk::LoadIcon32(":/no/such.ico").isNull());
    }

    void pixelArtIsSharpAtWholeScaleFactorsAndSmoothedBetween() {
        const QPixmap icon = tk::LoadIcon32(":/icons/knob.ico");
        const QImage source = icon.toImage().convertToFormat(QImage::Format_ARGB32);
        bool hintGivenBack = true;
        const auto drawnAt = [&](qreal ratio) {
            QImage target((QSizeF(40, 40) * ratio).toSize(), QImage::Format_ARGB32);
            target.setDevicePixelRatio(ratio);
            target.fill(kNavy);
            QPainter painter(&target);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);  // the caller's hint is overridden...
            tk::DrawPixelArt(painter, QPoint(4, 4), icon);
            hintGivenBack &= painter.testRenderHint(QPainter::SmoothPixmapTransform);  // ...and given back
            return target;
        };
        // 1x: the picture itself; 2x and 3x: each of its pixels a square of
        // exactly its colour, on the same spot.
        for (const int ratio : {1, 2, 3}) {
            const QImage drawn = drawnAt(ratio);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    const QRgb want = qAlpha(source.pixel(x, y)) ? source.pixel(x, y) : kNavy;
                    for (int j = 0; j < ratio; ++j)
                        for (int i = 0; i < ratio; ++i)
                            QVERIFY2(drawn.pixel((4 + x) * ratio + i, (4 + y) * ratio + j) == want,
                                     qPrintable(QString("%1x at (%2,%3)").arg(ratio).arg(x).arg(y)));
                }
        }
        // 1.5x: smoothed, so colours between those of the picture appear,
        // and still at its own size in logical pixels.
        const QImage between = drawnAt(1.5);
        QSet<QRgb> sourceColours{kNavy};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) sourceColours.insert(source.pixel(x, y));
        int blended = 0;
        for (int y = 0; y < between.height(); ++y)
            for (int x = 0; x < between.width(); ++x) blended += !sourceColours.contains(between.pixel(x, y));
        QVERIFY2(blended > 20, qPrintable(QString::number(blended)));
        QCOMPARE(between.pixel(2, 2), kNavy);                 // left of and above the picture
        QCOMPARE(between.pixel(57, 57), kNavy);               // right of and below it (36 * 1.5 = 54)
        QVERIFY(hintGivenBack);
    }

    void pictureBoxDrawsKeepsAndClears() {
        tk::PictureBox picture(QColor(kNavy), nullptr);
        picture.resize(300, 200);
        picture.setFont(tk::UiFont(12));
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        picture.Line(10, 100, 200, 100, 14);
        picture.Line(50, 20, 50, 180, 12);
        picture.ForeColor(15);
        picture.CurrentX(100);
        picture.CurrentY(150);
        picture.Print(7);
        const QImage backing = picture.Image();
        QCOMPARE(backing.pixel(120, 100), qRgb(255, 255, 0));
        QCOMPARE(backing.pixel(50, 60), qRgb(255, 0, 0));
        QCOMPARE(backing.pixel(50, 100), qRgb(255, 0, 0));  // drawn later, on top
        QCOMPARE(backing.pixel(5, 5), kNavy);
        // The printed number: white pixels near its top-left corner, none left
        // of it or above it.
        const int white = testing_support::TextPixels(backing, QRect(100, 150, 20, 16), kNavy, qRgb(255, 255, 255));
        QVERIFY2(white >= 8, qPrintable(QString("%1 pixels of white text").arg(white)));
        for (int x = 90; x < 100; ++x) QCOMPARE(backing.pixel(x, 155), kNavy);
        QVERIFY(picture.CurrentX() > 100);  // moved on past the text

        // What is drawn survives hiding and showing the area.
        picture.hide();
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        const QImage shown = picture.grab().toImage();
        QCOMPARE(shown.pixel(120, 100), qRgb(255, 255, 0));
        QCOMPARE(shown.pixel(50, 60), qRgb(255, 0, 0));

        picture.Clear();
        const QImage cleared = picture.grab().toImage();
        for (const QPoint p : {QPoint(120, 100), QPoint(50, 60), QPoint(103, 156), QPoint(5, 5)})
            QCOMPARE(cleared.pixel(p), kNavy);
    }

    void drawingOutsideTheShownPartKeepsNothing() {
        QWidget window;
        window.resize(100, 80);
        tk::PictureBox picture(QColor(kNavy), &window);
        picture.setGeometry(0, 0, 200, 200);  // larger than its window
        picture.Line(150, 10, 190, 10, 14);   // beyond the window's edge
        QCOMPARE(picture.Image().size(), QSize(100, 80));
        const auto navyPixels = [&picture] {
            const QImage image = picture.Image();
            int navy = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) navy += Is(image.pixel(x, y), kNavy);
            return navy;
        };
        QCOMPARE(navyPixels(), 100 * 80);
        picture.Line(0, 50, 1000, 50, 14);    // runs on past the edge
        QCOMPARE(picture.Image().size(), QSize(100, 80));
        QVERIFY(Is(picture.Image().pixel(99, 50), qRgb(255, 255, 0)));
        QCOMPARE(navyPixels(), 100 * 80 - 100);
        picture.Line(-1e30f, 1e30f, 5, 5, 12);  // absurd coordinates do no harm
    }

    void printWritesSignDigitsAndTrailingSpace() {
        QCOMPARE(tk::PrintText(1), QString(" 1 "));
        QCOMPARE(tk::PrintText(31), QString(" 31 "));
        QCOMPARE(tk::PrintText(-2), QString("-2 "));
        QCOMPARE(tk::PrintText(4.5), QString(" 4.5 "));
        QCOMPARE(tk::PrintText(0), QString(" 0 "));
    }

    void paletteColoursAreTheClassicSixteen() {
        QCOMPARE(tk::PaletteColour(10).rgb(), qRgb(0, 255, 0));
        QCOMPARE(tk::PaletteColour(12).rgb(), qRgb(255, 0, 0));
        QCOMPARE(tk::PaletteColour(14).rgb(), qRgb(255, 255, 0));
        QCOMPARE(tk::PaletteColour(15).rgb(), qRgb(255, 255, 255));
        QCOMPARE(tk::PaletteColour(1).rgb(), qRgb(0, 0, 128));
    }

    void formLoadsUnloadsAndKeepsItsObject() {
        TestForm form;
        QVERIFY(!form.IsLoaded());
        QCOMPARE(form.Control<QWidget>("Button"), nullptr);
        form.Show();
        QVERIFY(form.IsLoaded());
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        QCOMPARE(form.loads, 1);
        QCOMPARE(form.Window()->size(), QSize(200, 100));
        QVERIFY(form.Window()->windowTitle().trimmed().isEmpty());
        QVERIFY(!(form.Window()->windowFlags() & Qt::WindowMaximizeButtonHint));
        // Controls are named, placed and nested as the table says.
        auto* button = form.Control<tk::CommandButton>("Button");
        QVERIFY(button);
        QCOMPARE(button->geometry(), QRect(10, 10, 49, 25));
        QCOMPARE(button->parentWidget(), form.Control<QWidget>("Area"));
        QCOMPARE(button->accessibleName(), QString("button"));
        QVERIFY(form.Control<QWidget>("Caption")->isHidden());  // Form_Load ran
        // Focus starts on the first control in tab order: the area (0).
        QTRY_COMPARE(QApplication::focusWidget(), form.Control<QWidget>("Area"));
        QCOMPARE(form.Control<QWidget>("Area")->nextInFocusChain(), form.Control<QWidget>("Box"));

        // Showing a loaded window again does not load it again.
        form.state = 42;
        form.Show();
        QCOMPARE(form.loads, 1);

        QPointer<QWidget> oldButton = button;
        form.Unload();
        QVERIFY(!form.IsLoaded());
        QTRY_VERIFY(oldButton.isNull());  // the controls are destroyed
        QCOMPARE(form.state, 42);         // the object and its state stay

        form.Show();
        QCOMPARE(form.loads, 2);
        QCOMPARE(form.connects, 2);
        QVERIFY(form.Control<QWidget>("Caption")->isHidden());
        form.Unload();
    }

    void platformCloseUnloadsTheForm() {
        TestForm form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        QPointer<QWidget> window = form.Window();
        QVERIFY(window->close());
        QVERIFY(!form.IsLoaded());
        QTRY_VERIFY(window.isNull());
        form.Show();
        QVERIFY(form.IsLoaded());
        QCOMPARE(form.loads, 2);
    }

    // What a window decoration's maximise button or the window manager asks
    // of the window itself (Qt's Wayland decoration toggles the QWindow's
    // state): the window gives the maximised state back and keeps its size;
    // other states stay as asked (full screen is left to the window manager).
    void fixedWindowRefusesTheMaximisedState_data() {
        QTest::addColumn<Qt::WindowStates>("asked");
        QTest::addColumn<Qt::WindowStates>("kept");
        QTest::newRow("maximised") << Qt::WindowStates(Qt::WindowMaximized) << Qt::WindowStates();
        QTest::newRow("maximised, full screen")
            << (Qt::WindowMaximized | Qt::WindowFullScreen) << Qt::WindowStates(Qt::WindowFullScreen);
        QTest::newRow("full screen") << Qt::WindowStates(Qt::WindowFullScreen)
                                     << Qt::WindowStates(Qt::WindowFullScreen);
        QTest::newRow("minimised") << Qt::WindowStates(Qt::WindowMinimized) << Qt::WindowStates(Qt::WindowMinimized);
    }
    void fixedWindowRefusesTheMaximisedState() {
        QFETCH(Qt::WindowStates, asked);
        QFETCH(Qt::WindowStates, kept);
        TestForm form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        QWindow* window = form.Window()->windowHandle();
        QVERIFY(window);
        window->setWindowStates(asked);
        QTRY_COMPARE(window->windowStates(), kept);
        QTest::qWait(50);  // nothing comes back later
        QCOMPARE(window->windowStates(), kept);
        QCOMPARE(form.Window()->windowState(), kept);
        // Full screen is the platform's to size (offscreen it fills the screen).
        if (kept & Qt::WindowFullScreen) {
            form.Unload();
            return;
        }
        QCOMPARE(form.Window()->size(), QSize(200, 100));
        // Shown again, the window is back at its size.
        form.Show();
        QTRY_VERIFY(!(form.Window()->windowState() & Qt::WindowMinimized));
        QCOMPARE(form.Window()->size(), QSize(200, 100));
        form.Unload();
    }

    // A size given to the platform window past the widget's fixed size (as
    // Qt 6.8 on Wayland passes on the compositor's): back to its own size.
    void fixedWindowReturnsToItsSizeWhenThePlatformResizesIt() {
        TestForm form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(form.Window()));
        form.Window()->windowHandle()->resize(300, 250);
        QTRY_COMPARE(form.Window()->windowHandle()->size(), QSize(200, 100));
        QCOMPARE(form.Window()->size(), QSize(200, 100));
        form.Unload();
    }

    void endHidesEveryWindowWithoutItsCloseHandlingAndExitsWithZero() {
        TestForm first, second;
        first.Show();
        second.Show();
        QVERIFY(QTest::qWaitForWindowExposed(second.Window()));
        CloseEventCounter closes;
        qApp->installEventFilter(&closes);
        QTimer::singleShot(0, [] { tk::End(); });
        QTimer::singleShot(5000, [] { QApplication::exit(1); });  // End did not end the loop
        const int status = QApplication::exec();
        qApp->removeEventFilter(&closes);
        QCOMPARE(status, 0);
        QCOMPARE(closes.count, 0);
        QCOMPARE(first.queryUnloads + second.queryUnloads, 0);
        QVERIFY(!first.Window()->isVisible());
        QVERIFY(!second.Window()->isVisible());
    }

    void messageBoxAndEndAreReplaceable() {
        QStringList shown;
        int ends = 0;
        auto oldBox = tk::SetMessageBoxHandler([&](QWidget*, const QString& text) { shown << text; });
        auto oldEnd = tk::SetEndHandler([&] { ++ends; });
        tk::MessageBox(nullptr, "テスト");
        tk::End();
        QCOMPARE(shown, QStringList{"テスト"});
        QCOMPARE(ends, 1);
        tk::SetMessageBoxHandler(oldBox);
        tk::SetEndHandler(oldEnd);
    }

    void realMessageBoxIsAWarningWithOneOkButton() {
        tk::SetApplicationTitle("タイトル");
        // Answer the modal box from inside its own event loop.
        QString caption, text;
        int buttons = -1;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            QTest::keyClick(box, Qt::Key_Return);
        });
        tk::MessageBox(nullptr, "入力の誤りです。");
        QCOMPARE(caption, QString("タイトル"));
        QCOMPARE(text, QString("入力の誤りです。"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, 1);
    }

    void fontIsTheClassicGothicElseItsStandInElseAJapaneseFace() {
        const QFont font = tk::UiFont(16, true);
        QCOMPARE(font.pixelSize(), 16);
        QVERIFY(font.bold());
        const QString family = tk::UiFontFamily();
        QCOMPARE(QFontInfo(font).family(), family);  // the font resolves to the chosen face
        // In order of preference: "ＭＳ Ｐゴシック" (under either of its names),
        // then its metric-compatible stand-in IPAPGothic, then any face that
        // writes Japanese.
        const QStringList installed = QFontDatabase::families();
        const auto has = [&installed](const char* face) { return installed.contains(QString::fromUtf8(face)); };
        if (has("ＭＳ Ｐゴシック") || has("MS PGothic")) {
            QVERIFY2(family == "ＭＳ Ｐゴシック" || family == "MS PGothic", qPrintable(family));
        } else if (has("IPAPGothic")) {
            QCOMPARE(family, QString("IPAPGothic"));
        } else {
            QVERIFY2(!qEnvironmentVariableIsSet("CI"), "the set-up installs IPAPGothic (fonts-ipafont-gothic)");
            QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese), qPrintable(family));
        }
    }
};

QTEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
