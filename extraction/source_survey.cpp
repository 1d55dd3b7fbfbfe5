#include "extraction/source_survey.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "common/text/source_encoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {

namespace {

using text::Encoding;

// One line after another, from its characters sorted into delimiters,
// carriage returns, line feeds, double quotes and the rest (data), by the
// rules of interpreter/README.md ("The loop"). The line's end-of-line
// character is the delimiter, so once the leading delimiters are gone no
// line can start with it: no line is passed over as a comment.
//
// Beside the interpreter's tokens it follows the fields a CSV writer quotes
// (RFC 4180): a quote at the start of a line or right after a delimiter
// opens a quoted field, which ends at a quote not followed by another one
// (two in a row are one quote of the data). The interpreter knows nothing of
// quotes, so a quoted field holding the delimiter is cut apart, and one
// running on past the line end is split into lines of their own.
class LineTally {
  public:
    explicit LineTally(int field) : field_(field) {}

    void Data() {
        KeepCarriageReturn();
        CloseQuotedFieldBeforeData();
        OpenToken();
    }
    // A CR is data, unless the next character is a LF: then the two end the line.
    void CarriageReturn() {
        KeepCarriageReturn();
        CloseQuotedFieldBeforeData();
        carriageReturnPending_ = true;
        lineOpen_ = true;
    }
    void Delimiter() {
        KeepCarriageReturn();
        CloseQuotedFieldBeforeData();
        // The interpreter cuts a quoted field at its delimiter; it matters
        // when the field's token comes at or before field N.
        if (quoted_ == Quoted::Open && quotedToken_ <= field_) quotedFieldCut_ = true;
        // A delimiter outside a token ends an empty field (the line's first
        // field, or one between two delimiters). Before the token counted as
        // field N has begun, such a field moves that token a field along.
        if (!inToken_ && tokens_ < field_) emptyFieldBefore_ = true;
        inToken_ = false;
        lineOpen_ = true;
    }
    void Quote() {
        KeepCarriageReturn();
        switch (quoted_) {
            case Quoted::No:
                // Only at a token's start does a quote open a field: "5"" or
                // a"b is data.
                if (!inToken_) {
                    quoted_ = Quoted::Open;
                    quotedToken_ = tokens_ + 1;
                }
                break;
            case Quoted::Open:
                quoted_ = Quoted::MaybeClosed;
                break;
            case Quoted::MaybeClosed:  // "" inside a quoted field
                quoted_ = Quoted::Open;
                break;
        }
        OpenToken();
    }
    // A quote after the settled part of a line, which was passed over: only
    // whether the character before it was a delimiter is known.
    void QuoteAfterSkip(bool afterDelimiter) {
        inToken_ = !afterDelimiter;
        Quote();
    }
    void LineFeed() {
        carriageReturnPending_ = false;
        EndLine();
    }
    // cmd.exe reads a line only up to a NUL byte in it: the rest of the line,
    // up to its line feed, is passed over.
    void CutAtNul() {
        KeepCarriageReturn();
        cutAtNul_ = true;
        lineOpen_ = true;
    }
    // A last line without a line feed ends with the file; a CR at its end is data.
    void EndOfFile() {
        KeepCarriageReturn();
        if (lineOpen_) EndLine();
    }

    // Whether the rest of the line can change nothing but by a quote: field
    // N's token has begun, and no quoted field is open.
    bool Settled() const { return tokens_ >= field_ && quoted_ == Quoted::No; }
    const SourceSurvey& Counts() const { return counts_; }

  private:
    enum class Quoted {
        No,
        Open,
        MaybeClosed,  // a quote came inside the field: its end, unless another follows
    };

