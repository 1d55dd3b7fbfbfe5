// Conversions between UTF-8 and the Chinese code pages: code page 936 (GBK),
// the encoding of Chinese text files, and GB18030, its superset that can hold
// every Unicode character, in which the Linux script is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvane::posix {

// Answers nothing when the text holds a character code page 936 cannot
// represent (or is not valid UTF-8).
std::optional<std::string> Utf8ToCodePage936(std::string_view text);

// Every character of valid UTF-8 has a GB18030 form; the bytes of a character
// that code page 936 holds are the same in both, with the one exception of
// the euro sign (0x80 in code page 936, A2 E3 in GB18030). Answers nothing
// for text that is not valid UTF-8.
std::optional<std::string> Utf8ToGb18030(std::string_view text);

// GB18030 text as UTF-8; nothing for bytes that are not GB18030.
std::optional<std::string> Gb18030ToUtf8(std::string_view text);

}  // namespace morvane::posix
