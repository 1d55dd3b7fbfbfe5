// Telling the second byte of a double-byte character from a character of its
// own without walking the text from its start.
//
// In a double-byte code page every byte that cannot lead a character ends
// one (it is a character of its own or a second byte), so a run of lead-range
// bytes starts at a character's start and its bytes pair off from there. The
// byte right after a run of odd length pairs with the run's last byte when it
// can be a second byte at all; after a run of even length it starts a
// character. Both forms below follow this one rule: byte by byte, and 64
// bytes at a time with bit masks.
#pragma once

#include <cstdint>

#include "common/split/split_rules.h"

namespace morvane::split {

// Whether the run of lead bytes standing right before `at` (looked for back
// to `from`, a character's start) has odd length.
inline bool FollowsOddLeadRun(const LeadBytes& leadBytes, const unsigned char* from,
                              const unsigned char* at) {
    const unsigned char* runStart = at;
    while (runStart > from && leadBytes[runStart[-1]]) --runStart;
    return (at - runStart) % 2 == 1;
}

// The bytes of one 64-byte word that follow a run of lead bytes of odd
// length, a bit each, from the word's lead-byte mask (bit i: byte i is a lead
// byte). `carryOdd` carries a run across words: it says the previous word
// ended inside a run of odd length so far, and is updated for the next. The
// first word starts at a character's start, with `carryOdd` 0.
//
// Odd-length runs are found with carries: adding a run's start bit to the run
// carries out just past its end; starting from even and odd positions
// separately tells odd lengths from even ones.
inline std::uint64_t AfterOddLeadRuns(std::uint64_t leads, std::uint64_t& carryOdd) {
    constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;
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
    return (evenCarryEnds & ~kEvenBits) | (oddCarryEnds & kEvenBits);
}

}  // namespace morvane::split
