// Deciding a source file's encoding.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interpreter/encoding.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

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

}  // namespace morvane::interp
