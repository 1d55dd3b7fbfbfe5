// Drives a running Pellorin.exe from outside, through window messages only,
// as a person at the keyboard and mouse would: find the main window by its caption,
// set and read texts, type, click, find each notice and press its OK.
// Every timeout is stretched by WaitScale() (win_test_support.h).
#pragma once

#include <optional>
#include <string>

#include "platform/runtime.h"
#include "platform/win32/windows_inc.h"
#include "tests/support/window_probe.h"

namespace morvane::wintest {

// One notice (message box) of the program: its window, title and prompt.
struct Notice {
    HWND window = nullptr;
    std::string title;
    std::string prompt;
};

// The program under test: $MORVANE_PELLORIN (a Unix path) when set, as for
// the 32-bit release, otherwise the Pellorin.exe beside this test program.
std::wstring PellorinPath();

class App : public testing::WindowProbe {
  public:
    // Starts the program, with `arguments` after its name on the command
    // line, and waits (at most `windowTimeoutMs`) for its main window.
    explicit App(DWORD windowTimeoutMs = 20000, const std::wstring& arguments = L"");
    // Ends the program if it still runs.
    ~App() override;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool Started() const { return mainWindow_ != nullptr; }
    HWND MainWindow() const { return mainWindow_; }
    DWORD ProcessId() const { return processId_; }
    // 32 for a 32-bit program on 64-bit Windows (WoW64), otherwise 64.
    int Bits() const;
    bool Running() const;
    // Waits (at most `timeoutMs`) for the program to end.
    bool WaitForExit(DWORD timeoutMs);

    HWND Window(Control control) const;
    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) const;
    // Types one character into a control (WM_CHAR, as the keyboard would).
    void Type(Control control, wchar_t character) const;
    // Posts a key press to whatever has the focus (Tab, Enter, ...).
    void PressKey(UINT virtualKey) const;
    // Posted, so that a modal window the click opens does not hold us.
    void Click(Control control) const;
    bool Enabled(Control control) const override;
    bool Visible(Control control) const override;
    // The control that has the keyboard focus in the program, if one of
    // the main window's.
    std::optional<Control> Focus() const override;

    // The next notice of the program (waits at most `timeoutMs`).
    std::optional<Notice> WaitForNotice(DWORD timeoutMs = 10000) const;
    // Presses the notice's OK button.
    static void CloseNotice(const Notice& notice);
    // Whether any notice of the program is open now.
    bool NoticeOpen() const;
    // Waits for an enabled main window with no notice open.
    bool WaitIdle(DWORD timeoutMs = 10000) const;
    // Presses the example button and waits for the example window;
    // nullptr when it does not show.
    HWND OpenExampleWindow(DWORD timeoutMs = 5000) const;

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND mainWindow_ = nullptr;
};

// Any visible top-level window of `processId` with this class; nullptr when
// none.
HWND FindProcessWindow(DWORD processId, const wchar_t* className);

std::string WindowText(HWND window);

}  // namespace morvane::wintest
