// The encodings a source file can have, how a source's encoding is decided,
// and text put into them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::interp {

class SourceFile;

// Code page 936 is the assumed encoding of a source without a byte-order mark
// that is not UTF-8. (The script itself is GB18030, its superset.)
enum class Encoding { Utf8, Gbk, Utf16Le, Utf16Be };

// The encoding a byte-order mark at the start of a file announces, and the
// mark's length.
struct ByteOrderMark {
    Encoding encoding;
    std::size_t length;
};
std::optional<ByteOrderMark> DetectByteOrderMark(std::span<const unsigned char> head);

// Whether telling UTF-8 from GBK changes anything for these characters (UTF-8
// text): it does not when every delimiter and the end-of-line character are
// ASCII below 0x40 and the echo text is ASCII, since such bytes are never part
// of a multi-byte character in either encoding.
bool EncodingMatters(const std::vector<std::string>& delimiters,
                     const std::optional<std::string>& eol, const std::string& echoText);

// A source without a byte-order mark is UTF-8 when its content is valid UTF-8
// holding at least one multi-byte sequence, and GBK otherwise. The whole file
// is examined when it can be read twice; from a pipe, only `head` (the bytes
// already read) is. Answers nothing on a read error.
std::optional<Encoding> ChooseEncodingFromContent(SourceFile& source, const unsigned char* head,
                                                  std::size_t headSize, bool headIsAll);

// A GBK double-byte character is a lead byte 0x81-0xFE followed by a second
// byte 0x40-0xFE other than 0x7F.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool IsGbkSecondByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// The byte-order mark written at the start of an output file in `encoding`.
std::string_view ByteOrderMarkBytes(Encoding encoding);

// CR LF in `encoding`.
std::string_view LineBreak(Encoding encoding);

// Bytes per code unit: 2 for UTF-16, 1 otherwise.
std::size_t UnitSize(Encoding encoding);

// UTF-8 text re-encoded; nothing when a character has no equivalent there.
std::optional<std::string> EncodeUtf8Text(std::string_view utf8, Encoding encoding);

const char* EncodingName(Encoding encoding);

}  // namespace morvane::interp
