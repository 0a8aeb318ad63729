// The number formats: best, fixed, p-value, count and full precision, each written into a
// caller buffer without allocating.
#include "runtime/numfmt/numfmt.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include "runtime/numfmt/shortest.h"

namespace rt::num {
namespace {

size_t shortest(double x, char* buf) { return shortesttext(x, buf); }

// The significant digits of a shortest text ("-0.00123", "123400", "1.5e+20"): digits
// d[0..n) without leading or trailing zeros, exp the decimal exponent of d[0]. False for
// zero and for texts of more than 17 digits (a fixed text of a huge integer).
struct Digits {
    char d[32];
    int n = 0;
    int exp = 0;
    bool neg = false;
};

bool parsedigits(const char* s, size_t len, Digits& out) {
    size_t i = 0;
    out.neg = len > 0 && s[0] == '-';
    if (out.neg) ++i;
    int before = 0;          // digits before the point
    bool point = false;
    int lead = 0;            // zeros before the first nonzero digit
    out.n = 0;
    for (; i < len && s[i] != 'e'; ++i) {
        char c = s[i];
        if (c == '.') {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return false;   // "nan"
        if (!point) ++before;
        if (out.n == 0 && c == '0') {
            ++lead;
            continue;
        }
        if (out.n >= 24) return false;
        out.d[out.n++] = c;
    }
    int e = 0;
    if (i < len) {   // "e+20", "e-05"
        bool eneg = s[i + 1] == '-';
        for (i += 2; i < len; ++i) e = e * 10 + (s[i] - '0');
        if (eneg) e = -e;
    }
    while (out.n > 0 && out.d[out.n - 1] == '0') --out.n;
    if (out.n == 0 || out.n > 17) return false;
    out.exp = before - 1 - lead + e;
    return true;
}

// The %g text of d[0..q) (q >= 1, no trailing zeros) with decimal exponent x at precision p.
size_t gtextlen(int q, int x, int p, bool neg) {
    size_t n = neg ? 1 : 0;
    if (x < p && x >= -4) {
        if (x >= 0) return n + static_cast<size_t>(q > x + 1 ? q + 1 : x + 1);
        return n + static_cast<size_t>(2 + (-x - 1) + q);
    }
    int ax = x < 0 ? -x : x;
    return n + static_cast<size_t>(q + (q > 1 ? 1 : 0) + 2 + (ax >= 100 ? 3 : 2));
}

size_t gtext(const char* d, int q, int x, int p, bool neg, char* buf) {
    char* o = buf;
    if (neg) *o++ = '-';
    if (x < p && x >= -4) {
        if (x >= 0) {
            for (int k = 0; k <= x; ++k) *o++ = k < q ? d[k] : '0';
            if (q > x + 1) {
                *o++ = '.';
                for (int k = x + 1; k < q; ++k) *o++ = d[k];
            }
        } else {
            *o++ = '0';
            *o++ = '.';
            for (int k = 0; k < -x - 1; ++k) *o++ = '0';
            for (int k = 0; k < q; ++k) *o++ = d[k];
        }
        return static_cast<size_t>(o - buf);
    }
    *o++ = d[0];
    if (q > 1) {
        *o++ = '.';
        for (int k = 1; k < q; ++k) *o++ = d[k];
    }
    *o++ = 'e';
    *o++ = x < 0 ? '-' : '+';
    int ax = x < 0 ? -x : x;
    if (ax >= 100) *o++ = static_cast<char>('0' + ax / 100);
    *o++ = static_cast<char>('0' + ax / 10 % 10);
    *o++ = static_cast<char>('0' + ax % 10);
    return static_cast<size_t>(o - buf);
}

size_t general(double x, int p, char* buf) {
    auto r = std::to_chars(buf, buf + 63, x, std::chars_format::general, p);
    return static_cast<size_t>(r.ptr - buf);
}

// The shortest text when it fits the width, else the value at the largest precision whose
// %g text fits (one significant digit at least). The precisions are tried on the digits of
// the shortest text, which round exactly like the value itself: a decimal boundary strictly
// between the value and its shortest text would be a text at least as short and nearer
// the value. Two cases cannot be decided from those digits and go to std::to_chars: a
// shortest text that ends exactly on the boundary (a tie), and precisions above 15, where
// the shortest text need not be the nearest decimal of that many digits.
size_t best(double x, int width, char* buf) {
    size_t n = shortest(x, buf);
    // A whole number that fits the width is written whole (300000, not the shorter 3e+05), as
    // the data sets write it: a count reads as the count.
    if (x == std::trunc(x) && std::fabs(x) < 1e15 && std::memchr(buf, 'e', n)) {
        char whole[32];
        const auto r = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(x));
        const size_t len = static_cast<size_t>(r.ptr - whole);
        if (len <= static_cast<size_t>(width)) {
            std::memcpy(buf, whole, len);
            return len;
        }
    }
    if (n <= static_cast<size_t>(width) || width < 2) return n;
    Digits s;
    if (!parsedigits(buf, n, s)) {
        for (int p = width - 1; p >= 1; --p) {
            n = general(x, p, buf);
            if (n <= static_cast<size_t>(width)) return n;
        }
        return n;
    }
    char r[32];
    for (int p = width - 1; p >= 1; --p) {
        int q, e = s.exp;
        if (s.n > p) {
            if (s.n == p + 1 && s.d[p] == '5') {
                n = general(x, p, buf);
                if (n <= static_cast<size_t>(width) || p == 1) return n;
                continue;
            }
            std::memcpy(r, s.d, static_cast<size_t>(p));
            q = p;
            if (s.d[p] >= '5') {
                int k = p - 1;
                while (k >= 0 && r[k] == '9') --k;
                if (k < 0) {
                    r[0] = '1';
                    q = 1;
                    ++e;
                } else {
                    ++r[k];
                    q = k + 1;
                }
            }
            while (q > 1 && r[q - 1] == '0') --q;
        } else {
            if (p > 15) {
                n = general(x, p, buf);
                if (n <= static_cast<size_t>(width)) return n;
                continue;
            }
            std::memcpy(r, s.d, static_cast<size_t>(s.n));
            q = s.n;
        }
        if (gtextlen(q, e, p, s.neg) <= static_cast<size_t>(width) || p == 1) return gtext(r, q, e, p, s.neg, buf);
    }
    return n;
}

const char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes v with at least decimals + 1 digits and the point before the last decimals ones,
// straight into buf from its right end (its length known first).
size_t scaledtext(unsigned long long v, int decimals, bool neg, char* buf) {
    static constexpr unsigned long long kPow10[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
        10000000ull, 100000000ull, 1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull,
        10000000000000ull, 100000000000000ull, 1000000000000000ull, 10000000000000000ull,
        100000000000000000ull, 1000000000000000000ull, 10000000000000000000ull};
    // The digits of v: from its bits (1233 / 4096 is just above log10(2)), then one comparison.
    const unsigned long long w = v | 1;   // as many digits as v, and at least one
    const int t = static_cast<int>((std::bit_width(w) * 1233) >> 12);
    int digits = t + 1 - (w < kPow10[t] ? 1 : 0);
    if (digits <= decimals) digits = decimals + 1;
    const size_t len = static_cast<size_t>(neg) + static_cast<size_t>(digits) + (decimals > 0 ? 1 : 0);
    if (neg) buf[0] = '-';
    char* p = buf + len;
    int k = decimals;
    for (; k >= 2; k -= 2) {   // the decimals, two digits at a time
        p -= 2;
        std::memcpy(p, kPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (k == 1) {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    if (decimals > 0) *--p = '.';
    const char* whole = buf + (neg ? 1 : 0);
    while (p - whole >= 2) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (p > whole) *--p = static_cast<char>('0' + v % 10);
    return len;
}

size_t fixed(double x, int width, int decimals, char* buf) {
    static const double half[] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10};
    double ax = std::fabs(x);
    double limit = decimals >= 0 && decimals < 10 ? half[decimals] : 0.5 * std::pow(10.0, -decimals);
    bool tiny = ax != 0 && ax < limit;
    static const double pow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (!tiny && decimals >= 0 && decimals < 10 && ax < 1e9) {
        // Integer arithmetic on the scaled value, unless it lies too near a rounding tie
        // for the product to decide (then the exact conversion below does).
        double scaled = ax * pow10[decimals];   // below 1e18: truncation is the floor
        unsigned long long whole = static_cast<unsigned long long>(scaled);
        double frac = scaled - static_cast<double>(whole);
        if (std::fabs(frac - 0.5) > 1e-6) {
            unsigned long long v = whole + (frac > 0.5 ? 1 : 0);
            size_t len = scaledtext(v, decimals, x < 0 && v != 0, buf);
            if (len <= static_cast<size_t>(width)) return len;
        }
    }
    if (!tiny && ax < 1e15) {
        auto r = std::to_chars(buf, buf + 63, x, std::chars_format::fixed, decimals);
        size_t n = static_cast<size_t>(r.ptr - buf);
        if (n <= static_cast<size_t>(width)) return n;
    }
    int p = width - 7 > 1 ? width - 7 : 1;   // room for sign, "d.", "e-308"
    auto r = std::to_chars(buf, buf + 63, x, std::chars_format::scientific, p);
    return static_cast<size_t>(r.ptr - buf);
}

}  // namespace

size_t formatnum(const NumFormat& f, double x, char* buf) {
    // A value that is not a finite number was not computed: it reads as missing.
    if (!std::isfinite(x)) {
        buf[0] = '.';
        return 1;
    }
    switch (f.kind) {
    case Fmt::Full:   // MAKE data sets: plain decimals where they are readable
        return shortesttext(x, buf, true);
    case Fmt::Fixed:
        return fixed(x, f.width, f.decimals, buf);
    case Fmt::Pvalue:
        if (x < 0.0001) {
            std::memcpy(buf, "<.0001", 6);
            return 6;
        }
        return fixed(x, f.width, 4, buf);
    case Fmt::Count:
        if (x == std::floor(x) && std::fabs(x) < 1e15) {
            auto r = std::to_chars(buf, buf + 63, static_cast<long long>(x));
            return static_cast<size_t>(r.ptr - buf);
        }
        return best(x, f.width, buf);
    case Fmt::Best:
    default:
        return best(x, f.width, buf);
    }
}

std::string formatnum(const NumFormat& f, double x) {
    char buf[64];
    return std::string(buf, formatnum(f, x, buf));
}

}  // namespace rt::num
