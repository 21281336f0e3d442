#include "form1_layout.h"

namespace ui {

namespace {

using tk::ControlKind;
using tk::kDefaultColour;
using tk::Rgb;

constexpr QRgb kNavy = Rgb(0, 0, 128);
constexpr QRgb kWhite = Rgb(255, 255, 255);
constexpr QRgb kPaleYellow = Rgb(255, 255, 192);
constexpr QRgb kPaleGreen = Rgb(192, 255, 192);
constexpr QRgb kPaleOrange = Rgb(255, 224, 192);
constexpr QRgb kGreen = Rgb(0, 255, 0);
constexpr QRgb kRed = Rgb(255, 0, 0);
constexpr QRgb kBlack = Rgb(0, 0, 0);

// Font sizes as pixel heights: 8.25 pt 11 px, 9 pt 12 px, 12 pt 16 px,
// 14.25 pt 19 px, 18 pt 24 px.
constexpr tk::FontDef kDefault{};
constexpr tk::FontDef k825pt{11, false};
constexpr tk::FontDef k12ptBold{16, true};
constexpr tk::FontDef k12pt{16, false};
constexpr tk::FontDef k1425ptBold{19, true};
constexpr tk::FontDef k18pt{24, false};

constexpr const char* kPicture = "Picture1";

constexpr const char* kHand = ":/icons/hand.ico";
constexpr const char* kPencil = ":/icons/pencil.ico";
constexpr const char* kBook = ":/icons/book.ico";
constexpr const char* kKnob = ":/icons/knob.ico";

constexpr ControlKind Pic = ControlKind::PictureArea;
constexpr ControlKind Btn = ControlKind::Button;
constexpr ControlKind GBtn = ControlKind::GraphicalButton;
constexpr ControlKind Txt = ControlKind::TextBox;
constexpr ControlKind Lbl = ControlKind::Label;
constexpr ControlKind Ico = ControlKind::Icon;
constexpr QRgb Def = kDefaultColour;

// kind, name, caption, left, top, width, height (px), text colour, background,
// font, tab index, border, icon, container, accessible name, accessible
// description (and, for the picture area, its accessible role). Labels are
// read by their captions; their description says what they stand for.
// The picture area comes first: it holds every other control.
constexpr tk::ControlDef kControls[] = {
    {Pic, "Picture1", nullptr, 0, 0, 1017, 745, Def, kNavy, kDefault, 0, false, nullptr, nullptr, kEmptyChartName,
     nullptr, QAccessible::Chart},

    // Birth-date area.
    {Lbl, "Label7", "生年月日の入力", 8, 8, 119, 16, kWhite, kNavy, k12ptBold, 17, false, nullptr, kPicture, nullptr},
    {Lbl, "Label5", "選択", 16, 48, 34, 16, kWhite, kNavy, k12ptBold, 15, false, nullptr, kPicture, nullptr, "生年の暦の選択"},
    {Ico, "Image1", nullptr, 56, 40, 32, 32, Def, Def, kDefault, -1, false, kHand, kPicture, "生年の暦を選んでください"},
    {Btn, "Command1", "大正", 96, 40, 49, 25, Def, Def, kDefault, 1, false, nullptr, kPicture, "生年を大正で入力"},
    {Btn, "Command2", "昭和", 160, 40, 49, 25, Def, Def, kDefault, 2, false, nullptr, kPicture, "生年を昭和で入力"},
    {Btn, "Command3", "平成", 224, 40, 49, 25, Def, Def, kDefault, 3, false, nullptr, kPicture, "生年を平成で入力"},
    {Btn, "Command4", "西暦", 288, 40, 57, 25, Def, Def, kDefault, 4, false, nullptr, kPicture, "生年を西暦で入力"},
    {Lbl, "Label2", "暦年", 104, 72, 34, 16, kWhite, kNavy, k12ptBold, 12, false, nullptr, kPicture, nullptr, "生まれた年"},
    {Lbl, "Label3", "暦月", 168, 72, 34, 16, kWhite, kNavy, k12ptBold, 13, false, nullptr, kPicture, nullptr, "生まれた月"},
    {Lbl, "Label4", "暦日", 224, 72, 34, 16, kWhite, kNavy, k12ptBold, 14, false, nullptr, kPicture, nullptr, "生まれた日"},
    {Lbl, "Label6", "時刻", 296, 72, 34, 16, kPaleYellow, kNavy, k12ptBold, 16, false, nullptr, kPicture, nullptr, "生まれた時刻"},
    {Lbl, "Label1", "生年月日", 8, 88, 68, 16, kPaleYellow, kNavy, k12ptBold, 11, false, nullptr, kPicture, nullptr},
    {Txt, "Text1", nullptr, 96, 88, 49, 18, Def, Def, k12ptBold, 30, false, nullptr, kPicture, "生まれた年（入力後Enter）"},
    {Txt, "Text2", nullptr, 160, 88, 49, 18, Def, Def, k12ptBold, 31, false, nullptr, kPicture, "生まれた月（入力後Enter）"},
    {Txt, "Text3", nullptr, 224, 88, 33, 18, Def, Def, k12ptBold, 32, false, nullptr, kPicture, "生まれた日（入力後Enter）"},
    {Txt, "Text4", nullptr, 288, 88, 49, 18, Def, Def, k12ptBold, 33, false, nullptr, kPicture, "生まれた時刻、時間単位（入力後Enter）"},

    // Target-month area.
    {Lbl, "Label8", "バイオリズムを求める年月", 440, 8, 191, 16, kWhite, kNavy, k12ptBold, 18, false, nullptr, kPicture, nullptr},
    {Ico, "Image2", nullptr, 408, 32, 32, 32, Def, Def, kDefault, -1, false, kHand, kPicture, "求める年の暦を選んでください"},
    {Btn, "Command5", "大正", 456, 40, 57, 25, Def, Def, kDefault, 5, false, nullptr, kPicture, "求める年を大正で入力"},
    {Btn, "Command6", "昭和", 528, 40, 49, 25, Def, Def, kDefault, 6, false, nullptr, kPicture, "求める年を昭和で入力"},
    {Btn, "Command7", "平成", 592, 40, 49, 25, Def, Def, kDefault, 7, false, nullptr, kPicture, "求める年を平成で入力"},
    {Btn, "Command8", "西暦", 656, 40, 57, 25, Def, Def, kDefault, 8, false, nullptr, kPicture, "求める年を西暦で入力"},
    {Lbl, "Label9", "暦年", 448, 72, 34, 16, kWhite, kNavy, k12ptBold, 19, false, nullptr, kPicture, nullptr, "求める年"},
    {Lbl, "Label10", "暦月", 528, 72, 34, 16, kWhite, kNavy, k12ptBold, 20, false, nullptr, kPicture, nullptr, "求める月"},
    {Txt, "Text5", nullptr, 448, 96, 49, 18, Def, Def, k12ptBold, 34, false, nullptr, kPicture, "求める年（入力後Enter）"},
    {Txt, "Text6", nullptr, 520, 96, 41, 18, Def, Def, k12ptBold, 35, false, nullptr, kPicture, "求める月（入力後Enter）"},

    // Action buttons.
    {GBtn, "Command9", "決定", 728, 96, 57, 41, Def, Def, kDefault, 9, false, kPencil, kPicture, "決定：グラフを描く"},
    {GBtn, "Command10", "再計算", 816, 560, 57, 41, Def, Def, k825pt, 10, false, kBook, kPicture, "再計算：入力をやり直す"},

    // Chart title, markers and legend.
    {Lbl, "Label11", "", 80, 160, 6, 16, kPaleGreen, kNavy, k12ptBold, 21, false, nullptr, kPicture, nullptr, "グラフの題名"},
    {Lbl, "Label16", "＋側", 33, 305, 48, 24, kGreen, kNavy, k18pt, 25, false, nullptr, kPicture, nullptr, "グラフの上半分はプラス側"},
    {Lbl, "Label17", "－側", 32, 464, 48, 24, kPaleOrange, kNavy, k18pt, 26, false, nullptr, kPicture, nullptr, "グラフの下半分はマイナス側"},
    {Lbl, "Label12", "身体リズム", 849, 265, 98, 23, kBlack, kRed, k1425ptBold, 22, true, nullptr, kPicture, nullptr, "赤の線は身体リズム（23日周期）"},
    {Lbl, "Label13", "感情リズム", 848, 344, 98, 23, kBlack, kWhite, k1425ptBold, 23, true, nullptr, kPicture, nullptr, "白の線は感情リズム（28日周期）"},
    {Lbl, "Label14", "知性リズム", 849, 417, 98, 23, kWhite, kGreen, k1425ptBold, 24, true, nullptr, kPicture, nullptr, "緑の線は知性リズム（33日周期）"},

    // Reading hints.
    {Lbl, "Label18", "＋の極大は好調", 32, 648, 112, 16, kGreen, kNavy, k12pt, 27, false, nullptr, kPicture, nullptr},
    {Lbl, "Label19", "－側の極大は低調", 176, 648, 128, 16, kWhite, kNavy, k12pt, 28, false, nullptr, kPicture, nullptr},
    {Lbl, "Label20", "＋から－に移るとき、または－から＋に移るときは要注意日", 336, 648, 400, 16, kRed, kNavy, k12pt, 29, false, nullptr, kPicture, nullptr},

    // Closing icon.
    {Ico, "Image3", nullptr, 744, 16, 32, 32, Def, Def, kDefault, -1, false, kKnob, kPicture, "閉じる"},
};

}  // namespace

const tk::FormDef kForm1 = {959, 687, true, {12, false}, nullptr, "バイオリズム計算"};

std::span<const tk::ControlDef> Form1Layout() { return kControls; }

}  // namespace ui
