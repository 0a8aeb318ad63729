// Vector kernels and the rank-one update of a packed matrix.
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <vector>
#include "host/hostdefs.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/vecops.h"

TEST(VectorKernels, SumsAndStridedProducts) {
    const std::vector<double> x = {1, -2, 3, -4, 5, -6};
    const std::vector<double> y = {2, 1, 0.5};
    EXPECT_EQ(zvdotj1(x.data(), 2, y.data(), 3), 1 * 2 + 3 * 1 + 5 * 0.5);
    EXPECT_EQ(zvsum(x.data(), -1), 0.0);
    EXPECT_EQ(zvamxj(x.data() + 1, 2, 3), 6.0);
    EXPECT_EQ(zvamxj(x.data(), 3, 2), 4.0);
    EXPECT_EQ(zvamxj(x.data(), 1, 0), 0.0);
}

TEST(VectorKernels, ScaledAdditions) {
    std::vector<double> y = {1, 2, 3};
    const std::vector<double> x = {10, 20, 30};
    std::vector<double> out(3);
    zvaxpy(out.data(), y.data(), x.data(), 3, 0.5);
    EXPECT_EQ(out, (std::vector<double>{6, 12, 18}));
    zvaxpy(y.data(), y.data(), x.data(), 3, 0.0);  // out is y, a = 0: unchanged
    EXPECT_EQ(y, (std::vector<double>{1, 2, 3}));
    const std::vector<double> nan3(3, std::nan(""));
    zvaxpy(out.data(), y.data(), nan3.data(), 3, 0.0);  // a = 0 copies y, x never read
    EXPECT_EQ(out, y);
    zvz111(out.data(), y.data(), x.data(), 3, -0.1);
    EXPECT_EQ(out, (std::vector<double>{0, 0, 0}));
    zvz111(out.data(), y.data(), nan3.data(), 3, 0.0);
    EXPECT_EQ(out, y);
    std::vector<double> strided = {1, 0, 1, 0, 1, 0};
    zvxayj1(strided.data(), 2, y.data(), 3, 2.0);
    EXPECT_EQ(strided, (std::vector<double>{3, 0, 5, 0, 7, 0}));
    zvxay1j(y.data(), strided.data(), 2, 3, -1.0);
    EXPECT_EQ(y, (std::vector<double>{-2, -3, -4}));
    zvxay1j(y.data(), nan3.data(), 1, 3, 0.0);
    EXPECT_EQ(y, (std::vector<double>{-2, -3, -4}));
    zvscl11(y.data(), y.data(), 3, -0.5);
    EXPECT_EQ(y, (std::vector<double>{1, 1.5, 2}));
}

TEST(VectorKernels, ScaledNorm) {
    const std::vector<double> v = {3, 4};
    EXPECT_EQ(zvenorm(2, 1, v.data()), 5.0);
    const std::vector<double> s = {3, 99, 4, 99};
    EXPECT_EQ(zvenorm(2, 2, s.data()), 5.0);
    EXPECT_EQ(zvenorm(3, 1, std::vector<double>(3, 0.0).data()), 0.0);
    // No overflow or underflow where the plain sum of squares would.
    const std::vector<double> big = {3e200, 4e200}, tiny = {3e-200, 4e-200};
    EXPECT_NEAR(zvenorm(2, 1, big.data()) / 5e200, 1.0, 1e-15);
    EXPECT_NEAR(zvenorm(2, 1, tiny.data()) / 5e-200, 1.0, 1e-15);
    // Entries more than 2^53 below the largest do not contribute.
    const std::vector<double> wide = {1e17, 1.0, 1.0, 1.0, 1.0};
    EXPECT_EQ(zvenorm(5, 1, wide.data()), 1e17);
    EXPECT_TRUE(std::isnan(zvenorm(2, 1, std::vector<double>{1.0, std::nan("")}.data())));
    EXPECT_TRUE(std::isnan(zvamx(std::vector<double>{std::nan(""), 5.0}.data(), 2)));
}

TEST(RankOneUpdate, MatchesDenseOuterProduct) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-2, 2);
    const int n = 7;
    std::vector<double> ap(n * (n + 1) / 2, 0.0);
    std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
    for (int row = 0; row < 50; ++row) {
        std::vector<double> x(n);
        for (auto& v : x) v = row % 5 == 0 ? 0.0 : u(rng);  // some rows all zero
        x[row % n] = 0.0;
        const double w = row % 3 == 0 ? -0.7 : 1.3;  // a negative weight is added
        EXPECT_EQ(zscp(x.data(), n, w, ap.data()), 1);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) dense[i][j] += w * x[i] * x[j];
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) EXPECT_NEAR(ap[zisub(i, j)], dense[i][j], 1e-12);
}

TEST(RankOneUpdate, SkipsZeroOrMissingWeightAndMissingValues) {
    std::vector<double> ap(3, 1.0);
    const std::vector<double> x = {1, 2};
    EXPECT_EQ(zscp(x.data(), 2, 0.0, ap.data()), 0);
    EXPECT_EQ(zscp(x.data(), 2, hostmissing(), ap.data()), 0);
    EXPECT_EQ(zscp(std::vector<double>{1, hostmissing()}.data(), 2, 1.0, ap.data()), 0);
    EXPECT_EQ(ap, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(zscp(x.data(), 2, -1.0, ap.data()), 1);
    EXPECT_EQ(ap, (std::vector<double>{0, -1, -3}));
}
