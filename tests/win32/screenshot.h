// Pictures of windows for people to look at: the screen under a window,
// saved as a PNG file.
#pragma once

#include <string>

#include "platform/win32/windows_inc.h"

namespace morvane::wintest {

// The folder the test run keeps screenshots in ($MORVANE_SCREENSHOTS, a
// Unix path, as a Windows path); "" when the run keeps none.
std::string ScreenshotFolder();

// Copies the screen's pixels under `window` (frame included) into a PNG
// file. Answers false when nothing could be saved.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace morvane::wintest
