// How a loop splits its source's lines, in the source's encoding: the rules
// the shared splitter (common/split) takes, and the tokens the loop asks for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/split/split_rules.h"
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

    split::SplitRules ForSplitter() const {
        return {split::CharactersOf(encoding), delimiters, eol};
    }
};

}  // namespace morvane::interp
