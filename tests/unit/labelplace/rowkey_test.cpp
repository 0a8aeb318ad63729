// The placement's shortcuts that must answer exactly as the library: the key of a row of its
// caches (the baseline rounded to a hundredth of a text height, halves away from zero, as llround
// rounds: rows a hair apart share a key or not by it, and the placement's answers with them), and
// a distance compared with a bound by the sum of squares (as hypot compares it).
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

}  // namespace
