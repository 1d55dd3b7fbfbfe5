#include "common/split/delimiter_scanner.h"

#include <algorithm>

#include "common/split/byte_search.h"
#include "common/split/lead_runs.h"

namespace morvane::split {

namespace {

// In a double-byte code page a byte below 0x40 is never part of a double-byte
// character, so it can be matched byte by byte.
bool NeedsDoubleByteCare(const std::string& sequence) {
    return sequence.size() > 1 || static_cast<unsigned char>(sequence[0]) >= 0x40;
}

// A character is at most four bytes: compared in place, not through memcmp.
bool SameBytes(const unsigned char* at, const std::string& sequence, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (at[i] != static_cast<unsigned char>(sequence[i])) return false;
    }
    return true;
}

MatchResult SequenceAt(const std::string& sequence, const unsigned char* at,
                       const unsigned char* end, bool lineEnds) {
    const auto available = static_cast<std::size_t>(end - at);
    if (available >= sequence.size()) {
        return SameBytes(at, sequence, sequence.size()) ? MatchResult::Yes : MatchResult::No;
    }
    if (!lineEnds && SameBytes(at, sequence, available)) return MatchResult::NeedMore;
    return MatchResult::No;
}

// Whether one of `sequences` stands at `at`; `length` is its size on Yes, 0
// otherwise.
MatchResult AnySequenceAt(const std::vector<std::string>& sequences, const unsigned char* at,
                          const unsigned char* end, bool lineEnds, std::size_t& length) {
    length = 0;
    bool needMore = false;
    for (const std::string& sequence : sequences) {
        const MatchResult match = SequenceAt(sequence, at, end, lineEnds);
        if (match == MatchResult::Yes) {
            length = sequence.size();
            return MatchResult::Yes;
        }
        needMore = needMore || match == MatchResult::NeedMore;
    }
    return needMore ? MatchResult::NeedMore : MatchResult::No;
}

}  // namespace

DelimiterScanner::DelimiterScanner(const Characters& characters,
                                   const std::vector<std::string>& delimiters,
                                   std::optional<std::string> eol)
    : characters_(characters), eol_(std::move(eol)) {
    for (const std::string& delimiter : delimiters) {
        if (!delimiter.empty()) sequences_.push_back(delimiter);
    }
    if (sequences_.empty()) return;
    if (characters.IsUtf16()) {
        kind_ = Kind::Utf16;
        for (const std::string& sequence : sequences_) {
            if (sequence.size() == 2) {
                units_.push_back(Utf16UnitAt(
                    reinterpret_cast<const unsigned char*>(sequence.data()), characters.width));
            } else if (sequence.size() == 4) {
                surrogatePairs_.push_back(sequence);
            }
        }
        return;
    }
    doubleBytes_ = characters.width == Width::DoubleBytes &&
                   std::any_of(sequences_.begin(), sequences_.end(), NeedsDoubleByteCare);
    const bool allSingle = std::all_of(sequences_.begin(), sequences_.end(),
                                       [](const std::string& s) { return s.size() == 1; });
    for (const std::string& sequence : sequences_) {
        auto& seen = firstByte_[static_cast<unsigned char>(sequence[0])];
        if (!seen) ++distinctFirstBytes_;
        seen = true;
    }
    if (doubleBytes_ || !allSingle) {
        kind_ = Kind::Sequences;
    } else if (sequences_.size() == 1) {
        kind_ = Kind::SingleByte;
        single_ = static_cast<unsigned char>(sequences_[0][0]);
    } else {
        kind_ = Kind::ByteSet;
    }
}

MatchResult DelimiterScanner::DelimiterAt(const unsigned char* at, const unsigned char* end,
                                          bool lineEnds, std::size_t& length) const {
    switch (kind_) {
        case Kind::None:
            return MatchResult::No;
        case Kind::SingleByte:
        case Kind::ByteSet:
            length = 1;
            return firstByte_[*at] ? MatchResult::Yes : MatchResult::No;
        case Kind::Sequences:
        case Kind::Utf16:
            break;
    }
    if (!firstByte_[*at] && kind_ != Kind::Utf16) return MatchResult::No;
    return AnySequenceAt(sequences_, at, end, lineEnds, length);
}

