#include "picture_box.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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

int PictureBox::ColourIndex(QRgb colour) {
    colour |= 0xFF000000;
    if (const auto found = indexOf_.constFind(colour); found != indexOf_.cend()) return *found;
    if (colours_.size() < 256) {
        colours_.append(colour);
        indexOf_.insert(colour, int(colours_.size() - 1));
        backing_.setColorTable(colours_);
        return int(colours_.size() - 1);
    }
    // A full table (only ever from many shades of smoothed text): the
    // nearest colour it has.
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < colours_.size(); ++i) {
        const int dr = qRed(colours_[i]) - qRed(colour), dg = qGreen(colours_[i]) - qGreen(colour),
                  db = qBlue(colours_[i]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) bestDistance = distance, best = i;
    }
    return best;
}

bool PictureBox::Cover(const QRectF& needed) {
    const QRect shown = ShownRect();
    const QRectF visible = needed.intersected(QRectF(shown));
    if (visible.isEmpty()) return false;  // nothing of it can be seen
    const QRect wanted = visible.toAlignedRect().adjusted(-1, -1, 1, 1) & shown;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(shown.size()) * ratio).toSize();

    if (!rows_ || rowsSize_ != pixels || rowsRatio_ != ratio || rowsOrigin_ != shown.topLeft()) {
        // One byte for every pixel the window shows. Rows are only touched,
        // and so only take memory, once something is drawn on them.
        const QImage previous = backing_.isNull() ? QImage() : backing_.copy();
        const QRect previousExtent = extent_;
        stride_ = (qsizetype(pixels.width()) + 3) / 4 * 4;
        rows_.reset(new uchar[stride_ * pixels.height()]);
        rowsSize_ = pixels;
        rowsRatio_ = ratio;
        rowsOrigin_ = shown.topLeft();
        colours_ = {background_.rgb() | 0xFF000000};
        indexOf_ = {{colours_[0], 0}};
        backing_ = QImage();
        extent_ = QRect();
        if (!previous.isNull()) CarryOver(previous, previousExtent);
    }
    if (extent_.contains(wanted)) return true;

    // Widen the band of kept rows; the new rows start as background.
    const int top = extent_.isEmpty() ? wanted.top() : std::min(extent_.top(), wanted.top());
    const int bottom = extent_.isEmpty() ? wanted.bottom() : std::max(extent_.bottom(), wanted.bottom());
    const auto toPixel = [&](int y) {
        return std::clamp(int(std::floor((y - shown.top()) * ratio)), 0, pixels.height());
    };
    const int oldTop = extent_.isEmpty() ? 0 : toPixel(extent_.top());
    const int oldEnd = extent_.isEmpty() ? 0 : toPixel(extent_.bottom() + 1);
    const int newTop = toPixel(top);
    const int newEnd = toPixel(bottom + 1);
    for (int y = newTop; y < newEnd; ++y) {
        if (y < oldTop || y >= oldEnd) std::memset(rows_.get() + stride_ * y, 0, size_t(stride_));
    }
    bandTop_ = newTop;
    backing_ = QImage(rows_.get() + stride_ * newTop, pixels.width(), newEnd - newTop, stride_,
                      QImage::Format_Indexed8);
    backing_.setColorTable(colours_);
    backing_.setDevicePixelRatio(ratio);
    extent_ = QRect(shown.left(), top, shown.width(), bottom - top + 1);
    return true;
}

void PictureBox::CarryOver(const QImage& previous, const QRect& previousExtent) {
    // Drawn again at the new size or pixel ratio, pixel by pixel.
    if (!Cover(QRectF(previousExtent))) return;
    const QImage scaled = previous.convertToFormat(QImage::Format_RGB32)
                              .scaled((QSizeF(previousExtent.size()) * rowsRatio_).toSize());
    const QPoint offset = ((QPointF(previousExtent.topLeft() - rowsOrigin_)) * rowsRatio_).toPoint();
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x) SetPixel(offset.x() + x, offset.y() + y, ColourIndex(scaled.pixel(x, y)));
}

void PictureBox::SetPixel(int x, int y, int index) {
    if (x < 0 || y < 0 || x >= rowsSize_.width() || y >= rowsSize_.height()) return;
    if (y < bandTop_ || y >= bandTop_ + backing_.height()) return;
    rows_[stride_ * y + x] = uchar(index);
}

