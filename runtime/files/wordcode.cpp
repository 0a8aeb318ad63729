#include "runtime/files/wordcode.h"

#include <cstring>

namespace rt::files::code {
namespace {

inline uint64_t load(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void store(unsigned char* p, uint64_t v) { std::memcpy(p, &v, 8); }
// Set bits of a mask byte (the library's popcount is a call where the processor's is not
// assumed).
constexpr auto kBitsSet = [] {
    struct T {
        unsigned char n[256];
    } t{};
    for (int i = 0; i < 256; ++i) t.n[i] = static_cast<unsigned char>((i & 1) + (i >> 1 & 1) + (i >> 2 & 1) + (i >> 3 & 1) + (i >> 4 & 1) + (i >> 5 & 1) + (i >> 6 & 1) + (i >> 7 & 1));
    return t;
}();
// The bytes a non-zero word needs (its high zero bytes left out).
inline int bytesof(uint64_t x) { return (71 - __builtin_clzll(x)) >> 3; }

}  // namespace

int64_t bound(int64_t n) { return n + (n / 64 + 1) * 5 + 16; }

int64_t encode(const unsigned char* rec, int64_t n, int stride, unsigned char* out) {
    const int64_t words = n / 8, s = stride;
    unsigned char* o = out;
    for (int64_t g = 0; g < words; g += 8) {
        const int in = words - g < 8 ? static_cast<int>(words - g) : 8;
        uint64_t x[8];
        unsigned mask = 0;
        int count = 0;
        for (int j = 0; j < in; ++j) {
            const int64_t i = g + j;
            x[j] = load(rec + 8 * i) ^ (i >= s ? load(rec + 8 * (i - s)) : 0);
            if (x[j]) mask |= 1u << j, ++count;
        }
        *o++ = static_cast<unsigned char>(mask);
        if (!mask) continue;
        unsigned char* lens = o;
        o += (count + 1) / 2;
        int k = 0;
        for (unsigned m = mask; m; m &= m - 1, ++k) {
            const int j = __builtin_ctz(m);
            const int b = bytesof(x[j]);
            if (k & 1) lens[k >> 1] |= static_cast<unsigned char>((b - 1) << 4);
            else lens[k >> 1] = static_cast<unsigned char>(b - 1);
            store(o, x[j]);
            o += b;
        }
    }
    const int64_t tail = n - 8 * words;
    std::memcpy(o, rec + 8 * words, static_cast<size_t>(tail));
    return (o - out) + tail;
}

int64_t decode(const unsigned char* in, int64_t n, int stride, unsigned char* rec) {
    const int64_t words = n / 8, s = stride;
    const unsigned char* p = in;
    for (int64_t g = 0; g < words; g += 8) {
        const int inb = words - g < 8 ? static_cast<int>(words - g) : 8;
        const unsigned mask = *p++;
        if (!mask) {   // every word repeats the word a stride before (or is zero)
            for (int64_t i = g; i < g + inb; ++i) store(rec + 8 * i, i >= s ? load(rec + 8 * (i - s)) : 0);
            continue;
        }
        const unsigned char* lens = p;
        p += (kBitsSet.n[mask] + 1) / 2;
        // In order: a word may repeat one of this group.
        for (int j = 0, k = 0; j < inb; ++j) {
            const int64_t i = g + j;
            uint64_t x = 0;
            if (mask >> j & 1) {
                const int b = ((lens[k >> 1] >> (4 * (k & 1))) & 0xF) + 1;
                x = load(p) & (b == 8 ? ~0ull : (1ull << (8 * b)) - 1);
                p += b;
                ++k;
            }
            store(rec + 8 * i, x ^ (i >= s ? load(rec + 8 * (i - s)) : 0));
        }
    }
    const int64_t tail = n - 8 * words;
    std::memcpy(rec + 8 * words, p, static_cast<size_t>(tail));
    return (p - in) + tail;
}

int choosestride(const unsigned char* rec, int64_t n) {
    const int64_t words = (n < 32768 ? n : 32768) / 8;
    int best = 0;
    int64_t bestbytes = words * 8 - words * 8 / 5;   // coding must save a fifth
    for (int s = 1; s <= 32 && s < words; ++s) {
        int64_t bytes = words / 8 + 1;
        for (int64_t i = 0; i < words; ++i) {
            const uint64_t x = load(rec + 8 * i) ^ (i >= s ? load(rec + 8 * (i - s)) : 0);
            if (x) bytes += bytesof(x) + 1;   // (a half byte for its count, rounded up)
        }
        if (bytes < bestbytes) best = s, bestbytes = bytes;
    }
    return best;
}

}  // namespace rt::files::code
