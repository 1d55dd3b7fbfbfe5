#include "interpreter/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "common/posix/iconv_converter.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

namespace {

using namespace std::string_view_literals;

// What the loop needs to know of each encoding, a row each.
struct EncodingFacts {
    Encoding encoding;
    const char* name;
    std::string_view byteOrderMark;  // none for GBK
    std::string_view lineBreak;      // CR LF
};

constexpr EncodingFacts kEncodings[] = {
    {Encoding::Utf8, "UTF-8", "\xEF\xBB\xBF", "\r\n"},
    {Encoding::Gbk, "GBK (code page 936)", "", "\r\n"},
    {Encoding::Utf16Le, "UTF-16LE", "\xFF\xFE", "\r\0\n\0"sv},
    {Encoding::Utf16Be, "UTF-16BE", "\xFE\xFF", "\0\r\0\n"sv},
};

const EncodingFacts& FactsOf(Encoding encoding) {
    return *std::find_if(std::begin(kEncodings), std::end(kEncodings),
                         [&](const EncodingFacts& facts) { return facts.encoding == encoding; });
}

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

std::string_view ByteOrderMarkBytes(Encoding encoding) { return FactsOf(encoding).byteOrderMark; }

std::string_view LineBreak(Encoding encoding) { return FactsOf(encoding).lineBreak; }

std::optional<std::string> EncodeUtf8Text(std::string_view utf8, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return std::string(utf8);
        case Encoding::Gbk:
            return posix::Utf8ToCodePage936(utf8);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            return text::Utf8ToUtf16(utf8, encoding);
    }
    return std::nullopt;
}

const char* EncodingName(Encoding encoding) { return FactsOf(encoding).name; }

}  // namespace morvane::interp
