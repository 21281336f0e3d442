#include "input_method.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QPointer>

namespace tk {

bool CompositionGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // A key the input method passed on: what follows is new input.
        committed_.clear();
    } else if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const bool plainCommit =
            !im->commitString().isEmpty() && im->preeditString().isEmpty() && im->replacementLength() == 0;
        if (plainCommit && im->commitString() == committed_) {
            committed_.clear();
            im->accept();
            return true;  // the input method's copy of a committed composition
        }
        if (!im->preeditString().isEmpty()) {
            composing_ = im->preeditString();
            committed_.clear();
        } else if (!im->commitString().isEmpty()) {
            committed_ = im->commitString() == composing_ ? composing_ : QString();
            composing_.clear();
        } else {
            composing_.clear();  // the composition was taken away; nothing committed
        }
    }
    return QObject::eventFilter(watched, event);
}

void InstallCompositionGuard() {
    static QPointer<CompositionGuard> guard;
    if (guard) return;
    guard = new CompositionGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
}

}  // namespace tk
