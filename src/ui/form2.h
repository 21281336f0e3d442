// The title window: the title picture, "開始" to open the main window and the
// exit icon. It stays open for the whole run.
#pragma once

#include <memory>

#include "form1.h"
#include "toolkit/form.h"

namespace ui {

// The application's title, the caption of its message box.
inline constexpr const char* kApplicationTitle = "バイオリズム";

class Form2 : public tk::Form {
public:
    Form2();
    ~Form2() override;

    void Command1_Click();
    void Image1_Click();

    // The main window's object, once "開始" has created it.
    Form1* MainWindow() const { return form1_.get(); }

protected:
    void ConnectHandlers() override;

private:
    std::unique_ptr<Form1> form1_;
};

}  // namespace ui
