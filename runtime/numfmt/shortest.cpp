// The digits come from the rounding interval of the double (all reals that read back as
// it): the shortest decimal inside it, the nearest one when several are as short, the even
// one on a tie. The interval's ends and the value are scaled by a power of ten so that the
// candidates are whole numbers; the scaling multiplies by the 128 leading bits of the power
// (pow10table.h) and keeps of the product its whole part and whether it has a fraction.
#include "runtime/numfmt/shortest.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include "runtime/numfmt/pow10table.h"

namespace rt::num {
namespace {

__extension__ typedef unsigned __int128 u128;

// floor(log10(2^q)), floor(log10(3/4 * 2^q)) and floor(log2(10^e)) over the exponents of doubles.
int floorlog10pow2(int q) { return (q * 1262611) >> 22; }
int floorlog10threequarterspow2(int q) { return (q * 1262611 - 524031) >> 22; }
int floorlog2pow10(int e) { return (e * 1741647) >> 19; }

constexpr uint64_t kPow5[] = {1ull,
                              5ull,
                              25ull,
                              125ull,
                              625ull,
                              3125ull,
                              15625ull,
                              78125ull,
                              390625ull,
                              1953125ull,
                              9765625ull,
                              48828125ull,
                              244140625ull,
                              1220703125ull,
                              6103515625ull,
                              30517578125ull,
                              152587890625ull,
                              762939453125ull,
                              3814697265625ull,
                              19073486328125ull,
                              95367431640625ull,
                              476837158203125ull,
                              2384185791015625ull,
                              11920928955078125ull,
                              59604644775390625ull,
                              298023223876953125ull};

// Whether cx * 2^q * 10^e is a whole number.
bool whole(uint64_t cx, int q, int e) {
    int twos = __builtin_ctzll(cx);
    if (e >= 0) return q + e >= 0 || twos >= -(q + e);
    int k = -e;
    if (k > 25 || cx % kPow5[k] != 0) return false;
    return q - k >= 0 || twos >= k - q;
}

// cx * 2^q * 10^e rounded to odd: its whole part, with the lowest bit set when it has a
// fraction. The product with the rounded-up power exceeds the true one by less than 2^-69,
// so a nonzero fraction word proves a fraction and a correct whole part; a zero word is
// settled exactly, or given up (ok = false) in the one case it cannot be.
uint64_t roundodd(const Pow10Bits& g, uint64_t cx, int h, int q, int e, bool& ok) {
    uint64_t cp = cx << h;
    u128 x = static_cast<u128>(g.lo) * cp;
    u128 y = static_cast<u128>(g.hi) * cp;
    uint64_t xhi = static_cast<uint64_t>(x >> 64);
    uint64_t z = static_cast<uint64_t>(y) + xhi;
    uint64_t v = static_cast<uint64_t>(y >> 64) + (z < xhi ? 1 : 0);
    if (z != 0) return v | 1;
    if (!whole(cx, q, e)) ok = false;
    return v;
}

const char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes v < 10^8 as exactly 8 digits, two at a time: v / 10^6 in fixed point with 57
// fraction bits (the multiplier rounded up, which the three products by 100 keep below
// one unit), each pair the whole part after multiplying the fraction by 100.
void write8(uint32_t v, char* p) {
    constexpr uint64_t mask = (1ull << 57) - 1;
    uint64_t t = static_cast<uint64_t>(v) * 144115188076ull;   // ceil(2^57 / 10^6)
    std::memcpy(p, kPairs + 2 * (t >> 57), 2);
    t = (t & mask) * 100;
    std::memcpy(p + 2, kPairs + 2 * (t >> 57), 2);
    t = (t & mask) * 100;
    std::memcpy(p + 4, kPairs + 2 * (t >> 57), 2);
    t = (t & mask) * 100;
    std::memcpy(p + 6, kPairs + 2 * (t >> 57), 2);
}

// The n digits of v (v < 10^n, n <= 17) end at tmp + 24, and '0's follow up to tmp + 48;
// callers copy fixed 24-byte blocks out of it rather than lengths known only at run time.
struct DigitBlock {
    char tmp[48];
    const char* first;
    DigitBlock(uint64_t v, int n) {
        std::memset(tmp + 24, '0', 24);
        uint64_t hi = v / 100000000;
        write8(static_cast<uint32_t>(v - hi * 100000000), tmp + 16);
        if (n > 8) write8(static_cast<uint32_t>(hi % 100000000), tmp + 8);
        if (n > 16) tmp[7] = static_cast<char>('0' + hi / 100000000);
        first = tmp + 24 - n;
    }
};

constexpr uint64_t kPow10Int[] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
                                  100000000ull, 1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull,
                                  10000000000000ull, 100000000000000ull, 1000000000000000ull,
                                  10000000000000000ull, 100000000000000000ull, 1000000000000000000ull};

int countdigits(uint64_t v) {   // v >= 1
    int t = ((64 - __builtin_clzll(v)) * 1233) >> 12;   // floor(log10) of the bit length's power, or one less
    return t + (v >= kPow10Int[t] ? 1 : 0);
}

size_t slowtext(double x, char* buf) {
    auto r = std::to_chars(buf, buf + 31, x);
    return static_cast<size_t>(r.ptr - buf);
}

}  // namespace

