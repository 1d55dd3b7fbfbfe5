// Where a source line ends, in any width of characters: at a line feed, with
// one CR right before it belonging to the line break; a CR anywhere else is
// data.
#pragma once

#include "common/split/byte_search.h"
#include "common/split/split_rules.h"

namespace morvane::split {

// The first line feed in [from, end), `from` being a code unit's start; `end`
// when there is none.
inline const unsigned char* FindLineFeed(const Characters& characters, const unsigned char* from,
                                         const unsigned char* end) {
    if (!characters.IsUtf16()) return FindByte(from, end, '\n');
    for (; end - from >= 2; from += 2) {
        if (Utf16UnitAt(from, characters.width) == '\n') return from;
    }
    return end;
}

// Whether the whole units [begin, end) end in a CR.
inline bool EndsWithCarriageReturn(const Characters& characters, const unsigned char* begin,
                                   const unsigned char* end) {
    if (static_cast<std::size_t>(end - begin) < characters.UnitSize()) return false;
    if (!characters.IsUtf16()) return end[-1] == '\r';
    return Utf16UnitAt(end - 2, characters.width) == '\r';
}

}  // namespace morvane::split
