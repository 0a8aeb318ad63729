// The branch-free logarithm of the Turnbull iterations against the extended-precision log.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "proc/numeric/lnpos.h"

TEST(LnPos, WithinOneUlpOverTheNormalRange) {
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> u(1.0, 2.0);
    double worst = 0;
    for (int e = -1021; e <= 1023; e += 3)
        for (int j = 0; j < 200; ++j) {
            const double x = std::ldexp(u(gen), e);
            const long double want = std::log(static_cast<long double>(x));
            const double r = static_cast<double>(want);
            const double ulp = std::nextafter(std::fabs(r), INFINITY) - std::fabs(r);
            worst = std::fmax(worst, static_cast<double>(std::fabs(lnpos(x) - want)) / ulp);
        }
    for (double x : {1.0, 1 + 1e-15, 1 - 1e-16, 0.7071067811865476, 1.4142135623730951, 2.0, 0.5})
        EXPECT_NEAR(lnpos(x), std::log(x), 2.3e-16) << x;
    EXPECT_EQ(lnpos(1.0), 0.0);
    EXPECT_LT(worst, 1.0);
}
