// The number formats as first written: the shortest text, then one std::to_chars call per
// precision until the text fits. Kept unchanged as the reference the faster formats must
// match byte for byte.
#pragma once
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include "runtime/numfmt/numfmt.h"

namespace outtest::reference {

using rt::num::Fmt;
using rt::num::NumFormat;

inline size_t shortest(double x, char* buf) {
    auto r = std::to_chars(buf, buf + 63, x);
    return static_cast<size_t>(r.ptr - buf);
}

inline size_t best(double x, int width, char* buf) {
    size_t n = shortest(x, buf);
    // Added since: a whole number below 1e15 whose shortest text is in exponent form is
    // written whole where its digits fit the width.
    if (x == std::trunc(x) && std::fabs(x) < 1e15 && std::string(buf, n).find('e') != std::string::npos) {
        char whole[32];
        auto r = std::to_chars(whole, whole + 32, static_cast<long long>(x));
        const size_t w = static_cast<size_t>(r.ptr - whole);
        if (w <= static_cast<size_t>(width)) {
            std::memcpy(buf, whole, w);
            return w;
        }
    }
    if (n <= static_cast<size_t>(width)) return n;
    for (int p = width - 1; p >= 1; --p) {
        auto r = std::to_chars(buf, buf + 63, x, std::chars_format::general, p);
        n = static_cast<size_t>(r.ptr - buf);
        if (n <= static_cast<size_t>(width)) return n;
    }
    return n;
}

inline size_t fixed(double x, int width, int decimals, char* buf) {
    static const double half[] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10};
    double ax = std::fabs(x);
    double limit = decimals >= 0 && decimals < 10 ? half[decimals] : 0.5 * std::pow(10.0, -decimals);
    bool tiny = ax != 0 && ax < limit;
    static const double pow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (!tiny && decimals >= 0 && decimals < 10 && ax < 1e9) {
        double scaled = ax * pow10[decimals];
        double fl = std::floor(scaled), frac = scaled - fl;
        if (std::fabs(frac - 0.5) > 1e-6) {
            unsigned long long v = static_cast<unsigned long long>(fl) + (frac > 0.5 ? 1 : 0);
            char digits[32];
            int n = 0;
            do {
                digits[n++] = static_cast<char>('0' + v % 10);
                v /= 10;
            } while (v || n <= decimals);
            size_t len = 0;
            bool allzero = true;
            for (int k = 0; k < n; ++k) allzero = allzero && digits[k] == '0';
            if (x < 0 && !allzero) buf[len++] = '-';
            for (int k = n - 1; k >= 0; --k) {
                buf[len++] = digits[k];
                if (k == decimals && decimals > 0) buf[len++] = '.';
            }
            if (len <= static_cast<size_t>(width)) return len;
        }
    }
    if (!tiny && ax < 1e15) {
        auto r = std::to_chars(buf, buf + 63, x, std::chars_format::fixed, decimals);
        size_t n = static_cast<size_t>(r.ptr - buf);
        if (n <= static_cast<size_t>(width)) return n;
    }
    int p = width - 7 > 1 ? width - 7 : 1;
    auto r = std::to_chars(buf, buf + 63, x, std::chars_format::scientific, p);
    return static_cast<size_t>(r.ptr - buf);
}

inline size_t formatbuf(const NumFormat& f, double x, char* buf) {
    if (!std::isfinite(x)) {
        buf[0] = '.';
        return 1;
    }
    switch (f.kind) {
    case Fmt::Full:   // plain decimals from 1e-5 up to 1e15, as a data set is read
        if (std::fabs(x) >= 1e-5 && std::fabs(x) < 1e15)
            return static_cast<size_t>(std::to_chars(buf, buf + 63, x, std::chars_format::fixed).ptr - buf);
        return shortest(x, buf);
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

inline std::string formatnum(const NumFormat& f, double x) {
    char buf[64];
    return std::string(buf, formatbuf(f, x, buf));
}

}  // namespace outtest::reference