    void KeepCarriageReturn() {
        if (!carriageReturnPending_) return;
        carriageReturnPending_ = false;
        CloseQuotedFieldBeforeData();
        OpenToken();
    }
    void CloseQuotedFieldBeforeData() {
        if (quoted_ == Quoted::MaybeClosed) quoted_ = Quoted::No;
    }
    void OpenToken() {
        lineOpen_ = true;
        if (inToken_) return;
        inToken_ = true;
        ++tokens_;
    }
    void EndLine() {
        CloseQuotedFieldBeforeData();
        // A quoted field still open runs on into the next line, which the
        // interpreter reads as a line of its own: this line's value and the
        // next one's are pieces of it.
        const bool runsOn = quoted_ == Quoted::Open;
        if (runsOn && quotedToken_ <= field_) quotedFieldCut_ = true;
        ++counts_.lines;
        if (tokens_ == 0) {
            ++counts_.blankLines;
        } else {
            if (tokens_ < field_) {
                ++counts_.linesWithoutField;
            } else if (emptyFieldBefore_) {
                ++counts_.linesWithEmptyFieldBefore;
            }
            if (quotedFieldCut_ || continuesQuotedField_) ++counts_.linesWithQuotedFieldCut;
        }
        if (cutAtNul_) ++counts_.linesCutAtNul;
        cutAtNul_ = false;
        tokens_ = 0;
        inToken_ = false;
        emptyFieldBefore_ = false;
        lineOpen_ = false;
        quotedFieldCut_ = false;
        continuesQuotedField_ = runsOn;
        // The rest of the field is the next line's first token.
        quotedToken_ = 1;
    }

    const int field_;
    SourceSurvey counts_;
    int tokens_ = 0;
    bool inToken_ = false;
    bool emptyFieldBefore_ = false;
    bool carriageReturnPending_ = false;
    bool lineOpen_ = false;  // a character came since the last line feed
    Quoted quoted_ = Quoted::No;
    int quotedToken_ = 0;                // the token the open quoted field began in
    bool quotedFieldCut_ = false;        // this line cuts a quoted field at or before N
    bool continuesQuotedField_ = false;  // this line began inside a quoted field
    bool cutAtNul_ = false;              // a NUL byte ended what cmd.exe read of this line
};

// Which of up to 64 bytes can end a run of data (a line feed, a CR, a
// double quote, the delimiter), which are line feeds and which are quotes, a
// bit each.
struct ByteMasks {
    std::uint64_t stops = 0;
    std::uint64_t lineFeeds = 0;
    std::uint64_t quotes = 0;
};

ByteMasks ClassifyBytes(const unsigned char* bytes, std::size_t count, unsigned char delimiter) {
    ByteMasks masks;
#if defined(__SSE2__)
    if (count == 64) {
        // 16 bytes to a compare.
        const __m128i lineFeed = _mm_set1_epi8('\n');
        const __m128i carriageReturn = _mm_set1_epi8('\r');
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i delimiters = _mm_set1_epi8(static_cast<char>(delimiter));
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + part * 16));
            const __m128i lineFeeds = _mm_cmpeq_epi8(chunk, lineFeed);
            const __m128i quotes = _mm_cmpeq_epi8(chunk, quote);
            const __m128i stops = _mm_or_si128(_mm_or_si128(lineFeeds, quotes),
                                               _mm_or_si128(_mm_cmpeq_epi8(chunk, carriageReturn),
                                                            _mm_cmpeq_epi8(chunk, delimiters)));
            const auto bits = [](__m128i matches) {
                return static_cast<std::uint64_t>(
                    static_cast<std::uint16_t>(_mm_movemask_epi8(matches)));
            };
            masks.lineFeeds |= bits(lineFeeds) << (part * 16);
            masks.quotes |= bits(quotes) << (part * 16);
            masks.stops |= bits(stops) << (part * 16);
        }
        return masks;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char byte = bytes[i];
        masks.lineFeeds |= static_cast<std::uint64_t>(byte == '\n') << i;
        masks.quotes |= static_cast<std::uint64_t>(byte == '"') << i;
        masks.stops |= static_cast<std::uint64_t>(byte == '\n' || byte == '\r' || byte == '"' ||
                                                  byte == delimiter)
                       << i;
    }
    return masks;
}

// How bytes make characters in one encoding.
enum class Width {
    Bytes,        // every byte (UTF-8, whose multi-byte delimiters match as byte sequences)
    DoubleBytes,  // a lead byte and a second byte, or one byte (GBK, the ANSI code pages of Asia)
    Utf16Le,      // two bytes, whole code units only
    Utf16Be,
};

