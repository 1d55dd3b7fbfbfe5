// Splits one source line into the tokens a for /f loop hands to its variables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interpreter/delimiter_scanner.h"
#include "interpreter/line_values.h"
#include "interpreter/split_rules.h"

namespace morvane::interp {

// Works on a line as it streams past, so no line is ever too long: Start()
// at the line's first byte, then Feed() its bytes (without the line break) in
// one or more pieces. The values come out as byte ranges of the source.
// DelimiterScanner finds the delimiters, LineValues takes the tokens.
//
// The rules: leading delimiters are dropped; a line that is then empty or
// starts with the end-of-line character gives nothing; a token is a maximal
// run of non-delimiters, so consecutive delimiters count as one.
class LineSplitter {
  public:
    explicit LineSplitter(const SplitRules& rules);

    void Start(std::uint64_t offset);

    // Takes bytes continuing the line; `lineEnds` says they run to its end.
    // Answers how many it consumed: all of them when the line ends, otherwise
    // possibly fewer (a character cut off at the end); the caller hands the
    // rest in again with what follows.
    std::size_t Feed(const unsigned char* data, std::size_t size, bool lineEnds);

    // The line's values, complete once its last bytes are fed.
    const LineValues& Values() const { return values_; }

  private:
    // Settled: the rest of the line cannot change any value (beyond where
    // the rest-of-line variable ends), so its bytes need not be looked at.
    enum class Phase { Leading, InToken, Between, Settled };

    // Feed's steps from `at`, outside a token (before the first, or between
    // two) and inside one; each answers false when more bytes must come
    // first.
    bool StepOutsideToken(const unsigned char* data, const unsigned char*& at,
                          const unsigned char* end, bool lineEnds);
    bool StepInToken(const unsigned char* data, const unsigned char*& at, const unsigned char* end,
                     bool lineEnds);
    // The file offset of `p`, a byte of the piece `data` that Feed was handed.
    std::uint64_t OffsetOf(const unsigned char* data, const unsigned char* p) const {
        return position_ + static_cast<std::uint64_t>(p - data);
    }

    DelimiterScanner scanner_;
    LineValues values_;
    Phase phase_ = Phase::Leading;
    std::uint64_t position_ = 0;
};

}  // namespace morvane::interp
