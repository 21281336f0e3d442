#include "form1.h"

#include <string>

#include "chart/chart.h"
#include "chart/summary.h"
#include "form1_layout.h"
#include "picture_canvas.h"
#include "toolkit/accessibility.h"
#include "toolkit/platform.h"

namespace ui {

namespace {

// Each era button stores its era's offset (the Western year before the era's
// first year) into its group's offset and leaves only itself visible.
struct EraButton {
    int offset;
    bool birthGroup;
};
constexpr EraButton kEraButtons[] = {
    {0, false},  // unused: buttons are numbered from 1
    {calc::kTaishoOffset, true},   {calc::kShowaOffset, true},
    {calc::kHeiseiOffset, true},   {calc::kWesternOffset, true},
    {calc::kTaishoOffset, false},  {calc::kShowaOffset, false},
    {calc::kHeiseiOffset, false},  {calc::kWesternOffset, false},
};

constexpr int kEnter = 13;

std::string Name(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

Form1::Form1() : tk::Form(kForm1, Form1Layout()) {}

tk::CommandButton* Form1::Command(int n) const {
    return Control<tk::CommandButton>(Name("Command", n).c_str());
}

tk::TextBox* Form1::Text(int n) const { return Control<tk::TextBox>(Name("Text", n).c_str()); }

void Form1::ConnectHandlers() {
    using Click = void (Form1::*)();
    static constexpr Click kButtonClicks[] = {
        nullptr,
        &Form1::Command1_Click, &Form1::Command2_Click, &Form1::Command3_Click, &Form1::Command4_Click,
        &Form1::Command5_Click, &Form1::Command6_Click, &Form1::Command7_Click, &Form1::Command8_Click,
        &Form1::Command9_Click, &Form1::Command10_Click,
    };
    for (int n = 1; n <= 10; ++n) {
        const Click handler = kButtonClicks[n];
        QObject::connect(Command(n), &QPushButton::clicked, Command(n), [this, handler] { (this->*handler)(); });
    }

    using KeyPress = void (Form1::*)(short&);
    static constexpr KeyPress kKeyPresses[] = {
        nullptr,
        &Form1::Text1_KeyPress, &Form1::Text2_KeyPress, &Form1::Text3_KeyPress,
        &Form1::Text4_KeyPress, &Form1::Text5_KeyPress, &Form1::Text6_KeyPress,
    };
    for (int n = 1; n <= 6; ++n) {
        const KeyPress handler = kKeyPresses[n];
        Text(n)->SetKeyPress([this, handler](short& keyAscii) { (this->*handler)(keyAscii); });
    }

    auto* image3 = Control<tk::IconImage>("Image3");
    QObject::connect(image3, &tk::IconImage::clicked, image3, [this] { Image3_Click(); });
}

void Form1::Form_Load() {
    Command(9)->hide();
    Control<tk::Label>("Label11")->hide();
    Command(10)->hide();
}

// ---- Era buttons -----------------------------------------------------------

void Form1::EraButton_Click(int button) {
    const EraButton& era = kEraButtons[button];
    (era.birthGroup ? birthEraOffset_ : targetEraOffset_) = era.offset;
    const int first = era.birthGroup ? 1 : 5;
    for (int n = first; n < first + 4; ++n) {
        if (n != button) Command(n)->hide();
    }
    Text(era.birthGroup ? 1 : 5)->setFocus(Qt::OtherFocusReason);
}

void Form1::Command1_Click() { EraButton_Click(1); }
void Form1::Command2_Click() { EraButton_Click(2); }
void Form1::Command3_Click() { EraButton_Click(3); }
void Form1::Command4_Click() { EraButton_Click(4); }
void Form1::Command5_Click() { EraButton_Click(5); }
void Form1::Command6_Click() { EraButton_Click(6); }
void Form1::Command7_Click() { EraButton_Click(7); }
void Form1::Command8_Click() { EraButton_Click(8); }

// ---- Entry boxes -----------------------------------------------------------

void Form1::Entry_KeyPress(int box, short keyAscii) {
    if (keyAscii != kEnter) return;
    entryRecord_.Commit(box, Text(box)->text().toStdString());
    if (box < 6) {
        Text(box + 1)->setFocus(Qt::OtherFocusReason);
    } else {
        Command(9)->show();
        Command(9)->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::Text1_KeyPress(short& keyAscii) { Entry_KeyPress(1, keyAscii); }
void Form1::Text2_KeyPress(short& keyAscii) { Entry_KeyPress(2, keyAscii); }
void Form1::Text3_KeyPress(short& keyAscii) { Entry_KeyPress(3, keyAscii); }
void Form1::Text4_KeyPress(short& keyAscii) { Entry_KeyPress(4, keyAscii); }
void Form1::Text5_KeyPress(short& keyAscii) { Entry_KeyPress(5, keyAscii); }
void Form1::Text6_KeyPress(short& keyAscii) { Entry_KeyPress(6, keyAscii); }

// ---- 決定 -------------------------------------------------------------------

void Form1::Command9_Click() {
    Command(9)->hide();
    // The offsets go onto the committed texts afresh at every calculation, so
    // pressing 決定 again gives the same chart.
    const calc::NumericEntries entries = calc::ApplyEraOffsets(entryRecord_, birthEraOffset_, targetEraOffset_);
    Command(10)->show();
    if (!calc::ValidateEntries(entries)) {
        tk::MessageBox(Window(), QString::fromUtf8(kInputErrorMessage));
        Unload();
        tk::End();
        return;
    }
    const calc::Calculation calculation = calc::Calculate(entries);

    LabelTitle title(*Control<tk::Label>("Label11"));
    auto* picture = Control<tk::PictureBox>("Picture1");
    PictureCanvas canvas(*picture);
    chart::DrawChart(calculation, title, canvas);
    // What the chart shows, for screen readers: named by its title,
    // described by its summary. With the focus on it, a screen reader reads
    // its role, name and description at once; the button that had the focus
    // is gone.
    const QString chartTitle = Control<tk::Label>("Label11")->text();
    picture->setAccessibleName(chartTitle);
    picture->setAccessibleDescription(QString::fromStdString(chart::ChartSummaryText(calculation)));
    picture->setFocus(Qt::OtherFocusReason);
    tk::Announce(picture, chartTitle);
}

// ---- 再計算 -----------------------------------------------------------------

void Form1::Command10_Click() {
    Control<tk::Label>("Label11")->SetCaption(QString());
    for (int n = 1; n <= 6; ++n) Text(n)->setText(QString());
    Control<tk::PictureBox>("Picture1")->Clear();
    Control<tk::PictureBox>("Picture1")->setAccessibleName(QString::fromUtf8(kEmptyChartName));
    Control<tk::PictureBox>("Picture1")->setAccessibleDescription(QString());
    for (int n = 1; n <= 8; ++n) Command(n)->show();
    Text(1)->setFocus(Qt::OtherFocusReason);
}

// ---- Closing icon ----------------------------------------------------------

void Form1::Image3_Click() { Unload(); }

}  // namespace ui
