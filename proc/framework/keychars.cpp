// Keys cut back to the last whole UTF-8 character (keychars.h).
#include "proc/framework/keychars.h"

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
        if (t[i] < 0x80) {
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

void keycut(char* key, const char* whole, int32_t width) {
    if (whole && utf8whole(whole, width) != width) return;   // not UTF-8: keyed as it is
    const int keep = utf8whole(key, 16);
    if (keep >= 0 && keep < 16) std::memset(key + keep, ' ', static_cast<size_t>(16 - keep));
}
