#include "accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

#include "controls.h"
#include "picture_box.h"

namespace tk {

namespace {

// An icon with a click handler is a button; any other is an image.
class IconImageAccessible : public QAccessibleWidget {
public:
    explicit IconImageAccessible(IconImage* icon) : QAccessibleWidget(icon) {}

    QAccessible::Role role() const override { return Icon()->IsClickable() ? QAccessible::Button : QAccessible::Graphic; }
    QStringList actionNames() const override {
        return Icon()->IsClickable() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && Icon()->IsClickable()) Icon()->Click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    IconImage* Icon() const { return static_cast<IconImage*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("tk::IconImage")) return new IconImageAccessible(static_cast<IconImage*>(widget));
    if (className == QLatin1String("tk::PictureBox"))
        return new QAccessibleWidget(widget, static_cast<PictureBox*>(widget)->AccessibleRole());
    // The toolkit's windows are plain widgets at the top level.
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

void Announce(QWidget* control, const QString& text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(control, text);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(control);
    Q_UNUSED(text);
#endif
}

}  // namespace tk
