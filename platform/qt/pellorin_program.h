// The whole Linux program: the system services, the main window, its
// controls and the handlers wired together, and the life of the `pellorin`
// process from its command line to the end of its event loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/posix/posix_system.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/main_window.h"
#include "platform/qt/main_window_controls.h"
#include "ui/main_window_handlers.h"

namespace morvane::qt {

// Exit: the process ends here, its standard streams flushed and a fresh
// private folder removed; no handler runs, no destructor.
[[noreturn]] void EndProcessAtOnce();

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
    MainWindowControls& Controls() { return controls_; }

  private:
    posix::PosixSystem system_;
    MainWindow window_;
    MainWindowControls controls_;
    MainWindowHandlers handlers_;
};

// main() of `pellorin`, which the tests' probe copy runs too. Reads the
// options first, without a display: --help and --version print and answer
// 0, an unknown option prints one line and answers 2. Otherwise opens the
// window and runs until the program ends. `beforeStart` is called once the
// application and the program exist, before the single-instance guard runs.
int RunPellorin(int argc, char* argv[],
                const std::function<void(PellorinProgram&)>& beforeStart = {});

}  // namespace morvane::qt
