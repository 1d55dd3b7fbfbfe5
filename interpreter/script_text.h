// How the words of a script line are told apart: blanks, and keywords in any
// letter case. The text is UTF-8, the script after its conversion from
// GB18030.
#pragma once

#include <cstddef>
#include <string_view>

namespace morvane::interp {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII case-insensitive comparison of text's start with a lower-case word.
inline bool StartsWithWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

}  // namespace morvane::interp
