// A window built from a table of controls. The Form object outlives its
// window: Show loads the window (builds the controls and runs Form_Load) when
// it is not loaded, Unload destroys the window and its controls, and the
// object with everything it holds stays for the next Show.
#pragma once

#include <QAccessible>
#include <QPointer>
#include <QRgb>
#include <QString>
#include <QWidget>
#include <span>

#include "controls.h"
#include "picture_box.h"

namespace tk {

enum class ControlKind { PictureArea, Button, GraphicalButton, TextBox, Label, Icon };

// A colour of the layout table: an RGB value, or the platform's default for
// the kind of control.
inline constexpr QRgb kDefaultColour = 0;  // alpha 0: never a real colour here
constexpr QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }

// Font of a control: pixel height and weight; 0 pixels is the window's
// default font.
struct FontDef {
    int pixels = 0;
    bool bold = false;
};

// One control of a window's layout, in pixels.
struct ControlDef {
    ControlKind kind;
    const char* name;      // the Qt object name
    const char* caption;   // button or label text
    int left, top, width, height;
    QRgb foreColour;
    QRgb backColour;
    FontDef font;
    int tabIndex;          // -1: takes no part in the tab order
    bool border;           // labels: thin sunken border
    const char* icon;      // icons and graphical buttons: resource path
    const char* container; // name of the control that holds it; nullptr: the window
    // What a screen reader reads: the name of a control without a caption of
    // its own (a label is always read by its caption), and what the control
    // is for where the name alone does not say it. nullptr: none.
    const char* accessibleName;
    const char* accessibleDescription = nullptr;
    // Picture areas: the role assistive technology is told (a chart, say);
    // NoRole: a plain area.
    QAccessible::Role accessibleRole = QAccessible::NoRole;
};

// The window itself.
struct FormDef {
    int clientWidth;
    int clientHeight;
    bool titleBar;                // false: no title bar and no frame
    FontDef defaultFont;
    const char* backgroundPicture; // drawn once at 0,0 at its own size; may be nullptr
    const char* accessibleName;
};

class FormWindow;

class Form {
public:
    Form(const FormDef& form, std::span<const ControlDef> layout);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the window if needed, then shows it without making it modal and
    // brings it to the front.
    void Show();
    // Destroys the window and its controls at once; this object stays.
    void Unload();
    bool IsLoaded() const { return !window_.isNull(); }
    QWidget* Window() const { return window_; }

    // Controls of the loaded window by name; nullptr when not loaded.
    template <class T>
    T* Control(const char* name) const {
        return window_ ? window_->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }

protected:
    // Connect the event handlers of the freshly built controls.
    virtual void ConnectHandlers() = 0;
    // The window's load step, run after the controls are built, before it shows.
    virtual void Form_Load() {}
    // The platform's close command on the window; the default unloads it.
    virtual void QueryUnload() { Unload(); }

private:
    friend class FormWindow;
    void Build();

    const FormDef& form_;
    std::span<const ControlDef> layout_;
    QPointer<QWidget> window_;  // a FormWindow while loaded
};

}  // namespace tk