// One reading of the source: its bytes taken as characters of one encoding,
// with the delimiter in that encoding, counted line by line.
class CharacterReading {
  public:
    // An empty `delimiter` has no form in this encoding: the reading counts
    // nothing and tells nothing.
    CharacterReading(Width width, std::string delimiter, const std::array<bool, 256>& leadBytes,
                     int field)
        : width_(width), delimiter_(std::move(delimiter)), leadBytes_(leadBytes), tally_(field) {
        if (IsUtf16() && (delimiter_.size() == 2 || delimiter_.size() == 4)) {
            unit_ = UnitOf(0);
            // A character beyond the basic plane: a surrogate pair.
            if (delimiter_.size() == 4) pairLow_ = UnitOf(2);
        } else if (delimiter_.size() == 1) {
            single_ = static_cast<unsigned char>(delimiter_[0]);
            secondBytesMatter_ = width_ == Width::DoubleBytes &&
                                 text::IsGbkSecondByte(static_cast<unsigned char>(single_));
        }
    }

    void Feed(const unsigned char* piece, const unsigned char* end) {
        if (delimiter_.empty()) return;
        if (IsUtf16()) {
            for (const unsigned char* at = piece; at < end; ++at) TakeUnitByte(*at);
        } else if (single_ >= 0) {
            const auto size = static_cast<std::size_t>(end - piece);
            for (std::size_t block = 0; block < size; block += 64)
                TakeBlock(piece, piece + block, std::min<std::size_t>(size - block, 64));
            if (end > piece) delimiterLast_ = DelimiterBefore(piece, end);
            if (secondBytesMatter_) leadRunOdd_ = OddLeadRunBefore(piece, end);
        } else {
            TakeBytes(piece, end);
        }
    }

    // The line is cut at a NUL byte: a character begun before it stands alone.
    void CutLineAtNul() {
        if (lead_ >= 0 || matched_ > 0) tally_.Data();
        lead_ = -1;
        matched_ = 0;
        readingWholeLine_ = false;
        tally_.CutAtNul();
    }

    std::optional<SourceSurvey> Finish() {
        if (delimiter_.empty()) return std::nullopt;
        // A lone byte at the end is a character of its own, but half a
        // UTF-16 code unit is none: the interpreter leaves it out.
        if (lead_ >= 0 || matched_ > 0 || pairHighSeen_) tally_.Data();
        tally_.EndOfFile();
        return tally_.Counts();
    }

  private:
    bool IsUtf16() const { return width_ == Width::Utf16Le || width_ == Width::Utf16Be; }

    // The delimiter's UTF-16 code unit at byte `at`.
    int UnitOf(std::size_t at) const {
        const auto first = static_cast<unsigned char>(delimiter_[at]);
        const auto second = static_cast<unsigned char>(delimiter_[at + 1]);
        return width_ == Width::Utf16Be ? first << 8 | second : second << 8 | first;
    }

    // A character of one byte or one UTF-16 code unit.
    void TakeCharacter(int character) {
        if (character == '\n') {
            readingWholeLine_ = false;
            tally_.LineFeed();
        } else if (character == '"') {
            tally_.Quote();
        } else if (character == '\r') {
            tally_.CarriageReturn();
        } else if (character == single_ || (character == unit_ && pairLow_ < 0)) {
            tally_.Delimiter();
        } else {
            tally_.Data();
        }
    }

    // A one-byte delimiter, up to 64 bytes at once: from one byte that can
    // end a run of data to the next, one call standing for the whole run
    // between them; once the line is settled, straight to its line feed or
    // to a quote that may open a field.
    void TakeBlock(const unsigned char* piece, const unsigned char* bytes, std::size_t count) {
        const ByteMasks masks = ClassifyBytes(bytes, count, static_cast<unsigned char>(single_));
        for (std::size_t at = 0; at < count;) {
            const bool settled = tally_.Settled();
            const std::uint64_t ahead =
                (settled ? masks.lineFeeds | masks.quotes : masks.stops) & ~0ull << at;
            const std::size_t stop =
                ahead == 0 ? count : static_cast<std::size_t>(std::countr_zero(ahead));
            if (stop > at && !settled) tally_.Data();
            if (stop == count) return;
            // A line feed, a CR or a quote is never a double-byte
            // character's second byte; the delimiter may be.
            if (settled && bytes[stop] == '"') {
                tally_.QuoteAfterSkip(DelimiterBefore(piece, bytes + stop));
            } else if (secondBytesMatter_ && bytes[stop] == single_ &&
                       OddLeadRunBefore(piece, bytes + stop)) {
                tally_.Data();
            } else {
                TakeCharacter(bytes[stop]);
            }
            at = stop + 1;
        }
    }

