// The modified Bessel function of the first kind.
#include <cfloat>
#include <cmath>
#include <map>
#include <vector>

#include "proc/numeric/bessel.h"
#include "tests/support/reference.h"

namespace {
besblk block(double nu, double x, int form) {
    besblk b{};
    b.nu = nu;
    b.x = x;
    b.form = form;
    return b;
}
}  // namespace

TEST(Bessel, AtZero) {
    besblk b = block(0.0, 0.0, BES_PLAIN);
    EXPECT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.result, 1.0);
    b = block(2.5, 0.0, BES_PLAIN);
    EXPECT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.result, 0.0);
    b = block(2.5, 0.0, BES_LOG);
    EXPECT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.result, -1.3407807929943e154);
    b = block(0.0, 0.0, BES_SCALED);
    EXPECT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.result, 1.0);
}

TEST(Bessel, RefusesNegativeArguments) {
    for (auto [nu, x] : {std::pair{-0.5, 1.0}, std::pair{1.0, -1.0}, std::pair{static_cast<double>(NAN), 1.0}}) {
        besblk b = block(nu, x, BES_LOG);
        EXPECT_EQ(zibess(&b), 1);
        EXPECT_EQ(b.err, 1);
        EXPECT_EQ(b.result, -DBL_MAX);
    }
}

// Which method each region takes, seen through the block's working fields.
TEST(Bessel, ChoosesTheMethodByRegion) {
    besblk b = block(40.0, 1.9, BES_LOG);  // x < 2: the series at the order itself
    ASSERT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.order, 40.0);
    EXPECT_EQ(b.scaled, 0);

    b = block(2.0, 20.0, BES_LOG);  // x >= 17 and 1.348 sqrt(x) > nu: large-x expansion
    ASSERT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.scaled, 1);

    b = block(3.0, 10.0, BES_LOG);  // series at 27 and 26, recurrence down from 26
    b.mstart = -1;
    ASSERT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.mstart, 26);
    EXPECT_EQ(b.order, 26.0);
    EXPECT_NEAR(b.result, std::log(1758.3807166108536), 5e-14);  // I_3(10), R

    b = block(3.5, 15.0, BES_LOG);  // Debye expansion at 36.5 and 35.5, recurrence from 35
    ASSERT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.mstart, 35);
    EXPECT_EQ(b.order, 35.5);

    b = block(300.0, 1000.0, BES_LOG);  // order above 35: Debye expansion at the order
    ASSERT_EQ(zibess(&b), 0);
    EXPECT_EQ(b.order, 300.0);
}

TEST(Bessel, HalfIntegerOrdersInClosedForm) {
    // I_(1/2)(x) = sqrt(2/(pi x)) sinh x, I_(3/2)(x) = sqrt(2/(pi x)) (cosh x - sinh x / x).
    for (double x : {0.3, 1.9, 5.0, 10.0, 13.0, 17.0, 30.0, 90.0}) {
        const double c = std::sqrt(2.0 / (M_PI * x));
        besblk b = block(0.5, x, BES_PLAIN);
        ASSERT_EQ(zibess(&b), 0);
        EXPECT_NEAR(b.result / (c * std::sinh(x)), 1.0, 1e-13) << x;
        b = block(1.5, x, BES_PLAIN);
        ASSERT_EQ(zibess(&b), 0);
        EXPECT_NEAR(b.result / (c * (std::cosh(x) - std::sinh(x) / x)), 1.0, 1e-13) << x;
    }
}

TEST(Bessel, LogFormStaysFiniteWhereTheValueOverflows) {
    besblk b = block(1.0, 800.0, BES_PLAIN);
    EXPECT_EQ(zibess(&b), 1);
    EXPECT_EQ(b.err, 1);
    b = block(1.0, 800.0, BES_LOG);
    EXPECT_EQ(zibess(&b), 0);
    const double x = 800.0;
    EXPECT_NEAR(b.result, 795.73828655967168, 1e-12);  // R: log(besselI(800, 1, TRUE)) + 800
    const double logi = b.result;
    b = block(1.0, 800.0, BES_SCALED);
    EXPECT_EQ(zibess(&b), 0);
    EXPECT_NEAR(std::log(b.result) + x, logi, 1e-13 * x);
}

