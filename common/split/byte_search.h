// The first byte of a given value in a stretch: memchr, but on Windows where
// the C runtime's memchr (msvcrt.dll, as Wine ships it at least) looks at one
// byte at a time, 16 bytes to a compare.
#pragma once

#include <cstddef>
#include <cstring>

#if defined(_WIN32) && defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane::split {

// The first byte equal to `value` in [from, end), or `end`.
inline const unsigned char* FindByte(const unsigned char* from, const unsigned char* end,
                                     unsigned char value) {
#if defined(_WIN32) && defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
    for (; end - from >= 16; from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted));
        if (hits != 0) return from + __builtin_ctz(static_cast<unsigned>(hits));
    }
    while (from < end && *from != value) ++from;
    return from;
#else
    const void* hit = std::memchr(from, value, static_cast<std::size_t>(end - from));
    return hit ? static_cast<const unsigned char*>(hit) : end;
#endif
}

}  // namespace morvane::split
