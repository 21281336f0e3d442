// What assistive technology (screen readers, through AT-SPI on Linux) sees
// of the toolkit's controls beyond Qt's own view of them:
//   - an icon image that can be clicked is a push button whose press action
//     does what a click does; it still never takes the keyboard focus;
//   - a window of the program is a window (Qt shows a plain top-level widget
//     as a filler);
//   - a picture area has the role it was given (PictureBox::SetAccessibleRole).
#pragma once

class QString;
class QWidget;

namespace tk {

// Installs the toolkit's accessibility factory; call once, before the first
// window is shown.
void InstallAccessibility();

// Asks assistive technology to read the text out when it is free (a polite
// announcement), on behalf of the control. Where Qt cannot announce (before
// Qt 6.8) this does nothing: moving the focus to the control is what makes
// a screen reader read it there.
void Announce(QWidget* control, const QString& text);

}  // namespace tk
