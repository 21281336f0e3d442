#include "form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <algorithm>
#include <map>
#include <vector>

#include "platform.h"

namespace tk {

// The top-level widget of a loaded Form.
class FormWindow : public QWidget {
public:
    FormWindow(Form* owner, QPixmap background) : owner_(owner), background_(std::move(background)) {}
    void Detach() { owner_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (owner_) {
            // The platform's close command: the form decides (by default it
            // unloads itself, which detaches this window).
            event->ignore();
            owner_->QueryUnload();
            if (owner_) return;
        }
        event->accept();
    }
    void changeEvent(QEvent* event) override {
        // The layout is fixed, and the window says so to the platform (its
        // minimum and maximum size are the same, and it has no maximise
        // box). Where the maximised state reaches it anyway, from a window
        // decoration that draws a maximise button whatever the window says
        // (Qt's own on Wayland) or from the window manager, the window hands
        // it back at once. (Full screen, an explicit command of the user, is
        // left to the window manager, which restores the window afterwards;
        // handed back at once, sway 1.10 leaves it at the screen's size.)
        if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized)) {
            setWindowState(windowState() & ~Qt::WindowMaximized);
        }
        QWidget::changeEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override {
        // In the normal state the window keeps its fixed size. Qt 6.8 on
        // Wayland takes the size the compositor configures even past the
        // maximum size (weston's maximised size, kept after the state is
        // handed back): the window goes back to its own size.
        const auto resized = [this] {
            return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) &&
                   minimumSize() == maximumSize() && size() != minimumSize();
        };
        if (resized()) {
            QMetaObject::invokeMethod(
                this, [this, resized] { if (resized()) resize(minimumSize()); }, Qt::QueuedConnection);
        }
        QWidget::resizeEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        DrawPixelArt(painter, QPoint(0, 0), background_);
    }

private:
    Form* owner_;
    QPixmap background_;  // drawn once at 0,0 at its own size
};

namespace {

QWidget* MakeControl(const ControlDef& def, QWidget* parent, const QFont& defaultFont) {
    const QString caption = QString::fromUtf8(def.caption ? def.caption : "");
    QWidget* widget = nullptr;
    switch (def.kind) {
    case ControlKind::PictureArea: {
        auto* picture = new PictureBox(QColor(def.backColour), parent);
        if (def.accessibleRole != QAccessible::NoRole) picture->SetAccessibleRole(def.accessibleRole);
        widget = picture;
        break;
    }
    case ControlKind::Button:
    case ControlKind::GraphicalButton: {
        auto* button = new CommandButton(caption, parent);
        if (def.kind == ControlKind::GraphicalButton) button->SetGraphical(LoadIcon32(QString::fromUtf8(def.icon)));
        widget = button;
        break;
    }
    case ControlKind::TextBox:
        widget = new TextBox(parent);
        break;
    case ControlKind::Label:
        widget = new Label(QString(), parent);
        break;
    case ControlKind::Icon:
        widget = new IconImage(LoadIcon32(QString::fromUtf8(def.icon)), parent);
        break;
    }
    widget->setObjectName(QString::fromLatin1(def.name));
    widget->setAccessibleName(QString::fromUtf8(def.accessibleName ? def.accessibleName : ""));
    widget->setAccessibleDescription(QString::fromUtf8(def.accessibleDescription ? def.accessibleDescription : ""));
    widget->setFont(def.font.pixels ? UiFont(def.font.pixels, def.font.bold) : defaultFont);

    // Controls in default colours take the platform's, not those of the
    // navy picture area they lie on (which paints its own background).
    QPalette palette = QApplication::palette(widget);
    if (def.foreColour != kDefaultColour) {
        palette.setColor(QPalette::WindowText, QColor(def.foreColour));
        palette.setColor(QPalette::ButtonText, QColor(def.foreColour));
        palette.setColor(QPalette::Text, QColor(def.foreColour));
    }
    if (def.backColour != kDefaultColour) {
        palette.setColor(QPalette::Window, QColor(def.backColour));
        palette.setColor(QPalette::Button, QColor(def.backColour));
    }
    if (def.kind != ControlKind::PictureArea) widget->setPalette(palette);
    widget->move(def.left, def.top);
    if (auto* label = qobject_cast<Label*>(widget)) {
        // Labels size themselves to their caption.
        label->SetBorder(def.border);
        label->SetCaption(caption);
    } else if (def.kind != ControlKind::Icon) {
        widget->resize(def.width, def.height);
    }
    return widget;
}

}  // namespace

Form::Form(const FormDef& form, std::span<const ControlDef> layout) : form_(form), layout_(layout) {}

Form::~Form() {
    if (window_) {
        static_cast<FormWindow*>(window_.data())->Detach();
        delete window_.data();
    }
}

void Form::Build() {
    QPixmap background = form_.backgroundPicture ? QPixmap(QString::fromUtf8(form_.backgroundPicture)) : QPixmap();
    auto* window = new FormWindow(this, std::move(background));
    window_ = window;
    Qt::WindowFlags flags = Qt::Window;
    if (form_.titleBar) {
        // A title bar with the system menu, minimise and close, but no
        // maximise box: the layout is fixed.
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    window->setWindowFlags(flags);
    // An empty title: Qt would show the application's name in place of an
    // empty one, so the title is a single blank.
    window->setWindowTitle(QStringLiteral(" "));
    window->setAccessibleName(QString::fromUtf8(form_.accessibleName ? form_.accessibleName : ""));
    window->setFixedSize(form_.clientWidth, form_.clientHeight);
    const QFont defaultFont = UiFont(form_.defaultFont.pixels, form_.defaultFont.bold);
    window->setFont(defaultFont);

    std::map<std::string, QWidget*> byName;
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlDef& def : layout_) {
        QWidget* parent = def.container ? byName.at(def.container) : window;
        QWidget* widget = MakeControl(def, parent, defaultFont);
        byName[def.name] = widget;
        if (def.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus) tabOrder.emplace_back(def.tabIndex, widget);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    ConnectHandlers();
    Form_Load();

    // The focus starts on the first control in tab order that can take it.
    for (const auto& [index, widget] : tabOrder) {
        if (!widget->isHidden()) {
            widget->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void Form::Show() {
    if (!window_) Build();
    window_->show();
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->raise();
    window_->activateWindow();
}

void Form::Unload() {
    if (!window_) return;
    auto* window = static_cast<FormWindow*>(window_.data());
    window_ = nullptr;
    window->Detach();
    // Closed now; deleted once the event that got us here has been handled,
    // since Unload usually runs inside a handler of one of its controls.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->close();
}

}  // namespace tk
