#include "interpreter/line_splitter.h"

namespace morvane::interp {

LineSplitter::LineSplitter(const SplitRules& rules)
    : scanner_(rules.encoding, rules.delimiters, rules.eol),
      plan_(rules.plan),
      variableCount_(rules.plan.VariableCount()),
      highest_(rules.plan.HighestToken()) {
    variableOfToken_.fill(-1);
    for (int index = 0; index < plan_.TokenCount(); ++index) {
        variableOfToken_[static_cast<std::size_t>(plan_.TokenOfVariable(index))] = index;
    }
}

void LineSplitter::Start(std::uint64_t offset) {
    position_ = offset;
    token_ = 0;
    open_ = -1;
    restOpen_ = false;
    assigned_ = 0;
    phase_ = variableCount_ == 0 ? Phase::Settled : Phase::Leading;
}

ByteRange LineSplitter::Value(int index) const {
    if (index < 0 || index >= variableCount_ || (assigned_ & (1u << index)) == 0) return {};
    return values_[static_cast<std::size_t>(index)];
}

void LineSplitter::BeginToken(std::uint64_t at) {
    ++token_;
    if (plan_.rest && token_ == highest_ + 1) {
        const int index = variableCount_ - 1;
        values_[static_cast<std::size_t>(index)] = {at, at};
        assigned_ |= 1u << index;
        restOpen_ = true;
        phase_ = Phase::Settled;
        return;
    }
    open_ = variableOfToken_[static_cast<std::size_t>(token_)];
    if (open_ >= 0) {
        values_[static_cast<std::size_t>(open_)] = {at, at};
        assigned_ |= 1u << open_;
    }
    phase_ = Phase::InToken;
}

void LineSplitter::EndToken(std::uint64_t at) {
    if (open_ >= 0) values_[static_cast<std::size_t>(open_)].end = at;
    open_ = -1;
    phase_ = token_ == highest_ && !plan_.rest ? Phase::Settled : Phase::Between;
}

std::size_t LineSplitter::Feed(const unsigned char* data, std::size_t size, bool lineEnds) {
    const unsigned char* at = data;
    const unsigned char* const end = data + size;
    const auto offsetOf = [&](const unsigned char* p) {
        return position_ + static_cast<std::uint64_t>(p - data);
    };
    bool stalled = false;
    while (!stalled && phase_ != Phase::Settled && at < end) {
        switch (phase_) {
            case Phase::Leading:
            case Phase::Between: {
                std::size_t length = 0;
                const MatchResult delimiter = scanner_.DelimiterAt(at, end, lineEnds, length);
                if (delimiter == MatchResult::Yes) {
                    at += length;
                    break;
                }
                if (delimiter == MatchResult::NeedMore) {
                    stalled = true;
                    break;
                }
                if (phase_ == Phase::Leading) {
                    const MatchResult eol = scanner_.EolAt(at, end, lineEnds);
                    if (eol == MatchResult::NeedMore) {
                        stalled = true;
                        break;
                    }
                    if (eol == MatchResult::Yes) {
                        phase_ = Phase::Settled;  // a comment line: nothing assigned
                        break;
                    }
                }
                BeginToken(offsetOf(at));
                break;
            }
            case Phase::InToken: {
                const DelimiterScanner::Found found = scanner_.Find(at, end, lineEnds);
                at = found.at;
                if (found.length > 0) {
                    EndToken(offsetOf(at));
                } else {
                    stalled = true;
                }
                break;
            }
            case Phase::Settled:
                break;
        }
    }
    if (phase_ == Phase::Settled) at = end;
    if (lineEnds) {
        at = end;
        const std::uint64_t lineEnd = offsetOf(end);
        if (phase_ == Phase::InToken) EndToken(lineEnd);
        if (restOpen_) values_[static_cast<std::size_t>(variableCount_ - 1)].end = lineEnd;
        phase_ = Phase::Settled;
    }
    const auto consumed = static_cast<std::size_t>(at - data);
    position_ += consumed;
    return consumed;
}

}  // namespace morvane::interp
