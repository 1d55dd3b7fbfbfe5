// Pellorin.exe: the common controls and COM for the window thread, the
// program started on the files named on the command line, and the message
// loop.
#include "platform/win32/windows_inc.h"

#include <commctrl.h>

#include "platform/win32/com.h"
#include "platform/win32/command_line.h"
#include "platform/win32/pellorin_program.h"

namespace {

// Runs until WM_QUIT; the dialog manager gives the main window Tab, Enter
// and the arrow keys. Answers the program's exit code.
int RunMessageLoop(const morvane::win32::MainWindow& mainWindow) {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (mainWindow.Window() && IsDialogMessageW(mainWindow.Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got < 0 ? 1 : static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace morvane;
    win32::ComInit com;  // the process list is read through COM on this thread
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls,
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&commonControls);

    win32::PellorinProgram program(instance);
    if (!program.Start(win32::CommandLineFiles())) return 1;
    const int exitCode = RunMessageLoop(program.Window());
    // A WM_QUIT posted from outside during a run ends the loop too.
    program.Window().UndoRunBeforeEnding();
    return exitCode;
}
