#include "accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

#include "controls.h"

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

}  // namespace tk
