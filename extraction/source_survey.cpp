#include "extraction/source_survey.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/split/split_rules.h"
#include "common/text/source_encoding.h"
#include "extraction/survey_reading.h"

namespace morvane {

namespace {

using text::Encoding;

// Reads the source in pieces, up to `readUpTo` bytes when given; `take`
// answers false to stop. Answers false when the source could not be read
// that far.
template <typename Take>
bool ReadSource(SystemServices& system, const std::string& path,
                std::optional<std::uint64_t> readUpTo, Take&& take) {
    std::uint64_t left = readUpTo.value_or(UINT64_MAX);
    bool stopped = false;
    const bool whole = system.ReadFileInPieces(path, [&](std::string_view piece) {
        piece =
            piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), left)));
        left -= piece.size();
        stopped = !take(piece);
        return !stopped && left > 0;
    });
    // Stopped at the size asked for: what came after was not read by the run.
    return whole || stopped || left == 0;
}

// The delimiter in code page 936, from its form in the script. The Linux
// script is GB18030, which writes every character code page 936 holds with
// the same bytes, but the euro sign (A2 E3 there, 0x80 in code page 936); a
// longer form is a character code page 936 lacks.
std::string Gbk936Delimiter(const std::optional<std::string>& scriptForm) {
    if (!scriptForm || scriptForm->size() > 2) return "";
    return *scriptForm == "\xA2\xE3" ? "\x80" : *scriptForm;
}

// How the loop reads the source: its characters and the delimiter in them,
// the byte-order mark it passes over, and whether line lengths count.
struct LoopCharacters {
    split::SplitRules rules;
    std::size_t markLength = 0;
    bool measureLines = true;  // not in UTF-16, whose line feeds are two bytes
};

LoopCharacters WithDelimiter(split::Characters characters, std::string delimiter) {
    return {{characters, {delimiter}, delimiter}};
}

// Our stand-in: the byte-order mark, else the content (the whole of it, read
// once beforehand, when the delimiter reads differently in UTF-8 and GBK).
// Nothing when the source cannot be read, or when the delimiter has no form
// in the encoding chosen.
std::optional<LoopCharacters> StandInCharacters(SystemServices& system,
                                                const ExtractionRequest& request,
                                                std::optional<std::uint64_t> readUpTo,
                                                const std::optional<std::string>& scriptDelimiter) {
    std::string head;
    text::Utf8Validator validator;
    const bool readAlike = text::ReadAlikeInUtf8AndGbk(request.delimiter);
    const bool read = ReadSource(system, request.sourcePath, readUpTo, [&](std::string_view piece) {
        // Three bytes are enough to see a byte-order mark.
        if (head.size() < 3) head += piece.substr(0, 3 - head.size());
        const bool headComplete = head.size() >= 3;
        const auto* headBytes = reinterpret_cast<const unsigned char*>(head.data());
        if (headComplete && (readAlike || text::DetectByteOrderMark({headBytes, head.size()})))
            return false;
        const bool valid =
            validator.Feed(reinterpret_cast<const unsigned char*>(piece.data()), piece.size());
        return valid || !headComplete;
    });
    if (!read) return std::nullopt;
    const auto* bytes = reinterpret_cast<const unsigned char*>(head.data());
    if (const auto mark = text::DetectByteOrderMark({bytes, head.size()})) {
        const split::Characters characters = split::CharactersOf(mark->encoding);
        LoopCharacters loop = WithDelimiter(
            characters, characters.IsUtf16()
                            ? text::Utf8ToUtf16(request.delimiter, mark->encoding).value_or("")
                            : request.delimiter);
        loop.markLength = mark->length;
        loop.measureLines = !characters.IsUtf16();
        return loop;
    }
    if (readAlike || validator.Chosen() == Encoding::Utf8)
        return WithDelimiter(split::CharactersOf(Encoding::Utf8), request.delimiter);
    return WithDelimiter(split::CharactersOf(Encoding::Gbk), Gbk936Delimiter(scriptDelimiter));
}

// The survey as the pieces of the source come in: the line lengths and line
// ends the interpreter stumbles over, and the lines themselves through one
// SurveyReading.
class Survey {
  public:
    Survey(const SourceReading& source, const LoopCharacters& loop, int field)
        : source_(source),
          markLeft_(loop.markLength),
          measureLines_(loop.measureLines),
          reading_(loop.rules, field) {}

    void Feed(std::string_view piece) {
        const std::size_t mark = std::min(markLeft_, piece.size());
        markLeft_ -= mark;
        piece.remove_prefix(mark);
        if (measureLines_ && (!source_.encodingFromContent || !sawLineFeed_)) MeasureLines(piece);
        // Our stand-in keeps NUL bytes as data; cmd.exe reads a line only up
        // to one, and the survey counts by that rule.
        while (!source_.encodingFromContent && !piece.empty()) {
            if (skippingToLineFeed_) {
                const std::size_t lineFeed = piece.find('\n');
                if (lineFeed == std::string_view::npos) return;
                piece.remove_prefix(lineFeed + 1);
                skippingToLineFeed_ = false;
            }
            const std::size_t nul = piece.find('\0');
            if (nul == std::string_view::npos) break;
            FeedReading(piece.substr(0, nul));
            reading_.CutLineAtNul();
            skippingToLineFeed_ = true;
            piece.remove_prefix(nul + 1);
        }
        FeedReading(piece);
    }

