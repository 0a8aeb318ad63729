// The shortest number text against std::to_chars, and its table of powers of ten against
// exact integer arithmetic.
#include <gtest/gtest.h>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#include "runtime/numfmt/pow10table.h"
#include "runtime/numfmt/shortest.h"

namespace {

// Unsigned integers of any size, as 32-bit limbs (lowest first): just enough to check the table.
using Big = std::vector<uint32_t>;

void mulsmall(Big& a, uint32_t m) {
    uint64_t carry = 0;
    for (uint32_t& l : a) {
        uint64_t t = static_cast<uint64_t>(l) * m + carry;
        l = static_cast<uint32_t>(t);
        carry = t >> 32;
    }
    if (carry) a.push_back(static_cast<uint32_t>(carry));
}

Big mul(const Big& a, const Big& b) {
    Big r(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.size(); ++j) {
            uint64_t t = static_cast<uint64_t>(a[i]) * b[j] + r[i + j] + carry;
            r[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        r[i + b.size()] += static_cast<uint32_t>(carry);
    }
    while (!r.empty() && r.back() == 0) r.pop_back();
    return r;
}

int bitlength(const Big& a) { return a.empty() ? 0 : 32 * static_cast<int>(a.size() - 1) + 32 - __builtin_clz(a.back()); }

Big shifted(const Big& a, int s) {   // a * 2^s, s >= 0
    Big r(static_cast<size_t>(s / 32), 0);
    uint32_t carry = 0;
    for (uint32_t l : a) {
        r.push_back(s % 32 ? (l << (s % 32)) | carry : l);
        carry = s % 32 ? l >> (32 - s % 32) : 0;
    }
    if (carry) r.push_back(carry);
    return r;
}

int compare(const Big& a, const Big& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Big fromentry(const rt::num::Pow10Bits& g, uint64_t minus) {
    uint64_t lo = g.lo - minus, hi = g.hi - (g.lo < minus ? 1 : 0);
    Big r = {static_cast<uint32_t>(lo), static_cast<uint32_t>(lo >> 32), static_cast<uint32_t>(hi),
             static_cast<uint32_t>(hi >> 32)};
    while (!r.empty() && r.back() == 0) r.pop_back();
    return r;
}

TEST(ShortestText, PowerTableIsTheRoundedUpLeadingBits) {
    // Entry e must be g with g - 1 <= 10^e * 2^s < g, s the shift that puts bit 127 on top.
    for (int e = rt::num::kPow10Min; e <= rt::num::kPow10Max; ++e) {
        const rt::num::Pow10Bits& g = rt::num::kPow10[e - rt::num::kPow10Min];
        ASSERT_TRUE(g.hi >> 63) << e;
        Big p = {1};
        for (int k = 0; k < std::abs(e); ++k) mulsmall(p, 10);
        Big below = fromentry(g, 1), above = fromentry(g, 0);
        if (e >= 0) {
            // 10^e * 2^s in [g - 1, g) with s = 127 - (bitlength - 1): compare scaled to a common power.
            int s = 128 - bitlength(p);
            Big lhs = s >= 0 ? shifted(p, s) : p;
            Big lo = s >= 0 ? below : shifted(below, -s), hi = s >= 0 ? above : shifted(above, -s);
            EXPECT_LE(compare(lo, lhs), 0) << e;
            EXPECT_LT(compare(lhs, hi), 0) << e;
        } else {
            // 2^(127 + bitlength(10^-e)) / 10^-e in [g - 1, g).
            Big num = shifted(Big{1}, 127 + bitlength(p));
            EXPECT_LE(compare(mul(below, p), num), 0) << e;
            EXPECT_LT(compare(num, mul(above, p)), 0) << e;
        }
    }
}

std::string want(double x) {
    char b[64];
    auto r = std::to_chars(b, b + sizeof b, x);
    return std::string(b, r.ptr);
}

std::string got(double x) {
    char b[64];
    return std::string(b, rt::num::shortesttext(x, b));
}

double frombits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

TEST(ShortestText, AgreesWithToChars) {
    int failures = 0;
    auto check = [&](double x) {
        std::string w = want(x), g = got(x);
        if (w != g && ++failures <= 20) ADD_FAILURE() << std::hexfloat << x << ": got " << g << ", want " << w;
    };
    // Every binade at its ends and middle (the power of two itself has a narrower lower half),
    // both signs, subnormals included; zero, infinities, NaN.
    for (uint64_t be = 0; be < 2047; ++be)
        for (uint64_t frac : {0ull, 1ull, 2ull, 3ull, (1ull << 51), (1ull << 52) - 1, (1ull << 52) - 2}) {
            check(frombits(be << 52 | frac));
            check(-frombits(be << 52 | frac));
        }
    for (double x : {0.0, -0.0, double(INFINITY), -double(INFINITY), double(NAN), DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 9007199254740992.0,
                     9007199254740991.0, 1e21, 1e22, 1e-5, 1e-4, 0.0001234, 1.234e-5, 123456.0, 1e15, 1e16})
        check(x);
    // Decimal texts of up to 17 digits read in: short ones come back unchanged, long ones rounded.
    std::mt19937_64 rng(13);
    for (int k = 0; k < 200000; ++k) {
        int digits = 1 + static_cast<int>(rng() % 17);
        uint64_t m = rng() % static_cast<uint64_t>(std::pow(10.0, digits));
        int e = static_cast<int>(rng() % 640) - 330;
        std::string t = std::to_string(m) + "e" + std::to_string(e);
        check(std::strtod(t.c_str(), nullptr));
        check(std::strtod(("-0.000" + std::to_string(m)).c_str(), nullptr));
    }
    // Random bit patterns, then random significands in every binade, with and without low bits.
    for (int k = 0; k < 300000; ++k) {
        check(frombits(rng()));
        uint64_t be = rng() % 2047, frac = rng() & ((1ull << 52) - 1);
        check(frombits(be << 52 | frac));
        check(frombits(be << 52 | (frac & ~((1ull << (rng() % 53)) - 1))));
    }
    // Values of tables: ratios, sums that pick up rounding errors, exact binary fractions.
    for (int r = 0; r < 100000; ++r) {
        check((r + 0.5) / 100000);
        check(100.0 + r * 0.37);
        check(r / 1024.0);
    }
    EXPECT_EQ(failures, 0);
}

TEST(ShortestText, DigitsReadBack) {
    // The digits alone: shortest and exact when read back; the cases left to std::to_chars.
    uint64_t d;
    int e;
    EXPECT_FALSE(rt::num::shortestdigits(0.0, d, e));
    EXPECT_FALSE(rt::num::shortestdigits(INFINITY, d, e));
    EXPECT_FALSE(rt::num::shortestdigits(9007199254740992.0, d, e));
    ASSERT_TRUE(rt::num::shortestdigits(0.1, d, e));
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(e, -1);
    ASSERT_TRUE(rt::num::shortestdigits(-1500.0, d, e));
    EXPECT_EQ(d, 15u);
    EXPECT_EQ(e, 2);
    ASSERT_TRUE(rt::num::shortestdigits(DBL_TRUE_MIN, d, e));
    EXPECT_EQ(d, 5u);
    EXPECT_EQ(e, -324);
    ASSERT_TRUE(rt::num::shortestdigits(0.1 + 0.2, d, e));
    EXPECT_EQ(d, 30000000000000004u);
    EXPECT_EQ(e, -17);
}

}  // namespace
