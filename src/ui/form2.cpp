#include "form2.h"

#include "toolkit/platform.h"

namespace ui {

namespace {

using tk::ControlKind;
using tk::kDefaultColour;

constexpr tk::ControlDef kControls[] = {
    {ControlKind::GraphicalButton, "Command1", "開始", 664, 464, 65, 49, kDefaultColour, kDefaultColour, {}, 0,
     false, ":/icons/books.ico", nullptr, "開始：バイオリズムの計算画面を開く"},
    {ControlKind::Icon, "Image1", nullptr, 712, 16, 32, 32, kDefaultColour, kDefaultColour, {}, -1, false,
     ":/icons/knob.ico", nullptr, "終了"},
};

// No title bar; the title picture at its own size, the window's face colour
// in the strips it leaves free on the right and at the bottom.
const tk::FormDef kForm2 = {802, 632, false, {12, false}, ":/title.bmp", "バイオリズム"};

}  // namespace

Form2::Form2() : tk::Form(kForm2, kControls) {}

Form2::~Form2() = default;

void Form2::ConnectHandlers() {
    auto* start = Control<tk::CommandButton>("Command1");
    QObject::connect(start, &QPushButton::clicked, start, [this] { Command1_Click(); });
    auto* exit = Control<tk::IconImage>("Image1");
    QObject::connect(exit, &tk::IconImage::clicked, exit, [this] { Image1_Click(); });
}

void Form2::Command1_Click() {
    if (!form1_) form1_ = std::make_unique<Form1>();
    form1_->Show();
}

void Form2::Image1_Click() { tk::End(); }

}  // namespace ui
