// The quoted options string of a for /f loop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/token_plan.h"

namespace morvane::interp {

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
