// The main window as the handlers see it (Controls), on Win32: notices,
// control texts and states, focus, the pointer, the completion timer, the
// file dialogs, the example window and ending the program.
#pragma once

#include "platform/runtime.h"
#include "platform/win32/main_window.h"

namespace morvane::win32 {

class MainWindowControls : public Controls {
  public:
    explicit MainWindowControls(MainWindow& window) : window_(window) {}

    void ShowNotice(const std::string& prompt, const std::string& title) override;
    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    void SetEnabled(Control control, bool enabled) override;
    void SetVisible(Control control, bool visible) override;
    void SetFocus(Control control) override;
    void SetMousePointer(MousePointer pointer) override;
    void SetCompletionTimerRunning(bool running) override;
    bool CompletionTimerRunning() const override;
    std::optional<FileChoice> ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                             int filterIndex) override;
    void ShowExampleWindow() override;
    void EndProgram() override;

  private:
    HWND ControlHandle(Control control) const { return window_.ControlHandle(control); }

    MainWindow& window_;
};

}  // namespace morvane::win32
