// The quoted options of a for /f loop: the token list, the delimiters, the
// end-of-line character, the lines to skip and usebackq.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::interp {

inline constexpr int kMaxTokenNumber = 31;

// The requested token numbers (1..31) and whether one more variable receives
// the rest of the line after the highest of them. Variables are handed out in
// ascending token order, whatever order the list named them in.
struct TokenPlan {
    std::uint32_t tokens = 1;  // bit n-1 set: token n requested
    bool rest = false;

    int TokenCount() const;
    int VariableCount() const { return TokenCount() + (rest ? 1 : 0); }
    int HighestToken() const;  // 0 when no token is requested
    // The token number the variable at `index` receives; 0 for the rest.
    int TokenOfVariable(int index) const;
    bool operator==(const TokenPlan&) const = default;
};

// Parses the text after "tokens=": numbers and ranges m-n separated by commas,
// optionally ending in "*". Numbers above 31 and ranges in the wrong order are
// ignored (a range reaching above 31 as a whole). On a syntax error (a zero,
// a missing number, a stray character) answers nothing and says why.
std::optional<TokenPlan> ParseTokenList(std::string_view text, std::string& error);

// Delimiters and the end-of-line character are characters (UTF-8 text here),
// matched later in whatever encoding the source file has.
struct ForOptions {
    TokenPlan tokens;
    std::vector<std::string> delimiters{" ", "\t"};  // empty: lines are not split
    std::optional<std::string> eol{";"};             // nothing: no line is a comment
    std::uint64_t skip = 0;
    bool usebackq = false;
};

// Parses the text between the quotes: tokens=, delims=, eol=, skip= and
// usebackq (or useback), separated by white space, in any letter case.
// delims= runs to the end of the options; a space ends it early only when
// another option follows it. On a syntax error (unknown option, tokens=0,
// skip=0, ...) answers nothing and says why.
std::optional<ForOptions> ParseForOptions(std::string_view text, std::string& error);

}  // namespace morvane::interp
