// What assistive technology (screen readers, through AT-SPI on Linux) sees
// of the toolkit's controls beyond Qt's own view of them:
//   - an icon image that can be clicked is a push button whose press action
//     does what a click does; it still never takes the keyboard focus;
//   - a window of the program is a window (Qt shows a plain top-level widget
//     as a filler).
#pragma once

namespace tk {

// Installs the toolkit's accessibility factory; call once, before the first
// window is shown.
void InstallAccessibility();

}  // namespace tk
