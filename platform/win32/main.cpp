// Pellorin.exe: the single-instance guard, then the main window, a file
// named on the command line, and the message loop.
#include "platform/win32/windows_inc.h"

#include <commctrl.h>

#include "platform/win32/com.h"
#include "platform/win32/command_line.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_system.h"
#include "ui/main_window_handlers.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace morvane;
    win32::ComInit com;  // the process list is read through COM on this thread
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls,
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&commonControls);

    win32::Win32System system;
    win32::Win32Controls window(instance);
    MainWindowHandlers handlers(window, system);
    window.Attach(handlers);
    if (!handlers.OnLoad()) return 0;  // another copy runs: noticed and ended
    if (!window.CreateMainWindow()) return 1;
    handlers.OnFilesGiven(win32::CommandLineFiles());
    return window.Run();
}
