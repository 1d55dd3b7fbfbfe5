// Splits many lines at once when every delimiter is one byte that never
// occurs inside a multi-byte character: the common case, made fast.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/split/split_rules.h"

namespace morvane::split {

// Same tokens as LineSplitter, for the rules Handles() accepts: the bytes
// are classified 64 at a time into bit masks (delimiter, line feed), and each
// line costs a few bit scans instead of a walk over its bytes.
class BitmaskSplitter {
  public:
    // Bytes or double bytes, delimiters of one byte that never leads a
    // character, and no end-of-line character or a single-byte one.
    static bool Handles(const SplitRules& rules);

    explicit BitmaskSplitter(const SplitRules& rules);

    struct Progress {
        std::size_t consumed = 0;  // bytes of complete lines, through the last LF
        std::uint64_t lines = 0;
        bool stopped = false;  // `emit` answered false
    };

    // Splits every complete line (ended by LF; one CR before it dropped) of
    // data[0, size), the bytes at file offset `offset`, into `sink`. After
    // each line's LineEnds calls lineDone(), which answers false to stop.
    template <typename Sink, typename LineDone>
    Progress SplitLines(const unsigned char* data, std::size_t size, std::uint64_t offset,
                        Sink& sink, LineDone&& lineDone);

  private:
    // The classes of the 64 bytes of one mask word, a bit each.
    struct WordMasks {
        std::uint64_t delimiters = 0;
        std::uint64_t lineFeeds = 0;
        std::uint64_t leads = 0;    // lead bytes
        std::uint64_t seconds = 0;  // hits of secondByteDelimiters_
    };

    // Classifies data[0, size) into the masks.
    void BuildMasks(const unsigned char* data, std::size_t size);
    // The classes of `count` (at most 64) bytes, one at a time.
    WordMasks ClassifyBytes(const unsigned char* bytes, std::size_t count) const;
#if defined(__SSE2__)
    // Classifies every whole 64-byte word of data[0, size), 16 bytes per
    // compare; answers how many words it did.
    std::size_t ClassifyWholeWordsSse2(const unsigned char* data, std::size_t size);
#endif
    void StoreMasks(std::size_t word, const WordMasks& masks);
    void DropSecondBytes(std::size_t words);
    // The first bit at or after `from` that is set (`flip` 0) or clear (`flip`
    // all ones), or `limit` when none is before it.
    static std::size_t NextBit(const std::uint64_t* words, std::size_t from, std::size_t limit,
                               std::uint64_t flip);
    static std::size_t NextSet(const std::uint64_t* words, std::size_t from, std::size_t limit) {
        return NextBit(words, from, limit, 0);
    }
    static std::size_t NextClear(const std::uint64_t* words, std::size_t from, std::size_t limit) {
        return NextBit(words, from, limit, ~std::uint64_t{0});
    }

    std::array<bool, 256> isDelimiter_{};
    std::vector<unsigned char> delimiterBytes_;
    // The delimiter bytes that can also be the second byte of a double-byte
    // character.
    std::vector<unsigned char> secondByteDelimiters_;
    int eol_ = -1;
    // Double bytes with a delimiter byte that can also be the second byte of
    // a character: such hits are taken out of the delimiter mask.
    bool secondBytesPossible_ = false;
    std::array<bool, 256> isSecondByteDelimiter_{};
    LeadBytes leadBytes_{};
    // The lead bytes as one range of 0x80-0xFF (GBK's 0x81-0xFE), which SSE2
    // compares 16 at a time; leadLow_ 0 when they are not.
    unsigned char leadLow_ = 0;
    unsigned char leadHigh_ = 0;
    std::vector<std::uint64_t> delimiterMask_;
    std::vector<std::uint64_t> lineFeedMask_;
    std::vector<std::uint64_t> leadMask_;        // lead bytes, for double bytes only
    std::vector<std::uint64_t> secondByteMask_;  // hits of secondByteDelimiters_
};

inline std::size_t BitmaskSplitter::NextBit(const std::uint64_t* words, std::size_t from,
                                            std::size_t limit, std::uint64_t flip) {
    if (from >= limit) return limit;
    std::size_t word = from >> 6;
    const std::size_t lastWord = (limit - 1) >> 6;
    std::uint64_t bits = (words[word] ^ flip) & (~std::uint64_t{0} << (from & 63));
    while (bits == 0) {
        if (word == lastWord) return limit;
        bits = words[++word] ^ flip;
    }
    const std::size_t found = (word << 6) + static_cast<std::size_t>(__builtin_ctzll(bits));
    return found < limit ? found : limit;
}

template <typename Sink, typename LineDone>
BitmaskSplitter::Progress BitmaskSplitter::SplitLines(const unsigned char* data, std::size_t size,
                                                      std::uint64_t offset, Sink& sink,
                                                      LineDone&& lineDone) {
    Progress progress;
    if (size == 0) return progress;
    BuildMasks(data, size);
    const std::uint64_t* delimiters = delimiterMask_.data();
    const std::uint64_t* lineFeeds = lineFeedMask_.data();
    std::size_t lineStart = 0;
    // Line feeds are visited in order, so their mask is walked word by word.
    const std::size_t words = (size + 63) / 64;
    std::size_t lineFeedWord = 0;
    std::uint64_t lineFeedBits = lineFeeds[0];
    while (true) {
        while (lineFeedBits == 0 && ++lineFeedWord < words) lineFeedBits = lineFeeds[lineFeedWord];
        if (lineFeedBits == 0) break;
        const std::size_t lineFeed =
            (lineFeedWord << 6) + static_cast<std::size_t>(__builtin_ctzll(lineFeedBits));
        lineFeedBits &= lineFeedBits - 1;
        const std::size_t contentEnd =
            lineFeed > lineStart && data[lineFeed - 1] == '\r' ? lineFeed - 1 : lineFeed;
        ++progress.lines;
        std::size_t at = lineStart;
        if (at < contentEnd && isDelimiter_[data[at]]) at = NextClear(delimiters, at, contentEnd);
        const bool hasTokens = sink.StartLine(offset + lineStart) != Next::Nothing &&
                               at < contentEnd && data[at] != eol_;
        while (hasTokens && sink.TokenStarts(offset + at) == Next::TokenEnd) {
            const std::size_t tokenEnd = NextSet(delimiters, at, contentEnd);
            sink.TokenText(data + at, data + tokenEnd);
            if (sink.TokenEnds(offset + tokenEnd) == Next::Nothing) break;
            at = tokenEnd + 1;  // past the delimiter that ended the token
            if (at < contentEnd && isDelimiter_[data[at]])
                at = NextClear(delimiters, at, contentEnd);
            if (at >= contentEnd) break;
        }
        sink.LineEnds(offset + contentEnd);
        lineStart = lineFeed + 1;
        progress.consumed = lineStart;
        if (!lineDone()) {
            progress.stopped = true;
            break;
        }
    }
    return progress;
}

}  // namespace morvane::split
