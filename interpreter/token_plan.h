// Which tokens of a line a for /f loop hands to its variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace morvane::interp
