// What each line of a source gave the interpreter's loop, counted as the
// shared splitter (common/split) hands over the line's tokens: the sink of
// the survey after a run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/split/delimiter_scanner.h"
#include "common/split/line_splitter.h"
#include "common/split/split_rules.h"
#include "extraction/source_survey.h"

namespace morvane {

// Follows the fields a CSV writer quotes (RFC 4180) through a line's tokens:
// a quote at a token's start opens a quoted field, which ends at a quote not
// followed by another one (two in a row are one quote of the data); quotes
// inside unquoted text are data. The interpreter knows nothing of quotes, so
// a quoted field holding the delimiter is cut apart, and one running on past
// the line end is split into lines of their own.
class QuotedField {
  public:
    QuotedField(const split::Characters& characters, int field);

    // Token number `token` of the line starts; its bytes follow in Take.
    void TokenStarts(int token) {
        token_ = token;
        fresh_ = true;
        passOver_ = false;
    }
    void Take(const unsigned char* begin, const unsigned char* end) {
        if (begin == end || passOver_) return;
        // Most tokens: not in a quoted field, and not opening one.
        if (fresh_ && state_ == State::Closed && !QuoteAt(begin)) {
            fresh_ = false;
            passOver_ = true;
            return;
        }
        TakeQuoted(begin, end);
    }
    // A delimiter or the line's end comes after a token: it closes a field
    // whose closing quote came last, and cuts one still open.
    void TokenEnds() {
        if (state_ == State::MaybeClosed) state_ = State::Closed;
        if (state_ == State::Open && openedIn_ <= field_) cut_ = true;
    }
    // The line ends; a field still open runs on into the next line, whose
    // first token is then the rest of it. Answers whether it runs on.
    bool LineEnds() {
        TokenEnds();
        if (state_ != State::Open) return false;
        openedIn_ = 1;
        return true;
    }

    bool Closed() const { return state_ == State::Closed; }
    // A quoted field at or before field N was cut on this line.
    bool Cut() const { return cut_; }
    void StartLine() { cut_ = false; }
    // The first quote in [begin, end), or `end`.
    const unsigned char* NextQuote(const unsigned char* begin, const unsigned char* end) const {
        return quotes_.Find(begin, end, true).at;
    }

  private:
    enum class State {
        Closed,  // no quoted field open
        Open,
        MaybeClosed,  // a quote came inside the field: its end, unless another follows
    };

    void TakeQuoted(const unsigned char* begin, const unsigned char* end);
    bool QuoteAt(const unsigned char* at) const {
        return unit_ == 1 ? *at == '"' : split::Utf16UnitAt(at, width_) == '"';
    }

    const split::DelimiterScanner quotes_;  // finds the quote character
    const split::Width width_;
    const std::size_t unit_;
    const int field_;
    State state_ = State::Closed;
    int openedIn_ = 0;  // the token the open field began in
    int token_ = 0;
    bool fresh_ = false;     // no byte of the token taken yet
    bool passOver_ = false;  // the rest of the token is data
    bool cut_ = false;
};

// The sink: counts every line into a SourceSurvey. Once field N's token has
// ended outside a quoted field the line can change nothing more, except by a
// quote later on that opens a field running on into the next line; that rest
// is looked at only when it holds a quote, with the bytes still at hand.
class FieldTally {
  public:
    // `rules` hold the one delimiter, which is also the end-of-line
    // character: once the leading delimiters are gone no line can start with
    // it, so no line is passed over as a comment.
    FieldTally(const split::SplitRules& rules, int field);

    // The next line comes in parts, so that its bytes are not at hand when it
    // ends: all of its tokens are walked.
    void NextLineComesInParts() { nextInParts_ = true; }
    // cmd.exe read the current line only up to a NUL byte in it.
    void LineCutAtNul() { cutAtNul_ = true; }
    // The complete lines to come lie in [begin, end): the quotes in them are
    // looked for once, not line by line.
    void LinesIn(const unsigned char* begin, const unsigned char* end) {
        bytesEnd_ = end;
        nextQuote_ = begin;  // searched from the first line's field N on
    }

