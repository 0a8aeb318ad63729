// The placement's shortcuts that must answer exactly as the library: the key of a row of its
// caches (the baseline rounded to a hundredth of a text height, halves away from zero, as llround
// rounds: rows a hair apart share a key or not by it, and the placement's answers with them), and
// a distance compared with a bound by the sum of squares (as hypot compares it), and the verdicts
// kept four to a byte, passed by many at a time.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "common/labelplanner.h"

namespace {

using labelplace::Planner;

TEST(RowKey, RoundsAsLlroundAtHalvesAndTheirNeighbours) {
    std::vector<double> v{0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 0.49999999999999994, -0.49999999999999994,
                          4503599627370495.5, -4503599627370495.5, 4503599627370497.0, 1e17, -1e17, 5e18, -5e18};
    for (double base : {0.5, 1.5, 12345.5, 98765432.5})
        for (double b : {base, -base}) {
            v.push_back(std::nextafter(b, 0.0));
            v.push_back(std::nextafter(b, 2 * b));
        }
    for (const double x : v) EXPECT_EQ(Planner::rounded(x), std::llround(x)) << x;
}

TEST(HypotCompare, AnswersAsHypotAtTheBoundAndBeyondThePointsSizes) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::array<double, 3>> v{{3, 4, 5}, {-3, 4, 5}, {0, 0, 0}, {0, 5, 5}, {5, 0, -5}, {1e-200, 0, 1e-200},
                                          {1e200, 1e200, 1e200}, {1e-160, 1e-160, 1e-160}, {nan, 1, 1}, {nan, inf, 1e9},
                                          {inf, nan, 1e9}, {inf, 1, 1e9}, {1, 1, nan}, {1, 1, inf}, {1, 1, -1}};
    // bounds a hair either side of the distance itself
    std::mt19937_64 g(7);
    std::uniform_real_distribution<double> u(-400, 400);
    for (int k = 0; k < 2000; ++k) {
        const double dx = u(g), dy = k % 3 == 0 ? 0 : u(g), r = std::hypot(dx, dy);
        for (const double b : {r, std::nextafter(r, 0.0), std::nextafter(r, inf), r * (1 + 1e-13), r * (1 - 1e-11), u(g)})
            v.push_back({dx, dy, b});
    }
    for (const auto& [dx, dy, r] : v) {
        const double h = std::hypot(dx, dy);
        EXPECT_EQ(labelplace::hypotcmp(dx, dy, r, std::less<double>()), h < r) << dx << " " << dy << " " << r;
        EXPECT_EQ(labelplace::hypotcmp(dx, dy, r, std::less_equal<double>()), h <= r) << dx << " " << dy << " " << r;
        EXPECT_EQ(labelplace::hypotcmp(dx, dy, r, std::greater_equal<double>()), h >= r) << dx << " " << dy << " " << r;
    }
}

// The verdicts read back as set, and the next place whose verdict differs found as a plain scan
// finds it: runs of one verdict across the 4-place bytes and 32-place words, a bound inside and
// past the verdicts kept (places past them were not asked: 0).
TEST(Verdicts, KeepWhatIsSetAndPassByRunsAsAPlainScan) {
    std::mt19937_64 g(11);
    for (int round = 0; round < 300; ++round) {
        const size_t n = g() % 300;
        labelplace::Verdicts v;
        std::vector<char> plain(n, 0);
        for (size_t k = 0; k < n;) {
            const size_t len = 1 + g() % (round % 2 ? 70 : 5);
            const char x = static_cast<char>(g() % 3);
            for (size_t q = k; q < std::min(n, k + len); ++q) plain[q] = x;
            k += len;
        }
        for (size_t k = n; k-- > 0;) v.set(k, plain[k]);   // (from the end: grown once)
        if (n && g() % 2) v.set(n - 1, plain[n - 1]);
        ASSERT_EQ(v.size(), n);
        for (size_t k = 0; k < n + 5; ++k) ASSERT_EQ(v[k], k < n ? plain[k] : 0) << k;
        for (const char x : {0, 1, 2})
            for (const size_t end : {n / 2, n, n + 40}) {
                auto scan = [&](size_t from) {
                    for (size_t k = from; k < end; ++k)
                        if ((k < n ? plain[k] : 0) != x) return k;
                    return end;
                };
                for (size_t from = 0; from <= end; ++from) ASSERT_EQ(v.skip(from, x, end), scan(from)) << n << " " << int(x) << " " << end << " " << from;
            }
    }
}

}  // namespace
