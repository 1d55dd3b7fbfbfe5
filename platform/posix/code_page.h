// Conversion from UTF-8 to code page 936, the script's encoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvane::posix {

// Answers nothing when the text holds a character code page 936 cannot
// represent (or is not valid UTF-8).
std::optional<std::string> Utf8ToCodePage936(std::string_view text);

}  // namespace morvane::posix
