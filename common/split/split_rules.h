// What a splitter of source lines is given: how the source's bytes make
// characters, and the delimiter and end-of-line characters in those bytes;
// and what it hands on, token by token, to whoever uses the split. The
// stand-in interpreter splits by these to write a loop's values; the
// program's survey of a source after a run splits by them to count what each
// line gave. Portable C++ alone: no system header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/text/source_encoding.h"

namespace morvane::split {

// How bytes make characters.
enum class Width {
    Bytes,        // every byte (UTF-8: a delimiter of several bytes is found as a byte sequence)
    DoubleBytes,  // a lead byte and a second byte, or one byte (GBK, the ANSI code pages of Asia)
    Utf16Le,      // two bytes, whole code units only
    Utf16Be,
};

// Which bytes lead a double-byte character; none for the other widths. Every
// lead byte of the double-byte code pages lies in 0x81-0xFE, so it can also
// be the second byte of another character.
using LeadBytes = std::array<bool, 256>;

struct Characters {
    Width width = Width::Bytes;
    LeadBytes leadBytes{};

    bool IsUtf16() const { return width == Width::Utf16Le || width == Width::Utf16Be; }
    std::size_t UnitSize() const { return IsUtf16() ? 2 : 1; }
};

// The characters of a source in one of the encodings the stand-in tells
// apart; GBK's lead bytes are 0x81-0xFE.
Characters CharactersOf(text::Encoding encoding);

// A double-byte code page of the given lead bytes.
Characters DoubleBytes(const LeadBytes& leadBytes);

// The code unit at `at` of a UTF-16LE or UTF-16BE text.
inline std::uint16_t Utf16UnitAt(const unsigned char* at, Width width) {
    return width == Width::Utf16Be ? static_cast<std::uint16_t>(at[0] << 8 | at[1])
                                   : static_cast<std::uint16_t>(at[1] << 8 | at[0]);
}

// The delimiter and end-of-line characters, already encoded in the source's
// bytes.
struct SplitRules {
    Characters characters;
    std::vector<std::string> delimiters;
    std::optional<std::string> eol;
};

// The rules of the split (the for /f loop of the command interpreter):
// leading delimiters are dropped; a line that is then empty, or starts with
// the end-of-line character, has no tokens; a token is a maximal run of
// non-delimiters, so delimiters in a row count as one.
//
// A splitter hands what it finds to a sink, a class with these members
// (called in this order for each line, all inline, so a sink that ignores
// one costs nothing):
//
//   Next StartLine(std::uint64_t at);   // a line starts at file offset `at`
//   Next TokenStarts(std::uint64_t at);
//   void TokenText(const unsigned char* begin, const unsigned char* end);
//       // the bytes of the token begun, in one or more stretches
//   Next TokenEnds(std::uint64_t at);   // at a delimiter, or at the line's end
//   void LineEnds(std::uint64_t at);    // the line's content ends (no line break);
//       // a token still open ends there too
//
// Each answer says what the sink wants next on the line; Nothing lets the
// splitter pass over the rest of it (its bytes are not looked at).
enum class Next { TokenStart, TokenEnd, Nothing };

}  // namespace morvane::split
