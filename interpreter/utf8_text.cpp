#include "interpreter/utf8_text.h"

#include <algorithm>

namespace morvane::interp {

std::size_t Utf8CharLengthAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    length = std::min(length, text.size() - pos);
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return i;
    }
    return length;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

}  // namespace morvane::interp
