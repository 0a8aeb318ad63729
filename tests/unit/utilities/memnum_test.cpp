// Memory primitives, powers and the informat cores.
#include <cmath>
#include <cstring>
#include <vector>

#include "tests/support/hostfixture.h"
#include "proc/framework/memnum.h"

using MemNum = HostTest;

TEST_F(MemNum, PowersOfTen) {
    EXPECT_EQ(vx::zpow10(-3), 0.001);
    EXPECT_EQ(vx::zpow10(9), 1e9);
    EXPECT_EQ(vx::zpow10(0), 1.0);
    for (int n = -300; n <= 300; ++n) EXPECT_NEAR(vx::zpow10(n) / std::pow(10.0, n), 1.0, 1e-14) << n;
    for (int n = 0; n <= 22; ++n) EXPECT_EQ(vx::zpow10(n), std::pow(10.0, n)) << "exact as long as 10^n is";
}

TEST_F(MemNum, PowerWithStatus) {
    int rc = -1;
    vx::zpower(-8, 1.0 / 3, &rc);
    EXPECT_EQ(rc, vx::ZPOW_DOMAIN);
    EXPECT_EQ(vx::zpower(-2, 3, &rc), -8.0);
    EXPECT_EQ(rc, 0);
    vx::zpower(0, -1, &rc);
    EXPECT_EQ(rc, vx::ZPOW_ZERODIV);
    EXPECT_TRUE(std::isnan(vx::zpower(10, 400, &rc)));
    EXPECT_EQ(rc, vx::ZPOW_OVERFLOW);
    EXPECT_EQ(vx::zpower(10, -400, &rc), 0.0);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(vx::zpower(-1, 7, &rc), -1.0);
    EXPECT_EQ(vx::zpower(-1, 8, &rc), 1.0);
    EXPECT_EQ(vx::zpower(0.5, 1e200, &rc), 0.0);
    EXPECT_EQ(rc, 0);
    vx::zpower(2, 1e200, &rc);
    EXPECT_EQ(rc, vx::ZPOW_OVERFLOW);
    vx::zpower(hostmissing(), 2, &rc);
    EXPECT_EQ(rc, vx::ZPOW_DOMAIN) << "a missing argument is not a success";
    EXPECT_EQ(vx::zpower(hostmissing(), 0, &rc), 1.0);
}

TEST_F(MemNum, PowerAgreesWithTheLibrary) {
    const double xs[] = {1e-5, 0.3, 0.999, 1.5, 2, 7.25, 10, 123.456, 1e10};
    const double ys[] = {-30, -7, -2.5, -1, 0.5, 2, 3, 11, 17.75, 52, 100};
    for (double x : xs)
        for (double y : ys) {
            int rc;
            double want = std::pow(x, y);
            double got = vx::zpower(x, y, &rc);
            if (std::isinf(want) || want > 1e307) continue;
            ASSERT_EQ(rc, 0) << x << "^" << y;
            if (want < 1e-300) continue;
            EXPECT_NEAR(got / want, 1.0, 64 * 2.2e-16) << x << "^" << y;
            double neg = vx::zpower(-x, y, &rc);
            if (y == std::floor(y)) {
                EXPECT_EQ(rc, 0);
                EXPECT_NEAR(neg / std::pow(-x, y), 1.0, 64 * 2.2e-16);
            } else {
                EXPECT_EQ(rc, vx::ZPOW_DOMAIN);
            }
        }
}

TEST_F(MemNum, MinimumAndMaximum) {
    const double nan = std::nan("");
    EXPECT_EQ(vx::fmax(nan, 1), 1.0);
    EXPECT_TRUE(std::isnan(vx::fmax(1, nan)));
    EXPECT_EQ(vx::fmin(nan, 1), 1.0);
    EXPECT_TRUE(std::isnan(vx::fmin(1, nan)));
    EXPECT_EQ(vx::fmax(2, 3), 3.0);
    EXPECT_EQ(vx::fmin(2, 3), 2.0);
    double pz = 0.0, nz = -0.0;
    EXPECT_TRUE(std::signbit(vx::fmax(pz, nz))) << "b when equal";
    EXPECT_EQ(vx::max(-1, 4), 4);
    EXPECT_EQ(vx::min(-1, 4), -1);
    EXPECT_EQ(vx::lmax(7, -7), 7);
}

namespace {
struct arena {
    skallocator a{};
    std::vector<std::vector<char>> blocks;
    static void* take(skallocator* self, int64_t n, int) {
        auto* me = reinterpret_cast<arena*>(self);
        me->blocks.emplace_back(static_cast<size_t>(n));
        return me->blocks.back().data();
    }
    arena() { a.alloc = take; }
};
}  // namespace

