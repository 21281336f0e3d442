#include "platform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QWidget>
#include <array>

namespace tk {

namespace {

MessageBoxHandler& MessageBoxSlot() {
    static MessageBoxHandler handler;
    return handler;
}

EndHandler& EndSlot() {
    static EndHandler handler;
    return handler;
}

void RealMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.setFont(UiFont(12));
    box.exec();
}

void RealEnd() {
    // Hiding sends no close event, so no window's own close handling runs.
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
}

}  // namespace

QColor PaletteColour(int number) {
    static constexpr std::array<QRgb, 16> kPalette = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),     qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0),   qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),     qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0),   qRgb(255, 255, 255),
    };
    return QColor(kPalette[static_cast<std::size_t>(number) & 15]);
}

namespace {

// In order of preference: the classic face, its metric-compatible stand-in,
// then other Japanese sans-serif faces.
const char* const kFaces[] = {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic",    "IPA Pゴシック",
                              "Noto Sans CJK JP", "VL PGothic", "TakaoPGothic", "IPAGothic"};

QStringList FaceList() {
    QStringList faces;
    for (const char* face : kFaces) faces << QString::fromUtf8(face);
    return faces;
}

}  // namespace

QString UiFontFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& face : FaceList()) {
            if (installed.contains(face, Qt::CaseInsensitive)) return face;
        }
        return QString("sans-serif");
    }();
    return family;
}

QFont UiFont(int pixelSize, bool bold) {
    // The face is picked from the list when the font is first used, so that
    // building a window does not wait for the font database.
    QFont font;
    font.setFamilies(FaceList());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    if (bold && !QFontDatabase::styles(UiFontFamily()).contains(QStringLiteral("Bold"), Qt::CaseInsensitive)) {
        // A face without a bold style is emboldened by the platform; the
        // classic emboldening also widened every character by one pixel, and
        // the layout's label widths count on that.
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    }
    return font;
}

namespace {
QString& TitleSlot() {
    static QString title;
    return title;
}
}  // namespace

QString ApplicationTitle() { return TitleSlot(); }
void SetApplicationTitle(const QString& title) { TitleSlot() = title; }

void MessageBox(QWidget* parent, const QString& text) {
    if (MessageBoxSlot()) MessageBoxSlot()(parent, text);
    else RealMessageBox(parent, text);
}

void End() {
    if (EndSlot()) EndSlot()();
    else RealEnd();
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(MessageBoxSlot(), std::move(handler));
}

EndHandler SetEndHandler(EndHandler handler) { return std::exchange(EndSlot(), std::move(handler)); }

}  // namespace tk
