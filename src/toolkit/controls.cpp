#include "controls.h"

#include <QFile>
#include <QtEndian>
#include <QResource>
#include <cstring>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextCharFormat>

namespace tk {

// ---- CommandButton ---------------------------------------------------------

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

void CommandButton::SetGraphical(const QPixmap& icon) {
    icon_ = icon;
    // The rows the picture actually covers, so that it can be centred in the
    // room above the caption even where the button is lower than icon and
    // caption together.
    const QImage image = icon.toImage();
    int top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) {
                top = std::min(top, y);
                bottom = y;
            }
    iconRows_ = bottom < 0 ? qMakePair(0, image.height() - 1) : qMakePair(top, bottom);
    update();
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    // Outside dialogs Qt's push buttons ignore Enter; these buttons take it
    // like the space bar.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::paintEvent(QPaintEvent* event) {
    if (icon_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    // The bevel as the style draws it, then the icon centred above the
    // caption, the caption at the bottom edge.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QFontMetrics metrics(font());
    const int shift = isDown() ? 1 : 0;
    const QRect textRect(0, height() - metrics.height() - 2 + shift, width(), metrics.height());
    const int pictureHeight = iconRows_.second - iconRows_.first + 1;
    const int pictureTop = std::max(2, (textRect.top() - pictureHeight) / 2);
    const QSize logical = icon_.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - logical.width()) / 2 + shift, pictureTop - iconRows_.first + shift, icon_);
    if (pictureTop + pictureHeight > textRect.top()) {
        // Too low for both: the caption stays legible on a patch of the
        // button face over the bottom of the picture.
        const int textWidth = metrics.horizontalAdvance(text()) + 4;
        painter.fillRect(QRect((width() - textWidth) / 2 + shift, textRect.top() + 1, textWidth, textRect.height() - 1),
                         palette().color(QPalette::Button));
    }
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect.translated(shift, 0), Qt::AlignHCenter | Qt::AlignVCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

// ---- TextBox ---------------------------------------------------------------

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMaxLength(std::numeric_limits<int>::max());
    setTextMargins(0, 0, 0, 0);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    // Every character goes to the handler first; the handler only reads it.
    // Enter arrives as 13 whichever Enter key was pressed.
    QString characters = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) characters = QStringLiteral("\r");
    if (keyPress_) {
        const QPointer<TextBox> self(this);
        for (const QChar ch : characters) {
            short keyAscii = static_cast<short>(ch.unicode());
            keyPress_(keyAscii);
            if (!self) return;  // the handler closed the window
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (event->preeditString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The tint lies under the input method's own formats, so the segment it
    // highlights while converting keeps its colours.
    QTextCharFormat tint;
    tint.setBackground(QColor(kCompositionBackground));
    QList<QInputMethodEvent::Attribute> attributes{
        {QInputMethodEvent::TextFormat, 0, int(event->preeditString().size()), tint}};
    attributes += event->attributes();
    QInputMethodEvent marked(event->preeditString(), attributes);
    marked.setCommitString(event->commitString(), event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&marked);
    event->setAccepted(marked.isAccepted());
}

// ---- Label -----------------------------------------------------------------

Label::Label(const QString& caption, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAutoFillBackground(true);
    setMargin(0);
    setIndent(0);
    SetCaption(caption);
}

void Label::SetCaption(const QString& caption) {
    setText(caption);
    setAccessibleName(caption);
    resize(sizeHint());
}

void Label::SetBorder(bool border) {
    // The thin sunken edge, 2 px on each side.
    setFrameStyle(border ? (QFrame::WinPanel | QFrame::Sunken) : QFrame::NoFrame);
    setLineWidth(border ? 2 : 0);
    resize(sizeHint());
}

// ---- IconImage -------------------------------------------------------------

IconImage::IconImage(const QPixmap& icon, QWidget* parent) : QLabel(parent) {
    setPixmap(icon);
    setAutoFillBackground(false);  // transparent pixels show what lies beneath
    setFixedSize(32, 32);
}

bool IconImage::IsClickable() const { return isSignalConnected(QMetaMethod::fromSignal(&IconImage::clicked)); }

void IconImage::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void IconImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) Click();
}

