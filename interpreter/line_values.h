// The values one line gives a for /f loop's variables, taken as a splitter
// finds the line's tokens: which token goes to which variable, and where the
// rest of the line starts. The splitters (common/split) fill it, as their
// sink; the loop's echo reads it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/split/split_rules.h"
#include "interpreter/for_options.h"

namespace morvane::interp {

// Byte offsets [begin, end) in the source file.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t Size() const { return end - begin; }
    bool operator==(const ByteRange&) const = default;
};

class LineValues {
  public:
    // What a splitter looks for next on the line.
    using Next = split::Next;

    explicit LineValues(const TokenPlan& plan);

    // A new line; Nothing when no variable is asked for.
    Next StartLine(std::uint64_t at);
    // A token starts at `at`: TokenEnd, or Nothing when it starts the rest of
    // the line, which then runs to the line's end.
    Next TokenStarts(std::uint64_t at);
    // The values are ranges of the source: the bytes themselves are not needed.
    void TokenText(const unsigned char*, const unsigned char*) {}
    // The token ends at `at`: TokenStart, or Nothing after the highest token
    // asked for.
    Next TokenEnds(std::uint64_t at);
    // The line ends at `at` (before its line break): a token still open, and
    // the rest of the line, end there.
    void LineEnds(std::uint64_t at);

    // Whether the loop body runs: the first variable received a token.
    bool Runs() const { return (assigned_ & 1u) != 0; }
    int VariableCount() const { return variableCount_; }
    // The value of the variable at `index` (below VariableCount()); an empty
    // range when it received nothing.
    ByteRange Value(int index) const {
        if ((assigned_ & (1u << index)) == 0) return {};
        return values_[static_cast<std::size_t>(index)];
    }

  private:
    void Open(int index, std::uint64_t at) {
        values_[static_cast<std::size_t>(index)] = {at, at};
        assigned_ |= 1u << index;
    }

    int variableCount_;
    // The variable each token number goes to (-1: none); the rest of the
    // line's variable stands at the token after the highest asked for.
    std::array<int, kMaxTokenNumber + 2> variableOfToken_{};
    int restVariable_;  // -2 when there is none
    int lastToken_;     // the token after which nothing matters; -1: the rest decides

    int token_ = 0;
    int open_ = -1;               // the variable receiving the current token
    std::uint32_t assigned_ = 0;  // bit i: the variable at i received a value
    std::array<ByteRange, kMaxTokenNumber + 1> values_{};
};

inline LineValues::LineValues(const TokenPlan& plan)
    : variableCount_(plan.VariableCount()),
      restVariable_(plan.rest ? plan.TokenCount() : -2),
      lastToken_(plan.rest ? -1 : plan.HighestToken()) {
    variableOfToken_.fill(-1);
    for (int index = 0; index < plan.TokenCount(); ++index) {
        variableOfToken_[static_cast<std::size_t>(plan.TokenOfVariable(index))] = index;
    }
    if (plan.rest)
        variableOfToken_[static_cast<std::size_t>(plan.HighestToken() + 1)] = restVariable_;
}

inline LineValues::Next LineValues::StartLine(std::uint64_t) {
    token_ = 0;
    open_ = -1;
    assigned_ = 0;
    return variableCount_ == 0 ? Next::Nothing : Next::TokenStart;
}

inline LineValues::Next LineValues::TokenStarts(std::uint64_t at) {
    open_ = variableOfToken_[static_cast<std::size_t>(++token_)];
    if (open_ < 0) return Next::TokenEnd;
    Open(open_, at);
    if (open_ != restVariable_) return Next::TokenEnd;
    open_ = -1;  // the rest of the line ends with the line
    return Next::Nothing;
}

inline LineValues::Next LineValues::TokenEnds(std::uint64_t at) {
    if (open_ >= 0) values_[static_cast<std::size_t>(open_)].end = at;
    open_ = -1;
    return token_ == lastToken_ ? Next::Nothing : Next::TokenStart;
}

inline void LineValues::LineEnds(std::uint64_t at) {
    if (open_ >= 0) TokenEnds(at);
    if (restVariable_ >= 0 && (assigned_ >> restVariable_) != 0) {
        values_[static_cast<std::size_t>(restVariable_)].end = at;
    }
}

}  // namespace morvane::interp
