#include "interpreter/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/posix/iconv_converter.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

namespace {

bool NeedsEncoding(const std::string& character) { return !text::ReadAlikeInUtf8AndGbk(character); }

}  // namespace

bool EncodingMatters(const std::vector<std::string>& delimiters,
                     const std::optional<std::string>& eol, const std::string& echoText) {
    return std::any_of(delimiters.begin(), delimiters.end(), NeedsEncoding) ||
           (eol && NeedsEncoding(*eol)) ||
           std::any_of(echoText.begin(), echoText.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::optional<Encoding> ChooseEncodingFromContent(SourceFile& source, const unsigned char* head,
                                                  std::size_t headSize, bool headIsAll) {
    text::Utf8Validator validator;
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
