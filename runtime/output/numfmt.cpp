#include "runtime/output/numfmt.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace rt::out {
namespace {

size_t shortest(double x, char* buf) {
    auto r = std::to_chars(buf, buf + 63, x);
    return static_cast<size_t>(r.ptr - buf);
}

size_t best(double x, int width, char* buf) {
    size_t n = shortest(x, buf);
    if (n <= static_cast<size_t>(width)) return n;
    // Fewer significant digits until the text fits (never below one digit).
    for (int p = width - 1; p >= 1; --p) {
        auto r = std::to_chars(buf, buf + 63, x, std::chars_format::general, p);
        n = static_cast<size_t>(r.ptr - buf);
        if (n <= static_cast<size_t>(width)) return n;
    }
    return n;
}

size_t fixed(double x, int width, int decimals, char* buf) {
    double ax = std::fabs(x);
    bool tiny = ax != 0 && ax < 0.5 * std::pow(10.0, -decimals);
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
    if (std::isinf(x)) {
        std::memcpy(buf, x > 0 ? "Infinity" : "-Infinity", x > 0 ? 8 : 9);
        return x > 0 ? 8 : 9;
    }
    switch (f.kind) {
    case Fmt::Full:
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

std::string formatnum(const NumFormat& f, double x) {
    char buf[64];
    return std::string(buf, formatnum(f, x, buf));
}

}  // namespace rt::out
