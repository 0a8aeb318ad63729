// The incomplete beta function.
#include <array>
#include <cmath>

#include "proc/numeric/incbeta.h"
#include "tests/support/reference.h"

namespace {
struct Beta {
    int rc;
    double p;
    double d;
};
Beta ibeta(double x, double a, double b) {
    Beta r{0, 12345.0, 12345.0};
    r.rc = zibeta(x, a, b, &r.p, &r.d);
    return r;
}
}  // namespace

TEST(IncompleteBeta, EndPoints) {
    for (double a : {0.3, 1.0, 7.0})
        for (double b : {0.5, 2.0, 900.0}) {
            Beta r = ibeta(0.0, a, b);
            EXPECT_EQ(r.rc, 0);
            EXPECT_EQ(r.p, 0.0);
            EXPECT_EQ(r.d, 0.0);
            r = ibeta(1.0, a, b);
            EXPECT_EQ(r.rc, 0);
            EXPECT_EQ(r.p, 1.0);
            EXPECT_EQ(r.d, 0.0);
        }
}

TEST(IncompleteBeta, SmallShapesOnBothTails) {
    // beta(2, 3): I_x = 6x^2 - 8x^3 + 3x^4, density 12 x (1 - x)^2.
    Beta r = ibeta(0.3, 2.0, 3.0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.3483, 1e-15);
    EXPECT_NEAR(r.d, 1.764, 1e-15);
    r = ibeta(0.7, 2.0, 3.0);  // computed on the swapped tail
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.9163, 1e-15);
    EXPECT_NEAR(r.d, 0.756, 1e-15);
}

TEST(IncompleteBeta, BinomialSum) {
    // I_0.5(10, 12) = P(at least 10 successes in 21 fair trials).
    double sum = 0.0, c = 1.0;
    for (int k = 0; k <= 21; ++k) {
        if (k >= 10) sum += c;
        c = c * (21 - k) / (k + 1);
    }
    const double want = sum / 2097152.0;
    EXPECT_EQ(want, 0.6681880950927734);
    const Beta r = ibeta(0.5, 10.0, 12.0);
    ASSERT_EQ(r.rc, 0);
    // The log density adds three log gammas of up to 45, each rounded to double.
    EXPECT_NEAR(r.p, want, 3e-15);
}

TEST(IncompleteBeta, RaisedFirstParameter) {
    const Beta r = ibeta(0.1, 0.5, 0.7);  // p < 1 is raised by one
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.2550252666846, 1e-13);
    EXPECT_NEAR(r.p, 0.25502526668462600, 1e-15);  // R pbeta(0.1, 0.5, 0.7)
}

TEST(IncompleteBeta, NegligibleDensity) {
    // log density below -708.3964185: density 0 and the probability by the side of the mean.
    Beta r = ibeta(0.1, 1000.0, 1000.0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.p, 0.0);
    EXPECT_EQ(r.d, 0.0);
    r = ibeta(0.9, 1000.0, 1000.0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.p, 1.0);
    EXPECT_EQ(r.d, 0.0);
}

TEST(IncompleteBeta, RefusedArguments) {
    // Too large a parameter: result 1, outputs untouched.
    Beta r = ibeta(0.5, 2147483648.0, 3.0);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.p, 12345.0);
    EXPECT_EQ(r.d, 12345.0);
    r = ibeta(0.5, 3.0, 2147483648.0);
    EXPECT_EQ(r.rc, 1);
    // Outside the domain: -1 with -1.0 and 0.0.
    for (const auto& args : {std::array<double, 3>{0.5, 0.0, 2.0}, {1.5, 2.0, 2.0}, {-0.1, 2.0, 2.0},
                             {0.5, 2.0, -1.0}, {NAN, 2.0, 2.0}, {0.5, NAN, 2.0}, {0.5, 2.0, NAN}}) {
        r = ibeta(args[0], args[1], args[2]);
        EXPECT_EQ(r.rc, -1);
        EXPECT_EQ(r.p, -1.0);
        EXPECT_EQ(r.d, 0.0);
    }
    // A NaN x with shapes for which a slow fraction would fall back on the normal
    // approximation must not come back as a probability of 0.
    r = ibeta(NAN, 1e6, 1e6);
    EXPECT_EQ(r.rc, -1);
}

TEST(IncompleteBeta, PaulsonApproximationForHugeShapes) {
    // a = b = 1e6: the fraction does not settle within 399 passes; both shapes are large
    // enough for the normal approximation. At x = 0.5, z = 0 exactly.
    Beta r = ibeta(0.5, 1e6, 1e6);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.p, 0.5);
    EXPECT_GT(r.d, 1128.0);  // the density is still formed: about 2 sqrt(a / pi) * 2
    // One and two standard deviations from the mean, against R.
    r = ibeta(0.50035355330220499, 1e6, 1e6);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.841344685575892370, 1e-6);
    r = ibeta(0.49929289339559008, 1e6, 1e6);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(r.p, 0.022750118450411669, 1e-6);
}

TEST(IncompleteBeta, AgreesWithR) {
    const RefTable t = readRef("numeric_functions/pbeta.csv");
    Worst wp, wd, wsmall;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a"), b = t.at(i, "b");
        const Beta r = ibeta(x, a, b);
        const std::string at = args({x, a, b});
        ASSERT_EQ(r.rc, 0) << at;
        const double e = tailDiff(r.p, t.at(i, "p"), t.at(i, "q"));
        wp.add(e, at);
        if (std::fmax(a, b) <= 1000.0) wsmall.add(e, at);
        wd.add(relDiff(r.d, t.at(i, "d")), at);
    }
    // The log density sums terms of size (a + b) log: its rounding grows with the shapes.
    EXPECT_WORST_BELOW(wsmall, 1e-12);
    EXPECT_WORST_BELOW(wp, 5e-11);
    EXPECT_WORST_BELOW(wd, 5e-11);
}
