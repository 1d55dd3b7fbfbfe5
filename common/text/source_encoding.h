// How the encoding of a source file is told and which bytes of it make one
// character: the rules the Linux stand-in interpreter reads its sources by
// (interpreter/README.md, "Encodings"), kept here so that the program's
// survey of a source after a run reads it by the same ones. Portable C++
// alone: no system header.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvane::text {

// Code page 936 is the assumed encoding of a source without a byte-order mark
// that is not UTF-8.
enum class Encoding { Utf8, Gbk, Utf16Le, Utf16Be };

// The encoding a byte-order mark at the start of a file announces, and the
// mark's length.
struct ByteOrderMark {
    Encoding encoding;
    std::size_t length;
};
std::optional<ByteOrderMark> DetectByteOrderMark(std::span<const unsigned char> head);

// A GBK double-byte character is a lead byte 0x81-0xFE followed by a second
// byte 0x40-0xFE other than 0x7F.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool IsGbkSecondByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Whether these bytes are found alike whether a file is read as UTF-8 or as
// GBK: bytes below 0x40 are never part of a multi-byte character in either.
bool ReadAlikeInUtf8AndGbk(std::string_view bytes);

// Tells, piece by piece, whether a byte stream is valid UTF-8. A source
// without a byte-order mark is UTF-8 when it is valid UTF-8 holding at least
// one multi-byte sequence, and GBK otherwise.
class Utf8Validator {
  public:
    // Takes the next bytes; answers false once the stream is known not to be
    // UTF-8 (later calls change nothing).
    bool Feed(const unsigned char* data, std::size_t size);
    // Whether the stream, now ended, was valid UTF-8 (no cut-off sequence).
    bool Finish() const { return valid_ && pending_ == 0; }
    // Whether a multi-byte sequence was seen.
    bool SawMultibyte() const { return sawMultibyte_; }
    // The encoding of a stream without a byte-order mark, once it has ended.
    Encoding Chosen() const { return Finish() && sawMultibyte_ ? Encoding::Utf8 : Encoding::Gbk; }

  private:
    bool valid_ = true;
    bool sawMultibyte_ = false;
    int pending_ = 0;           // continuation bytes still expected
    unsigned char low_ = 0x80;  // allowed range of the next continuation byte
    unsigned char high_ = 0xBF;
};

// Whether `bytes` are well-formed UTF-8 as a whole (no overlong form, no
// surrogate, nothing past U+10FFFF, no sequence cut off): what a name or a
// box's text must be for the program to hold it as text.
bool IsUtf8(std::string_view bytes);

// UTF-8 text in UTF-16 of the byte order `utf16` (Utf16Le or Utf16Be), a
// character beyond the basic plane as a surrogate pair; nothing when the
// text is not well-formed UTF-8.
std::optional<std::string> Utf8ToUtf16(std::string_view utf8, Encoding utf16);

}  // namespace morvane::text
