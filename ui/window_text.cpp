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

bool IsUtf8(std::string_view bytes) {
    static constexpr char32_t kLeastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || at + length > bytes.size()) return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t next = at + 1; next < at + length; ++next) {
            const auto unit = static_cast<unsigned char>(bytes[next]);
            if ((unit & 0xC0) != 0x80) return false;
            code = (code << 6) | (unit & 0x3F);
        }
        if (length > 1 && code < kLeastOfLength[length]) return false;  // an overlong form
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        at += length;
    }
    return true;
}

}  // namespace morvane