namespace {

// Reads the 32 x 32 image of an icon file with an indexed-colour bitmap
// (1, 4 or 8 bits a pixel) and a transparency mask, the form every icon of
// the program has. Decoding it here spares the start-up Qt's image-format
// plugins. Returns a null image for anything else.
QImage DecodeIcon32(const uchar* file, qsizetype size) {
    const auto u16 = [file](qsizetype at) { return qFromLittleEndian<quint16>(file + at); };
    const auto u32 = [file](qsizetype at) { return qFromLittleEndian<quint32>(file + at); };
    if (size < 6 || u16(0) != 0 || u16(2) != 1) return {};
    const int count = u16(4);
    for (int i = 0; i < count && size >= 6 + 16 * (i + 1); ++i) {
        const qsizetype entry = 6 + 16 * i;
        if (file[entry] != 32 || file[entry + 1] != 32) continue;
        const qsizetype dib = u32(entry + 12);
        if (dib + 40 > size || u32(dib) != 40) return {};
        const int bits = u16(dib + 14);
        if ((bits != 1 && bits != 4 && bits != 8) || u32(dib + 16) != 0) return {};
        const int colours = u32(dib + 32) ? int(u32(dib + 32)) : 1 << bits;
        const qsizetype palette = dib + 40;
        const qsizetype xorStride = ((32 * bits + 31) / 32) * 4;
        const qsizetype pixels = palette + 4 * colours;
        const qsizetype mask = pixels + xorStride * 32;
        if (colours > 256 || mask + 4 * 32 > size) return {};
        QImage image(32, 32, QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y) {
            const qsizetype row = 31 - y;  // bottom-up
            for (int x = 0; x < 32; ++x) {
                const bool transparent = file[mask + row * 4 + x / 8] & (0x80 >> (x % 8));
                const int bitOffset = x * bits;
                const int index =
                    (file[pixels + row * xorStride + bitOffset / 8] >> (8 - bits - bitOffset % 8)) & ((1 << bits) - 1);
                if (transparent || index >= colours) {
                    image.setPixel(x, y, 0);
                } else {
                    const qsizetype c = palette + 4 * index;  // blue, green, red, reserved
                    image.setPixel(x, y, qRgb(file[c + 2], file[c + 1], file[c]));
                }
            }
        }
        return image;
    }
    return {};
}

// The rows of a bottom-up, uncompressed 24-bit device-independent bitmap
// file, used where they lie: the image shows the picture upside down.
QImage BitmapRows24(const uchar* data, qsizetype size) {
    const auto u16 = [data](qsizetype at) { return qFromLittleEndian<quint16>(data + at); };
    const auto u32 = [data](qsizetype at) { return qFromLittleEndian<quint32>(data + at); };
    if (size < 54 || data[0] != 'B' || data[1] != 'M' || u32(14) != 40) return {};
    const qint32 width = qint32(u32(18)), height = qint32(u32(22));
    const qsizetype offset = u32(10);
    if (u16(28) != 24 || u32(30) != 0 || width <= 0 || height <= 0 || width > 16384 || height > 16384) return {};
    const qsizetype stride = (qsizetype(width) * 3 + 3) / 4 * 4;
    if (offset + stride * height > size) return {};
    return QImage(data + offset, width, height, stride, QImage::Format_BGR888);  // the file's byte order
}

}  // namespace

Picture LoadPicture(const QString& path) {
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression) {
        QImage rows = BitmapRows24(resource.data(), resource.size());
        if (!rows.isNull()) return {std::move(rows), true};
    }
    return {QImage(path), false};
}

void DrawPicture(QPainter& painter, const QPoint& topLeft, const Picture& picture) {
    if (picture.image.isNull()) return;
    if (!picture.bottomUp) {
        painter.drawImage(topLeft, picture.image);
        return;
    }
    painter.save();
    painter.translate(topLeft.x(), topLeft.y() + picture.image.height());
    painter.scale(1, -1);
    painter.drawImage(0, 0, picture.image);
    painter.restore();
}

QPixmap LoadIcon32(const QString& path) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QImage icon = DecodeIcon32(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
    // Any other picture: as Qt reads it, at 32 x 32.
    return QPixmap::fromImage(icon.isNull() ? QImage(path).scaled(32, 32, Qt::KeepAspectRatio) : icon);
}

}  // namespace tk
