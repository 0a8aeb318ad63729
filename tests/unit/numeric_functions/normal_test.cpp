// The normal distribution function, erf/erfc and the log tail probabilities.
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"
#include "tests/support/reference.h"

TEST(NormalCdf, ExactPoints) {
    EXPECT_EQ(zprbnrm(0.0), 0.5);
    // 38/sqrt 2 squared is 722, beyond the exp underflow bound: exactly 0.
    EXPECT_EQ(zprbnrm(-38.0), 0.0);
    // The lower tail stays non-zero down to -sqrt(2 * 708.3964185), about -37.64.
    EXPECT_GT(zprbnrm(-37.6), 0.0);
    EXPECT_EQ(zprbnrm(-37.65), 0.0);
    EXPECT_EQ(zprbnrm(40.0), 1.0);
    EXPECT_TRUE(std::isnan(zprbnrm(NAN)));
}

TEST(ErrorFunction, Intervals) {
    // Tiny arguments: the first interval with ysq = 0, x * N1_4 / D1_4.
    EXPECT_EQ(zferf(1e-17), 1e-17 * 3.20937758913846947E03 / 2.84423683343917062E03);
    EXPECT_NEAR(zferf(1e-17), 1.1283791670955126e-17, 1e-32);
    // Beyond about 1003.784 the complement is 0.
    EXPECT_EQ(zferf(1004.0), 1.0);
    EXPECT_EQ(zferf(-1004.0), -1.0);
    EXPECT_EQ(zferfc(1004.0), 0.0);
    EXPECT_EQ(zferfc(-1004.0), 2.0);
    // -0.3 is in the first interval: 1 - erf(-0.3), no reflection.
    EXPECT_EQ(zferfc(-0.3), 1.0 - zferf(-0.3));
    EXPECT_NEAR(zferfc(-0.3), 1.3286267594591274, 2e-16);
    // At 0.46875 exactly the first interval still holds (erfc formed as 1 - erf);
    // at 4.0 exactly the second. Both agree with the C library.
    EXPECT_EQ(zferfc(0.46875), 1.0 - zferf(0.46875));
    EXPECT_NEAR(zferfc(0.46875), std::erfc(0.46875), 2e-16);
    EXPECT_NEAR(zferfc(4.0), std::erfc(4.0), 1e-15 * std::erfc(4.0));
    const double above4 = std::nextafter(4.0, 5.0);
    EXPECT_NEAR(zferfc(above4), std::erfc(above4), 2e-15 * std::erfc(4.0));
    double r = 0.0;
    calerf(0.7, 0, &r);
    EXPECT_EQ(r, zferf(0.7));
    calerf(0.7, 5, &r);  // any non-zero selector is erfc
    EXPECT_EQ(r, zferfc(0.7));
    EXPECT_TRUE(std::isnan(zferf(NAN)));
}

TEST(ErrorFunction, AgreesWithTheCLibrary) {
    Worst we, wc;
    // Up to 26.5: beyond, erfc is subnormal and holds fewer digits.
    for (double y = -6.0; y <= 26.5; y += 0.015625) {
        we.add(relDiff(zferf(y), std::erf(y)), args({y}));
        wc.add(relDiff(zferfc(y), std::erfc(y)), args({y}));
    }
    EXPECT_WORST_BELOW(we, 4e-16);
    // One exp of -y*y rounded to double: a relative error of up to y^2 * 2^-53.
    EXPECT_WORST_BELOW(wc, 2e-13);
}

TEST(LogNormal, Centre) {
    double lc = 0, ls = 0, ld = 0;
    ASSERT_EQ(zlognrm(0.0, &lc, &ls, &ld), 0);
    EXPECT_EQ(lc, std::log(0.5));
    EXPECT_EQ(ls, std::log(0.5));
    EXPECT_EQ(ld, -0.9189385332046728);
}

TEST(LogNormal, BothSidesOfTheMillsSwitch) {
    // -5 takes the Mills ratio (|x| >= 5 inclusive), -4.999 the erfc; R's values:
    double lc = 0, ls = 0, ld = 0;
    ASSERT_EQ(zlognrm(-5.0, &lc, &ls, &ld), 0);
    EXPECT_NEAR(lc, -15.064998393988725, 1e-15 * 15.07);
    EXPECT_NEAR(ls, -2.8665161296376358e-07, 1e-15 * 2.87e-7);
    ASSERT_EQ(zlognrm(-4.999, &lc, &ls, &ld), 0);
    EXPECT_NEAR(lc, -15.059812373671576, 1e-15 * 15.06);
}

TEST(LogNormal, FarTailStaysFinite) {
    double lc = 0, ls = 1, ld = 0;
    ASSERT_EQ(zlognrm(-50.0, &lc, &ls, &ld), 0);
    EXPECT_TRUE(std::isfinite(lc));
    EXPECT_NEAR(lc, -1254.8313611394199, 1e-15 * 1254.8);  // R pnorm(-50, log.p = TRUE)
    EXPECT_LE(ls, 0.0);
    EXPECT_GT(ls, -1e-300);
    EXPECT_EQ(ls, zln1px(-std::exp(lc)));
}

TEST(LogNormal, NaNIsAFailure) {
    double lc = 7, ls = 7, ld = 0;
    EXPECT_EQ(zlognrm(NAN, &lc, &ls, &ld), 1);
    EXPECT_TRUE(std::isnan(ld));
    EXPECT_EQ(lc, 7.0);
    EXPECT_EQ(ls, 7.0);
}

TEST(NormalCdf, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/pnorm.csv");
    Worst wp, wq, wlp, wlq, wld;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        const std::string at = args({x});
        // Subnormal probabilities (beyond about -37.5) hold fewer digits: absolute there.
        wp.add(relDiff(zprbnrm(x), t.at(i, "p"), 1e-295), at);
        wq.add(relDiff(zprbnrm(-x), t.at(i, "q"), 1e-295), at);
        double lc = 0, ls = 0, ld = 0;
        ASSERT_EQ(zlognrm(x, &lc, &ls, &ld), 0) << x;
        // Log probabilities near log 1 = 0 compare absolutely below 1e-300.
        wlp.add(relDiff(lc, t.at(i, "logp")), at);
        wlq.add(relDiff(ls, t.at(i, "logq")), at);
        wld.add(relDiff(ld, t.at(i, "logd")), at);
    }
    // The tail value rests on exp(-y*y) with y = |x|/sqrt 2 rounded: up to x^2 * 2^-53.
    EXPECT_WORST_BELOW(wp, 3e-13);
    EXPECT_WORST_BELOW(wq, 3e-13);
    // log(1 - Phi) of a tiny Phi inherits Phi's relative error.
    EXPECT_WORST_BELOW(wlp, 3e-13);
    EXPECT_WORST_BELOW(wlq, 3e-13);
    EXPECT_WORST_BELOW(wld, 1e-15);
}

TEST(LogNormal, FarTailsAgreeWithR) {
    const RefTable t = readRef("numeric_functions/lognorm_tails.csv");
    Worst wlp, wlq;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        double lc = 0, ls = 0, ld = 0;
        ASSERT_EQ(zlognrm(x, &lc, &ls, &ld), 0) << x;
        wlp.add(relDiff(lc, t.at(i, "logp")), args({x}));
        wlq.add(relDiff(ls, t.at(i, "logq")), args({x}));
    }
    // log(1 - e^L) for the far side carries the relative error |L| 2^-53 of e^L.
    EXPECT_WORST_BELOW(wlp, 1e-13);
    EXPECT_WORST_BELOW(wlq, 1e-13);
}
