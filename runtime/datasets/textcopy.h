// Copying a text into a fixed, blank-padded cell. Cells of 16 characters (level keys and
// raw class values) are the common case and are done in one 16-byte step, cells of 17 to 32
// (the whole values of longer class, failure-mode and unit variables) in two, cells of 4 to 8
// characters (short class values) in one 8-byte word; the source must then have 16 readable
// bytes (the text arenas end with TEXT_SLACK blanks).
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rt::ds {

static_assert(std::endian::native == std::endian::little, "short cells are assembled little-endian");

#if defined(__SSE2__)
// The first n (at most 16) bytes of src, blanks after them; 16 bytes of src must be readable.
inline __m128i padded16(const char* src, uint32_t n) {
    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i keep = _mm_cmplt_epi8(index, _mm_set1_epi8(static_cast<char>(n < 16 ? n : 16)));
    return _mm_or_si128(_mm_and_si128(keep, text), _mm_andnot_si128(keep, _mm_set1_epi8(' ')));
}
#endif

inline void copypadded(char* dst, int width, const char* src, uint32_t len) {
#if defined(__SSE2__)
    if (width == 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), padded16(src, len));
        return;
    }
    if (width > 16 && width <= 32) {
        // A whole value of 17 to 32 characters: two pieces of 16, the second stored so that it
        // ends with the cell (the two stores overlap). Past the 16th byte a text of more than 16
        // has 16 readable bytes (its own and the slack).
        alignas(16) char buf[32];
        _mm_store_si128(reinterpret_cast<__m128i*>(buf), padded16(src, len));
        _mm_store_si128(reinterpret_cast<__m128i*>(buf + 16), len > 16 ? padded16(src + 16, len - 16) : _mm_set1_epi8(' '));
        std::memcpy(dst, buf, 16);
        std::memcpy(dst + width - 16, buf + width - 16, 16);
        return;
    }
#endif
    if (width >= 4 && width <= 8) {
        // the text's bytes below n, blanks above, stored as two overlapping 4-byte words
        uint64_t text;
        std::memcpy(&text, src, 8);
        const uint32_t n = len < 8 ? len : 8;
        const uint64_t keep = n == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * n)) - 1;
        const uint64_t out = (text & keep) | (0x2020202020202020ull & ~keep);
        if (width == 8) {
            std::memcpy(dst, &out, 8);
            return;
        }
        uint32_t lo;
        std::memcpy(&lo, &out, 4);
        std::memcpy(dst, &lo, 4);
        if (width > 4) {
            const uint32_t hi = static_cast<uint32_t>(out >> (8 * (width - 4)));
            std::memcpy(dst + width - 4, &hi, 4);
        }
        return;
    }
    const size_t w = static_cast<size_t>(width);
    const size_t n = len < w ? len : w;
    std::memcpy(dst, src, n);
    std::memset(dst + n, ' ', w - n);
}

}  // namespace rt::ds
