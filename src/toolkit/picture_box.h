// The picture area: a container for other controls with a background colour
// and a drawing surface in pixel coordinates (origin top-left, y down).
//
// What is drawn is kept in a backing image of the area, so covering,
// minimising and restoring, or exposing the window shows the drawing again.
// The backing image has the screen's device pixel ratio, so lines and text
// stay sharp on high-DPI screens.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

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

    // The backing image (device pixels, with its device pixel ratio).
    const QImage& Backing() const { return backing_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EnsureBacking();

    QColor background_;
    QImage backing_;
    QColor textColour_{Qt::black};
    float currentX_ = 0;
    float currentY_ = 0;
};

// How Print writes a number: one space in the sign position (a minus sign
// for a negative number), the shortest decimal form, one trailing space.
QString PrintText(double number);

}  // namespace tk
