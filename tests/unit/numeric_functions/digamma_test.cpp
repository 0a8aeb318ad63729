// Digamma, trigamma, exp(x) - 1 and the Mills ratio.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/digamma.h"
#include "tests/support/reference.h"

TEST(Digamma, KnownValues) {
    double out = 0.0;
    ASSERT_EQ(zdigama(1.0, &out), 0);
    EXPECT_NEAR(out, -0.5772156649015329, 2e-16);
    ASSERT_EQ(zdigama(1.4616321449683622, &out), 0);
    EXPECT_NEAR(out, 0.0, 1e-16);
    // 0.25 reflects: psi(0.75) - pi cot(pi/4) = psi(0.75) - pi.
    double psi075 = 0.0;
    ASSERT_EQ(zdigama(0.75, &psi075), 0);
    ASSERT_EQ(zdigama(0.25, &out), 0);
    EXPECT_NEAR(out, psi075 - M_PI, 1e-15);
    EXPECT_NEAR(out, -M_PI / 2 - 3 * std::log(2.0) - 0.5772156649015329, 1e-14);  // Gauss
}

TEST(Digamma, PolesAndRefusals) {
    for (double x : {0.0, -3.0, -1.0 + 1e-13, -2147483648.0, static_cast<double>(NAN)}) {
        double out = 0.0;
        EXPECT_EQ(zdigama(x, &out), 1) << x;
        EXPECT_TRUE(ismissing(out)) << x;
    }
    double out = 0.0;
    EXPECT_EQ(zdigama(-1.0 + 1e-9, &out), 0);  // close to a pole but not within 1e-12
}

TEST(Trigamma, KnownValuesAndPoles) {
    int rc = -1;
    EXPECT_NEAR(ztigama(1.0, &rc), M_PI * M_PI / 6, 2e-16);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ztigama(-2.0, &rc), -1e35);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(ztigama(0.0, &rc), -1e35);
    EXPECT_EQ(rc, 1);
    // Every double this large is an integer, a pole, whatever sin(pi x) rounds to.
    EXPECT_EQ(ztigama(-1e300, &rc), -1e35);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(ismissing(ztigama(NAN, &rc)));
    EXPECT_EQ(rc, 1);
    // Huge arguments: 1/y.
    EXPECT_EQ(ztigama(1e36, &rc), 1e-36);
    EXPECT_EQ(rc, 0);
}

TEST(Trigamma, ContinuousAcrossTheSwitchAt25) {
    // 25 itself uses the recurrence and the rational form, just above the asymptotic
    // series; the derivative of trigamma is about -2/y^2, so the step is tiny.
    int rc = 0;
    const double at = ztigama(25.0, &rc);
    const double above = ztigama(std::nextafter(25.0, 30.0), &rc);
    EXPECT_NEAR(at, 0.040810663257225592, 1e-16);  // R trigamma(25)
    EXPECT_NEAR(above, at, 1e-16);
}

TEST(DigammaTrigamma, AgreeWithR) {
    const RefTable t = readRef("numeric_functions/digamma.csv");
    Worst wd, wt;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        double psi = 0.0;
        int rc = 0;
        ASSERT_EQ(zdigama(x, &psi), 0) << x;
        const double psi1 = ztigama(x, &rc);
        ASSERT_EQ(rc, 0) << x;
        // Digamma crosses zero at 1.46163...: compare absolutely where |psi| < 1.
        wd.add(relDiff(psi, t.at(i, "psi"), 1.0), args({x}));
        wt.add(relDiff(psi1, t.at(i, "psi1")), args({x}));
    }
    EXPECT_WORST_BELOW(wd, 5e-15);
    EXPECT_WORST_BELOW(wt, 5e-15);
}

TEST(Expm1, SeriesAndExponentialBranches) {
    // 0.01 uses the series, 0.0100001 the exponential.
    const double x = 0.01;
    EXPECT_EQ(zexpm1(x), x * (1 + x / 2 * (1 + x / 3 * (1 + x / 4 * (1 + x / 5 * (1 + x / 6))))));
    EXPECT_NEAR(zexpm1(x), std::expm1(x), 2e-18);
    EXPECT_EQ(zexpm1(0.0100001), std::exp(0.0100001) - 1.0);
    EXPECT_EQ(zexpm1(0.0), 0.0);
    EXPECT_TRUE(std::isnan(zexpm1(NAN)));
    const RefTable t = readRef("numeric_functions/expm1.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double v = t.at(i, "x");
        w.add(relDiff(zexpm1(v), t.at(i, "e")), args({v}));
    }
    // exp(x) - 1 just past |x| = 0.01 loses up to 2^-53 / 0.01 of its digits.
    EXPECT_WORST_BELOW(w, 2e-14);
}

TEST(MillsRatio, Branches) {
    double out = 0.0;
    // 5 takes the continued fraction, which settles well within its 101 convergents.
    ASSERT_EQ(zmillsr(5.0, &out), 0);
    EXPECT_NEAR(out, 0.19280810471531564, 2e-16 * 0.19);
    double cf = 0.0;
    ASSERT_EQ(zcnfmill(5.0, &cf), 0);
    EXPECT_EQ(cf, out);
    // Below -10, Phi(-x) is taken as 1: exactly sqrt(2 pi) e^200.
    ASSERT_EQ(zmillsr(-20.0, &out), 0);
    EXPECT_EQ(out, std::exp(0.5 * 400.0 + 0.9189385332046728));
    // A NaN is refused rather than passed on as a success.
    EXPECT_EQ(zmillsr(NAN, &out), 1);
    EXPECT_TRUE(ismissing(out));
}

TEST(MillsRatio, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/mills.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x");
        double out = 0.0;
        ASSERT_EQ(zmillsr(x, &out), 0) << x;
        w.add(relDiff(out, t.at(i, "r")), args({x}));
    }
    // The erfc path multiplies e^(x^2/2) by a tail whose argument x/sqrt 2 is rounded:
    // a relative error of about x^2 * 2^-53.
    EXPECT_WORST_BELOW(w, 5e-14);
}
