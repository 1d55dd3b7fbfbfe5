// Splits one source line into the tokens a for /f loop hands to its variables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "interpreter/delimiter_scanner.h"
#include "interpreter/encoding.h"
#include "interpreter/script_line.h"

namespace morvane::interp {

// Byte offsets [begin, end) in the source file.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t Size() const { return end - begin; }
    bool operator==(const ByteRange&) const = default;
};

// How lines are split: delimiter and end-of-line characters already encoded
// in the source's encoding.
struct SplitRules {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> delimiters;
    std::optional<std::string> eol;
    TokenPlan plan;
};

// Works on a line as it streams past, so no line is ever too long: Start()
// at the line's first byte, then Feed() its bytes (without the line break) in
// one or more pieces. The values come out as byte ranges of the source.
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

    // True once the rest of the line cannot change any value (beyond where the
    // rest-of-line variable ends), so its bytes need not be looked at.
    bool Settled() const { return phase_ == Phase::Settled; }

    // Whether the loop body runs: the first variable received a token.
    bool Runs() const { return (assigned_ & 1u) != 0; }
    int VariableCount() const { return variableCount_; }
    // The variable's value; an empty range when it received nothing.
    ByteRange Value(int index) const;

  private:
    enum class Phase { Leading, InToken, Between, Settled };

    void BeginToken(std::uint64_t at);
    void EndToken(std::uint64_t at);

    DelimiterScanner scanner_;
    TokenPlan plan_;
    int variableCount_;
    int highest_;
    std::array<int, kMaxTokenNumber + 1> variableOfToken_{};  // -1: not requested

    Phase phase_ = Phase::Leading;
    std::uint64_t position_ = 0;
    int token_ = 0;
    int open_ = -1;  // variable receiving the current token
    bool restOpen_ = false;
    std::uint32_t assigned_ = 0;
    std::array<ByteRange, kMaxTokenNumber + 1> values_{};
};

}  // namespace morvane::interp