    // Whether an odd number of lead bytes stands right before `at` (those
    // that ended the earlier pieces counted too). A byte that is no lead
    // byte ends a character, and every lead byte can also be a second byte,
    // so the lead bytes after it pair off from the first: after an odd
    // number of them, the byte at `at` is the last one's second byte.
    bool OddLeadRunBefore(const unsigned char* piece, const unsigned char* at) const {
        const unsigned char* runStart = at;
        while (runStart > piece && leadBytes_[runStart[-1]]) --runStart;
        const bool odd = (at - runStart) % 2 == 1;
        return runStart == piece ? odd != leadRunOdd_ : odd;
    }

    // Whether the byte before `at` is the one-byte delimiter itself, not
    // the second byte of a double-byte character.
    bool DelimiterBefore(const unsigned char* piece, const unsigned char* at) const {
        if (at == piece) return delimiterLast_;
        if (at[-1] != single_) return false;
        return !(secondBytesMatter_ && OddLeadRunBefore(piece, at - 1));
    }

    // A delimiter of several bytes, character by character.
    void TakeBytes(const unsigned char* at, const unsigned char* end) {
        while (at < end) {
            if (tally_.Settled() && !readingWholeLine_) {
                // The rest of the line counts for nothing, unless a quote in
                // it opens a field that runs on into the next line: on to its
                // line feed, which is never part of another character.
                const auto* lineFeed = static_cast<const unsigned char*>(
                    std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
                const unsigned char* lineEnd = lineFeed ? lineFeed : end;
                if (std::memchr(at, '"', static_cast<std::size_t>(lineEnd - at)) != nullptr) {
                    readingWholeLine_ = true;
                    continue;
                }
                if (lineFeed == nullptr) return;
                at = lineFeed + 1;
                lead_ = -1;
                matched_ = 0;
                tally_.LineFeed();
            } else if (width_ == Width::DoubleBytes) {
                TakeDoubleByteSequence(*at++);
            } else {
                TakeInDelimiterSequence(*at++);
            }
        }
    }

    // GBK and the like: a lead byte followed by a second byte is one
    // character, the delimiter perhaps.
    void TakeDoubleByteSequence(unsigned char byte) {
        if (lead_ >= 0) {
            const int lead = std::exchange(lead_, -1);
            if (text::IsGbkSecondByte(byte)) {
                const bool isDelimiter = lead == static_cast<unsigned char>(delimiter_[0]) &&
                                         byte == static_cast<unsigned char>(delimiter_[1]);
                isDelimiter ? tally_.Delimiter() : tally_.Data();
                return;
            }
            tally_.Data();  // a lead byte without its second byte stands alone
        }
        if (leadBytes_[byte]) {
            lead_ = byte;
            return;
        }
        TakeCharacter(byte);
    }

    // UTF-8: a delimiter of several bytes is found wherever its bytes stand
    // in a row. Its first byte is never one of the others, so a sequence cut
    // short was data, and the byte that cut it may begin a new one.
    void TakeInDelimiterSequence(unsigned char byte) {
        if (matched_ > 0) {
            if (byte == static_cast<unsigned char>(delimiter_[matched_])) {
                if (++matched_ == delimiter_.size()) {
                    matched_ = 0;
                    tally_.Delimiter();
                }
                return;
            }
            matched_ = 0;
            tally_.Data();
        }
        if (byte == static_cast<unsigned char>(delimiter_[0])) {
            matched_ = 1;
            return;
        }
        TakeCharacter(byte);
    }

    void TakeUnitByte(unsigned char byte) {
        if (halfUnit_ < 0) {
            halfUnit_ = byte;
            return;
        }
        const int first = std::exchange(halfUnit_, -1);
        const int unit = width_ == Width::Utf16Be ? first << 8 | byte : byte << 8 | first;
        if (pairLow_ < 0) return TakeCharacter(unit);
        // A surrogate pair delimiter matches only whole: its first unit
        // followed by anything else was data.
        if (std::exchange(pairHighSeen_, false)) {
            if (unit == pairLow_) return tally_.Delimiter();
            tally_.Data();
        }
        if (unit == unit_) {
            pairHighSeen_ = true;
            return;
        }
        TakeCharacter(unit);
    }

    const Width width_;
    const std::string delimiter_;
    const std::array<bool, 256> leadBytes_;
    int single_ = -1;            // a one-byte delimiter
    int unit_ = -1;              // a UTF-16 delimiter's (first) code unit
    int pairLow_ = -1;           // the second unit of a surrogate-pair delimiter
    bool pairHighSeen_ = false;  // the first unit of the pair came last
    // A one-byte delimiter that can be the second byte of a double-byte character.
    bool secondBytesMatter_ = false;
    bool leadRunOdd_ = false;     // the earlier pieces ended in an odd run of lead bytes
    bool delimiterLast_ = false;  // the earlier pieces ended in the one-byte delimiter
    // A settled line with a quote in the rest of it is read to its line feed.
    bool readingWholeLine_ = false;
    LineTally tally_;
    int lead_ = -1;            // a lead byte waiting for its second byte
    std::size_t matched_ = 0;  // bytes of a several-byte delimiter seen so far
    int halfUnit_ = -1;        // the first byte of a UTF-16 code unit
};

// The delimiter's UTF-16 code units, written in the given byte order: one,
// or a surrogate pair for a character outside the basic plane.
std::string Utf16Delimiter(std::string_view utf8, Width width) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    char32_t code = 0;
    if (utf8.size() == 1) {
        code = byte(0);
    } else if (utf8.size() == 2) {
        code = (byte(0) & 0x1Fu) << 6 | (byte(1) & 0x3Fu);
    } else if (utf8.size() == 3) {
        code = (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
    } else {
        code = (byte(0) & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 | (byte(2) & 0x3Fu) << 6 |
               (byte(3) & 0x3Fu);
    }
    const auto unitBytes = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        return width == Width::Utf16Be ? std::string{high, low} : std::string{low, high};
    };
    if (code < 0x10000) return unitBytes(code);
    return unitBytes(0xD800 + ((code - 0x10000) >> 10)) + unitBytes(0xDC00 + (code & 0x3FF));
}

// The delimiter in code page 936, from its form in the script. The Linux
// script is GB18030, which writes every character code page 936 holds with
// the same bytes, but the euro sign (A2 E3 there, 0x80 in code page 936); a
// longer form is a character code page 936 lacks.
std::string Gbk936Delimiter(const std::optional<std::string>& scriptForm) {
    if (!scriptForm || scriptForm->size() > 2) return "";
    return *scriptForm == "\xA2\xE3" ? "\x80" : *scriptForm;
}

constexpr std::array<bool, 256> kNoLeadBytes{};

constexpr std::array<bool, 256> GbkLeadBytes() {
    std::array<bool, 256> leads{};
    for (std::size_t byte = 0; byte < leads.size(); ++byte)
        leads[byte] = text::IsGbkLeadByte(static_cast<unsigned char>(byte));
    return leads;
}
constexpr std::array<bool, 256> kGbkLeadBytes = GbkLeadBytes();

// The survey as the pieces of the source come in. The reading is chosen from
// the first bytes; while the content has yet to tell UTF-8 from GBK, both
// readings count, and the one the content rules out is dropped.
class Survey {
  public:
    Survey(const SourceReading& reading, std::string utf8Delimiter,
           std::optional<std::string> scriptDelimiter, int field)
        : source_(reading),
          utf8Delimiter_(std::move(utf8Delimiter)),
          scriptDelimiter_(std::move(scriptDelimiter)),
          field_(field) {}

