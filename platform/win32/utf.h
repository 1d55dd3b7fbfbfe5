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

// Wide text of a path for a Win32 call; nothing when it cannot be one (not
// UTF-8, or an embedded NUL that would cut it short).
std::optional<std::wstring> PathText(const std::string& path);

}  // namespace morvane::win32
