#include "picture_box.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPaintEvent>

#include "platform.h"

namespace tk {

PictureBox::PictureBox(const QColor& background, QWidget* parent) : QWidget(parent), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::EnsureBacking() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!backing_.isNull() && backing_.size() == pixels && backing_.devicePixelRatio() == ratio) return;
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background_);
    if (!backing_.isNull()) {
        // Carry what was drawn over to the new size or pixel ratio.
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), backing_.deviceIndependentSize()), backing_);
    }
    backing_ = std::move(image);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    EnsureBacking();
    QWidget::resizeEvent(event);
}

void PictureBox::Line(float x1, float y1, float x2, float y2, int colour) {
    EnsureBacking();
    QPainter painter(&backing_);
    // No anti-aliasing: the curves are drawn in the same crisp 1-px line as
    // the yellow grid beside them and keep their pure palette colours.
    // Smoothed, they turn into blurred two-pixel lines in darker shades that
    // look out of place against the grid and the legend.
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Square caps: both end points are set, so every curve point shows on
    // its grid line (flat caps drop the end pixels of steep segments).
    painter.setPen(QPen(PaletteColour(colour), 1, Qt::SolidLine, Qt::SquareCap));
    if (x1 == x2 && y1 == y2) painter.drawPoint(QPointF(x1, y1));
    else painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    update();
}

void PictureBox::ForeColor(int colour) { textColour_ = PaletteColour(colour); }

void PictureBox::Print(double number) {
    EnsureBacking();
    const QString text = PrintText(number);
    QPainter painter(&backing_);
    painter.setFont(font());
    painter.setPen(textColour_);
    const QFontMetricsF metrics(font());
    // drawText takes the baseline; the top-left corner of the text goes to
    // the current position.
    painter.drawText(QPointF(currentX_, currentY_ + metrics.ascent()), text);
    currentX_ += static_cast<float>(metrics.horizontalAdvance(text));
    update();
}

void PictureBox::Clear() {
    EnsureBacking();
    backing_.fill(background_);
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    EnsureBacking();
    QPainter painter(this);
    painter.drawImage(event->rect(), backing_,
                      QRectF(QPointF(event->rect().topLeft()) * backing_.devicePixelRatio(),
                             QSizeF(event->rect().size()) * backing_.devicePixelRatio()));
}

QString PrintText(double number) {
    if (number == 0) number = 0;  // no "-0"
    const QString digits = QString::number(number, 'f', QLocale::FloatingPointShortest);
    return (number >= 0 ? QStringLiteral(" ") : QString()) + digits + QStringLiteral(" ");
}

}  // namespace tk
