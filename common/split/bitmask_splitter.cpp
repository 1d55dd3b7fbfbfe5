#include "common/split/bitmask_splitter.h"

#include <algorithm>
#include <cstring>

#include "common/split/lead_runs.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane::split {

namespace {

// Delimiter sets up to this size are classified with one vector compare per
// byte value; larger ones byte by byte.
constexpr std::size_t kVectorDelimiters = 4;

#if defined(__SSE2__)
// Bit i of the answer: byte i of the 16 at `at` equals one of `values`.
inline std::uint64_t Matches16(__m128i chunk, const __m128i* values, std::size_t count) {
    __m128i any = _mm_cmpeq_epi8(chunk, values[0]);
    for (std::size_t i = 1; i < count; ++i)
        any = _mm_or_si128(any, _mm_cmpeq_epi8(chunk, values[i]));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(any));
}
#endif

}  // namespace

bool BitmaskSplitter::Handles(const SplitRules& rules) {
    if (rules.characters.IsUtf16()) return false;
    const bool doubleBytes = rules.characters.width == Width::DoubleBytes;
    for (const std::string& delimiter : rules.delimiters) {
        if (delimiter.size() != 1) return false;
        if (doubleBytes && rules.characters.leadBytes[static_cast<unsigned char>(delimiter[0])])
            return false;
    }
    return !rules.eol || rules.eol->size() == 1;
}

BitmaskSplitter::BitmaskSplitter(const SplitRules& rules) {
    for (const std::string& delimiter : rules.delimiters) {
        const auto byte = static_cast<unsigned char>(delimiter[0]);
        if (!isDelimiter_[byte]) delimiterBytes_.push_back(byte);
        isDelimiter_[byte] = true;
    }
    if (rules.eol) eol_ = static_cast<unsigned char>((*rules.eol)[0]);
    if (rules.characters.width != Width::DoubleBytes) return;
    leadBytes_ = rules.characters.leadBytes;
    for (unsigned char byte : delimiterBytes_) {
        if (!text::IsGbkSecondByte(byte)) continue;
        secondByteDelimiters_.push_back(byte);
        isSecondByteDelimiter_[byte] = true;
    }
    secondBytesPossible_ = !secondByteDelimiters_.empty();
    const auto first = std::find(leadBytes_.begin(), leadBytes_.end(), true);
    const auto pastLast = std::find(first, leadBytes_.end(), false);
    const bool oneRange = first != leadBytes_.end() && first - leadBytes_.begin() > 0x80 &&
                          std::find(pastLast, leadBytes_.end(), true) == leadBytes_.end();
    if (oneRange) {
        leadLow_ = static_cast<unsigned char>(first - leadBytes_.begin());
        leadHigh_ = static_cast<unsigned char>(pastLast - leadBytes_.begin() - 1);
    }
}

void BitmaskSplitter::BuildMasks(const unsigned char* data, std::size_t size) {
    const std::size_t words = (size + 63) / 64;
    if (delimiterMask_.size() < words) {
        delimiterMask_.resize(words);
        lineFeedMask_.resize(words);
        if (secondBytesPossible_) {
            leadMask_.resize(words);
            secondByteMask_.resize(words);
        }
    }
    std::size_t word = 0;
#if defined(__SSE2__)
    if (delimiterBytes_.size() <= kVectorDelimiters && (!secondBytesPossible_ || leadLow_ != 0))
        word = ClassifyWholeWordsSse2(data, size);
#endif
    // The words left (all of them without SSE2, else the last, partial one)
    // byte by byte.
    for (; word < words; ++word) {
        const std::size_t begin = word * 64;
        StoreMasks(word, ClassifyBytes(data + begin, std::min<std::size_t>(64, size - begin)));
    }
    if (secondBytesPossible_) DropSecondBytes(words);
}

BitmaskSplitter::WordMasks BitmaskSplitter::ClassifyBytes(const unsigned char* bytes,
                                                          std::size_t count) const {
    WordMasks masks;
    for (std::size_t i = 0; i < count; ++i) {
        masks.delimiters |= static_cast<std::uint64_t>(isDelimiter_[bytes[i]]) << i;
        masks.lineFeeds |= static_cast<std::uint64_t>(bytes[i] == '\n') << i;
        masks.leads |= static_cast<std::uint64_t>(leadBytes_[bytes[i]]) << i;
        masks.seconds |= static_cast<std::uint64_t>(isSecondByteDelimiter_[bytes[i]]) << i;
    }
    return masks;
}

void BitmaskSplitter::StoreMasks(std::size_t word, const WordMasks& masks) {
    delimiterMask_[word] = masks.delimiters;
    lineFeedMask_[word] = masks.lineFeeds;
    if (secondBytesPossible_) {
        leadMask_[word] = masks.leads;
        secondByteMask_[word] = masks.seconds;
    }
}

#if defined(__SSE2__)
std::size_t BitmaskSplitter::ClassifyWholeWordsSse2(const unsigned char* data, std::size_t size) {
    __m128i values[kVectorDelimiters];
    for (std::size_t i = 0; i < delimiterBytes_.size(); ++i) {
        values[i] = _mm_set1_epi8(static_cast<char>(delimiterBytes_[i]));
    }
    __m128i secondValues[kVectorDelimiters];
    for (std::size_t i = 0; i < secondByteDelimiters_.size(); ++i) {
        secondValues[i] = _mm_set1_epi8(static_cast<char>(secondByteDelimiters_[i]));
    }
    const __m128i lineFeed = _mm_set1_epi8('\n');
    // Signed, the lead range (within 0x81-0xFF) is negative; GBK's 0x81-0xFE
    // is -127..-2.
    const __m128i belowLead = _mm_set1_epi8(static_cast<char>(leadLow_ - 1));
    const __m128i aboveLead = _mm_set1_epi8(static_cast<char>(leadHigh_ + 1));
    const std::size_t count = delimiterBytes_.size();
    std::size_t word = 0;
    for (; (word + 1) * 64 <= size; ++word) {
        const unsigned char* block = data + word * 64;
        WordMasks masks;
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + part * 16));
            if (count > 0) masks.delimiters |= Matches16(chunk, values, count) << (part * 16);
            masks.lineFeeds |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(
                                   _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lineFeed))))
                               << (part * 16);
            if (secondBytesPossible_) {
                const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(chunk, belowLead),
                                                   _mm_cmplt_epi8(chunk, aboveLead));
                masks.leads |=
                    static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(lead)))
                    << (part * 16);
                masks.seconds |= Matches16(chunk, secondValues, secondByteDelimiters_.size())
                                 << (part * 16);
            }
        }
        StoreMasks(word, masks);
    }
    return word;
}
#endif

// A delimiter byte right after a run of lead bytes of odd length is the
// second byte of a character (lead_runs.h). The data starts at a line start,
// a character's start.
void BitmaskSplitter::DropSecondBytes(std::size_t words) {
    std::uint64_t carryOdd = 0;
    for (std::size_t word = 0; word < words; ++word) {
        const std::uint64_t oddEnds = AfterOddLeadRuns(leadMask_[word], carryOdd);
        // Only bytes that can be second bytes are; after an odd run, any
        // other byte leaves the last lead byte standing alone.
        delimiterMask_[word] &= ~(oddEnds & secondByteMask_[word]);
    }
}

}  // namespace morvane::split
