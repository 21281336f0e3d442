// Services of the windowing platform that are not tied to one control: the
// 16-colour palette, the user-interface font, the warning message box and
// ending the program. The message box and the end are replaceable so that
// tests can answer the one and observe the other.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

class QWidget;

namespace tk {

// Colour number 0..15 of the classic 16-colour palette
// (10 light green, 12 light red, 14 yellow, 15 bright white, ...).
QColor PaletteColour(int number);

// The face every text of the program uses: "ＭＳ Ｐゴシック" where the system
// has it, else its metric-compatible stand-in IPAPGothic, else any Japanese
// sans-serif face. Sizes are pixel heights so the layout does not follow the
// screen's DPI setting.
QString UiFontFamily();
QFont UiFont(int pixelSize, bool bold = false);

// The application's title, the caption of the message box. (Not Qt's display
// name, which the platform would append to every window title.)
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// A modal warning with an exclamation icon and one OK button; returns when
// the user has closed it.
using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;
void MessageBox(QWidget* parent, const QString& text);

// Closes every window at once and ends the program with status 0; no window
// handler runs.
using EndHandler = std::function<void()>;
void End();

// Replace the message box or the end (tests); an empty function restores the
// real one. The returned value is the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
EndHandler SetEndHandler(EndHandler handler);

}  // namespace tk