    split::Next StartLine(std::uint64_t at) {
        previousEnd_ = at;
        inParts_ = nextInParts_;
        nextInParts_ = false;
        tokens_ = 0;
        emptyFieldBefore_ = false;
        settled_ = false;
        quoted_.StartLine();
        return split::Next::TokenStart;
    }
    split::Next TokenStarts(std::uint64_t at) {
        ++tokens_;
        // More than one delimiter (or any, before the first token) ends an
        // empty field; before field N it moves field N's token a field along.
        // Delimiters in a quoted field running on from the last line cut it.
        const std::uint64_t gap = at - previousEnd_;
        if (gap > (tokens_ == 1 ? 0 : delimiterLength_)) {
            if (tokens_ <= field_) emptyFieldBefore_ = true;
            if (tokens_ == 1) quoted_.TokenEnds();
        }
        quoted_.TokenStarts(tokens_);
        return split::Next::TokenEnd;
    }
    void TokenText(const unsigned char* begin, const unsigned char* end) {
        quoted_.Take(begin, end);
        textEnd_ = end;
    }
    split::Next TokenEnds(std::uint64_t at) {
        previousEnd_ = at;
        quoted_.TokenEnds();
        if (tokens_ < field_ || !quoted_.Closed() || inParts_) return split::Next::TokenStart;
        settled_ = true;
        return split::Next::Nothing;
    }
    void LineEnds(std::uint64_t at) {
        if (settled_ && at > previousEnd_) {
            const unsigned char* restEnd = textEnd_ + (at - previousEnd_);
            if (nextQuote_ < textEnd_) nextQuote_ = quoted_.NextQuote(textEnd_, bytesEnd_);
            if (nextQuote_ < restEnd) WalkPastField(restEnd);
        }
        const bool runsOn = quoted_.LineEnds();
        ++counts_.lines;
        if (tokens_ == 0) {
            ++counts_.blankLines;
        } else {
            if (tokens_ < field_) {
                ++counts_.linesWithoutField;
            } else if (emptyFieldBefore_) {
                ++counts_.linesWithEmptyFieldBefore;
            }
            if (quoted_.Cut() || continuesQuotedField_) ++counts_.linesWithQuotedFieldCut;
        }
        if (cutAtNul_) ++counts_.linesCutAtNul;
        cutAtNul_ = false;
        continuesQuotedField_ = runsOn;
    }

    const SourceSurvey& Counts() const { return counts_; }

  private:
    // The rest of a settled line after field N's token, up to `restEnd`,
    // holds a quote, which may open a field that runs on into the next line.
    void WalkPastField(const unsigned char* restEnd);

    // The sink for the rest of a settled line: only the quotes count.
    struct QuotesPastField {
        QuotedField& quoted;
        int token;
        split::Next StartLine(std::uint64_t) { return split::Next::TokenStart; }
        split::Next TokenStarts(std::uint64_t) {
            quoted.TokenStarts(++token);
            return split::Next::TokenEnd;
        }
        void TokenText(const unsigned char* begin, const unsigned char* end) {
            quoted.Take(begin, end);
        }
        split::Next TokenEnds(std::uint64_t) {
            quoted.TokenEnds();
            return split::Next::TokenStart;
        }
        void LineEnds(std::uint64_t) {}
    };

    const int field_;
    const std::uint64_t delimiterLength_;
    QuotedField quoted_;
    QuotesPastField pastField_;
    split::LineSplitter<QuotesPastField> restOfLine_;
    SourceSurvey counts_;

    std::uint64_t previousEnd_ = 0;  // where the last token ended (the line start before one)
    const unsigned char* textEnd_ = nullptr;   // just past the last token's bytes
    const unsigned char* bytesEnd_ = nullptr;  // of the lines' bytes (LinesIn)
    // The first quote at or after where the last search began: none before
    // it from there on.
    const unsigned char* nextQuote_ = nullptr;
    int tokens_ = 0;
    bool emptyFieldBefore_ = false;
    bool settled_ = false;  // field N's token ended: the splitter passed over the rest
    bool inParts_ = false;
    bool nextInParts_ = false;
    bool continuesQuotedField_ = false;  // this line began inside a quoted field
    bool cutAtNul_ = false;
};

}  // namespace morvane
