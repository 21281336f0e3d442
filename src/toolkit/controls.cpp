#include "controls.h"

#include <QImageReader>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextCharFormat>
#include <cmath>

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
    DrawPixelArt(painter, QPoint((width() - logical.width()) / 2 + shift, pictureTop - iconRows_.first + shift), icon_);
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
    FitCaption();
}

void Label::SetBorder(bool border) {
    // The thin sunken edge, 2 px on each side.
    setFrameStyle(border ? (QFrame::WinPanel | QFrame::Sunken) : QFrame::NoFrame);
    setLineWidth(border ? 2 : 0);
    FitCaption();
}

void Label::FitCaption() {
    // As wide as the text, and one line of the font high: the font's pixel
    // size, which the faces of the program fill from ascent to descent. Qt's
    // own size hint rounds ascent and descent up on their own and adds a
    // pixel or two.
    resize(sizeHint().width(), QFontInfo(font()).pixelSize() + 2 * frameWidth());
}

// ---- IconImage -------------------------------------------------------------

IconImage::IconImage(const QPixmap& icon, QWidget* parent) : QLabel(parent) {
    setPixmap(icon);
    setAutoFillBackground(false);  // transparent pixels show what lies beneath
    setFixedSize(32, 32);
}

bool IconImage::IsClickable() const { return isSignalConnected(QMetaMethod::fromSignal(&IconImage::clicked)); }

void IconImage::paintEvent(QPaintEvent*) {
    // Drawn here rather than by the label, which smooths the picture on a
    // high-DPI screen.
    QPainter painter(this);
    DrawPixelArt(painter, QPoint(0, 0), pixmap());
}

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

QPixmap LoadIcon32(const QString& path) {
    QImageReader reader(path);
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.size() == QSize(32, 32)) return QPixmap::fromImage(image);
    }
    return {};
}

void DrawPixelArt(QPainter& painter, const QPoint& topLeft, const QPixmap& picture) {
    const qreal ratio = painter.device()->devicePixelRatio();
    const bool wholeNumber = ratio == std::floor(ratio);
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !wholeNumber);
    painter.drawPixmap(topLeft, picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace tk
