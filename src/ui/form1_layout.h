// The main window's layout, one row per control.
#pragma once

#include <span>

#include "toolkit/form.h"

namespace ui {

extern const tk::FormDef kForm1;
std::span<const tk::ControlDef> Form1Layout();

}  // namespace ui
