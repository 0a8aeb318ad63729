// Where a cut at a number of bytes leaves a text. Class levels, failure modes and units are keyed
// by their formatted value cut to 16 bytes (n with TRUNCATE=), and reference-line labels are
// written to 16 bytes. A text in UTF-8 cut inside a character would keep part of it, so the cut
// goes back to the last whole character there. A value that is not UTF-8 as a whole (Latin-1,
// say, where every byte is a character) keeps every byte of its cut: judged by its first bytes
// alone, two Latin-1 values that differ in their last byte kept would be cut alike and merged.
// Header only, so that the procedure's readers (proc/framework/keychars.h) and the host's
// statement parser (the key an FMODE value offers) apply the one rule.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

namespace keychars_detail {

// The bytes of the character that lead starts, and the range its second byte must lie in
// (overlong forms, surrogates and code points past U+10FFFF are not UTF-8); 0 for a byte that
// starts no character.
inline int leadlength(uint8_t lead, uint8_t* lo, uint8_t* hi) {
    *lo = 0x80;
    *hi = 0xBF;
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) {
        if (lead == 0xE0) *lo = 0xA0;
        if (lead == 0xED) *hi = 0x9F;
        return 3;
    }
    if (lead < 0xF5) {
        if (lead == 0xF0) *lo = 0x90;
        if (lead == 0xF4) *hi = 0x8F;
        return 4;
    }
    return 0;
}

}  // namespace keychars_detail

// The number of bytes of the whole characters at the start of the n bytes of text: n when the
// text is UTF-8, less when only its last character is cut short; -1 when it is not UTF-8.
inline int32_t utf8whole(const char* text, int32_t n) {
    const auto* t = reinterpret_cast<const uint8_t*>(text);
    int32_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            // plain ASCII eight bytes at a time, up to the first byte that is not
            uint64_t w;
            std::memcpy(&w, t + i, 8);
            const uint64_t high = w & 0x8080808080808080ull;
            if (high == 0) {
                i += 8;
                continue;
            }
            i += std::countr_zero(high) / 8;
        } else if (t[i] < 0x80) {
            ++i;
            continue;
        }
        uint8_t lo, hi;
        const int len = keychars_detail::leadlength(t[i], &lo, &hi);
        if (len == 0) return -1;
        for (int j = 1; j < len && i + j < n; ++j) {
            if (t[i + j] < lo || t[i + j] > hi) return -1;
            lo = 0x80;
            hi = 0xBF;
        }
        if (i + len > n) return i;   // the last character is cut short
        i += len;
    }
    return n;
}

// The bytes that a cut to width bytes keeps of a value of len bytes: all of them when they fit;
// else width, back to the last whole character when the cut falls inside one and the value as
// a whole is UTF-8. A value that is not UTF-8 keeps its width bytes.
inline int32_t keptbytes(const char* value, int32_t len, int32_t width) {
    if (len <= width) return len < 0 ? 0 : len;
    const int32_t keep = utf8whole(value, width);
    if (keep < 0 || keep == width) return width;
    // Its first keep bytes are UTF-8: the value is when the rest is, from the cut character on.
    return utf8whole(value + keep, len - keep) == len - keep ? keep : width;
}