MatchResult DelimiterScanner::EolAt(const unsigned char* at, const unsigned char* end,
                                    bool lineEnds) const {
    if (!eol_ || eol_->empty()) return MatchResult::No;
    return SequenceAt(*eol_, at, end, lineEnds);
}

const unsigned char* DelimiterScanner::NextCandidate(const unsigned char* from,
                                                     const unsigned char* end) const {
    if (distinctFirstBytes_ == 1)
        return FindByte(from, end, static_cast<unsigned char>(sequences_[0][0]));
    while (from < end && !firstByte_[*from]) ++from;
    return from;
}

DelimiterScanner::Found DelimiterScanner::Find(const unsigned char* from, const unsigned char* end,
                                               bool lineEnds) const {
    switch (kind_) {
        case Kind::None:
            return {end, 0};
        case Kind::SingleByte: {
            const unsigned char* hit = FindByte(from, end, single_);
            return {hit, hit < end ? 1u : 0u};
        }
        case Kind::ByteSet: {
            const unsigned char* at = NextCandidate(from, end);
            return {at, at < end ? 1u : 0u};
        }
        case Kind::Sequences:
            return FindSequence(from, end, lineEnds);
        case Kind::Utf16:
            return FindUtf16(from, end, lineEnds);
    }
    return {end, 0};
}

DelimiterScanner::Found DelimiterScanner::FindSequence(const unsigned char* from,
                                                       const unsigned char* end,
                                                       bool lineEnds) const {
    // `boundary` is always the start of a character, from which
    // FollowsOddLeadRun tells a second byte.
    const unsigned char* boundary = from;
    const unsigned char* cursor = from;
    while (true) {
        const unsigned char* candidate = NextCandidate(cursor, end);
        if (candidate == end) break;
        if (doubleBytes_ && text::IsGbkSecondByte(*candidate) &&
            FollowsOddLeadRun(characters_.leadBytes, boundary, candidate)) {
            boundary = cursor = candidate + 1;
            continue;
        }
        std::size_t length = 0;
        if (AnySequenceAt(sequences_, candidate, end, lineEnds, length) != MatchResult::No) {
            return {candidate, length};  // length 0 when more bytes decide
        }
        // Not a delimiter: step over the character that starts here.
        std::size_t step = 1;
        if (doubleBytes_ && characters_.leadBytes[*candidate]) {
            if (candidate + 1 == end) {
                if (!lineEnds) return {candidate, 0};
            } else if (text::IsGbkSecondByte(candidate[1])) {
                step = 2;
            }
        }
        cursor = candidate + step;
        if (doubleBytes_) boundary = cursor;
    }
    // A lead byte at the very end may pair with the next byte to come.
    if (doubleBytes_ && !lineEnds && FollowsOddLeadRun(characters_.leadBytes, boundary, end))
        return {end - 1, 0};
    return {end, 0};
}

DelimiterScanner::Found DelimiterScanner::FindUtf16(const unsigned char* from,
                                                    const unsigned char* end, bool lineEnds) const {
    const unsigned char* at = from;
    for (; end - at >= 2; at += 2) {
        const std::uint16_t unit = Utf16UnitAt(at, characters_.width);
        if (std::find(units_.begin(), units_.end(), unit) != units_.end()) return {at, 2};
        // A character beyond the Basic Multilingual Plane is a surrogate
        // pair; its first unit never stands for a character of its own, so
        // only a whole pair can match here.
        std::size_t length = 0;
        if (AnySequenceAt(surrogatePairs_, at, end, lineEnds, length) != MatchResult::No) {
            return {at, length};  // length 0 when more bytes decide
        }
    }
    return {lineEnds ? end : at, 0};
}

}  // namespace morvane::split
