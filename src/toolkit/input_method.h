// Input methods compose text in a box before they commit it (ibus with
// mozc, as Japanese users type: 1980 shows as the composition "１９８０"
// until Enter confirms it).
//
// When the user clicks while a composition is under way, into another box,
// onto a button or into the same box, Qt commits the composition into its
// box itself and resets the input method. ibus, for engines that ask for
// their composition to be committed on a reset (mozc does), answers the
// reset by committing the same text once more. That copy arrives after the
// click has moved the focus and lands in whatever has the focus then: the
// next box, the year box an era button focuses, the box 再計算 focuses, or
// the same box a second time.
//
// The guard watches every input-method event of the application. Once a
// composition has been committed as it stood, a commit of exactly that text
// that follows before anything else is typed or composed is that copy, and
// it is dropped. Typing without a composition (the input method off, or an
// input method without one) never sets the guard, so it changes nothing.
#pragma once

#include <QObject>
#include <QString>

namespace tk {

class CompositionGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString composing_;  // the composition shown in a box, if any
    QString committed_;  // a composition just committed, whose copy is dropped
};

// Installs one guard on the application; call once after the application
// object exists.
void InstallCompositionGuard();

}  // namespace tk
