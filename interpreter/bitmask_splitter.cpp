#include "interpreter/bitmask_splitter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane::interp {

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
    if (rules.encoding != Encoding::Utf8 && rules.encoding != Encoding::Gbk) return false;
    for (const std::string& delimiter : rules.delimiters) {
        if (delimiter.size() != 1) return false;
        const auto byte = static_cast<unsigned char>(delimiter[0]);
        if (rules.encoding == Encoding::Utf8 && byte >= 0x80) return false;
        if (rules.encoding == Encoding::Gbk && IsGbkLeadByte(byte)) return false;
    }
    return !rules.eol || rules.eol->size() == 1;
}

BitmaskSplitter::BitmaskSplitter(const SplitRules& rules) : values_(rules.plan) {
    for (const std::string& delimiter : rules.delimiters) {
        const auto byte = static_cast<unsigned char>(delimiter[0]);
        if (!isDelimiter_[byte]) delimiterBytes_.push_back(byte);
        isDelimiter_[byte] = true;
    }
    if (rules.eol) eol_ = static_cast<unsigned char>((*rules.eol)[0]);
    if (rules.encoding == Encoding::Gbk) {
        for (unsigned char byte : delimiterBytes_) {
            if (!IsGbkSecondByte(byte)) continue;
            secondByteDelimiters_.push_back(byte);
            isSecondByteDelimiter_[byte] = true;
        }
    }
    secondBytesPossible_ = !secondByteDelimiters_.empty();
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
    if (delimiterBytes_.size() <= kVectorDelimiters) word = ClassifyWholeWordsSse2(data, size);
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
        masks.leads |= static_cast<std::uint64_t>(IsGbkLeadByte(bytes[i])) << i;
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
    // Signed, the lead bytes 0x81-0xFE are -127..-2.
    const __m128i belowLead = _mm_set1_epi8(-128);
    const __m128i aboveLead = _mm_set1_epi8(-1);
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

// The rule of FollowsOddLeadRun (encoding.h), 64 bytes at a time: a
// delimiter byte right after a run of lead-range bytes of odd length is the
// second byte of a character. The data starts at a line start, a character
// start. Odd-length runs are found with carries: adding a run's start bit to
// the run carries out just past its end; starting from even and odd positions
// separately tells odd lengths from even ones.
void BitmaskSplitter::DropSecondBytes(std::size_t words) {
    constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;
    std::uint64_t carryOdd = 0;  // the previous word ended inside an odd-length run
    for (std::size_t word = 0; word < words; ++word) {
        const std::uint64_t leads = leadMask_[word];
        const std::uint64_t starts = leads & ~(leads << 1);
        // A run continuing from the last word with odd length so far starts
        // again at bit 0, which then counts as an odd position.
        const std::uint64_t evenStartMask = kEvenBits ^ carryOdd;
        const std::uint64_t evenStarts = starts & evenStartMask;
        const std::uint64_t oddStarts = starts & ~evenStartMask;
        const std::uint64_t evenCarries = leads + evenStarts;
        std::uint64_t oddCarries = 0;
        const bool overflow = __builtin_add_overflow(leads, oddStarts, &oddCarries);
        oddCarries |= carryOdd;
        carryOdd = overflow ? 1 : 0;
        const std::uint64_t evenCarryEnds = evenCarries & ~leads;
        const std::uint64_t oddCarryEnds = oddCarries & ~leads;
        const std::uint64_t oddEnds = (evenCarryEnds & ~kEvenBits) | (oddCarryEnds & kEvenBits);
        // Only bytes that can be second bytes are; after an odd run, any
        // other byte leaves the last lead byte standing alone.
        delimiterMask_[word] &= ~(oddEnds & secondByteMask_[word]);
    }
}

}  // namespace morvane::interp
