#include "platform/win32/main_window_controls.h"

#include <algorithm>

#include "platform/win32/example_window.h"
#include "platform/win32/file_dialog.h"
#include "platform/win32/utf.h"
#include "ui/window_text.h"

namespace morvane::win32 {

void MainWindowControls::ShowNotice(const std::string& prompt, const std::string& title) {
    const std::wstring text = Utf8ToWide(prompt);
    const std::wstring caption = Utf8ToWide(title);
    MessageBoxW(window_.Window(), text.c_str(), caption.c_str(), MB_OK);
}

std::string MainWindowControls::Text(Control control) const {
    HWND window = ControlHandle(control);
    if (!window) return "";
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return "";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    // A paste can leave half of a surrogate pair in a box: it must reach the
    // portable code as text that is refused, not as U+FFFD.
    return WindowTextToUtf8(std::u16string(text.data(), text.data() + std::max(got, 0)));
}

void MainWindowControls::SetText(Control control, const std::string& text) {
    if (HWND window = ControlHandle(control)) SetWindowTextW(window, Utf8ToWide(text).c_str());
}

void MainWindowControls::SetEnabled(Control control, bool enabled) {
    if (HWND window = ControlHandle(control)) EnableWindow(window, enabled ? TRUE : FALSE);
}

void MainWindowControls::SetVisible(Control control, bool visible) {
    if (HWND window = ControlHandle(control)) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void MainWindowControls::SetFocus(Control control) {
    // A disabled or hidden control does not take the focus, which stays
    // where it is: keys typed into a hidden box would still reach it.
    HWND window = ControlHandle(control);
    if (window && IsWindowVisible(window) && IsWindowEnabled(window)) ::SetFocus(window);
}

void MainWindowControls::SetMousePointer(MousePointer pointer) { window_.SetMousePointer(pointer); }

void MainWindowControls::SetCompletionTimerRunning(bool running) {
    window_.SetCompletionTimerRunning(running);
}

bool MainWindowControls::CompletionTimerRunning() const { return window_.CompletionTimerRunning(); }

std::optional<FileChoice> MainWindowControls::ShowFileDialog(FileDialogKind kind,
                                                             const std::string& filter,
                                                             int filterIndex) {
    return win32::ShowFileDialog(window_.Window(), kind, filter, filterIndex);
}

void MainWindowControls::ShowExampleWindow() {
    ExampleWindow example(window_.Instance(), window_.Window());
    example.ShowModal();
}

void MainWindowControls::EndProgram() { ExitProcess(0); }

}  // namespace morvane::win32
