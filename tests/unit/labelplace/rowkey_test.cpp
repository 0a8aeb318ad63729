// The placement's shortcuts that must answer exactly as the library: the key of a row of its
// caches (the baseline rounded to a hundredth of a text height, halves away from zero, as llround
// rounds: rows a hair apart share a key or not by it, and the placement's answers with them), and
// a distance compared with a bound by the sum of squares (as hypot compares it), the verdicts
// kept four to a byte, passed by many at a time, and the cells of the grid of fitted lines and
// limits (a slanted segment filed only where it passes).
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

// Every segment that meets a box is found through the box's cells, as a plain scan of all finds
// it: slanted ones (filed only in the cells they pass through) long and short, steep and flat,
// with ends on the cells' borders, passing a corner, reaching past the grid; and upright, level
// and not finite ones.
TEST(Cells, FindEverySegmentThatMeetsABoxAsAPlainScan) {
    using labelplace::Box;
    std::mt19937_64 g(5);
    const Box over{-3, 7, 97, 57};
    const double cell = 4.4;
    std::uniform_real_distribution<double> u(-20, 120), v(-10, 75), f(0, 1);
    // a coordinate on a cell's border (or a hair either side of it), or anywhere
    auto at = [&](double lo, std::uniform_real_distribution<double>& any) {
        const int k = static_cast<int>(g() % 5);
        if (k > 1) return any(g);
        const double b = lo + cell * static_cast<double>(g() % 26);
        return k == 0 ? b : std::nextafter(b, g() % 2 ? -1e9 : 1e9);
    };
    for (int round = 0; round < 60; ++round) {
        std::vector<Box> items;
        for (int k = 0; k < 40; ++k) {
            const double x0 = at(over.x0, u), y0 = at(over.y0, v);
            switch (g() % 6) {
            case 0: items.push_back({x0, y0, x0 + (f(g) - 0.5) * 3, y0 + (f(g) - 0.5) * 3}); break;   // short
            case 1: items.push_back({x0, y0, x0 + (f(g) - 0.5) * 1e-3, v(g)}); break;                  // steep
            case 2: items.push_back({x0, y0, u(g), y0 + (f(g) - 0.5) * 1e-3}); break;                  // flat
            case 3: items.push_back({x0, y0, x0, v(g)}); break;                                        // upright
            case 4: items.push_back({x0, y0, at(over.x0, u), at(over.y0, v)}); break;
            default: items.push_back({x0, y0, x0 + cell, y0 + cell * (g() % 2 ? 1 : -1)}); break;     // through corners
            }
        }
        items.push_back({1, 1, std::numeric_limits<double>::infinity(), 30});
        labelplace::Cells cells;
        cells.build(items, over, cell, true);
        for (int q = 0; q < 400; ++q) {
            const double x = at(over.x0, u), y = at(over.y0, v), w = q % 4 ? f(g) * 12 : 0, hgt = q % 5 ? f(g) * 3 : 0;
            const Box b{x, y, x + w, y + hgt};
            for (size_t k = 0; k < items.size(); ++k) {
                const Box& s = items[k];
                // (what lies wholly beyond the grid is not filed: nothing is placed there)
                if (std::max(s.x0, s.x1) < over.x0 || std::min(s.x0, s.x1) > over.x1 || std::max(s.y0, s.y1) < over.y0 || std::min(s.y0, s.y1) > over.y1)
                    continue;
                if (!b.meets(s)) continue;
                bool found = false;
                cells.any(b, [&](const Box& o) { return found = &o == &s; });
                ASSERT_TRUE(found)  << "round " << round << " item " << s.x0 << " " << s.y0 << " " << s.x1 << " " << s.y1 << " box " << b.x0 << " " << b.y0 << " " << b.x1 << " " << b.y1;
            }
        }
    }
}

}  // namespace
