#include "platform/win32/win32_controls.h"

#include "platform/win32/windows_inc.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "platform/win32/control_ids.h"
#include "platform/win32/example_window.h"
#include "platform/win32/file_dialog.h"
#include "platform/win32/utf.h"
#include "resources/windows/resource_ids.h"

namespace morvane::win32 {

namespace {

constexpr UINT_PTR kCompletionTimerId = 1;
constexpr UINT_PTR kText4Filter = 1;
constexpr DWORD kMainWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

UniqueIcon LoadAppIcon(HINSTANCE instance, int size) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PELLORIN),
                                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

bool IsChildOf(HWND parent, HWND window) {
    return window && parent && (window == parent || IsChild(parent, window));
}

// The paths of a drop, in the order dropped. The drop's memory is released
// here, before any handler can open a notice.
std::vector<std::string> DroppedPaths(HDROP drop) {
    struct Finish {
        HDROP drop;
        ~Finish() { DragFinish(drop); }
    } finish{drop};
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        if (got > 0 && got <= length)
            paths.push_back(WideToUtf8(path.data(), static_cast<int>(got)));
    }
    return paths;
}

}  // namespace

Win32Controls::Win32Controls(HINSTANCE instance) : instance_(instance) {}

Win32Controls::~Win32Controls() {
    if (mainWindow_) {
        if (timerEnabled_) KillTimer(mainWindow_.get(), kCompletionTimerId);
        if (HWND fieldNumberBox = Window(Control::FieldNumberBox))
            RemoveWindowSubclass(fieldNumberBox, Text4Proc, kText4Filter);
        SetWindowLongPtrW(mainWindow_.get(), GWLP_USERDATA, 0);
    }
}

