#include "input_method.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLoggingCategory>
#include <QPointer>

#include <utility>

namespace tk {
namespace {

// QT_LOGGING_RULES="biorhythm.inputmethod.debug=true" shows every
// input-method event the guard sees and what it did.
Q_LOGGING_CATEGORY(lcInputMethod, "biorhythm.inputmethod", QtWarningMsg)

bool IsPress(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
           type == QEvent::TouchBegin || type == QEvent::TabletPress;
}

}  // namespace

void CompositionGuard::Arm(const QString& text) {
    copy_ = text;
    armed_.start();
    armedThisTurn_ = true;
    ExpireAtNextTurn();
    qCDebug(lcInputMethod) << "Qt committed" << text << "itself; awaiting the input method's copy";
}

void CompositionGuard::Disarm() {
    if (copy_.isEmpty()) return;
    qCDebug(lcInputMethod) << "no copy of" << copy_ << "awaited any more";
    copy_.clear();
}

void CompositionGuard::ExpireAtNextTurn() {
    QMetaObject::invokeMethod(
        this,
        [this, turn = ++turn_] {
            if (turn != turn_) return;
            pending_.clear();
            onComposition_ = false;
            armedThisTurn_ = false;
        },
        Qt::QueuedConnection);
}

bool CompositionGuard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || (IsPress(type) && !armedThisTurn_)) {
        // The user does something new: no copy is awaited any more, and no
        // commit seen so far can be Qt's own. (The press that made Qt
        // commit reaches the widget it lands on after the guard armed.)
        Disarm();
        pending_.clear();
    }
    if ((IsPress(type) || type == QEvent::MouseButtonRelease) && !composition_.isEmpty() &&
        watched == QGuiApplication::focusObject()) {
        // A box hands a click on its composition to the input method, and
        // Qt's context then commits it itself, while the box handles it.
        onComposition_ = true;
        ExpireAtNextTurn();
    }
    if (type == QEvent::FocusAboutToChange) {
        // Qt commits the composition just before it tells the box that the
        // focus leaves it.
        if (!pending_.isEmpty() && watched == pendingIn_) Arm(std::exchange(pending_, QString()));
    } else if (type == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const QString commit = im->commitString();
        const QString preedit = im->preeditString();
        const bool plainCommit = !commit.isEmpty() && preedit.isEmpty() && im->replacementLength() == 0;
        qCDebug(lcInputMethod) << watched << "preedit" << preedit << "commit" << commit;
        if (!copy_.isEmpty()) {
            if (plainCommit && commit == copy_ && armed_.elapsed() <= kCopyWindowMs) {
                qCDebug(lcInputMethod) << "dropped the input method's copy" << commit << "after"
                                       << armed_.elapsed() << "ms";
                Disarm();
                im->accept();
                return true;
            }
            // Anything but the empty update that may come with the copy means
            // the input method has moved on.
            if (!commit.isEmpty() || !preedit.isEmpty()) Disarm();
        }
        if (!preedit.isEmpty()) {
            composition_ = preedit;
            pending_.clear();
        } else {
            if (plainCommit && commit == composition_) {
                if (onComposition_) {
                    Arm(commit);
                } else {
                    pending_ = commit;
                    pendingIn_ = watched;
                    ExpireAtNextTurn();
                }
            }
            composition_.clear();
        }
    }
    return QObject::eventFilter(watched, event);
}

bool CompositionGuardNeeded(const QString& platform, const QString& module) {
    // Only Qt's ibus input context on Linux window systems meets the copy.
    //  - ibus with mozc, measured: Qt commits the composition itself and
    //    resets; 2-3 ms later ibus sends an empty update and the copy.
    //  - fcitx5 with mozc (module "fcitx", fcitx5's own Qt 6 frontend),
    //    measured: Qt's frontend commits the composition itself as well,
    //    then comes an empty update and nothing more. No copy: no guard,
    //    which could otherwise take a later identical commit for one.
    //  - Windows: Qt's Windows input context commits a composition itself
    //    on a focus change and then cancels it in the input method
    //    (ImmNotifyIME CPS_CANCEL), which has nothing left to commit. Seen
    //    so under Wine with fcitx5 and mozc over XIM (the end-to-end
    //    journey ime.wine+fcitx5): no copy. Not measured on a real Windows.
    //    No guard, so it can never drop a commit there.
    //  - The guard is for ibus whatever its engine, but only mozc is known
    //    to send the copy. With an engine that sends none, an armed guard
    //    waits out kCopyWindowMs for nothing; an identical commit that
    //    comes in that time from something that is neither a key nor a
    //    click (an on-screen keyboard, a handwriting pad) is dropped too.
    // Qt's name for a module is the part of QT_IM_MODULE before any ':'.
    const bool linuxDesktop = platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
    return linuxDesktop && module.section(u':', 0, 0).compare(QLatin1String("ibus"), Qt::CaseInsensitive) == 0;
}

bool InstallCompositionGuard() {
    static QPointer<CompositionGuard> guard;
    if (guard) return true;
    if (!CompositionGuardNeeded(QGuiApplication::platformName(), qEnvironmentVariable("QT_IM_MODULE"))) return false;
    guard = new CompositionGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
    return true;
}

}  // namespace tk