// The table was generated in exact arithmetic; regenerate it here in long double from
// the recursion u_(k+1) = t^2 (1 - t^2)/2 u_k' + 1/8 int_0^t (1 - 5 s^2) u_k, and check
// the first polynomials against their published exact forms.
TEST(Bessel, DebyeCoefficientsFollowTheRecursion) {
    std::vector<std::map<int, long double>> u(12);
    u[0][0] = 1.0L;
    for (int k = 0; k < 11; ++k)
        for (auto [e, c] : u[k]) {
            if (e > 0) {
                u[k + 1][e + 1] += c * e / 2;
                u[k + 1][e + 3] -= c * e / 2;
            }
            u[k + 1][e + 1] += c / 8 / (e + 1);
            u[k + 1][e + 3] -= 5 * c / 8 / (e + 3);
        }
    int i = 0;
    for (int k = 1; k <= 11; ++k)
        for (int e = k; e <= 3 * k; e += 2, ++i) {
            const long double want = u[k][e];
            EXPECT_LE(std::fabs(kDebyeCoef[i] - want), 4e-16L * std::fabs(want)) << "u" << k << " t^" << e;
        }
    EXPECT_EQ(i, 77);
    // u1 = (3t - 5t^3)/24, u2 = (81t^2 - 462t^4 + 385t^6)/1152,
    // u3 = (30375t^3 - 369603t^5 + 765765t^7 - 425425t^9)/414720.
    const double pub[] = {3.0 / 24,       -5.0 / 24,        81.0 / 1152,      -462.0 / 1152,
                          385.0 / 1152,   30375.0 / 414720, -369603.0 / 414720, 765765.0 / 414720,
                          -425425.0 / 414720};
    for (int j = 0; j < 9; ++j) EXPECT_DOUBLE_EQ(kDebyeCoef[j], pub[j]) << j;
}

// Against R's besselI over orders 0 .. 2500 and arguments 1e-8 .. 2000, in the three forms.
// The log form agrees to 5e-14 relative (the large-x expansion stops at terms below
// 1e-12 of the sum, which bounds the value's agreement to about 1e-12).
TEST(Bessel, AgreesWithR) {
    const RefTable t = readRef("numeric_extra/besseli.csv");
    Worst wlog, wscaled, wplain;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        const double nu = t.at(r, "nu");
        const double x = t.at(r, "x");
        const std::string at = args({nu, x});
        besblk b = block(nu, x, BES_LOG);
        EXPECT_EQ(zibess(&b), 0) << at;
        wlog.add(std::fabs(b.result - t.at(r, "logi")) / std::fmax(1.0, std::fabs(t.at(r, "logi"))), at);
        b = block(nu, x, BES_SCALED);
        EXPECT_EQ(zibess(&b), 0) << at;
        wscaled.add(relDiff(b.result, t.at(r, "scaled")), at);
        const double plain = t.at(r, "plain");
        if (std::isfinite(plain) && plain > 1e-300) {
            b = block(nu, x, BES_PLAIN);
            EXPECT_EQ(zibess(&b), 0) << at;
            wplain.add(relDiff(b.result, plain), at);
        }
    }
    EXPECT_WORST_BELOW(wlog, 5e-14);
    EXPECT_WORST_BELOW(wscaled, 1e-12);
    EXPECT_WORST_BELOW(wplain, 1e-12);
}

// Large arguments (to 4.5e8) and orders (to 1e5) against 50-digit values.
TEST(Bessel, AgreesWithHighPrecisionAtLargeArguments) {
    const RefTable t = readRef("numeric_extra/besseli_mp.csv");
    Worst w;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        const double nu = t.at(r, "nu");
        const double x = t.at(r, "x");
        besblk b = block(nu, x, BES_LOG);
        EXPECT_EQ(zibess(&b), 0) << args({nu, x});
        w.add(relDiff(b.result, t.at(r, "logi")), args({nu, x}));
    }
    EXPECT_WORST_BELOW(w, 2e-15);
}
