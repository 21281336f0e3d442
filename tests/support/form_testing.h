// Helpers of the window tests: a stand-in for the message box and the end
// of the program that records both, and control lookup by name.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "toolkit/form.h"
#include "toolkit/platform.h"

namespace testing_support {

// While recording, the message box only notes its text and the end of the
// program only counts the request.
class RecordsPlatform {
protected:
    void StartRecording() {
        messages.clear();
        endRequests = 0;
        tk::SetMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
        tk::SetEndHandler([this] { ++endRequests; });
    }
    void StopRecording() {
        tk::SetMessageBoxHandler({});
        tk::SetEndHandler({});
    }

    QStringList messages;
    int endRequests = 0;
};

// A control of a loaded form; a missing one ends the test run at once.
template <class T = QWidget>
T* FindControl(const tk::Form& form, const QString& name) {
    T* control = form.Control<T>(qPrintable(name));
    if (!control) qFatal("no control %s", qPrintable(name));
    return control;
}

}  // namespace testing_support
