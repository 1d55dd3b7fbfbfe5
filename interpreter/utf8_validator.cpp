#include "interpreter/utf8_validator.h"

#include <cstdint>
#include <cstring>

namespace morvane::interp {

namespace {

bool AllAscii(const unsigned char* data) {
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

}  // namespace

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

}  // namespace morvane::interp
