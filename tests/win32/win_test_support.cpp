#include "tests/win32/win_test_support.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/win32/utf.h"

namespace morvane::wintest {

using win32::Utf8ToWide;
using win32::WideToUtf8;

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

DWORD WaitScale() {
    static const DWORD scale = [] {
        wchar_t value[16] = {};
        const DWORD length = GetEnvironmentVariableW(L"MORVANE_WAIT_SCALE", value, 16);
        const unsigned long parsed = length > 0 && length < 16 ? wcstoul(value, nullptr, 10) : 0;
        return parsed >= 1 && parsed <= 20 ? static_cast<DWORD>(parsed) : 1u;
    }();
    return scale;
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        const std::wstring candidate = std::wstring(base) + L"morvane-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = WideToUtf8(candidate);
            return;
        }
    }
}

TempFolder::~TempFolder() { RemoveTree(Utf8ToWide(path_)); }

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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
        WriteFile(input_, "x\r\n", 3, &written, nullptr);
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
