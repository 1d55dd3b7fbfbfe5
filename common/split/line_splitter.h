// Splits one source line into tokens as it streams past, in any width of
// characters, handing them to a sink (split_rules.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/split/delimiter_scanner.h"
#include "common/split/split_rules.h"

namespace morvane::split {

// Works on a line as it streams past, so no line is ever too long: Start()
// at the line's first byte, then Feed() its bytes (without the line break) in
// one or more pieces. DelimiterScanner finds the delimiters; positions go to
// the sink as file offsets.
template <typename Sink>
class LineSplitter {
  public:
    LineSplitter(const SplitRules& rules, Sink& sink) : scanner_(rules), sink_(sink) {}

    void Start(std::uint64_t offset) {
        position_ = offset;
        phase_ = sink_.StartLine(offset) == Next::Nothing ? Phase::Settled : Phase::Leading;
    }

    // Takes bytes continuing the line; `lineEnds` says they run to its end.
    // Answers how many it consumed: all of them when the line ends, otherwise
    // possibly fewer (a character cut off at the end); the caller hands the
    // rest in again with what follows.
    std::size_t Feed(const unsigned char* data, std::size_t size, bool lineEnds) {
        const unsigned char* at = data;
        const unsigned char* const end = data + size;
        bool goOn = true;
        while (goOn && phase_ != Phase::Settled && at < end) {
            goOn = phase_ == Phase::InToken ? StepInToken(data, at, end, lineEnds)
                                            : StepOutsideToken(data, at, end, lineEnds);
        }
        if (phase_ == Phase::Settled || lineEnds) at = end;
        if (lineEnds) {
            sink_.LineEnds(OffsetOf(data, end));
            phase_ = Phase::Settled;
        }
        const auto consumed = static_cast<std::size_t>(at - data);
        position_ += consumed;
        return consumed;
    }

  private:
    // Settled: the sink wants nothing more of the line, so its bytes need not
    // be looked at.
    enum class Phase { Leading, InToken, Between, Settled };

    // Feed's steps from `at`, outside a token (before the first, or between
    // two) and inside one; each answers false when more bytes must come
    // first.
    bool StepOutsideToken(const unsigned char* data, const unsigned char*& at,
                          const unsigned char* end, bool lineEnds) {
        std::size_t length = 0;
        const MatchResult delimiter = scanner_.DelimiterAt(at, end, lineEnds, length);
        if (delimiter == MatchResult::Yes) {
            at += length;
            return true;
        }
        if (delimiter == MatchResult::NeedMore) return false;
        if (phase_ == Phase::Leading) {
            const MatchResult eol = scanner_.EolAt(at, end, lineEnds);
            if (eol == MatchResult::NeedMore) return false;
            if (eol == MatchResult::Yes) {
                phase_ = Phase::Settled;  // a comment line: no tokens
                return true;
            }
        }
        phase_ = sink_.TokenStarts(OffsetOf(data, at)) == Next::Nothing ? Phase::Settled
                                                                        : Phase::InToken;
        return true;
    }

    bool StepInToken(const unsigned char* data, const unsigned char*& at, const unsigned char* end,
                     bool lineEnds) {
        const DelimiterScanner::Found found = scanner_.Find(at, end, lineEnds);
        sink_.TokenText(at, found.at);
        at = found.at;
        if (found.length == 0) return false;  // the token runs on, or ends with the line
        phase_ =
            sink_.TokenEnds(OffsetOf(data, at)) == Next::Nothing ? Phase::Settled : Phase::Between;
        return true;
    }

    // The file offset of `p`, a byte of the piece `data` that Feed was handed.
    std::uint64_t OffsetOf(const unsigned char* data, const unsigned char* p) const {
        return position_ + static_cast<std::uint64_t>(p - data);
    }

    DelimiterScanner scanner_;
    Sink& sink_;
    Phase phase_ = Phase::Leading;
    std::uint64_t position_ = 0;
};

}  // namespace morvane::split
