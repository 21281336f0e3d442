// The kinds of control the windows are made of: command buttons (plain or
// graphical), single-line text boxes, self-sizing labels and icon images.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <functional>

namespace tk {

// A push button that is pressed by a click, the space bar, and also by Enter
// when it has the focus. A graphical button shows its 32 x 32 icon centred
// above its caption.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(const QString& caption, QWidget* parent);
    void SetGraphical(const QPixmap& icon);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap icon_;
    QPair<int, int> iconRows_{0, 31};  // first and last row with opaque pixels
};

// A single-line text box that hands every typed character, Enter (13)
// included, to its KeyPress handler before it handles the key as usual.
// An input method's composition shows on a tinted background: the boxes are
// too low for the underline input methods ask for.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    using KeyPressHandler = std::function<void(short& keyAscii)>;
    static constexpr QRgb kCompositionBackground = qRgb(255, 236, 160);
    explicit TextBox(QWidget* parent);
    void SetKeyPress(KeyPressHandler handler) { keyPress_ = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    KeyPressHandler keyPress_;
};

// A one-line label that sizes itself to its caption: opaque background,
// left-aligned, no wrapping, optionally with a thin sunken border. Its
// accessible name is its caption, so a screen reader reads what it shows.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(const QString& caption, QWidget* parent);
    void SetCaption(const QString& caption);
    void SetBorder(bool border);

private:
    void FitCaption();
};

// A 32 x 32 icon whose transparent pixels show what lies beneath; it can be
// clicked, and pressed by assistive technology, but never takes the focus.
class IconImage : public QLabel {
    Q_OBJECT
public:
    IconImage(const QPixmap& icon, QWidget* parent);
    // What a click does.
    void Click() { emit clicked(); }
    // Whether a handler listens to its clicks.
    bool IsClickable() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// The 32 x 32 image of an icon file (an .ico holds several sizes), as Qt's
// image readers decode it; a null pixmap when the file has none.
QPixmap LoadIcon32(const QString& path);

// Draws a picture at its own size in logical pixels. Where the screen's scale
// factor is a whole number, every pixel of the picture becomes a sharp square;
// at fractional factors it is smoothed, which looks better than squares of
// uneven sizes.
void DrawPixelArt(QPainter& painter, const QPoint& topLeft, const QPixmap& picture);

}  // namespace tk
