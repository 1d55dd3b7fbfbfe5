// How a source's lines are split, in the source's encoding: what both
// splitters are made from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interpreter/encoding.h"
#include "interpreter/for_options.h"

namespace morvane::interp {

// The delimiter and end-of-line characters already encoded in the source's
// encoding, and the tokens asked for.
struct SplitRules {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> delimiters;
    std::optional<std::string> eol;
    TokenPlan plan;
};

}  // namespace morvane::interp
