// The main window: era buttons, six entry boxes committed with Enter,
// "決定" (draw the chart), "再計算" (start over) and the closing icon.
//
// The Form1 object owns the committed entries and both era offsets; they
// outlive closing and reopening the window.
#pragma once

#include "calc/entries.h"
#include "calc/rhythm.h"
#include "toolkit/form.h"

namespace ui {

inline constexpr const char* kInputErrorMessage = "入力の誤りです。データを確認してください。";

class Form1 : public tk::Form {
public:
    Form1();

    const calc::EntryRecord& EntryRecord() const { return entryRecord_; }
    calc::EraOffset BirthEraOffset() const { return birthEraOffset_; }
    calc::EraOffset TargetEraOffset() const { return targetEraOffset_; }

    // Event handlers.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Text1_KeyPress(short& keyAscii);
    void Text2_KeyPress(short& keyAscii);
    void Text3_KeyPress(short& keyAscii);
    void Text4_KeyPress(short& keyAscii);
    void Text5_KeyPress(short& keyAscii);
    void Text6_KeyPress(short& keyAscii);
    void Image3_Click();

protected:
    void ConnectHandlers() override;
    void Form_Load() override;

private:
    void EraButton_Click(int button);
    void Entry_KeyPress(int box, short keyAscii);

    tk::CommandButton* Command(int n) const;
    tk::TextBox* Text(int n) const;

    calc::EntryRecord entryRecord_;
    calc::EraOffset birthEraOffset_;
    calc::EraOffset targetEraOffset_;
};

}  // namespace ui
