// The Windows front end under the controls contract: the main window made
// in this process, its adapter, and a probe over the real controls. The one
// file of the Windows tests that names the adapter's class.
#include "platform/win32/windows_inc.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/win32/control_ids.h"
#include "platform/win32/main_window.h"
#include "platform/win32/main_window_controls.h"
#include "platform/win32/utf.h"
#include "tests/contract/controls_contract.h"

namespace morvane::testing {
namespace {

std::string ShownText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    return win32::WideToUtf8(text.data(), got);
}

// The window of this thread of class `className`, if one is visible.
HWND ThreadWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found = nullptr;
    } search{className};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == s->className && IsWindowVisible(window)) s->found = window;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class Win32ExampleAccess : public ExampleWindowAccess {
  public:
    explicit Win32ExampleAccess(HWND window) : window_(window) {}
    std::string Text(Control control) const override {
        std::string text = ShownText(GetDlgItem(window_, win32::ControlId(control)));
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }
    void Edit(Control control, const std::string& text) override {
        SetWindowTextW(GetDlgItem(window_, win32::ControlId(control)),
                       win32::Utf8ToWide(text).c_str());
    }

  private:
    HWND window_;
};

class Win32ControlsPlatform : public ControlsPlatform, public ControlsProbe {
  public:
    Win32ControlsPlatform() {
        window_.emplace(GetModuleHandleW(nullptr));
        if (!window_->Show()) ADD_FAILURE() << "the main window was not made";
        controls_.emplace(*window_);
    }

    // The window classes go with the window, so that the next test's
    // window registers them afresh.
    ~Win32ControlsPlatform() override {
        controls_.reset();
        window_.reset();
        UnregisterClassW(win32::kMainWindowClass, GetModuleHandleW(nullptr));
        UnregisterClassW(win32::kExampleWindowClass, GetModuleHandleW(nullptr));
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    Controls& Window() override { return *controls_; }
    const ControlsProbe& Probe() const override { return *this; }

    // A thread timer, which the example window's own message loop delivers.
    void WhenExampleShows(std::function<void(ExampleWindowAccess&)> look) override {
        pendingLook_ = std::move(look);
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
            HWND example = ThreadWindow(win32::kExampleWindowClass);
            if (example == nullptr) return;
            KillTimer(nullptr, timer);
            const auto look = std::move(pendingLook_);
            pendingLook_ = nullptr;
            Win32ExampleAccess access(example);
            if (look) look(access);
            PostMessageW(GetDlgItem(example, win32::ControlId(Control::ExampleCloseButton)),
                         BM_CLICK, 0, 0);
        });
    }

    bool AskToClose() override {
        SendMessageW(window_->Window(), WM_CLOSE, 0, 0);
        return window_->Window() == nullptr;
    }

    std::string Text(Control control) const override { return ShownText(Handle(control)); }
    bool Enabled(Control control) const override { return IsWindowEnabled(Handle(control)); }
    bool Visible(Control control) const override { return IsWindowVisible(Handle(control)); }
    std::optional<Control> Focus() const override {
        HWND focus = GetFocus();
        if (focus == nullptr || GetParent(focus) != window_->Window()) return std::nullopt;
        return static_cast<Control>(GetDlgCtrlID(focus) - win32::ControlId(Control{}));
    }
    // What the control sets when the mouse moves over it.
    PointerSeen PointerOver(Control control) const override {
        HWND over = Handle(control);
        SendMessageW(over, WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        HCURSOR shown = GetCursor();
        if (shown == LoadCursorW(nullptr, IDC_ARROW)) return PointerSeen::Arrow;
        if (shown == LoadCursorW(nullptr, IDC_WAIT)) return PointerSeen::Hourglass;
        if (shown == LoadCursorW(nullptr, IDC_IBEAM)) return PointerSeen::TextBeam;
        return PointerSeen::Other;
    }

  private:
    HWND Handle(Control control) const { return window_->ControlHandle(control); }

    static inline std::function<void(ExampleWindowAccess&)> pendingLook_;
    std::optional<win32::MainWindow> window_;
    std::optional<win32::MainWindowControls> controls_;
};

}  // namespace

std::unique_ptr<ControlsPlatform> MakeControlsPlatform() {
    return std::make_unique<Win32ControlsPlatform>();
}

}  // namespace morvane::testing
