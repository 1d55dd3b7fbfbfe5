// Finds delimiter characters in a source line, in the source's encoding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/split/split_rules.h"

namespace morvane::split {

enum class MatchResult { No, Yes, NeedMore };

// Matches characters rather than bytes: in a double-byte code page a byte
// that is the second byte of a double-byte character never matches, in
// UTF-16 only whole code units do. Every position handed in must be the start of a character;
// `lineEnds` says whether the bytes up to `end` are the rest of the line or more follow.
class DelimiterScanner {
  public:
    // `delimiters` and `eol` are characters already encoded in the source's bytes.
    DelimiterScanner(const Characters& characters, const std::vector<std::string>& delimiters,
                     std::optional<std::string> eol);
    explicit DelimiterScanner(const SplitRules& rules)
        : DelimiterScanner(rules.characters, rules.delimiters, rules.eol) {}

    // Whether the character at `at` is a delimiter; on Yes, `length` is its size.
    MatchResult DelimiterAt(const unsigned char* at, const unsigned char* end, bool lineEnds,
                            std::size_t& length) const;
    // Whether the character at `at` is the end-of-line character.
    MatchResult EolAt(const unsigned char* at, const unsigned char* end, bool lineEnds) const;

    struct Found {
        // The delimiter's position, or when none was found the first byte not
        // yet examined (the start of a character; `end` unless a character or a
        // delimiter is cut off there and more bytes follow).
        const unsigned char* at;
        std::size_t length;  // 0: no delimiter
    };
    // The first delimiter character at or after `from`.
    Found Find(const unsigned char* from, const unsigned char* end, bool lineEnds) const;

  private:
    enum class Kind { None, SingleByte, ByteSet, Sequences, Utf16 };

    Found FindSequence(const unsigned char* from, const unsigned char* end, bool lineEnds) const;
    Found FindUtf16(const unsigned char* from, const unsigned char* end, bool lineEnds) const;
    const unsigned char* NextCandidate(const unsigned char* from, const unsigned char* end) const;

    Kind kind_ = Kind::None;
    Characters characters_;
    // A double-byte code page with a delimiter whose bytes can be a second byte.
    bool doubleBytes_ = false;
    unsigned char single_ = 0;
    std::array<bool, 256> firstByte_{};
    int distinctFirstBytes_ = 0;
    std::vector<std::string> sequences_;
    std::vector<std::uint16_t> units_;         // UTF-16: characters of one unit
    std::vector<std::string> surrogatePairs_;  // UTF-16: characters of two units
    std::optional<std::string> eol_;
};

}  // namespace morvane::split
