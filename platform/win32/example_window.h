// The example window: created from its layout on every show, shown modally
// over the main window, destroyed by its "我知道了" button (or Enter).
#pragma once

#include "platform/win32/windows_inc.h"

namespace morvane::win32 {

// Registers the window class; call once before the first show.
bool RegisterExampleWindowClass(HINSTANCE instance);

// Creates the window centred on `owner`, disables the owner, runs the
// window's own message loop until the window is closed, and enables the
// owner again. A WM_QUIT met on the way is passed on to the outer loop.
void ShowExampleWindowModal(HINSTANCE instance, HWND owner);

}  // namespace morvane::win32
