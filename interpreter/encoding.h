// The encodings a source file can have, how a source's encoding is decided,
// and text put into them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text/source_encoding.h"

namespace morvane::interp {

class SourceFile;

// The encodings, the byte-order marks and GBK's double-byte characters are
// common/text's, which the program's survey of a source reads by too.
using text::ByteOrderMark;
using text::DetectByteOrderMark;
using text::Encoding;
using text::IsGbkLeadByte;
using text::IsGbkSecondByte;

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

// The byte-order mark written at the start of an output file in `encoding`.
std::string_view ByteOrderMarkBytes(Encoding encoding);

// CR LF in `encoding`.
std::string_view LineBreak(Encoding encoding);

// UTF-8 text re-encoded; nothing when a character has no equivalent there.
std::optional<std::string> EncodeUtf8Text(std::string_view utf8, Encoding encoding);

const char* EncodingName(Encoding encoding);

}  // namespace morvane::interp
