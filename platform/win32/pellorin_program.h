// The whole Windows program: the system services, the main window, its
// controls and the handlers, wired together.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/main_window.h"
#include "platform/win32/main_window_controls.h"
#include "platform/win32/win32_system.h"
#include "ui/main_window_handlers.h"

namespace morvane::win32 {

class PellorinProgram {
  public:
    explicit PellorinProgram(HINSTANCE instance);

    // Runs the single-instance guard (when another copy runs, its notice
    // is shown and the process ends there), then shows the main window and
    // takes `files` (named on the command line) as a dropped file. False,
    // and nothing shown, when the program cannot go on.
    bool Start(const std::vector<std::string>& files = {});

    MainWindow& Window() { return window_; }

  private:
    Win32System system_;
    MainWindow window_;
    MainWindowControls controls_;
    MainWindowHandlers handlers_;
};

}  // namespace morvane::win32
