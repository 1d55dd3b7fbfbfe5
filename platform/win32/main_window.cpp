#include "platform/win32/main_window.h"

#include "platform/win32/windows_inc.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "resources/windows/resource_ids.h"
#include "ui/window_text.h"

namespace morvane::win32 {

namespace {

constexpr UINT_PTR kCompletionTimerId = 1;
constexpr UINT_PTR kFieldNumberBoxSubclassId = 1;
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
            paths.push_back(WindowTextToUtf8(std::u16string(path.data(), path.data() + got)));
    }
    return paths;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {}

MainWindow::~MainWindow() {
    if (HWND fieldNumberBox = ControlHandle(Control::FieldNumberBox))
        RemoveWindowSubclass(fieldNumberBox, FieldNumberBoxProc, kFieldNumberBoxSubclassId);
    Destroy();  // before the fonts of form_ and the class's icons
}

bool MainWindow::Show() {
    bigIcon_ = LoadAppIcon(instance_, GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadAppIcon(instance_, GetSystemMetrics(SM_CXSMICON));
    if (!RegisterWindowClass(instance_, bigIcon_.get(), smallIcon_.get())) return false;

    const FormSpec& layout = MainWindowLayout();
    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPixels(layout.clientWidth, dpi),
               TwipsToPixels(layout.clientHeight, dpi)};
    AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const ScreenPoint corner = CentredOn(
        {work.left, work.top, work.right - work.left, work.bottom - work.top}, width, height);

    const std::wstring caption = Utf8ToWide(layout.caption);
    if (!Create(instance_, caption.c_str(), kMainWindowStyle, WS_EX_CONTROLPARENT, corner.x,
                corner.y, width, height, nullptr)) {
        return false;
    }
    form_.Build(Window(), layout, dpi);
    if (HWND fieldNumberBox = ControlHandle(Control::FieldNumberBox)) {
        SetWindowSubclass(fieldNumberBox, FieldNumberBoxProc, kFieldNumberBoxSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    // The whole window takes files dragged from Explorer; its boxes do not,
    // so a file dropped on one is the window's too.
    DragAcceptFiles(Window(), TRUE);
    ShowWindow(Window(), SW_SHOWNORMAL);
    UpdateWindow(Window());
    if (const std::optional<Control> first = FirstFocus(layout)) ::SetFocus(ControlHandle(*first));
    return true;
}

void MainWindow::SetMousePointer(MousePointer pointer) {
    pointer_ = pointer;
    // Shown at once when the mouse is over the window, without waiting for
    // it to move.
    POINT at;
    if (!Window() || !GetCursorPos(&at)) return;
    if (!IsChildOf(Window(), WindowFromPoint(at))) return;
    SetCursor(LoadCursorW(nullptr, pointer_ == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

namespace {

// While a run goes on, a log-off or shut-down shows why this program holds it
// up (Vista and later; looked up, so that the program still starts on XP).
void SetShutdownBlockReason(HWND window, bool blocking) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    if (blocking) {
        using Create = BOOL(WINAPI*)(HWND, LPCWSTR);
        if (const auto create = reinterpret_cast<Create>(
                reinterpret_cast<void (*)()>(GetProcAddress(user32, "ShutdownBlockReasonCreate"))))
            create(window, Utf8ToWide(kProgressCaption).c_str());
    } else {
        using Destroy = BOOL(WINAPI*)(HWND);
        if (const auto destroy = reinterpret_cast<Destroy>(
                reinterpret_cast<void (*)()>(GetProcAddress(user32, "ShutdownBlockReasonDestroy"))))
            destroy(window);
    }
}

}  // namespace

void MainWindow::SetCompletionTimerRunning(bool running) {
    if (!Window()) return;
    if (running) {
        SetTimer(Window(), kCompletionTimerId, kCompletionTimerIntervalMs, nullptr);
    } else {
        KillTimer(Window(), kCompletionTimerId);
    }
    if (running != timerRunning_) SetShutdownBlockReason(Window(), running);
    timerRunning_ = running;
}

void MainWindow::UndoRunBeforeEnding() {
    if (handlers_ && handlers_->RunGoingOn()) handlers_->OnSessionEnding();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case DM_GETDEFID:
            // Enter in any box presses the default button.
            return DefaultButtonReply(MainWindowLayout());
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_DROPFILES:
            return OnDropFiles(wParam);
        case WM_SETCURSOR:
            return OnSetCursor(wParam, lParam);
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(wParam, lParam);
        case WM_ACTIVATE:
            return OnActivate(wParam, lParam);
        case WM_CLOSE:
            return OnClose();
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_ENDSESSION:
            return OnEndSession(wParam);
        case WM_DESTROY:
            return OnDestroy();
        default:
            return DefWindowProcW(Window(), message, wParam, lParam);
    }
}

// Clicks, and the dialog manager's Enter (the default button's id).
LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == EN_CHANGE) form_.KeepWithinLength(reinterpret_cast<HWND>(lParam));
    if (HIWORD(wParam) != BN_CLICKED || !handlers_) return 0;
    if (const std::optional<Control> button = form_.ControlFromId(LOWORD(wParam)))
        handlers_->OnClicked(*button);
    return 0;
}

LRESULT MainWindow::OnTimer(WPARAM wParam) {
    if (wParam == kCompletionTimerId && handlers_) handlers_->OnCompletionTimer();
    return 0;
}

LRESULT MainWindow::OnDropFiles(WPARAM wParam) {
    const std::vector<std::string> paths = DroppedPaths(reinterpret_cast<HDROP>(wParam));
    if (handlers_) handlers_->OnFilesGiven(paths);
    return 0;
}

LRESULT MainWindow::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (pointer_ == MousePointer::Hourglass && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return DefWindowProcW(Window(), WM_SETCURSOR, wParam, lParam);
}

LRESULT MainWindow::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (HBRUSH background =
            form_.PaintStaticText(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(background);
    return DefWindowProcW(Window(), WM_CTLCOLORSTATIC, wParam, lParam);
}

// Keeps the focused control across deactivation (a notice, another
// program), as dialogs do.
LRESULT MainWindow::OnActivate(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (IsChildOf(Window(), focus) && focus != Window()) savedFocus_ = focus;
        return 0;
    }
    if (savedFocus_ && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_) &&
        IsWindowVisible(savedFocus_)) {
        ::SetFocus(savedFocus_);
        return 0;
    }
    return DefWindowProcW(Window(), WM_ACTIVATE, wParam, lParam);
}

// While a run goes on the window stays, as Exit is disabled then, however
// it is asked to close (the close box, Alt+F4, the system menu, another
// program): the run ends first and its verdict is shown.
LRESULT MainWindow::OnClose() {
    if (timerRunning_) return 0;
    DestroyWindow(Window());
    return 0;
}

// A run going on holds up the end of the session, with its reason shown.
LRESULT MainWindow::OnQueryEndSession() { return timerRunning_ ? FALSE : TRUE; }

// The session ends all the same (a forced shut-down): the process ends
// after this message, so the run is undone now.
LRESULT MainWindow::OnEndSession(WPARAM wParam) {
    if (wParam) UndoRunBeforeEnding();
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK MainWindow::FieldNumberBoxProc(HWND box, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR selfData) {
    auto* self = reinterpret_cast<MainWindow*>(selfData);
    if (message == WM_CHAR && self && self->handlers_) {
        // The digit filter sees every typed character; 0 discards it.
        int characterCode = static_cast<int>(wParam);
        self->handlers_->OnFieldNumberKey(characterCode);
        if (characterCode == 0) return 0;
        wParam = static_cast<WPARAM>(characterCode);
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace morvane::win32
