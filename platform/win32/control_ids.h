// How the Windows program names its windows: the window classes, the main
// window's caption and each control's id (shared by both windows). The
// end-to-end tests find the controls by these ids.
#pragma once

#include "platform/runtime.h"

namespace morvane::win32 {

inline constexpr const wchar_t* kForm1Class = L"MorvaneForm1";
inline constexpr const wchar_t* kForm2Class = L"MorvaneForm2";
inline constexpr const wchar_t* kForm1Caption = L"Morvane";

constexpr int ControlId(Control control) { return 1000 + static_cast<int>(control); }

}  // namespace morvane::win32
