// Copying a text into a fixed, blank-padded cell. Cells of 16 characters (level keys and
// raw class values) are the common case and are done in one 16-byte step; the source
// must then have 16 readable bytes (the text arenas end with TEXT_SLACK blanks).
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rt::ds {

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
    const size_t w = static_cast<size_t>(width);
    const size_t n = len < w ? len : w;
    std::memcpy(dst, src, n);
    std::memset(dst + n, ' ', w - n);
}

}  // namespace rt::ds
