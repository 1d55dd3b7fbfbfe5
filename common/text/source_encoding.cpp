#include "common/text/source_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace morvane::text {

namespace {

bool AllAscii(const unsigned char* data) {
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

}  // namespace

std::optional<ByteOrderMark> DetectByteOrderMark(std::span<const unsigned char> head) {
    if (head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        return ByteOrderMark{Encoding::Utf8, 3};
    }
    if (head.size() >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
        return ByteOrderMark{Encoding::Utf16Le, 2};
    }
    if (head.size() >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
        return ByteOrderMark{Encoding::Utf16Be, 2};
    }
    return std::nullopt;
}

bool ReadAlikeInUtf8AndGbk(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x40; });
}

bool Utf8Validator::Feed(const unsigned char* data, std::size_t size) {
    if (!valid_) return false;
    const unsigned char* at = data;
    const unsigned char* const end = data + size;
    while (at < end) {
        if (pending_ == 0) {
            while (end - at >= 8 && AllAscii(at)) at += 8;
            if (at == end) break;
            const unsigned char b = *at++;
            if (b < 0x80) continue;
            sawMultibyte_ = true;
            // Most of Chinese text: a whole three-byte character of the
            // plain ranges, E1-EC and EE-EF followed by two 80-BF.
            if (b >= 0xE1 && b != 0xED && b <= 0xEF && end - at >= 2 && (at[0] & 0xC0) == 0x80 &&
                (at[1] & 0xC0) == 0x80) {
                at += 2;
                continue;
            }
            low_ = 0x80;
            high_ = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                pending_ = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                pending_ = 2;
                if (b == 0xE0) low_ = 0xA0;
                if (b == 0xED) high_ = 0x9F;  // no surrogates
            } else if (b >= 0xF0 && b <= 0xF4) {
                pending_ = 3;
                if (b == 0xF0) low_ = 0x90;
                if (b == 0xF4) high_ = 0x8F;
            } else {
                valid_ = false;
                return false;
            }
            continue;
        }
        const unsigned char b = *at++;
        if (b < low_ || b > high_) {
            valid_ = false;
            return false;
        }
        low_ = 0x80;
        high_ = 0xBF;
        --pending_;
    }
    return true;
}

bool IsUtf8(std::string_view bytes) {
    Utf8Validator validator;
    validator.Feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return validator.Finish();
}

std::optional<std::string> Utf8ToUtf16(std::string_view utf8, Encoding utf16) {
    if (!IsUtf8(utf8)) return std::nullopt;
    std::string out;
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += utf16 == Encoding::Utf16Be ? std::string{high, low} : std::string{low, high};
    };
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        // Well-formed, so the lead byte tells the length and the bits kept.
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t i = 1; i < length; ++i)
            code = code << 6 | (static_cast<unsigned char>(utf8[at + i]) & 0x3Fu);
        at += length;
        if (code < 0x10000) {
            put(code);
        } else {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + (code & 0x3FF));
        }
    }
    return out;
}

}  // namespace morvane::text
