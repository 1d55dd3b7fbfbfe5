// Small helpers for walking valid UTF-8 text (the script after conversion).
#pragma once

#include <cstddef>
#include <string_view>

namespace morvane::interp {

// Length of the character starting at `pos` (1 for a stray byte), never
// running past the end of the text.
std::size_t Utf8CharLengthAt(std::string_view text, std::size_t pos);

bool IsBlank(char c);  // space or tab

// ASCII case-insensitive comparison of text's start with a lower-case word.
bool StartsWithWord(std::string_view text, std::string_view lowerWord);

}  // namespace morvane::interp
