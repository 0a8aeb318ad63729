// Reading a CSV field as a number: what decides whether a column is numeric.
#pragma once
#include <charconv>
#include <cstdint>
#include <string_view>

namespace rt::ds {

// An empty field or a lone "." is the missing value.
inline bool missingtext(std::string_view s) { return s.empty() || (s.size() == 1 && s[0] == '.'); }

// R's write.csv writes a missing value as NA without quotes and a text NA in quotes: a field
// that is exactly NA and not quoted is missing too, in numeric and character columns alike.
inline bool rmissing(std::string_view s, bool quoted) { return !quoted && s.size() == 2 && s[0] == 'N' && s[1] == 'A'; }

// A character value as stored: R's missing value becomes the empty (missing) text.
inline std::string_view textvalue(std::string_view s, bool quoted) { return rmissing(s, quoted) ? std::string_view() : s; }

// Parses the whole of s (no blanks) as a decimal number with optional sign, fraction and
// exponent, to the nearest double. "inf", "nan", hexadecimal and out-of-range values are
// not numbers.
inline bool parsenumber(std::string_view s, double& v) {
    const char* p = s.data();
    const char* e = p + s.size();
    if (p == e) return false;
    bool neg = false;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    if (p == e || !((*p >= '0' && *p <= '9') || *p == '.')) return false;

    // Fast path: at most 15 digits and no exponent. The digits form an integer below 2^53
    // and 10^k (k <= 15) is exact, so one division rounds correctly.
    static constexpr double pow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    uint64_t m = 0;
    const char* q = p;
    while (q != e && static_cast<unsigned>(*q - '0') < 10) m = m * 10 + static_cast<uint64_t>(*q++ - '0');
    int nd = static_cast<int>(q - p), frac = 0;
    if (q != e && *q == '.') {
        const char* f = ++q;
        while (q != e && static_cast<unsigned>(*q - '0') < 10) m = m * 10 + static_cast<uint64_t>(*q++ - '0');
        frac = static_cast<int>(q - f);
        nd += frac;
    }
    if (q == e && nd > 0 && nd <= 15) {
        double d = static_cast<double>(m);
        if (frac > 0) d /= pow10[frac];
        v = neg ? -d : d;
        return true;
    }
    double d;
    auto r = std::from_chars(p, e, d, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != e) return false;
    v = neg ? -d : d;
    return true;
}

}  // namespace rt::ds
