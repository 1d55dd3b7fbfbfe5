#include "tests/win32/win_test_support.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/win32/utf.h"

namespace morvane::wintest {

DWORD WaitScale() {
    static const DWORD scale = [] {
        wchar_t value[16] = {};
        const DWORD length = GetEnvironmentVariableW(L"MORVANE_WAIT_SCALE", value, 16);
        const unsigned long parsed = length > 0 && length < 16 ? wcstoul(value, nullptr, 10) : 0;
        return parsed >= 1 && parsed <= 20 ? static_cast<DWORD>(parsed) : 1u;
    }();
    return scale;
}

HeldInterpreter::HeldInterpreter(const std::wstring& program) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    if (!CreatePipe(&readEnd, &input_, &inherit, 0)) return;
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + program + L"\" /c set /p morvane_hold=";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    CloseHandle(readEnd);
}

void HeldInterpreter::Release() {
    if (input_) {
        DWORD written = 0;
        ::WriteFile(input_, "x\r\n", 3, &written, nullptr);
        CloseHandle(input_);
        input_ = nullptr;
    }
    if (process_) {
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
        process_ = nullptr;
    }
}

HeldInterpreter::~HeldInterpreter() { Release(); }

std::vector<ProcessEntry> DescendantProcesses(DWORD parentId) {
    std::vector<std::pair<PROCESSENTRY32W, bool>> all;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return {};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (Process32FirstW(snapshot, &entry)) {
        do all.emplace_back(entry, false);
        while (Process32NextW(snapshot, &entry));
    }
    CloseHandle(snapshot);
    std::vector<ProcessEntry> found;
    std::vector<DWORD> parents = {parentId};
    while (!parents.empty()) {
        const DWORD parent = parents.back();
        parents.pop_back();
        for (auto& [process, taken] : all) {
            if (taken || process.th32ParentProcessID != parent || process.th32ProcessID == parentId)
                continue;
            taken = true;
            found.push_back({process.th32ProcessID, process.szExeFile});
            parents.push_back(process.th32ProcessID);
        }
    }
    return found;
}

std::vector<HWND> VisibleWindowsOf(const std::vector<ProcessEntry>& processes) {
    struct Search {
        const std::vector<ProcessEntry>* processes;
        std::vector<HWND> windows;
    } search{&processes, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (!IsWindowVisible(window)) return TRUE;
            for (const ProcessEntry& process : *s->processes) {
                if (process.id == owner) s->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

RegistryValueOverride::RegistryValueOverride(const std::wstring& key, const std::wstring& name,
                                             DWORD type, const std::wstring& text)
    : key_(key), name_(name) {
    Set(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

RegistryValueOverride::RegistryValueOverride(const std::wstring& key, const std::wstring& name,
                                             DWORD number)
    : key_(key), name_(name) {
    Set(REG_DWORD, &number, sizeof number);
}

void RegistryValueOverride::Set(DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return;
    DWORD oldType = 0, oldSize = 0;
    if (RegQueryValueExW(opened, name_.c_str(), nullptr, &oldType, nullptr, &oldSize) ==
        ERROR_SUCCESS) {
        std::vector<BYTE> bytes(oldSize);
        RegQueryValueExW(opened, name_.c_str(), nullptr, &oldType, bytes.data(), &oldSize);
        bytes.resize(oldSize);
        old_.emplace(oldType, std::move(bytes));
    }
    RegSetValueExW(opened, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
}

RegistryValueOverride::~RegistryValueOverride() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_WRITE, &opened) != ERROR_SUCCESS)
        return;
    if (old_) {
        RegSetValueExW(opened, name_.c_str(), 0, old_->first, old_->second.data(),
                       static_cast<DWORD>(old_->second.size()));
    } else {
        RegDeleteValueW(opened, name_.c_str());
    }
    RegCloseKey(opened);
}

EnvironmentOverride::EnvironmentOverride(const std::wstring& name, const std::wstring& value)
    : name_(name) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring old(size, L'\0');
        old.resize(GetEnvironmentVariableW(name.c_str(), old.data(), size));
        old_ = old;
    }
    SetEnvironmentVariableW(name.c_str(), value.c_str());
}

EnvironmentOverride::~EnvironmentOverride() {
    SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

}  // namespace morvane::wintest