    bool Feed(std::string_view piece) {
        if (reading_) return Count(piece);
        // Three bytes are enough to see a byte-order mark.
        if (head_.empty() && piece.size() >= 3) return Begin(piece);
        head_ += piece;
        return head_.size() < 3 || Begin(head_);
    }

    std::optional<SourceSurvey> Finish() {
        if (!reading_ && !Begin(head_)) return std::nullopt;
        std::optional<SourceSurvey> survey = utf8Reading_ && validator_.Chosen() == Encoding::Utf8
                                                 ? utf8Reading_->Finish()
                                                 : reading_->Finish();
        if (!survey) return survey;
        if (!source_.encodingFromContent) {
            if (lineLength_ >= kInterpreterLineLength) ++longLines_;
            survey->longLines = longLines_;
        }
        survey->lineEndsAreCrOnly = !sawLineFeed_ && sawInnerCr_;
        return survey;
    }

  private:
    bool Begin(std::string_view head) {
        Choose(head);
        return Count(head.substr(markLength_));
    }

    bool Count(std::string_view piece) {
        if (measureLines_ && (!source_.encodingFromContent || !sawLineFeed_)) MeasureLines(piece);
        // Our stand-in keeps NUL bytes as data; cmd.exe reads a line only up
        // to one, and the survey counts by that rule.
        while (!source_.encodingFromContent && !piece.empty()) {
            if (skippingToLineFeed_) {
                const std::size_t lineFeed = piece.find('\n');
                if (lineFeed == std::string_view::npos) return true;
                piece.remove_prefix(lineFeed);
                skippingToLineFeed_ = false;
            }
            const std::size_t nul = piece.find('\0');
            if (nul == std::string_view::npos) break;
            CountBytes(piece.substr(0, nul));
            reading_->CutLineAtNul();
            skippingToLineFeed_ = true;
            piece.remove_prefix(nul + 1);
        }
        CountBytes(piece);
        return true;
    }