TEST_F(MemNum, MemoryPrimitives) {
    EXPECT_EQ(skUnsup(), SK_UNSUPPORTED);
    EXPECT_EQ(skStrLen(nullptr), 0);
    EXPECT_EQ(skStrLen("abcd"), 4);
    const uint32_t w[] = {0x41, 0x1F600, 0};
    EXPECT_EQ(skStrTLen(w), 2);
    uint32_t wc[3];
    skStrTCpy(w, wc);
    EXPECT_EQ(wc[1], 0x1F600u);
    EXPECT_EQ(wc[2], 0u);
    char d[8] = "zzzz";
    skStrCpy(nullptr, d);
    EXPECT_STREQ(d, "");
    skStrCpy("aB1", d);
    skStrUp(d, 3);
    EXPECT_STREQ(d, "AB1");
    skStrLow(d, 2);
    EXPECT_STREQ(d, "ab1");
    EXPECT_TRUE(skMemNot(' ', "    ", 4));
    EXPECT_FALSE(skMemNot(' ', "  x ", 4));
    EXPECT_TRUE(skMemNot(' ', "", 0));
    EXPECT_EQ(skMemCmp("ab", "ab", 2), 0);
    EXPECT_EQ(skMemCmp("\x01", "\xff", 1), -1);
    const uint32_t x[] = {1, 0x80000000u}, y[] = {1, 2};
    EXPECT_EQ(skWMemCmp(x, y, 2), 1);
    EXPECT_EQ(skMemScan("abcabc", 6, 'c'), 2);
    EXPECT_EQ(skMemScan("abc", 0, 'c'), -1);
    EXPECT_EQ(skMemNScan("   x", 4, ' '), 3);
    EXPECT_EQ(skMemTNScan(y, 2, 1), 1);
    char o[8] = "abcdef";
    skMemSCpy(o, o + 2, 4);
    EXPECT_STREQ(o, "ababcd") << "the overlapping destination gets the old bytes";
    arena ar;
    char* dup = static_cast<char*>(skMemDup("xyz", 3, &ar.a));
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(std::memcmp(dup, "xyz", 3), 0);
    EXPECT_EQ(skMemDup(nullptr, 3, &ar.a), nullptr);
    const double v[] = {1, hostmissing()};
    EXPECT_TRUE(skMissArray(v, 2));
    EXPECT_FALSE(skMissArray(v, 1));
}

namespace {
int32_t comma(const char* text, double* v, int decimals = 0, bool pct = false) {
    infreq r{};
    r.text = text;
    r.width = static_cast<int32_t>(std::strlen(text));
    r.decimals = decimals;
    r.check = 1;
    int32_t rc = pct ? zifmpct(&r) : zifmcma(&r);
    *v = r.value;
    return rc;
}
}  // namespace

TEST_F(MemNum, CommaInformat) {
    double v;
    EXPECT_EQ(comma("$1,234.50", &v), 0);
    EXPECT_EQ(v, 1234.5);
    EXPECT_EQ(comma("(1,000)", &v), 0);
    EXPECT_EQ(v, -1000.0);
    EXPECT_EQ(comma("-42", &v), 0);
    EXPECT_EQ(v, -42.0);
    EXPECT_EQ(comma("12345", &v, 2), 0);
    EXPECT_EQ(v, 123.45) << "implied decimals";
    EXPECT_EQ(comma("   ", &v), 0);
    EXPECT_TRUE(std::isnan(v)) << "an empty text stays missing";
    EXPECT_EQ(comma("1(2", &v), INF_PAREN);
    EXPECT_EQ(comma("--", &v), INF_SIGNSONLY);
    EXPECT_NE(comma("12x", &v), 0);
    EXPECT_EQ(comma("50%", &v, 0, true), 0);
    EXPECT_EQ(v, 0.5);
    EXPECT_EQ(comma("50", &v, 0, true), 0);
    EXPECT_EQ(v, 50.0);
    infreq r{};
    r.check = 1;
    r.width = 33;
    EXPECT_EQ(zifmcma(&r), INF_WIDTHHIGH);
    r.width = 0;
    EXPECT_EQ(zifmcma(&r), INF_WIDTHLOW);
    r.width = 4;
    r.decimals = 32;
    EXPECT_EQ(zifmcma(&r), INF_DECHIGH);
}

TEST_F(MemNum, LocaleMoveBlankFills) {
    char d[6];
    zkmove("abc", 3, d, 6);
    EXPECT_EQ(std::string(d, 6), "abc   ");
    zkmove("abcdefgh", 8, d, 6);
    EXPECT_EQ(std::string(d, 6), "abcdef");
}