bool shortestdigits(double x, uint64_t& digits, int& exp10) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    uint64_t frac = bits & ((1ull << 52) - 1);
    int be = static_cast<int>((bits >> 52) & 0x7ff);
    // Zero, infinities and NaN; and from 2^53 on a fixed text prints the exact integer.
    if (be == 0x7ff || (be == 0 && frac == 0) || be >= 1023 + 53) return false;
    uint64_t c;
    int q;
    if (be != 0) {
        c = frac | (1ull << 52);
        q = be - 1075;
    } else {
        c = frac;
        q = -1074;
    }
    bool even = (c & 1) == 0;
    bool closer = frac == 0 && be > 1;   // the lower neighbour is half as far as the upper
    uint64_t cbl = 4 * c - 2 + (closer ? 1 : 0), cb = 4 * c, cbr = 4 * c + 2;
    int k = closer ? floorlog10threequarterspow2(q) : floorlog10pow2(q);
    int e = -k;
    int h = q + floorlog2pow10(e) + 1;
    const Pow10Bits& g = kPow10[e - kPow10Min];
    bool ok = true;
    uint64_t vbl = roundodd(g, cbl, h, q, e, ok);
    uint64_t vb = roundodd(g, cb, h, q, e, ok);
    uint64_t vbr = roundodd(g, cbr, h, q, e, ok);
    if (!ok) return false;
    uint64_t lower = vbl + (even ? 0 : 1), upper = vbr - (even ? 0 : 1);

    uint64_t s = vb / 4;
    uint64_t d = 0;
    int ex = k;
    bool found = false;
    if (s >= 10) {
        // At most one multiple of 10^(k+1) lies in the interval: when one does, it is the shortest.
        uint64_t sp = s / 10;
        bool upin = lower <= 40 * sp, wpin = 40 * sp + 40 <= upper;
        if (upin != wpin) {
            d = sp + (wpin ? 1 : 0);
            ex = k + 1;
            found = true;
        }
    }
    if (!found) {
        bool uin = lower <= 4 * s, win = 4 * s + 4 <= upper;
        if (uin != win) {
            d = s + (win ? 1 : 0);
        } else {   // both lie in it: the nearer, the even one on a tie
            uint64_t mid = 4 * s + 2;
            d = s + ((vb > mid || (vb == mid && (s & 1) != 0)) ? 1 : 0);
        }
    }
    if (d % 100000000 == 0) {
        d /= 100000000;
        ex += 8;
    }
    if (d % 10000 == 0) {
        d /= 10000;
        ex += 4;
    }
    while (d % 10 == 0) {
        d /= 10;
        ++ex;
    }
    digits = d;
    exp10 = ex;
    return true;
}

size_t shortesttext(double x, char* buf, bool plain) {
    uint64_t d;
    int ex;
    if (!shortestdigits(x, d, ex)) {
        const double a = std::fabs(x);
        if (plain && a >= 1e-5 && a < 1e15)
            return static_cast<size_t>(std::to_chars(buf, buf + 63, x, std::chars_format::fixed).ptr - buf);
        return slowtext(x, buf);
    }
    int n = countdigits(d);
    int X = ex + n - 1;   // the exponent of the first digit
    int ax = X < 0 ? -X : X;
    int fixedlen = X >= 0 ? (n <= X + 1 ? X + 1 : n + 1) : n + 1 - X;
    int scilen = n + (n > 1 ? 1 : 0) + 2 + (ax >= 100 ? 3 : 2);
    DigitBlock digits(d, n);
    const char* dg = digits.first;
    char* o = buf;
    if (x < 0) *o++ = '-';
    // The 24-byte copies may write past the text (within the 64 bytes of buf).
    if (fixedlen <= scilen || (plain && X >= -5 && X < 15)) {
        if (X < 0) {   // "0.", at most four zeros (else scientific is shorter), the digits
            std::memcpy(o, "0.0000", 6);
            std::memcpy(o + 1 - X, dg, 24);
        } else if (n <= X + 1) {   // a whole number below 2^53: the digits and their zeros
            std::memcpy(o, dg, 24);
        } else {   // the first X + 1 digits, the point, the others
            std::memcpy(o, dg, 24);
            std::memcpy(o + X + 2, dg + X + 1, 24);
            o[X + 1] = '.';
        }
        o += fixedlen;
    } else {
        o[0] = dg[0];
        o[1] = '.';
        std::memcpy(o + 2, dg + 1, 24);
        o += n > 1 ? n + 1 : 1;
        *o++ = 'e';
        *o++ = X < 0 ? '-' : '+';
        if (ax >= 100) {
            *o++ = static_cast<char>('0' + ax / 100);
            ax %= 100;
        }
        std::memcpy(o, kPairs + 2 * ax, 2);
        o += 2;
    }
    return static_cast<size_t>(o - buf);
}

}  // namespace rt::num
