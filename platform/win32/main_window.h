// The main window on Windows: Win32 controls built from MainWindowLayout(),
// with the completion timer, the hourglass pointer and the files dropped
// from Explorer. Its events go to the portable MainWindowHandlers.
#pragma once

#include "platform/runtime.h"
#include "platform/win32/base_window.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/form_builder.h"
#include "ui/main_window_handlers.h"

namespace morvane::win32 {

class MainWindow : public BaseWindow<MainWindow> {
  public:
    static constexpr const wchar_t* kClassName = kMainWindowClass;

    explicit MainWindow(HINSTANCE instance);
    ~MainWindow();

    // Button clicks, timer ticks, the field box's typed characters and
    // dropped files go to `handlers`.
    void RouteEventsTo(MainWindowHandlers& handlers) { handlers_ = &handlers; }

    // Creates the window centred on the screen's free area and shows it
    // with the focus in the first box. False when it cannot be made.
    bool Show();

    HINSTANCE Instance() const { return instance_; }

    // The window of a control of MainWindowLayout(); null before Show().
    HWND ControlHandle(Control control) const { return form_.ControlHandle(control); }

    // The hourglass over the window and all its controls, or the arrow.
    void SetMousePointer(MousePointer pointer);

    // The completion timer: a tick every kCompletionTimerIntervalMs while it
    // runs.
    void SetCompletionTimerRunning(bool running);
    bool CompletionTimerRunning() const { return timerRunning_; }

    // The program is ending (WM_QUIT arrived) whatever is going on: a run
    // is undone first.
    void UndoRunBeforeEnding();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam);
    LRESULT OnDropFiles(WPARAM wParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose();
    LRESULT OnQueryEndSession();
    LRESULT OnEndSession(WPARAM wParam);
    LRESULT OnDestroy();

    // Every character typed into the field-number box passes the handlers'
    // digit filter first.
    static LRESULT CALLBACK FieldNumberBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR id, DWORD_PTR self);

    HINSTANCE instance_;
    MainWindowHandlers* handlers_ = nullptr;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    BuiltForm form_;
    HWND savedFocus_ = nullptr;
    MousePointer pointer_ = MousePointer::Default;
    bool timerRunning_ = false;
};

}  // namespace morvane::win32
