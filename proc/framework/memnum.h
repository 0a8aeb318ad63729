// Memory and string primitives, integer and double minimum and maximum, exact powers of
// ten, a power function with a status, and the COMMA and percent informat cores.
//
// The numeric routines are inline so that the numerical library, which links without the
// framework, can use them. They live in namespace vx because fmax and fmin of the C
// library have other rules for unordered arguments.
#pragma once
#include <cmath>
#include <cstdint>
#include "host/hostdefs.h"

// ---- memory and string primitives ("T" variants on 32-bit characters)
constexpr int32_t SK_UNSUPPORTED = static_cast<int32_t>(0x803FC004u);

// An allocator object: its fourth word is the routine allocate(allocator, n, 0).
struct skallocator {
    void* words[3];
    void* (*alloc)(skallocator* self, int64_t n, int flags);
};

int32_t skUnsup();
int64_t skStrLen(const char* s);
int64_t skStrTLen(const uint32_t* s);
void skStrCpy(const char* src, char* dst);
void skStrTCpy(const uint32_t* src, uint32_t* dst);
void skStrUp(char* s, int64_t n);
void skStrLow(char* s, int64_t n);
bool skMemNot(int value, const void* p, int64_t n);
bool skMemTNot(uint32_t value, const uint32_t* p, int64_t n);
void skMemSet(void* p, int value, int64_t n);
void skMemTSet(uint32_t* p, uint32_t value, int64_t n);
int skMemCmp(const void* a, const void* b, int64_t n);
int skWMemCmp(const uint32_t* a, const uint32_t* b, int64_t n);
void skMemCpy(const void* src, void* dst, int64_t n);
void skMemSCpy(const void* src, void* dst, int64_t n);
void* skMemDup(const void* src, int64_t n, skallocator* allocator);
int64_t skMemScan(const void* p, int64_t n, int byte);
int64_t skMemNScan(const void* p, int64_t n, int value);
int64_t skMemTNScan(const uint32_t* p, int64_t n, uint32_t value);
bool skMissArray(const double* v, int64_t n);

// ---- numeric routines
namespace vx {

inline int max(int a, int b) { return a > b ? a : b; }
inline int min(int a, int b) { return a < b ? a : b; }
inline long lmax(long a, long b) { return a > b ? a : b; }
// b when the two compare equal or unordered.
inline double fmax(double a, double b) { return a > b ? a : b; }
inline double fmin(double a, double b) { return a < b ? a : b; }

// 10^n, exact over the table 1 .. 10^7 and built from 10^8 by repeated squaring beyond.
inline double zpow10(int n) {
    static constexpr double table[8] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    unsigned m = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    double r = table[m % 8];
    double base = 1e8;
    for (unsigned q = m / 8; q; q >>= 1) {
        if (q & 1) r *= base;
        if (q > 1) base *= base;
    }
    return n < 0 ? 1.0 / r : r;
}

// Statuses of zpower.
enum : int { ZPOW_OK = 0, ZPOW_OVERFLOW = 1, ZPOW_DOMAIN = 2, ZPOW_ZERODIV = 3 };

// x^y with a status: 1 overflow, 2 a negative x with a non-integral y (or a missing
// argument), 3 zero to a negative power; the host's missing value on failure.
inline double zpower(double x, double y, int* rc) {
    *rc = ZPOW_OK;
    if (x != x || y != y) {
        // A missing argument has no power; it is not a success.
        if (y == 0.0) return 1.0;
        *rc = ZPOW_DOMAIN;
        return hostmissing();
    }
    if (x == 0.0) {
        if (y < 0.0) {
            *rc = ZPOW_ZERODIV;
            return hostmissing();
        }
        return 0.0;
    }
    if (y == 0.0) return 1.0;
    if (y == 1.0) return x;
    double ay = std::fabs(y);
    bool integral = false, odd = false;
    long long n = 0;
    if (ay < 2147483647.0) {
        n = static_cast<long long>(ay);
        integral = static_cast<double>(n) == ay;
        odd = integral && (n & 1);
    }
    if (x < 0.0 && !integral) {
        *rc = ZPOW_DOMAIN;
        return hostmissing();
    }
    double ax = std::fabs(x);
    if (ax == 1.0) return (x < 0.0 && odd) ? -1.0 : 1.0;
    if (ay >= 1.3407807929943e154) {
        bool over = ax > 1.0 ? y > 0.0 : y < 0.0;
        if (over) {
            *rc = ZPOW_OVERFLOW;
            return hostmissing();
        }
        return 0.0;
    }
    double t = std::log(ax) * y * (1.0 + 6.0 * 0x1p-53);
    if (t >= 709.782712893384) {
        *rc = ZPOW_OVERFLOW;
        return hostmissing();
    }
    if (t <= -708.3964185) return 0.0;
    double r;
    if (integral && std::fabs(t) < 52.0 * 1.3862943611198906) {
        r = 1.0;
        double b = ax;
        for (long long k = n; k; k >>= 1) {
            if (k & 1) r *= b;
            if (k > 1) b *= b;
        }
        if (y < 0.0) r = 1.0 / r;
    } else {
        r = std::pow(ax, y);
    }
    return (x < 0.0 && odd) ? -r : r;
}

// The confidence level in percent, 100 (1 - alpha), as the user gave it: alpha is kept as
// 1 - CONFIDENCE, and 1 - alpha carries up to about 1e-16 of rounding (CONFIDENCE=0.2 came back
// as 19.999999999999996%). The percentage is rounded to the fewest decimals (up to 14) that
// lie within that rounding, so that titles read "20% Confidence Limits".
inline double confpercent(double alpha) {
    const double p = (1.0 - alpha) * 100.0;
    if (!(p > 0.0 && p < 100.0)) return p;
    double scale = 1.0;
    for (int d = 0; d <= 14; ++d, scale *= 10.0) {
        const double r = std::round(p * scale) / scale;
        if (std::fabs(r - p) <= 5e-14) return r;
    }
    return p;
}

}  // namespace vx

// ---- locale-aware move and the informat cores

// Moves text through the host's locale-aware move and blank-fills dst to dstlen.
void zkmove(const char* src, int srclen, char* dst, int dstlen);

// An informat request: the text in, the value out.
struct infreq {
    const char* text;
    int32_t width;          // bytes of text (at most 32 are read)
    int32_t decimals;       // implied decimals when the text has no "."
    uint8_t check;          // check the width and the decimals first
    double value;           // the result (the host's missing value when there is none)
    int32_t reswidth;       // width of the result (8)
};

enum : int32_t {
    INF_WIDTHLOW = static_cast<int32_t>(0x80002027u),
    INF_WIDTHHIGH = static_cast<int32_t>(0x80002028u),
    INF_DECLOW = static_cast<int32_t>(0x80002029u),
    INF_DECHIGH = static_cast<int32_t>(0x8000202Au),
    INF_PAREN = static_cast<int32_t>(0x8001D823u),     // a "(" inside the number
    INF_SIGNSONLY = static_cast<int32_t>(0x8001D828u), // nothing but signs
};

int32_t zifmcma(infreq* r);
int32_t zifmpct(infreq* r);
