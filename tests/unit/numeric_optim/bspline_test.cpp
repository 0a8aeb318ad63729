// B-spline basis values against the recursive definition.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "proc/numeric/bspline.h"

namespace {
// B_{i,k}(x) on the knots t by the textbook recursion, half-open intervals.
double bsp(const std::vector<double>& t, int i, int k, double x) {
    if (k == 0) return t[i] <= x && x < t[i + 1] ? 1.0 : 0.0;
    double v = 0.0;
    if (t[i + k] != t[i]) v += (x - t[i]) / (t[i + k] - t[i]) * bsp(t, i, k - 1, x);
    if (t[i + k + 1] != t[i + 1]) v += (t[i + k + 1] - x) / (t[i + k + 1] - t[i + 1]) * bsp(t, i + 1, k - 1, x);
    return v;
}
}  // namespace

TEST(BSpline, CubicBasisMatchesRecursionAndSumsToOne) {
    const std::vector<double> t = {0, 0, 0, 0, 1, 2.5, 3, 4, 4, 4, 4};
    const int k = 3, nk = static_cast<int>(t.size());
    std::vector<double> b(k + 1), wr(k), wl(k);
    int j = k;
    for (double x = 0.05; x < 4.0; x += 0.173) {
        ASSERT_EQ(zmaopb(x, k, nk, &j, t.data(), b.data(), wr.data(), wl.data()), 0);
        double sum = 0.0;
        for (int r = 0; r <= k; ++r) {
            sum += b[r];
            // Values are those of B_{j-k-1+r}: the interval index is the first knot above x.
            EXPECT_NEAR(b[r], bsp(t, j - k - 1 + r, k, x), 1e-14) << "x=" << x;
        }
        EXPECT_NEAR(sum, 1.0, 1e-14);
        EXPECT_GT(t[j], x);
        EXPECT_LE(t[j - 1], x);
    }
}

TEST(BSpline, OutsideTheKnotsGivesTheUnitVectorAtTheNearerEnd) {
    const std::vector<double> t = {0, 0, 1, 2, 3, 3};
    std::vector<double> b(3), wr(2), wl(2);
    int j = 2;
    EXPECT_EQ(zmaopb(-0.5, 2, 6, &j, t.data(), b.data(), wr.data(), wl.data()), -1);
    EXPECT_EQ(b, (std::vector<double>{1, 0, 0}));
    j = 2;
    EXPECT_EQ(zmaopb(3.5, 2, 6, &j, t.data(), b.data(), wr.data(), wl.data()), 1);
    EXPECT_EQ(b, (std::vector<double>{0, 0, 1}));
}

TEST(BSpline, DegreeZeroIsTheIntervalIndicator) {
    const std::vector<double> t = {0, 1, 2, 3};
    std::vector<double> b(1, 7.0);
    int j = 0;
    EXPECT_EQ(zmaopb(1.5, 0, 4, &j, t.data(), b.data(), nullptr, nullptr), 0);
    EXPECT_EQ(b[0], 1.0);
    EXPECT_EQ(j, 2);  // 1.5 lies in [t_1, t_2)
    EXPECT_EQ(zmaopb(2.2, 0, 4, &j, t.data(), b.data(), nullptr, nullptr), 0);
    EXPECT_EQ(j, 3);
    b[0] = 7.0;
    EXPECT_EQ(zmaopb(5.0, 0, 4, &j, t.data(), b.data(), nullptr, nullptr), 1);
    EXPECT_EQ(b[0], 1.0);  // beyond the last knot: the last basis value is 1
}
