#include "interpreter/encoding.h"

#include "platform/posix/iconv_converter.h"

namespace morvane::interp {

using posix::IconvConverter;

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
            return Utf8ToCodePage936(utf8);
        case Encoding::Utf16Le:
            return IconvConverter("UTF-8", "UTF-16LE").Convert(utf8);
        case Encoding::Utf16Be:
            return IconvConverter("UTF-8", "UTF-16BE").Convert(utf8);
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
