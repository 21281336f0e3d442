#include "picture_box.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>

#include "platform.h"

namespace tk {

PictureBox::PictureBox(const QColor& background, QWidget* parent) : QWidget(parent), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

QRect PictureBox::ShownRect() const {
    // The area may be larger than its window; what lies outside is never seen.
    QRect shown = rect();
    if (parentWidget()) shown &= QRect(-pos(), parentWidget()->size());
    return shown;
}

template <class Draw>
void PictureBox::DrawOnImage(const QRectF& dirty, Draw draw) {
    const QRect shown = ShownRect();
    if (shown.isEmpty()) return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(shown.size()) * ratio).toSize();
    if (image_.size() != pixels || image_.devicePixelRatio() != ratio || imageOrigin_ != shown.topLeft()) {
        // The first drawing, or the window moved to a screen with another
        // pixel ratio: a new image, with what was drawn so far carried over.
        QImage image(pixels, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(background_);
        if (!image_.isNull()) QPainter(&image).drawImage(QPointF(imageOrigin_ - shown.topLeft()), image_);
        image_ = std::move(image);
        imageOrigin_ = shown.topLeft();
    }
    {
        QPainter painter(&image_);
        painter.translate(-imageOrigin_);
        // No smoothing of lines: the curves keep the pure palette colours of
        // the crisp grid and legend beside them.
        painter.setRenderHint(QPainter::Antialiasing, false);
        draw(painter);
    }
    // The part drawn on, a pixel to spare, cut to what can be seen first so
    // that far-off coordinates stay within range. Everything drawn since the
    // last paint goes to Qt as one growing rectangle, which it merges at once;
    // a region of hundreds of small ones costs more than the drawing.
    unpainted_ |= dirty.adjusted(-1, -1, 1, 1).intersected(QRectF(shown)).toAlignedRect();
    update(unpainted_);
}

void PictureBox::Line(float x1, float y1, float x2, float y2, int colour) {
    const QPointF from(x1, y1), to(x2, y2);
    DrawOnImage(QRectF(from, to).normalized(), [&](QPainter& painter) {
        // One pixel wide (scaled with the screen), solid; the square caps
        // set both end points.
        painter.setPen(QPen(PaletteColour(colour), 1, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(from, to);
    });
}

void PictureBox::ForeColor(int colour) { textColour_ = PaletteColour(colour); }

void PictureBox::Print(double number) {
    const QString text = PrintText(number);
    const QFontMetricsF metrics(font());
    const QRectF box(currentX_, currentY_, metrics.horizontalAdvance(text), metrics.height());
    DrawOnImage(box, [&](QPainter& painter) {
        painter.setFont(font());
        painter.setPen(textColour_);
        // drawText takes the baseline; the top-left corner of the text goes
        // to the current position.
        painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
    });
    // The position moves on to the end of the text, seen or not.
    currentX_ += static_cast<float>(box.width());
}

void PictureBox::Clear() {
    image_ = QImage();  // the memory goes back with the drawing
    update();
}

QImage PictureBox::Image() const {
    if (!image_.isNull()) return image_;
    const qreal ratio = devicePixelRatioF();
    QImage blank((QSizeF(ShownRect().size()) * ratio).toSize(), QImage::Format_RGB32);
    blank.setDevicePixelRatio(ratio);
    blank.fill(background_);
    return blank;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    unpainted_ = QRect();
    QPainter painter(this);
    // The kept image, and the background wherever it does not reach.
    const QRect imageRect(imageOrigin_, image_.deviceIndependentSize().toSize());
    for (const QRect& rect : QRegion(event->rect()).subtracted(imageRect)) painter.fillRect(rect, background_);
    if (!image_.isNull()) painter.drawImage(imageOrigin_, image_);
    if (hasFocus()) PaintFocusFrame(painter, event->rect());
}

QRegion PictureBox::FocusFrame() const {
    const QRect shown = ShownRect();
    const int w = kFocusFrameWidth;
    if (shown.width() <= 2 * w || shown.height() <= 2 * w) return QRegion(shown);
    return QRegion(shown).subtracted(shown.adjusted(w, w, -w, -w));
}

void PictureBox::PaintFocusFrame(QPainter& painter, const QRect& exposed) const {
    const QColor mark = palette().color(QPalette::Highlight);
    if (image_.isNull()) {
        for (const QRect& strip : FocusFrame().intersected(exposed)) painter.fillRect(strip, mark);
        return;
    }
    // Each strip of the frame is the kept image's own pixels there, with the
    // background ones turned into the mark, drawn where the image lies: the
    // device pixels of anything drawn stay exactly as they are.
    const qreal ratio = image_.devicePixelRatio();
    const QRgb background = background_.rgb();
    const QRgb markPixel = mark.rgb();
    for (const QRect& strip : FocusFrame().intersected(exposed)) {
        const QRectF logical = QRectF(strip.translated(-imageOrigin_));
        const QRect pixels =
            QRectF(logical.topLeft() * ratio, logical.size() * ratio).toAlignedRect().intersected(image_.rect());
        if (pixels.isEmpty()) continue;
        QImage part = image_.copy(pixels);
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                if (line[x] == background) line[x] = markPixel;
        }
        part.setDevicePixelRatio(ratio);
        const QRectF target(QPointF(pixels.topLeft()) / ratio + QPointF(imageOrigin_), QSizeF(pixels.size()) / ratio);
        painter.drawImage(target, part);
    }
}

void PictureBox::focusInEvent(QFocusEvent*) { update(FocusFrame()); }

void PictureBox::focusOutEvent(QFocusEvent*) { update(FocusFrame()); }

QString PrintText(double number) {
    if (number == 0) number = 0;  // no "-0"
    const QString digits = QString::number(number, 'f', QLocale::FloatingPointShortest);
    return (number >= 0 ? QStringLiteral(" ") : QString()) + digits + QStringLiteral(" ");
}

}  // namespace tk
