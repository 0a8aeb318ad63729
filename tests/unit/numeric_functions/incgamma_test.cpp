// The incomplete gamma function and its Wilson-Hilferty approximation.
#include <array>
#include <cfloat>
#include <cmath>

#include "proc/numeric/incgamma.h"
#include "tests/support/reference.h"

namespace {
struct Gam {
    int rc;
    double p;
    double q;
    double d;
};
Gam igamma(double x, double a) {
    Gam r{0, 12345.0, 12345.0, 12345.0};
    r.rc = zigamma(x, a, &r.p, &r.q, &r.d);
    return r;
}
}  // namespace

TEST(IncompleteGamma, ZeroShapeAndZeroArgument) {
    for (double x : {0.0, 1e-300, 1.0, 1e300}) {
        const Gam r = igamma(x, 0.0);
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.p, 1.0);
        EXPECT_EQ(r.q, 0.0);
        EXPECT_EQ(r.d, 0.0);
    }
    for (double a : {0.5, 1.0, 3.0}) {
        const Gam r = igamma(0.0, a);
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.p, 0.0);
        EXPECT_EQ(r.q, 1.0);
        EXPECT_EQ(r.d, a == 1.0 ? 1.0 : 0.0);
    }
}

TEST(IncompleteGamma, SeriesAndUpperFraction) {
    // a = 2: P = 1 - (1 + x) e^-x, density x e^-x.
    Gam r = igamma(0.5, 2.0);  // series
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.0902040104310499, 4e-17);
    EXPECT_NEAR(r.d, 0.5 * std::exp(-0.5), 1e-16);
    r = igamma(3.0, 2.0);  // upper fraction
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.8008517265285442, 2e-16);
    EXPECT_NEAR(r.q, 4.0 * std::exp(-3.0), 1e-16);
}

TEST(IncompleteGamma, RaisedShapeOnBothTails) {
    Gam r = igamma(0.2, 0.4);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.56010376042981, 1e-14);
    r = igamma(5.0, 0.4);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.99895187933179, 1e-14);
    EXPECT_NEAR(r.q, 0.0010481206682096540, 1e-14 * 0.001);  // R, upper tail
}

TEST(IncompleteGamma, StirlingLogDensity) {
    const Gam r = igamma(25.0, 20.0);  // x within 30 % of a >= 10
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.86642516591435, 1e-14);
    EXPECT_NEAR(r.d, std::exp(19 * std::log(25.0) - 25.0 - std::lgamma(20.0)), 1e-15);
}

TEST(IncompleteGamma, HugeShapes) {
    // Wilson-Hilferty within 0.02 a + 0.7 sqrt(a) of the mean; R: 0.99921704383804166.
    Gam r = igamma(1e9 + 1e5, 1e9);
    ASSERT_EQ(r.rc, 0);
    double q = 0.0;
    EXPECT_EQ(r.p, wilhil(1e9, 1e9 + 1e5, &q));
    EXPECT_EQ(r.p, 1.0 - r.q);  // Q is the smaller tail, P its complement
    EXPECT_NEAR(r.q, 1.0 - 0.99921704383804166, 1e-9 * 7.8e-4);
    EXPECT_NEAR(r.d, 8.502349988e-08, 1e-15);
    // Below the mean the smaller tail is P.
    r = igamma(1e9 - 3e4, 1e9);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.17139112367528189, 1e-10);
    // Far below the mean: the lower fraction, whose density underflows to 0.
    r = igamma(0.9e9, 1e9);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.d, 0.0);
    EXPECT_EQ(r.p, 0.0);
    EXPECT_EQ(r.q, 1.0);
    // Far above: the upper fraction.
    r = igamma(1.1e9, 1e9);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.p, 1.0);
}

TEST(WilsonHilferty, Limits) {
    double q = -1.0;
    EXPECT_EQ(wilhil(10.0, 10001.0, &q), 1.0);  // x/a > 1000
    EXPECT_EQ(q, 0.0);
    EXPECT_EQ(wilhil(10.0, 0.009, &q), 0.0);  // x/a < 0.001
    EXPECT_EQ(q, 1.0);
    // Either side of the mean, the two outputs are complements.
    for (double x : {0.97e6, 1e6, 1.03e6}) {
        const double p = wilhil(1e6, x, &q);
        EXPECT_NEAR(p + q, 1.0, 1e-16);
    }
}

TEST(IncompleteGamma, DensityNeverInfinite) {
    // The log density at a = 0.01, x = 1e-320 is about 725 > 709.78: DBL_MAX, not infinity.
    const Gam r = igamma(1e-320, 0.01);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.d, DBL_MAX);
    EXPECT_NEAR(r.p, 0.00063455784990443318, 1e-14);  // R pgamma(1e-320, 0.01)
}

TEST(IncompleteGamma, Failures) {
    for (const auto& xa : {std::array<double, 2>{-1.0, 2.0}, {1.0, -2.0}, {NAN, 2.0}, {1.0, NAN}}) {
        const Gam r = igamma(xa[0], xa[1]);
        EXPECT_EQ(r.rc, 1);
        EXPECT_EQ(r.p, -2.0);
        EXPECT_EQ(r.q, -2.0);
        EXPECT_EQ(r.d, 0.0);
    }
    // Near the mean of a large shape the series needs more than its 2000 terms.
    const Gam r = igamma(1e6, 1e6);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.p, -2.0);
}

TEST(IncompleteGamma, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/pgamma.csv");
    Worst wp, wq, wd, wbig;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a");
        const std::string at = args({x, a});
        if (a >= 1e9) continue;  // the approximation is checked above
        const Gam r = igamma(x, a);
        ASSERT_EQ(r.rc, 0) << at;
        const double p = t.at(i, "p"), q = t.at(i, "q");
        const double ep = tailDiff(r.p, p, q), eq = tailDiff(r.q, q, p), ed = relDiff(r.d, t.at(i, "d"));
        if (a > 100.0) {
            // (a - 1) log(x/a) with x/a rounded: an error of about a 2^-53.
            wbig.add(std::fmax(ep, std::fmax(eq, ed)) / a, at);
            continue;
        }
        wp.add(ep, at);
        wq.add(eq, at);
        wd.add(ed, at);
    }
    // For a tiny shape the raised-shape step subtracts the density from Q(a + 1, x), a
    // much larger number: Q(0.001, 1.5) loses about three digits that way.
    EXPECT_WORST_BELOW(wp, 1e-12);
    EXPECT_WORST_BELOW(wq, 3e-12);
    EXPECT_WORST_BELOW(wd, 1e-12);
    EXPECT_WORST_BELOW(wbig, 2e-16);  // relative error divided by the shape
}
