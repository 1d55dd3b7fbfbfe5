#include "extraction/survey_reading.h"

#include "common/split/line_ends.h"

namespace morvane {

SurveyReading::SurveyReading(const split::SplitRules& rules, int field)
    : characters_(rules.characters),
      unit_(rules.characters.UnitSize()),
      tally_(rules, field),
      lines_(rules, tally_) {
    if (split::BitmaskSplitter::Handles(rules)) bitmask_.emplace(rules);
}

void SurveyReading::Feed(const unsigned char* data, std::size_t size) {
    if (unit_ == 1) return FeedAligned(data, size);
    // UTF-16 code units stand at even offsets; pieces of odd size (never
    // more than the last one, in practice) are put together first.
    if (oddByte_.empty() && size % 2 == 0) return FeedAligned(data, size);
    std::string joined = oddByte_ + std::string(reinterpret_cast<const char*>(data), size);
    oddByte_ = joined.size() % 2 ? joined.substr(joined.size() - 1) : "";
    FeedAligned(reinterpret_cast<const unsigned char*>(joined.data()),
                joined.size() - oddByte_.size());
}

void SurveyReading::FeedAligned(const unsigned char* data, std::size_t size) {
    const unsigned char* at = data;
    const unsigned char* const end = data + size;
    if (lineBegun_) {
        const unsigned char* lineFeed = split::FindLineFeed(characters_, at, end);
        line_.append(reinterpret_cast<const char*>(at), static_cast<std::size_t>(lineFeed - at));
        offset_ += static_cast<std::uint64_t>(lineFeed - at);
        if (lineFeed == end) {
            if (line_.size() >= kLinePartSize) HandOnLinePart();
            return;
        }
        const unsigned char* heldEnd = Held() + line_.size();
        FinishLine(line_.size() -
                   (split::EndsWithCarriageReturn(characters_, Held(), heldEnd) ? unit_ : 0));
        at = lineFeed + unit_;
        offset_ += unit_;
    }
    at = SplitCompleteLines(at, end);
    if (at == end) return;
    // The rest is the start of a line that a later piece ends.
    lineBegun_ = true;
    lineStart_ = offset_;
    line_.assign(reinterpret_cast<const char*>(at), static_cast<std::size_t>(end - at));
    offset_ += static_cast<std::uint64_t>(end - at);
    if (line_.size() >= kLinePartSize) HandOnLinePart();
}

// Answers where the complete lines end.
const unsigned char* SurveyReading::SplitCompleteLines(const unsigned char* at,
                                                       const unsigned char* end) {
    tally_.LinesIn(at, end);
    if (bitmask_) {
        const auto size = static_cast<std::size_t>(end - at);
        const auto progress = bitmask_->SplitLines(at, size, offset_, tally_, [] { return true; });
        offset_ += progress.consumed;
        return at + progress.consumed;
    }
    while (true) {
        const unsigned char* lineFeed = split::FindLineFeed(characters_, at, end);
        if (lineFeed == end) return at;
        const unsigned char* contentEnd =
            split::EndsWithCarriageReturn(characters_, at, lineFeed) ? lineFeed - unit_ : lineFeed;
        lines_.Start(offset_);
        lines_.Feed(at, static_cast<std::size_t>(contentEnd - at), true);
        offset_ += static_cast<std::uint64_t>(lineFeed + unit_ - at);
        at = lineFeed + unit_;
    }
}

// Hands the splitter what it has of a long line, but a last unit that may
// be the CR of a CR LF; it keeps back a character cut off at the end.
void SurveyReading::HandOnLinePart() {
    if (!inParts_) {
        tally_.NextLineComesInParts();
        lines_.Start(lineStart_);
        inParts_ = true;
    }
    std::size_t size = line_.size();
    if (split::EndsWithCarriageReturn(characters_, Held(), Held() + size)) size -= unit_;
    line_.erase(0, lines_.Feed(Held(), size, false));
}

void SurveyReading::FinishLine(std::size_t contentSize) {
    if (!inParts_) {
        tally_.LinesIn(Held(), Held() + contentSize);
        lines_.Start(lineStart_);
    }
    lines_.Feed(Held(), contentSize, true);
    line_.clear();
    lineBegun_ = inParts_ = false;
}

void SurveyReading::CutLineAtNul() {
    tally_.LineCutAtNul();
    if (!lineBegun_) {
        // The NUL starts the line.
        lineBegun_ = true;
        lineStart_ = offset_;
    }
    // A CR before the NUL is data.
    FinishLine(line_.size());
}

SourceSurvey SurveyReading::Finish() {
    // A last line without a line feed ends with the file; a CR at its end is
    // data. Half a UTF-16 code unit at the very end is no character.
    if (lineBegun_) FinishLine(line_.size());
    return tally_.Counts();
}

}  // namespace morvane
