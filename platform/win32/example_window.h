// The example window: a worked example built from ExampleWindowLayout(),
// frameless, shown modally over the main window and closed by its button
// "我知道了" (or Enter).
#pragma once

#include "platform/win32/base_window.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/form_builder.h"

namespace morvane::win32 {

class ExampleWindow : public BaseWindow<ExampleWindow> {
  public:
    static constexpr const wchar_t* kClassName = kExampleWindowClass;

    ExampleWindow(HINSTANCE instance, HWND owner);
    ~ExampleWindow();

    // Creates the window centred on the owner, disables the owner, runs the
    // window's own message loop until the window is closed, and enables the
    // owner again. A WM_QUIT met on the way is passed on to the outer loop.
    void ShowModal();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint();
    LRESULT OnClose();
    void Close();

    HINSTANCE instance_;
    HWND owner_;
    BuiltForm form_;
};

}  // namespace morvane::win32
