// Keys cut back to the last whole UTF-8 character (keychars.h).
#include "proc/framework/keychars.h"

#include <bit>
#include <cstring>

namespace {

// The bytes of the character that lead starts, and the range its second byte must lie in
// (overlong forms, surrogates and code points past U+10FFFF are not UTF-8); 0 for a byte that
// starts no character.
int leadlength(uint8_t lead, uint8_t* lo, uint8_t* hi) {
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

}  // namespace

int utf8whole(const char* text, int32_t n) {
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
        const int len = leadlength(t[i], &lo, &hi);
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

void textcut(char* text, int32_t len, const char* whole, int32_t width) {
    // The text is the start of the whole value: the value is UTF-8 when the text is, but for a
    // last character cut short, and the whole value from that character on is.
    const int keep = utf8whole(text, len);
    if (keep < 0 || keep == len) return;
    if (whole && (width < len || utf8whole(whole + keep, width - keep) != width - keep)) return;   // not UTF-8: kept as it is
    std::memset(text + keep, ' ', static_cast<size_t>(len - keep));
}
