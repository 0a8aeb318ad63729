// Copying a text into a fixed, blank-padded cell. Cells of 16 characters (level keys and
// raw class values) are the common case and are done in one 16-byte step, cells of 4 to 8
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

inline void copypadded(char* dst, int width, const char* src, uint32_t len) {
#if defined(__SSE2__)
    if (width == 16) {
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m128i keep = _mm_cmplt_epi8(index, _mm_set1_epi8(static_cast<char>(len < 16 ? len : 16)));
        const __m128i out = _mm_or_si128(_mm_and_si128(keep, text), _mm_andnot_si128(keep, _mm_set1_epi8(' ')));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
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
