// The main window on Windows, built from its layout with Win32
// controls, and the window side of the runtime contract (notices, control
// state, focus, the pointer, the completion timer, the file dialogs, the example window,
// ending the program). Events are routed to the portable MainWindowHandlers.
#pragma once

#include "platform/runtime.h"
#include "platform/win32/form_builder.h"
#include "platform/win32/gdi.h"
#include "ui/main_window_handlers.h"

namespace morvane::win32 {

class Win32Controls : public Controls {
  public:
    explicit Win32Controls(HINSTANCE instance);
    ~Win32Controls() override;
    Win32Controls(const Win32Controls&) = delete;
    Win32Controls& operator=(const Win32Controls&) = delete;

    // The handlers the window's events go to.
    void Attach(MainWindowHandlers& handlers) { handlers_ = &handlers; }

    // Creates the main window from its layout, centred on the screen, and shows it
    // with the focus in the first box. False when the window cannot be made.
    bool CreateMainWindow();

    // The message loop; answers the program's exit code.
    int Run();

    // Controls
    void ShowNotice(const std::string& prompt, const std::string& title) override;
    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    void SetCaption(Control control, const std::string& caption) override;
    void SetEnabled(Control control, bool enabled) override;
    void SetVisible(Control control, bool visible) override;
    void SetFocus(Control control) override;
    void SetMousePointer(MousePointer pointer) override;
    void SetTimerEnabled(bool enabled) override;
    bool TimerEnabled() const override { return timerEnabled_; }
    std::optional<FileChoice> ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                             int filterIndex) override;
    void ShowExampleWindow() override;
    void EndProgram() override;

  private:
    static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Text4Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Clicked(int id);
    void ShowPointer();
    HWND Window(Control control) const { return built_.Handle(control); }

    HINSTANCE instance_;
    MainWindowHandlers* handlers_ = nullptr;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    BuiltForm built_;
    UniqueWindow mainWindow_;  // destroyed before the fonts of built_
    HWND savedFocus_ = nullptr;
    MousePointer pointer_ = MousePointer::Default;
    bool timerEnabled_ = false;
};

}  // namespace morvane::win32