bool Win32Controls::CreateMainWindow() {
    bigIcon_ = LoadAppIcon(instance_, GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadAppIcon(instance_, GetSystemMetrics(SM_CXSMICON));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = bigIcon_.get();
    windowClass.hIconSm = smallIcon_.get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass) || !RegisterExampleWindowClass(instance_)) return false;

    const FormSpec& layout = MainWindowLayout();
    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPixels(layout.clientWidth, dpi),
               TwipsToPixels(layout.clientHeight, dpi)};
    AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;

    const std::wstring caption = Utf8ToWide(layout.caption);
    mainWindow_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, caption.c_str(),
                                      kMainWindowStyle, left, top, width, height, nullptr, nullptr,
                                      instance_, this));
    if (!mainWindow_) return false;
    built_.Build(mainWindow_.get(), layout, dpi);
    if (HWND fieldNumberBox = Window(Control::FieldNumberBox)) {
        SetWindowSubclass(fieldNumberBox, Text4Proc, kText4Filter,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    // The whole window takes files dragged from Explorer; its boxes do not,
    // so a file dropped on one is the window's too.
    DragAcceptFiles(mainWindow_.get(), TRUE);
    ShowWindow(mainWindow_.get(), SW_SHOWNORMAL);
    UpdateWindow(mainWindow_.get());
    if (HWND first = built_.FirstTabStop()) ::SetFocus(first);
    return true;
}

int Win32Controls::Run() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (mainWindow_ && IsDialogMessageW(mainWindow_.get(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got < 0 ? 1 : static_cast<int>(message.wParam);
}

LRESULT CALLBACK Win32Controls::MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Controls*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(window, message, wParam, lParam);
}

LRESULT Win32Controls::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case DM_GETDEFID:
            // Enter in any box presses the Start button.
            return MAKELRESULT(ControlId(Control::StartButton), DC_HASDEFID);
        case WM_COMMAND:
            // Clicks, and the dialog manager's Enter (the default button's id).
            if (HIWORD(wParam) == BN_CLICKED) Clicked(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kCompletionTimerId && handlers_) handlers_->OnCompletionTimer();
            return 0;
        case WM_DROPFILES: {
            const std::vector<std::string> paths = DroppedPaths(reinterpret_cast<HDROP>(wParam));
            if (handlers_) handlers_->OnFilesGiven(paths);
            return 0;
        }
        case WM_SETCURSOR:
            if (pointer_ == MousePointer::Hourglass && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            COLORREF colour = 0;
            if (built_.TextColour(reinterpret_cast<HWND>(lParam), colour)) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, colour);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        case WM_ACTIVATE:
            // Keep the focused control across deactivation (a notice, another
            // program), as dialogs do.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (IsChildOf(window, focus) && focus != window) savedFocus_ = focus;
                return 0;
            }
            if (savedFocus_ && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_) &&
                IsWindowVisible(savedFocus_)) {
                ::SetFocus(savedFocus_);
                return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Controls::Clicked(int id) {
    if (!handlers_) return;
    if (id == ControlId(Control::ChooseSourceButton)) handlers_->OnChooseSource();
    if (id == ControlId(Control::ChooseOutputButton)) handlers_->OnChooseOutput();
    if (id == ControlId(Control::StartButton)) handlers_->OnStart();
    if (id == ControlId(Control::ExitButton)) handlers_->OnExit();
    if (id == ControlId(Control::ExampleButton)) handlers_->OnShowExample();
}

LRESULT CALLBACK Win32Controls::Text4Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR selfData) {
    auto* self = reinterpret_cast<Win32Controls*>(selfData);
    if (message == WM_CHAR && self && self->handlers_) {
        // The digit filter sees every typed character; 0 discards it.
        int keyAscii = static_cast<int>(wParam);
        self->handlers_->OnFieldNumberKey(keyAscii);
        if (keyAscii == 0) return 0;
        wParam = static_cast<WPARAM>(keyAscii);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void Win32Controls::ShowNotice(const std::string& prompt, const std::string& title) {
    const std::wstring text = Utf8ToWide(prompt);
    const std::wstring caption = Utf8ToWide(title);
    MessageBoxW(mainWindow_.get(), text.c_str(), caption.c_str(), MB_OK);
}

std::string Win32Controls::Text(Control control) const {
    HWND window = Window(control);
    if (!window) return "";
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return "";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    return WideToUtf8(text.data(), got);
}

void Win32Controls::SetText(Control control, const std::string& text) {
    if (HWND window = Window(control)) SetWindowTextW(window, Utf8ToWide(text).c_str());
}

void Win32Controls::SetCaption(Control control, const std::string& caption) {
    if (HWND window = Window(control)) SetWindowTextW(window, Utf8ToWide(caption).c_str());
}

void Win32Controls::SetEnabled(Control control, bool enabled) {
    if (HWND window = Window(control)) EnableWindow(window, enabled ? TRUE : FALSE);
}

void Win32Controls::SetVisible(Control control, bool visible) {
    if (HWND window = Window(control)) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Controls::SetFocus(Control control) {
    if (HWND window = Window(control)) ::SetFocus(window);
}

void Win32Controls::SetMousePointer(MousePointer pointer) {
    pointer_ = pointer;
    ShowPointer();
}

// Shows the pointer at once when the mouse is over the window, without
// waiting for it to move.
void Win32Controls::ShowPointer() {
    POINT at;
    if (!mainWindow_ || !GetCursorPos(&at)) return;
    if (!IsChildOf(mainWindow_.get(), WindowFromPoint(at))) return;
    SetCursor(LoadCursorW(nullptr, pointer_ == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32Controls::SetTimerEnabled(bool enabled) {
    if (!mainWindow_) return;
    if (enabled) {
        SetTimer(mainWindow_.get(), kCompletionTimerId, kTimerIntervalMs, nullptr);
    } else {
        KillTimer(mainWindow_.get(), kCompletionTimerId);
    }
    timerEnabled_ = enabled;
}

std::optional<FileChoice> Win32Controls::ShowFileDialog(FileDialogKind kind,
                                                        const std::string& filter,
                                                        int filterIndex) {
    return win32::ShowFileDialog(mainWindow_.get(), kind, filter, filterIndex);
}

void Win32Controls::ShowExampleWindow() { ShowExampleWindowModal(instance_, mainWindow_.get()); }

void Win32Controls::EndProgram() { ExitProcess(0); }

}  // namespace morvane::win32
