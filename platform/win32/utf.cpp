#include "platform/win32/utf.h"

#include "platform/win32/windows_inc.h"

namespace morvane::win32 {

namespace {

std::optional<std::wstring> ToWide(const std::string& text, DWORD flags) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, flags, text.data(), size, wide.data(), length) != length)
        return std::nullopt;
    return wide;
}

}  // namespace

std::optional<std::wstring> Utf8ToWideStrict(const std::string& text) {
    return ToWide(text, MB_ERR_INVALID_CHARS);
}

std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(text, 0).value_or(std::wstring());
}

std::string WideToUtf8(const wchar_t* text, int length) {
    if (length <= 0) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::string WideToUtf8(const std::wstring& text) {
    return WideToUtf8(text.data(), static_cast<int>(text.size()));
}

std::optional<std::wstring> PathText(const std::string& path) {
    if (path.find('\0') != std::string::npos) return std::nullopt;
    return Utf8ToWideStrict(path);
}

}  // namespace morvane::win32
