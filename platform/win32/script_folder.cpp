#include "platform/win32/script_folder.h"

#include "platform/win32/windows_inc.h"

#include <shlobj.h>

#include "platform/win32/win32_system.h"

namespace morvane::win32 {

namespace {

constexpr const wchar_t* kFolderName = L"Morvane";

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

std::wstring ScriptFolderPath() {
    wchar_t base[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                   SHGFP_TYPE_CURRENT, base)) &&
        base[0] != L'\0') {
        return WithoutTrailingBackslash(base) + L"\\" + kFolderName;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    // No folder at all: nothing is written anywhere shared instead.
    if (length == 0 || length > MAX_PATH) return L"";
    return WithoutTrailingBackslash(temp) + L"\\" + kFolderName;
}

bool EnsureScriptFolder(const std::wstring& folder, std::string& reason) {
    if (folder.empty()) {
        reason = SystemReason(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
        reason = SystemReason(ERROR_DIRECTORY);
        return false;
    }
    reason = SystemReason(error);
    return false;
}

}  // namespace morvane::win32
