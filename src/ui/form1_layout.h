// The main window's layout, one row per control.
#pragma once

#include <span>

#include "toolkit/form.h"

namespace ui {

extern const tk::FormDef kForm1;

// What a screen reader calls the chart (Picture1) while it shows none; a
// chart is called by its title.
inline constexpr const char* kEmptyChartName = "バイオリズムのグラフ";
std::span<const tk::ControlDef> Form1Layout();

}  // namespace ui
