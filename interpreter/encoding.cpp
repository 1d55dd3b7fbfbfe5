#include "interpreter/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/posix/iconv_converter.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

namespace {

// Tells, piece by piece, whether a byte stream is valid UTF-8.
class Utf8Validator {
  public:
    // Takes the next bytes; answers false once the stream is known not to be
    // UTF-8 (later calls change nothing).
    bool Feed(const unsigned char* data, std::size_t size);
    // Whether the stream, now ended, was valid UTF-8 (no cut-off sequence).
    bool Finish() const { return valid_ && pending_ == 0; }
    // Whether a multi-byte sequence was seen.
    bool SawMultibyte() const { return sawMultibyte_; }

  private:
    bool valid_ = true;
    bool sawMultibyte_ = false;
    int pending_ = 0;           // continuation bytes still expected
    unsigned char low_ = 0x80;  // allowed range of the next continuation byte
    unsigned char high_ = 0xBF;
};

bool AllAscii(const unsigned char* data) {
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
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

bool NeedsEncoding(const std::string& character) {
    return std::any_of(character.begin(), character.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x40; });
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

bool EncodingMatters(const std::vector<std::string>& delimiters,
                     const std::optional<std::string>& eol, const std::string& echoText) {
    return std::any_of(delimiters.begin(), delimiters.end(), NeedsEncoding) ||
           (eol && NeedsEncoding(*eol)) ||
           std::any_of(echoText.begin(), echoText.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::optional<Encoding> ChooseEncodingFromContent(SourceFile& source, const unsigned char* head,
                                                  std::size_t headSize, bool headIsAll) {
    Utf8Validator validator;
    bool valid = validator.Feed(head, headSize);
    if (valid && !headIsAll && source.Seekable()) {
        std::vector<unsigned char> chunk(256 * 1024);
        std::uint64_t offset = headSize;
        while (valid) {
            const ssize_t got = source.ReadAt(offset, chunk.data(), chunk.size());
            if (got < 0) return std::nullopt;
            if (got == 0) break;
            valid = validator.Feed(chunk.data(), static_cast<std::size_t>(got));
            offset += static_cast<std::uint64_t>(got);
        }
        valid = valid && validator.Finish();
    } else if (valid && headIsAll) {
        valid = validator.Finish();
    }
    return valid && validator.SawMultibyte() ? Encoding::Utf8 : Encoding::Gbk;
}

std::string_view ByteOrderMarkBytes(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return "\xEF\xBB\xBF";
        case Encoding::Utf16Le:
            return "\xFF\xFE";
        case Encoding::Utf16Be:
            return "\xFE\xFF";
        case Encoding::Gbk:
            break;
    }
    return {};
}

std::string_view LineBreak(Encoding encoding) {
    using namespace std::string_view_literals;
    switch (encoding) {
        case Encoding::Utf16Le:
            return "\r\0\n\0"sv;
        case Encoding::Utf16Be:
            return "\0\r\0\n"sv;
        case Encoding::Utf8:
        case Encoding::Gbk:
            break;
    }
    return "\r\n"sv;
}

std::size_t UnitSize(Encoding encoding) {
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be ? 2 : 1;
}

std::optional<std::string> EncodeUtf8Text(std::string_view utf8, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return std::string(utf8);
        case Encoding::Gbk:
            return posix::Utf8ToCodePage936(utf8);
        case Encoding::Utf16Le:
            return posix::IconvConverter("UTF-8", "UTF-16LE").Convert(utf8);
        case Encoding::Utf16Be:
            return posix::IconvConverter("UTF-8", "UTF-16BE").Convert(utf8);
    }
    return std::nullopt;
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return "UTF-8";
        case Encoding::Gbk:
            return "GBK (code page 936)";
        case Encoding::Utf16Le:
            return "UTF-16LE";
        case Encoding::Utf16Be:
            return "UTF-16BE";
    }
    return "?";
}

}  // namespace morvane::interp