void PictureBox::Line(float x1, float y1, float x2, float y2, int colour) {
    // Clipped to the shown part (with a pixel to spare) before it is
    // stepped through, however far off its end points lie.
    const QRectF bounds = QRectF(ShownRect()).adjusted(-1, -1, 1, 1);
    double ax = x1, ay = y1, bx = x2, by = y2;
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - bounds.left(), bounds.right() - ax, ay - bounds.top(), bounds.bottom() - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return;  // parallel to this edge and outside it
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
    }
    if (t0 > t1 || !std::isfinite(t0) || !std::isfinite(t1)) return;
    bx = ax + t1 * dx, by = ay + t1 * dy;
    ax = ax + t0 * dx, ay = ay + t0 * dy;
    if (!Cover(QRectF(QPointF(ax, ay), QPointF(bx, by)).normalized().adjusted(-1, -1, 1, 1))) return;

    // A solid line one pixel wide (ratio pixels on a high-DPI screen) from
    // the pixel of one end point to that of the other, both included. No
    // smoothing: the curves keep the pure palette colours of the crisp grid
    // and legend beside them instead of turning into blurred, darker lines.
    const int index = ColourIndex(PaletteColour(colour).rgb());
    const double ratio = rowsRatio_;
    const QPointF origin = rowsOrigin_;
    int x = int(std::lround((ax - origin.x()) * ratio)), y = int(std::lround((ay - origin.y()) * ratio));
    const int xEnd = int(std::lround((bx - origin.x()) * ratio)), yEnd = int(std::lround((by - origin.y()) * ratio));
    const int width = std::max(1, int(std::lround(ratio)));
    const int stepX = x < xEnd ? 1 : -1, stepY = y < yEnd ? 1 : -1;
    const int spanX = std::abs(xEnd - x), spanY = -std::abs(yEnd - y);
    int error = spanX + spanY;
    for (;;) {
        for (int j = 0; j < width; ++j)
            for (int i = 0; i < width; ++i) SetPixel(x + i, y + j, index);
        if (x == xEnd && y == yEnd) break;
        const int twice = 2 * error;
        if (twice >= spanY) error += spanY, x += stepX;
        if (twice <= spanX) error += spanX, y += stepY;
    }
    update(extent_);
}

void PictureBox::ForeColor(int colour) { textColour_ = PaletteColour(colour); }

void PictureBox::Print(double number) {
    const QString text = PrintText(number);
    const QFontMetricsF metrics(font());
    const QRectF box(currentX_, currentY_, metrics.horizontalAdvance(text), metrics.height());
    // The position moves on to the end of the text, seen or not.
    currentX_ += static_cast<float>(box.width());
    if (!Cover(box)) return;

    // The text is drawn on its own, then laid over what lies beneath, its
    // smoothed edges blended with it.
    const QRect device = QRectF((box.topLeft() - QPointF(rowsOrigin_)) * rowsRatio_, box.size() * rowsRatio_)
                             .toAlignedRect();
    QImage glyphs(device.size(), QImage::Format_ARGB32_Premultiplied);
    glyphs.setDevicePixelRatio(rowsRatio_);
    glyphs.fill(Qt::transparent);
    {
        QPainter painter(&glyphs);
        painter.setFont(font());
        painter.setPen(textColour_);
        // drawText takes the baseline; the top-left corner of the text goes
        // to the current position.
        const QPointF shift = QPointF(device.topLeft()) / rowsRatio_ - (box.topLeft() - QPointF(rowsOrigin_));
        painter.drawText(QPointF(-shift.x(), metrics.ascent() - shift.y()), text);
    }
    for (int y = 0; y < glyphs.height(); ++y) {
        const int row = device.top() + y;
        if (row < bandTop_ || row >= bandTop_ + backing_.height()) continue;
        const auto* line = reinterpret_cast<const QRgb*>(glyphs.constScanLine(y));
        for (int x = 0; x < glyphs.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            const int column = device.left() + x;
            if (alpha == 0 || column < 0 || column >= rowsSize_.width()) continue;
            const QRgb under = colours_[rows_[stride_ * row + column]];
            // Premultiplied: the text's share plus what shows through.
            const auto blend = [&](int text, int back) { return text + back * (255 - alpha) / 255; };
            const QRgb result = qRgb(blend(qRed(line[x]), qRed(under)), blend(qGreen(line[x]), qGreen(under)),
                                     blend(qBlue(line[x]), qBlue(under)));
            SetPixel(column, row, ColourIndex(result));
        }
    }
    update(extent_);
}

void PictureBox::Clear() {
    backing_ = QImage();
    extent_ = QRect();
    rows_.reset();  // the memory goes back with the drawing
    update();
}

QImage PictureBox::Image() const {
    const qreal ratio = backing_.isNull() ? devicePixelRatioF() : backing_.devicePixelRatio();
    const QRect shown = ShownRect();
    QImage image((QSizeF(shown.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background_);
    if (!backing_.isNull()) {
        QPainter painter(&image);
        painter.drawImage(QRectF(extent_.topLeft() - shown.topLeft(), extent_.size()), backing_);
    }
    return image;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), background_);
    if (!backing_.isNull()) painter.drawImage(QRectF(extent_), backing_);
}

QString PrintText(double number) {
    if (number == 0) number = 0;  // no "-0"
    const QString digits = QString::number(number, 'f', QLocale::FloatingPointShortest);
    return (number >= 0 ? QStringLiteral(" ") : QString()) + digits + QStringLiteral(" ");
}

}  // namespace tk
