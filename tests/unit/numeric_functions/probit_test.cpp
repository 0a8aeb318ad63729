// The normal quantile.
#include <cmath>

#include "proc/numeric/normal.h"
#include "tests/support/reference.h"

TEST(NormalQuantile, Centre) {
    const double z = zprobit(0.5);
    EXPECT_EQ(z, 0.0);
    EXPECT_TRUE(std::signbit(z));  // t = 0 and p > 0.5 is false: -0.0
    EXPECT_NEAR(zprobit(0.975), 1.959963984540054, 4e-16 * 1.96);
    EXPECT_EQ(zprobit(0.025), -zprobit(0.975));
}

TEST(NormalQuantile, SwitchBetweenTheTwoApproximations) {
    // q = 0.01 takes the second approximation, 0.0100001 the first; both near 2.32635.
    const double z1 = zprobit(0.01);
    const double z2 = zprobit(0.0100001);
    EXPECT_NEAR(z1, -2.3263478740408408, 1e-15 * 2.33);
    EXPECT_NEAR(z2, -2.3263441220135994, 1e-14 * 2.33);  // R qnorm(0.0100001)
    EXPECT_NEAR(zprobit(0.99), 2.3263478740408408, 1e-14 * 2.33);
}

TEST(NormalQuantile, ExtremeLowerTail) {
    // 1e-16 still takes the rational approximation; 5e-17 the Newton iteration.
    EXPECT_NEAR(zprobit(1e-16), -8.2220822161304348, 1e-14 * 8.22);  // R
    EXPECT_EQ(zprobit(5e-17), szprobit(5e-17));
    EXPECT_NEAR(zprobit(5e-17), -8.3047854251941118, 1e-14 * 8.3);
    EXPECT_NEAR(zprobit(1e-300), -37.0470962993612005, 1e-14 * 37.0);
    EXPECT_EQ(zprobit(1e-300), szprobit(1e-300));
}

TEST(NormalQuantile, EndPoints) {
    EXPECT_NEAR(zprobit(0.0), -37.64030867301702, 1e-15 * 37.64);
    EXPECT_EQ(zprobit(0.0), -std::sqrt(-2.0 * -708.3964185));
    EXPECT_EQ(zprobit(1.0), 7.941345326170997);
    // The upper tail never goes to the iteration: 1 - 2^-53 gives about 8.21.
    EXPECT_NEAR(zprobit(1.0 - 1.1102230246251565e-16), 8.2095361516013856, 1e-13);
}

TEST(NormalQuantile, OutsideTheUnitIntervalIsNaN) {
    EXPECT_TRUE(std::isnan(zprobit(-0.1)));  // not the floor value of the iteration
    EXPECT_TRUE(std::isnan(zprobit(-1e-300)));
    EXPECT_TRUE(std::isnan(zprobit(1.5)));
    EXPECT_TRUE(std::isnan(zprobit(NAN)));
    EXPECT_TRUE(std::isnan(szprobit(-1.0)));
}

TEST(NormalQuantile, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/qnorm.csv");
    Worst w, wc;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "p"), z = t.at(i, "z");
        // Near the centre t = sqrt(-2 ln q) - sqrt(2 ln 2) cancels: the error is absolute.
        if (std::fabs(z) < 0.1)
            wc.add(std::fabs(zprobit(p) - z), args({p}));
        else
            w.add(relDiff(zprobit(p), z), args({p}));
    }
    EXPECT_WORST_BELOW(w, 2e-15);
    EXPECT_WORST_BELOW(wc, 5e-16);  // absolute
}

TEST(NormalQuantile, InvertsTheDistributionFunction) {
    Worst w;
    // Above 3 the probability near 1 no longer holds z to this accuracy.
    for (double z = -37.0; z <= 3.0; z += 0.01) {
        const double p = zprbnrm(z);
        // Phi(z) holds z to about |z phi(z) / Phi(z)| times its own relative error.
        w.add(std::fabs(zprobit(p) - z) / std::fmax(1.0, z * z), args({z}));
    }
    EXPECT_WORST_BELOW(w, 1e-12);
}
