// How the Windows program names its windows: the window classes and each
// control's id (shared by both windows). The end-to-end tests find the
// windows by these classes and the controls by these ids.
#pragma once

#include "platform/runtime.h"

namespace morvane::win32 {

inline constexpr const wchar_t* kMainWindowClass = L"MorvaneMainWindow";
inline constexpr const wchar_t* kExampleWindowClass = L"MorvaneExampleWindow";

constexpr int ControlId(Control control) { return 1000 + static_cast<int>(control); }

}  // namespace morvane::win32
