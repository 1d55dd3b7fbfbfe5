// UTF-8 <-> UTF-16 for the Win32 code: the portable code speaks UTF-8, the
// system speaks UTF-16.
#pragma once

#include <optional>
#include <string>

namespace morvane::win32 {

// Strict: answers nothing for text that is not valid UTF-8.
std::optional<std::wstring> Utf8ToWideStrict(const std::string& text);

// Lenient: invalid sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);

// Lone surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);
std::string WideToUtf8(const wchar_t* text, int length);

}  // namespace morvane::win32