    SourceSurvey Finish() {
        SourceSurvey survey = reading_.Finish();
        if (!source_.encodingFromContent) {
            if (lineLength_ >= kInterpreterLineLength) ++longLines_;
            survey.longLines = longLines_;
        }
        survey.lineEndsAreCrOnly = !sawLineFeed_ && sawInnerCr_;
        return survey;
    }

  private:
    void FeedReading(std::string_view piece) {
        reading_.Feed(reinterpret_cast<const unsigned char*>(piece.data()), piece.size());
    }

    // The lengths of the lines, for cmd.exe's line buffer of 8,191
    // characters, and whether any line feed comes at all: a file whose lines
    // end in CR alone is one line to the interpreter. Lengths are counted in
    // bytes, so a line of fewer characters but as many bytes counts too.
    void MeasureLines(std::string_view piece) {
        for (std::size_t at = 0; at < piece.size();) {
            if (!sawLineFeed_) NoteCarriageReturns(piece.substr(at, piece.find('\n', at) - at));
            const std::size_t lineFeed = piece.find('\n', at);
            if (lineFeed == std::string_view::npos) {
                lineLength_ += piece.size() - at;
                break;
            }
            lineLength_ += lineFeed - at;
            // The CR of a CR LF is the line's end, not its text.
            const bool crBefore = lineFeed > 0 ? piece[lineFeed - 1] == '\r' : lastByteCr_;
            if (lineLength_ - crBefore >= kInterpreterLineLength) ++longLines_;
            lineLength_ = 0;
            sawLineFeed_ = true;
            at = lineFeed + 1;
        }
        lastByteCr_ = !piece.empty() && piece.back() == '\r';
    }

    // Whether a CR comes with more text after it (not only at the end).
    void NoteCarriageReturns(std::string_view text) {
        for (std::size_t cr = text.find('\r'); cr != std::string_view::npos;
             cr = text.find('\r', cr + 1)) {
            if (cr + 1 < text.size() && text[cr + 1] != '\r') sawInnerCr_ = true;
        }
        if (lastByteCr_ && !text.empty() && text[0] != '\r') sawInnerCr_ = true;
    }

    const SourceReading source_;
    std::size_t markLeft_;  // bytes of the byte-order mark still to pass over
    const bool measureLines_;
    SurveyReading reading_;
    // cmd.exe's line buffer holds 8,191 characters. What Windows does with a
    // longer line is not documented; Wine 10's cmd.exe ends the loop there
    // (programs/cmd/batch.c, WCMD_fgets, reads at most 8,192 bytes).
    static constexpr std::uint64_t kInterpreterLineLength = 8191;
    bool skippingToLineFeed_ = false;  // the rest of a line after a NUL byte
    bool sawLineFeed_ = false;
    bool sawInnerCr_ = false;  // a CR with more text after it
    bool lastByteCr_ = false;
    std::uint64_t lineLength_ = 0;
    std::uint64_t longLines_ = 0;
};

}  // namespace

std::optional<SourceSurvey> SurveySource(SystemServices& system, const ExtractionRequest& request,
                                         std::optional<std::uint64_t> readUpTo) {
    // for /f has tokens 1 to 31 only; other field numbers never give a value.
    if (request.fieldNumber < 1 || request.fieldNumber > 31) return std::nullopt;
    // A loop under code page 65001 reads the source as UTF-8, its byte-order
    // mark as part of the first line's text, and matches the delimiter as the
    // character the script's code page gave.
    const SourceReading reading =
        request.loopInUtf8 ? SourceReading{} : system.InterpreterSourceReading();
    const std::optional<std::string> scriptDelimiter =
        request.loopInUtf8 ? request.delimiter : system.EncodeForScript(request.delimiter);
    std::optional<LoopCharacters> loop;
    if (reading.encodingFromContent) {
        loop = StandInCharacters(system, request, readUpTo, scriptDelimiter);
    } else if (scriptDelimiter) {
        // cmd.exe: its code page, whatever the file holds.
        const bool doubleBytes = std::find(reading.leadBytes.begin(), reading.leadBytes.end(),
                                           true) != reading.leadBytes.end();
        loop =
            WithDelimiter(doubleBytes ? split::DoubleBytes(reading.leadBytes) : split::Characters{},
                          *scriptDelimiter);
    }
    if (!loop || loop->rules.delimiters.front().empty()) return std::nullopt;
    Survey survey(reading, *loop, request.fieldNumber);
    if (!ReadSource(system, request.sourcePath, readUpTo, [&](std::string_view piece) {
            survey.Feed(piece);
            return true;
        })) {
        return std::nullopt;
    }
    return survey.Finish();
}

}  // namespace morvane
