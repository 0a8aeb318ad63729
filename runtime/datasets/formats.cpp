// Formatted values of data sets: the best numeric format 12 wide, and the blank-padded
// copies that get lists hand out.
#include "runtime/datasets/formats.h"
#include <charconv>
#include <cmath>
#include <cstring>
#include "host/hostdefs.h"

namespace rt::ds {
namespace {

FmtText maketext(std::string_view s) {
    FmtText t{};
    t.len = static_cast<uint8_t>(s.size() < sizeof t.s ? s.size() : sizeof t.s);
    std::memcpy(t.s, s.data(), t.len);
    return t;
}

// Drops trailing zeros of a fraction, and the point when nothing is left after it.
size_t cutzeros(const char* s, size_t n) {
    if (!std::memchr(s, '.', n)) return n;
    while (n > 0 && s[n - 1] == '0') --n;
    if (n > 0 && s[n - 1] == '.') --n;
    return n;
}

int digitsof(int e) {
    int a = e < 0 ? -e : e, d = 1;
    while (a >= 10) a /= 10, ++d;
    return d + (e < 0 ? 1 : 0);
}

// a > 0 in fixed notation with dec decimals; returns the length, 0 when it exceeds avail.
size_t fixed(double a, int dec, int avail, char* out) {
    for (; dec >= 0; --dec) {
        auto r = std::to_chars(out, out + 64, a, std::chars_format::fixed, dec);
        size_t n = static_cast<size_t>(r.ptr - out);
        if (static_cast<int>(n) <= avail) return cutzeros(out, n);
        // Rounding carried into a new integer digit (9.99 -> 10.0): one decimal less.
        if (dec == 0) return 0;
    }
    return 0;
}

// a > 0 in E notation with sig significant digits ("1.2345679E12", "1E-10").
size_t scientific(double a, int sig, int avail, char* out) {
    for (; sig >= 1; --sig) {
        char tmp[64];
        auto r = std::to_chars(tmp, tmp + sizeof tmp, a, std::chars_format::scientific, sig - 1);
        const char* epos = static_cast<const char*>(std::memchr(tmp, 'e', static_cast<size_t>(r.ptr - tmp)));
        size_t mant = cutzeros(tmp, static_cast<size_t>(epos - tmp));
        int e = 0;
        std::from_chars(epos + 1 + (epos[1] == '+'), r.ptr, e);
        std::memcpy(out, tmp, mant);
        size_t n = mant;
        out[n++] = 'E';
        n = static_cast<size_t>(std::to_chars(out + n, out + 64, e).ptr - out);
        if (static_cast<int>(n) <= avail) return n;
    }
    return 0;
}

}  // namespace

FmtText best12(double v) {
    if (ismissing(v)) return maketext(".");
    if (v == 0) return maketext("0");
    if (std::isinf(v)) return maketext(v < 0 ? "-Inf" : "Inf");
    char buf[80];
    char* out = buf;
    const bool neg = v < 0;
    const double a = neg ? -v : v;
    if (neg) *out++ = '-';
    const int avail = BEST_WIDTH - (neg ? 1 : 0);

    // Integers that fit are written whole.
    if (a < 1e15 && a == std::floor(a)) {
        auto r = std::to_chars(out, out + 32, static_cast<int64_t>(a));
        if (r.ptr - out <= avail) return maketext({buf, static_cast<size_t>(r.ptr - buf)});
    }

    // The shortest text that reads back as a gives its significant digits and exponent.
    char sh[64];
    auto r = std::to_chars(sh, sh + sizeof sh, a, std::chars_format::scientific);
    const char* epos = static_cast<const char*>(std::memchr(sh, 'e', static_cast<size_t>(r.ptr - sh)));
    int e = 0;
    std::from_chars(epos + 1 + (epos[1] == '+'), r.ptr, e);
    const int nd = static_cast<int>(epos - sh) - (epos - sh > 1 ? 1 : 0);

    // Fixed notation holding every significant digit, when it fits.
    const int intd = e >= 0 ? e + 1 : 1;
    const int decall = nd - 1 - e > 0 ? nd - 1 - e : 0;
    if (intd + (decall > 0 ? 1 + decall : 0) <= avail) {
        size_t n = fixed(a, decall, avail, out);
        if (n) return maketext({buf, static_cast<size_t>(out - buf) + n});
    }

    // Otherwise the notation that keeps more significant digits (fixed on a tie).
    int sigf, decf;
    if (e >= 0) {
        decf = avail - intd - 1;
        if (decf < 0) decf = 0;
        sigf = intd <= avail ? intd + decf : 0;
    } else {
        decf = avail - 2;
        sigf = decf - (-e - 1);
    }
    const int explen = 1 + digitsof(e);
    int sigs = avail - explen - 1;
    if (sigs < 2) sigs = 1;
    size_t n = 0;
    if (sigf >= 1 && sigf >= sigs) n = fixed(a, decf, avail, out);
    if (!n) n = scientific(a, sigs, avail, out);
    if (!n) return maketext(neg ? "-*" : "*");
    return maketext({buf, static_cast<size_t>(out - buf) + n});
}

void padleft(char* dst, int width, std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    size_t n = text.size() - i;
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    if (n > w) n = w;
    std::memcpy(dst, text.data() + i, n);
    std::memset(dst + n, ' ', w - n);
}

}  // namespace rt::ds
