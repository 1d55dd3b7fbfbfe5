#include "platform/win32/command_line.h"

#include "platform/win32/windows_inc.h"

#include <shellapi.h>

#include <memory>

#include "ui/window_text.h"

namespace morvane::win32 {

namespace {

struct LocalFreeDeleter {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

// `name` made a full path; as it is when the system cannot make one.
std::wstring FullPath(const std::wstring& name) {
    const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return name;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return name;
    full.resize(got);
    return full;
}

}  // namespace

std::vector<std::string> CommandLineFiles() {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> files;
    if (!arguments) return files;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments.get()[i];
        if (argument.empty()) continue;
        // A name with half of a surrogate pair must be refused as it is,
        // not become another name with U+FFFD.
        const std::wstring full = FullPath(argument);
        files.push_back(WindowTextToUtf8(std::u16string(full.begin(), full.end())));
    }
    return files;
}

}  // namespace morvane::win32
