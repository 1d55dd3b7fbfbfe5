#include "ui/window_text.h"

namespace morvane {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether a character starts at `at` that takes two units.
bool PairAt(std::u16string_view text, std::size_t at) {
    return IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
}

void AppendUtf8(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes += static_cast<char>(code);
        return;
    }
    const int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLeadMarks[] = {0, 0xC0, 0xE0, 0xF0};
    bytes += static_cast<char>(kLeadMarks[continuations] | (code >> (6 * continuations)));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6)
        bytes += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
}

}  // namespace

std::string WindowTextToUtf8(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 3);
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t code = text[at];
        if (PairAt(text, at)) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        }
        AppendUtf8(bytes, code);
    }
    return bytes;
}

std::size_t UnitsOfFirstCharacters(std::u16string_view text, std::size_t characters) {
    std::size_t units = 0;
    for (; characters > 0 && units < text.size(); --characters)
        units += PairAt(text, units) ? 2 : 1;
    return units;
}

}  // namespace morvane
