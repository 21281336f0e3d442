// The picture area: a container for other controls with a background colour
// and a drawing surface in pixel coordinates (origin top-left, y down).
//
// What is drawn is kept in a backing image of the part of the area that has
// been drawn on and that its window shows, so covering, minimising and
// restoring, or exposing the window shows the drawing again.
// The backing image has the screen's device pixel ratio, so lines and text
// stay sharp on high-DPI screens.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QWidget>
#include <memory>

namespace tk {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QColor& background, QWidget* parent);

    // A 1-px solid line in a colour of the 16-colour palette.
    void Line(float x1, float y1, float x2, float y2, int colour);
    // Colour of text printed afterwards (palette number).
    void ForeColor(int colour);
    // Top-left corner of the next printed text.
    void CurrentX(float x) { currentX_ = x; }
    void CurrentY(float y) { currentY_ = y; }
    float CurrentX() const { return currentX_; }
    float CurrentY() const { return currentY_; }
    // Writes a number as PrintText gives it, in the area's font, with no
    // background box; the position moves on to the end of the text.
    void Print(double number);
    // Erases everything drawn: the area shows its background colour again.
    void Clear();

    // What the area shows of its drawing: the part inside its parent, in
    // device pixels with the device pixel ratio.
    QImage Image() const;
    // The band (logical pixels) that the backing image covers; empty when
    // nothing has been drawn since the last clear.
    QRect Extent() const { return extent_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect ShownRect() const;
    // Makes the band of kept rows cover what can be seen of the given
    // rectangle; false when none of it can be seen.
    bool Cover(const QRectF& needed);
    void CarryOver(const QImage& previous, const QRect& previousExtent);
    void SetPixel(int x, int y, int index);  // device pixels of the whole shown part
    int ColourIndex(QRgb colour);

    QColor background_;
    // The drawing is kept as one byte a pixel, an index into colours_: the
    // chart's few palette colours and the shades of its smoothed text. Only
    // the band of rows drawn on is kept; it is a view into a buffer laid out
    // for every shown row, so it widens in place, and rows take memory only
    // once they are drawn on.
    std::unique_ptr<uchar[]> rows_;
    qsizetype stride_ = 0;
    QSize rowsSize_;
    qreal rowsRatio_ = 0;
    QPoint rowsOrigin_;
    int bandTop_ = 0;  // first device row of the band
    QList<QRgb> colours_;
    QHash<QRgb, int> indexOf_;
    QImage backing_;  // the band, as an indexed image
    QRect extent_;    // the band in logical pixels
    QColor textColour_{Qt::black};
    float currentX_ = 0;
    float currentY_ = 0;
};

// How Print writes a number: one space in the sign position (a minus sign
// for a negative number), the shortest decimal form, one trailing space.
QString PrintText(double number);

}  // namespace tk