    void CountBytes(std::string_view piece) {
        const auto* at = reinterpret_cast<const unsigned char*>(piece.data());
        const auto* end = at + piece.size();
        if (utf8Reading_ && !validator_.Feed(at, piece.size())) utf8Reading_.reset();
        if (utf8Reading_) utf8Reading_->Feed(at, end);
        reading_->Feed(at, end);
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

    void Choose(std::string_view head) {
        if (!source_.encodingFromContent) {
            // cmd.exe: its code page, whatever the file holds.
            const bool doubleByte = std::find(source_.leadBytes.begin(), source_.leadBytes.end(),
                                              true) != source_.leadBytes.end();
            reading_.emplace(doubleByte ? Width::DoubleBytes : Width::Bytes,
                             scriptDelimiter_.value_or(""), source_.leadBytes, field_);
            return;
        }
        // Our stand-in: the byte-order mark, else the content.
        const auto* bytes = reinterpret_cast<const unsigned char*>(head.data());
        if (const auto mark = text::DetectByteOrderMark({bytes, head.size()})) {
            markLength_ = mark->length;
            measureLines_ = mark->encoding == Encoding::Utf8;
            const Width width = mark->encoding == Encoding::Utf8      ? Width::Bytes
                                : mark->encoding == Encoding::Utf16Le ? Width::Utf16Le
                                                                      : Width::Utf16Be;
            reading_.emplace(
                width,
                width == Width::Bytes ? utf8Delimiter_ : Utf16Delimiter(utf8Delimiter_, width),
                kNoLeadBytes, field_);
        } else if (text::ReadAlikeInUtf8AndGbk(utf8Delimiter_)) {
            reading_.emplace(Width::Bytes, utf8Delimiter_, kNoLeadBytes, field_);
        } else {
            reading_.emplace(Width::DoubleBytes, Gbk936Delimiter(scriptDelimiter_), kGbkLeadBytes,
                             field_);
            utf8Reading_.emplace(Width::Bytes, utf8Delimiter_, kNoLeadBytes, field_);
        }
    }

    const SourceReading source_;
    const std::string utf8Delimiter_;
    const std::optional<std::string> scriptDelimiter_;
    const int field_;
    std::string head_;  // the first bytes, while fewer than three came
    std::size_t markLength_ = 0;
    // The reading counted by; while UTF-8 is still possible, the GBK one.
    std::optional<CharacterReading> reading_;
    std::optional<CharacterReading> utf8Reading_;
    text::Utf8Validator validator_;
    // cmd.exe's line buffer holds 8,191 characters. What Windows does with a
    // longer line is not documented; Wine 10's cmd.exe ends the loop there
    // (programs/cmd/batch.c, WCMD_fgets, reads at most 8,192 bytes).
    static constexpr std::uint64_t kInterpreterLineLength = 8191;
    bool measureLines_ = true;         // not in UTF-16, whose line feeds are two bytes
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
    Survey survey(
        reading, request.delimiter,
        request.loopInUtf8 ? request.delimiter : system.EncodeForScript(request.delimiter),
        request.fieldNumber);
    std::uint64_t left = readUpTo.value_or(UINT64_MAX);
    const bool whole = system.ReadFileInPieces(request.sourcePath, [&](std::string_view piece) {
        piece =
            piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), left)));
        left -= piece.size();
        return survey.Feed(piece) && left > 0;
    });
    // Stopped at the size asked for: what came after was not read by the run.
    if (!whole && left > 0) return std::nullopt;
    return survey.Finish();
}

}  // namespace morvane
