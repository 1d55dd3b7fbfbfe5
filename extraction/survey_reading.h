// One reading of a source for the survey: its bytes, as they come in pieces,
// cut into lines and handed to the shared splitter, whose tokens a
// FieldTally counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/split/bitmask_splitter.h"
#include "common/split/line_splitter.h"
#include "common/split/split_rules.h"
#include "extraction/field_tally.h"
#include "extraction/source_survey.h"

namespace morvane {

// A line ends at a line feed; a CR right before it belongs to the line
// break, any other CR is data. The complete lines of a piece are split where
// they lie (all at once by the bit masks when the rules suit them); the line
// a piece ends inside is kept until its end comes, and one longer than
// kLinePartSize is handed on in parts instead, so memory stays small whatever
// the line's length.
class SurveyReading {
  public:
    SurveyReading(const split::SplitRules& rules, int field);

    // The next bytes of the source, after its byte-order mark.
    void Feed(const unsigned char* data, std::size_t size);
    // The line ends here, short of its line feed (cmd.exe reads a line only
    // up to a NUL byte in it); the caller passes over the rest of it.
    void CutLineAtNul();
    SourceSurvey Finish();

  private:
    static constexpr std::size_t kLinePartSize = 1 << 20;

    void FeedAligned(const unsigned char* data, std::size_t size);
    const unsigned char* SplitCompleteLines(const unsigned char* at, const unsigned char* end);
    void HandOnLinePart();
    void FinishLine(std::size_t contentSize);
    const unsigned char* Held() const {
        return reinterpret_cast<const unsigned char*>(line_.data());
    }

    const split::Characters characters_;
    const std::size_t unit_;
    FieldTally tally_;
    split::LineSplitter<FieldTally> lines_;
    std::optional<split::BitmaskSplitter> bitmask_;
    std::string line_;  // the line begun in an earlier piece, what the splitter has not taken
    bool lineBegun_ = false;
    bool inParts_ = false;      // the splitter has started the line and takes it in parts
    std::string oddByte_;       // UTF-16: the first byte of a code unit cut off by a piece's end
    std::uint64_t offset_ = 0;  // where the next byte stands, counted from the first one fed
    std::uint64_t lineStart_ = 0;
};

}  // namespace morvane
