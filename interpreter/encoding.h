// The encodings a source file can have, and text put into them.
#pragma once

#include "platform/posix/code_page.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvane::interp {

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

// The byte-order mark written at the start of an output file in `encoding`.
std::string_view ByteOrderMarkBytes(Encoding encoding);

// CR LF in `encoding`.
std::string_view LineBreak(Encoding encoding);

// Bytes per code unit: 2 for UTF-16, 1 otherwise.
std::size_t UnitSize(Encoding encoding);

// UTF-8 text re-encoded; nothing when a character has no equivalent there.
std::optional<std::string> EncodeUtf8Text(std::string_view utf8, Encoding encoding);

// UTF-8 text in code page 936 (a source's assumed encoding), and the
// script's own encoding, GB18030, both ways.
using posix::Gb18030ToUtf8;
using posix::Utf8ToCodePage936;
using posix::Utf8ToGb18030;

const char* EncodingName(Encoding encoding);

}  // namespace morvane::interp
