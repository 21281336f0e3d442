// Input methods compose text in a box before they commit it (ibus with
// mozc, as Japanese users type: 1980 shows as the composition "１９８０"
// until Enter confirms it).
//
// When the user clicks while a composition is under way, into another box,
// onto a button or into the same box, Qt commits the composition into its
// box itself and resets the input method (QInputMethod::commit(), called
// just before Qt tells the box that the focus leaves it, or while the box
// handles a click on its composition). ibus, for engines that ask for
// their composition to be committed on a reset (mozc does), answers the
// reset by committing the same text once more. That copy arrives 2-3 ms
// later and lands in whatever has the focus then: the next box, the year
// box an era button focuses, the box 再計算 focuses, or the same box a
// second time.
//
// The guard watches every input-method event of the application and drops
// that copy, and nothing else:
//  - it arms only when Qt itself committed a composition as it stood:
//    right before it tells the box that the focus leaves it, or while the
//    box handles a click on the composition (each within one turn of the
//    event loop, before any other input);
//  - armed, it drops the first commit of exactly that text, and only if it
//    comes before the user does anything else (a key, a click, a new
//    composition, any other commit) and within kCopyWindowMs;
//  - a composition the input method commits itself (Enter, a candidate
//    chosen, an on-screen keyboard, a handwriting pad) never arms it, so
//    such a commit is never taken for a copy of itself. Only while the
//    guard is armed by Qt's own commit can a commit of the very same text
//    from something that is neither a key nor a click be dropped.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

namespace tk {

class CompositionGuard : public QObject {
public:
    using QObject::QObject;

    // How long after Qt's own commit the input method's copy is awaited.
    // ibus answers within milliseconds; the margin covers a loaded machine.
    static constexpr int kCopyWindowMs = 1500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Arm(const QString& text);
    void Disarm();
    // Forgets pending_, onComposition_ and armedThisTurn_ when the event
    // loop next turns.
    void ExpireAtNextTurn();

    QString composition_;      // the composition shown in a box, if any
    QString pending_;          // a composition just committed as it stood:
                               // Qt's own if the focus moves in this turn
    QPointer<QObject> pendingIn_;  // the box it went into
    bool onComposition_ = false;  // a click on the composition, this turn
    bool armedThisTurn_ = false;
    QString copy_;             // armed: the copy the input method will send
    QElapsedTimer armed_;
    quint64 turn_ = 0;
};

// Whether the guard is needed: only where the input method answers Qt's
// own commit with a copy, which is Qt's ibus input context on X11 and
// Wayland (see the .cpp for what was measured with ibus and fcitx5, and
// seen of Qt's Windows input context under Wine). `platform` is Qt's
// platform name, `module` the input module Qt was asked for (QT_IM_MODULE).
bool CompositionGuardNeeded(const QString& platform, const QString& module);

// Installs one guard on the application where CompositionGuardNeeded()
// says so; returns whether a guard is installed. Call once after the
// application object exists.
bool InstallCompositionGuard();

}  // namespace tk
