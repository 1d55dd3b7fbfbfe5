// The whole Linux program: the system services, the main window, its
// controls and the handlers, wired together.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/posix/posix_system.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_controls.h"
#include "ui/main_window_handlers.h"

namespace morvane::qt {

// What the tests replace: the file dialogs and the end of the process.
struct ProgramSeams {
    FileDialogFunction fileDialog = ShowQtFileDialog;
    std::function<void()> endProgram = EndProcessAtOnce;
};

class PellorinProgram {
  public:
    explicit PellorinProgram(ProgramSeams seams = {});

    // Runs the single-instance guard, then shows the main window and takes
    // `files` (named on the command line) as a dropped file. Answers false,
    // with the window never shown, when another copy runs.
    bool Start(const std::vector<std::string>& files = {});

    MainWindow& Window() { return window_; }
    QtControls& Controls() { return controls_; }

  private:
    posix::PosixSystem system_;
    MainWindow window_;
    QtControls controls_;
    MainWindowHandlers handlers_;
};

}  // namespace morvane::qt
