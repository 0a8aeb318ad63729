// The log-gamma derivative kernel for intervals whose ends lie far out: a tail that
// underflows to 0 contributes nothing, and ends whose squared hazards overflow are a
// failed evaluation, never derivatives that are not numbers.
#include <cmath>

#include "proc/numeric/kernels.h"
#include "tests/support/reference.h"

namespace {
struct interval {
    int rc;
    double value;
    double d[9];
};
interval at(double c, double h, double k) {
    double block[GSH_SIZE];
    zprbpgm(k, block);
    const double z[2] = {c, h};
    interval r{};
    double v = NAN;
    r.rc = zprbwgm(KMODE_INTERVAL, z, block, r.d);
    if (zprblgm(KMODE_INTERVAL, z, block, &v) == 0) r.value = v;
    else r.value = NAN;
    return r;
}
}  // namespace

TEST(LogGammaFarEnds, WideIntervalHoldingAllTheMass) {
    // k = 1: the upper end at 400 has the tail exp(-e^400), 0 in double. The probability
    // is 1 less the lower tail, about e^-400, so every derivative is about that small.
    for (double k : {1.0, 0.5, -1.0}) {
        const interval r = at(0.0, 400.0, k);
        ASSERT_EQ(r.rc, 0) << k;
        for (int i = 0; i < 9; ++i) {
            EXPECT_TRUE(std::isfinite(r.d[i])) << k << " " << i;
            EXPECT_LT(std::fabs(r.d[i]), 1e-100) << k << " " << i;
        }
        EXPECT_LT(std::fabs(r.value), 1e-100);
    }
    // A little narrower both tails are still numbers. With k = 1 the upper tail of z is
    // exp(-e^z): P = exp(-e^-20) - exp(-e^20), and d(-log P)/dc = e^-20 exactly while
    // exp(-e^20) is 0 in double.
    const interval r = at(0.0, 20.0, 1.0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.d[0], std::exp(-20.0), 1e-12 * std::exp(-20.0));
}

TEST(LogGammaFarEnds, BothEndsBeyondTheOverflowOfTheHazardFail) {
    // Both ends in the upper tail of u = e^z at z near 400: hazards of 1e173 whose
    // squares overflow. The value kernel still answers (a huge penalty), the derivative
    // kernel reports a failed evaluation.
    const interval r = at(400.0, 0.3, 1.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_GT(r.value, 1e170);
    // Where the squares stay finite the same interval keeps its derivatives.
    const interval s = at(100.0, 0.3, 1.0);
    ASSERT_EQ(s.rc, 0);
    for (double v : s.d) EXPECT_TRUE(std::isfinite(v));
    // P ~ exp(-e^(c - h)): f ~ e^(c - h) and so is its slope in c.
    EXPECT_NEAR(s.d[0] / std::exp(99.7), 1.0, 1e-12);
}
