#include "platform/win32/interpreter_launch.h"

#include <vector>

#include "platform/win32/win32_system.h"

namespace morvane::win32 {

std::wstring InterpreterPath() {
    const DWORD size = GetEnvironmentVariableW(L"ComSpec", nullptr, 0);
    if (size > 1) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(L"ComSpec", value.data(), size);
        if (length > 0 && length < size) {
            value.resize(length);
            return value;
        }
    }
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    std::wstring folder(system, length > 0 && length < MAX_PATH ? length : 0);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + L"cmd.exe";
}

std::wstring InterpreterCommandLine(const std::wstring& interpreter,
                                    const std::wstring& scriptPath) {
    return L"\"" + interpreter + L"\" /d /v:off /c \"\"" + scriptPath + L"\"\"";
}

UniqueHandle LaunchInterpreter(const std::wstring& scriptPath, std::string& reason) {
    const std::wstring interpreter = InterpreterPath();
    const std::wstring command = InterpreterCommandLine(interpreter, scriptPath);
    // CreateProcessW may write into the command line: give it a copy.
    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // The program named first, so that no search along the path or the
    // current folder can put another program in its place.
    if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        reason = SystemReason(GetLastError());
        return UniqueHandle();
    }
    CloseHandle(process.hThread);
    return UniqueHandle(process.hProcess);
}

}  // namespace morvane::win32
