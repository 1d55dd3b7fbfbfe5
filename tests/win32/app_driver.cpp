#include "tests/win32/app_driver.h"

#include <vector>

#include "platform/win32/control_ids.h"
#include "platform/win32/utf.h"
#include "tests/win32/win_test_support.h"

namespace morvane::wintest {

using win32::ControlId;

namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindInProcess(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

// The driver reads the program's windows in physical pixels, the size the
// program gave them. A process that is not per-monitor dpi aware reads the
// windows of a program running at another dpi scaled to its own (Windows 8.1
// and later do that, and so does Wine 10): a window laid out for 144 dpi
// would read as if for 96.
[[maybe_unused]] const bool physicalPixels = [] {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    return set && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}();

}  // namespace

std::wstring PellorinPath() {
    // A Unix path, as the test scripts know it: Wine's drive Z: is the root.
    wchar_t chosen[1024] = {};
    const DWORD length = GetEnvironmentVariableW(L"MORVANE_PELLORIN", chosen, 1024);
    if (length > 0 && length < 1024) {
        std::wstring path = L"Z:";
        for (const wchar_t* c = chosen; *c; ++c) path += *c == L'/' ? L'\\' : *c;
        return path;
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"Pellorin.exe";
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
    Search search{processId, className, nullptr};
    EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    const int length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got =
        static_cast<int>(SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                      reinterpret_cast<LPARAM>(text.data())));
    return win32::WideToUtf8(text.data(), got);
}

App::App(DWORD windowTimeoutMs, const std::wstring& arguments) {
    std::wstring command = L"\"" + PellorinPath() + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    WaitFor(
        [&] {
            return (mainWindow_ = FindProcessWindow(processId_, win32::kMainWindowClass)) !=
                   nullptr;
        },
        windowTimeoutMs);
    if (mainWindow_) {
        threadId_ = GetWindowThreadProcessId(mainWindow_, nullptr);
        WaitForInputIdle(process_, 5000 * WaitScale());
    }
}

App::~App() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

int App::Bits() const {
    BOOL wow64 = FALSE;
    return process_ && IsWow64Process(process_, &wow64) && wow64 ? 32 : 64;
}

bool App::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool App::WaitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs * WaitScale()) == WAIT_OBJECT_0;
}

HWND App::Window(Control control) const { return GetDlgItem(mainWindow_, ControlId(control)); }

std::string App::Text(Control control) const { return WindowText(Window(control)); }

void App::SetText(Control control, const std::string& text) const {
    const std::wstring wide = win32::Utf8ToWide(text);
    SendMessageW(Window(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void App::Type(Control control, wchar_t character) const {
    SendMessageW(Window(control), WM_CHAR, character, 1);
}

void App::PressKey(UINT virtualKey) const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info) || !info.hwndFocus) return;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(info.hwndFocus, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(info.hwndFocus, WM_KEYUP, virtualKey, scan | 1 | (3u << 30));
}

void App::Click(Control control) const { PostMessageW(Window(control), BM_CLICK, 0, 0); }

bool App::Enabled(Control control) const { return IsWindowEnabled(Window(control)) != FALSE; }

bool App::Visible(Control control) const { return IsWindowVisible(Window(control)) != FALSE; }

std::optional<Control> App::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info) || !info.hwndFocus) return std::nullopt;
    if (GetParent(info.hwndFocus) != mainWindow_) return std::nullopt;
    const int id = GetDlgCtrlID(info.hwndFocus) - ControlId(Control::SourcePathBox);
    if (id < 0 || id > static_cast<int>(Control::ExampleFrame)) return std::nullopt;
    return static_cast<Control>(id);
}

std::optional<Notice> App::WaitForNotice(DWORD timeoutMs) const {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindProcessWindow(processId_, L"#32770")) != nullptr; },
                 timeoutMs))
        return std::nullopt;
    Notice notice;
    notice.window = box;
    notice.title = WindowText(box);
    notice.prompt = WindowText(GetDlgItem(box, 0xFFFF));
    return notice;
}

void App::CloseNotice(const Notice& notice) {
    // Sent, not posted: a posted IDOK can leave the box's loop asleep.
    SendMessageW(notice.window, WM_COMMAND, IDOK, 0);
}

bool App::NoticeOpen() const { return FindProcessWindow(processId_, L"#32770") != nullptr; }

HWND App::OpenExampleWindow(DWORD timeoutMs) const {
    Click(Control::ExampleButton);
    HWND exampleWindow = nullptr;
    WaitFor(
        [&] {
            exampleWindow = FindProcessWindow(processId_, win32::kExampleWindowClass);
            return exampleWindow != nullptr;
        },
        timeoutMs);
    return exampleWindow;
}

bool App::WaitIdle(DWORD timeoutMs) const {
    return WaitFor(
        [&] {
            return !NoticeOpen() && IsWindowEnabled(mainWindow_) && Enabled(Control::StartButton);
        },
        timeoutMs);
}

}  // namespace morvane::wintest
