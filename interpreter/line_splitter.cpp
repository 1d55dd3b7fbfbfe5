#include "interpreter/line_splitter.h"

namespace morvane::interp {

LineSplitter::LineSplitter(const SplitRules& rules)
    : scanner_(rules.encoding, rules.delimiters, rules.eol), values_(rules.plan) {}

void LineSplitter::Start(std::uint64_t offset) {
    position_ = offset;
    phase_ = values_.StartLine() == LineValues::Next::Nothing ? Phase::Settled : Phase::Leading;
}

std::size_t LineSplitter::Feed(const unsigned char* data, std::size_t size, bool lineEnds) {
    const unsigned char* at = data;
    const unsigned char* const end = data + size;
    bool goOn = true;
    while (goOn && phase_ != Phase::Settled && at < end) {
        goOn = phase_ == Phase::InToken ? StepInToken(data, at, end, lineEnds)
                                        : StepOutsideToken(data, at, end, lineEnds);
    }
    if (phase_ == Phase::Settled || lineEnds) at = end;
    if (lineEnds) {
        values_.LineEnds(OffsetOf(data, end));
        phase_ = Phase::Settled;
    }
    const auto consumed = static_cast<std::size_t>(at - data);
    position_ += consumed;
    return consumed;
}

bool LineSplitter::StepOutsideToken(const unsigned char* data, const unsigned char*& at,
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
            phase_ = Phase::Settled;  // a comment line: nothing assigned
            return true;
        }
    }
    phase_ = values_.TokenStarts(OffsetOf(data, at)) == LineValues::Next::Nothing ? Phase::Settled
                                                                                  : Phase::InToken;
    return true;
}

bool LineSplitter::StepInToken(const unsigned char* data, const unsigned char*& at,
                               const unsigned char* end, bool lineEnds) {
    const DelimiterScanner::Found found = scanner_.Find(at, end, lineEnds);
    at = found.at;
    if (found.length == 0) return false;
    phase_ = values_.TokenEnds(OffsetOf(data, at)) == LineValues::Next::Nothing ? Phase::Settled
                                                                                : Phase::Between;
    return true;
}

}  // namespace morvane::interp
