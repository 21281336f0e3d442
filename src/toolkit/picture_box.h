// The picture area: a container for other controls with a background colour
// and a drawing surface in pixel coordinates (origin top-left, y down).
//
// What is drawn is kept in an image of the part of the area that its window
// shows, so covering, minimising and restoring, or exposing the window shows
// the drawing again. The image has the screen's device pixel ratio, so lines
// and text stay sharp on high-DPI screens.
//
// The area takes the keyboard focus. While it has it, a frame in the
// palette's highlight colour runs along the edges of what its window shows,
// over the background only: no pixel that was drawn on the area changes, and
// keys other than Tab do nothing. Assistive technology sees the area in the
// role it is given (a chart, say).
#pragma once

#include <QAccessible>
#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

namespace tk {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QColor& background, QWidget* parent);

    // A 1-px solid line in a colour of the 16-colour palette, both end
    // points included, not smoothed.
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

    // The role that assistive technology is told; set it before the area is
    // first shown. Default: a plain area (QAccessible::Client).
    void SetAccessibleRole(QAccessible::Role role) { accessibleRole_ = role; }
    QAccessible::Role AccessibleRole() const { return accessibleRole_; }

    // Width of the focus frame, in pixels.
    static constexpr int kFocusFrameWidth = 2;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QRect ShownRect() const;
    // The four strips of the focus frame along the shown part, in the
    // area's coordinates.
    QRegion FocusFrame() const;
    void PaintFocusFrame(QPainter& painter, const QRect& exposed) const;
    // Runs draw on a painter over the kept image, in the area's coordinates,
    // then repaints the part of the area it drew on (dirty, logical pixels).
    template <class Draw>
    void DrawOnImage(const QRectF& dirty, Draw draw);

    QColor background_;
    QImage image_;     // null until something is drawn, and after Clear
    QPoint imageOrigin_;  // where the image lies in the area
    QRect unpainted_;     // drawn on since the last paint
    QColor textColour_{Qt::black};
    float currentX_ = 0;
    float currentY_ = 0;
    QAccessible::Role accessibleRole_ = QAccessible::Client;
};

// How Print writes a number: one space in the sign position (a minus sign
// for a negative number), the shortest decimal form, one trailing space.
QString PrintText(double number);

}  // namespace tk
