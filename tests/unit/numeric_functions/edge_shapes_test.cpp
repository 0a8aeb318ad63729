// The incomplete beta and gamma functions at the edges of their shape ranges: shapes far
// below 1, whose raised value 1 + a keeps only the leading digits of a in double
// precision; arguments next to the smallest doubles; shapes and arguments that have no
// log gamma (subnormal or infinite). References from R (make_edge_shapes.R).
#include <cfloat>
#include <array>
#include <cmath>

#include "proc/numeric/incbeta.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/lgamma.h"
#include "tests/support/reference.h"

TEST(EdgeShapes, IncompleteBetaWithTinyShapesAgreesWithR) {
    const RefTable t = readRef("numeric_functions/edge_pbeta.csv");
    Worst wp, wd;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a"), b = t.at(i, "b");
        const std::string at = args({x, a, b});
        double p = -7, d = -7;
        ASSERT_EQ(zibeta(x, a, b, &p, &d), 0) << at;
        wp.add(tailDiff(p, t.at(i, "p"), t.at(i, "q")), at);
        wd.add(relDiff(d, t.at(i, "d")), at);
    }
    // Two point masses of 1/2 at 0 and 1 for a = b = 5e-18 (the raised shape rounds to
    // exactly 1); 1e-9 used to keep only eight digits. The density 2e-300 of
    // a = b = 1e-300 is the exponential of a log near -690: 1.1e-13.
    EXPECT_WORST_BELOW(wp, 1e-13);
    EXPECT_WORST_BELOW(wd, 2e-13);
}

TEST(EdgeShapes, IncompleteBetaRefusesShapesWithoutALogGamma) {
    for (double tiny : {5e-324, 1e-310, DBL_MIN}) {
        double p = 7, d = 7;
        EXPECT_EQ(zibeta(0.3, tiny, 2.0, &p, &d), -1) << tiny;
        EXPECT_EQ(p, -1.0);
        EXPECT_EQ(d, 0.0);
        EXPECT_EQ(zibeta(0.3, 2.0, tiny, &p, &d), -1) << tiny;
    }
    double p, d;
    EXPECT_EQ(zibeta(0.3, 2 * DBL_MIN, 2.0, &p, &d), 0);  // the smallest normal shapes work
    EXPECT_NEAR(p, 1.0, 1e-15);
}

TEST(EdgeShapes, IncompleteGammaAtTinyArgumentsAndShapesAgreesWithR) {
    const RefTable t = readRef("numeric_functions/edge_pgamma.csv");
    Worst wp, wd;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a");
        const std::string at = args({x, a});
        double p = -7, q = -7, d = -7;
        ASSERT_EQ(zigamma(x, a, &p, &q, &d), 0) << at;
        // The lower tails of the smallest x relative to themselves (subnormal ones
        // absolutely, as elsewhere); otherwise both tails absolutely: for a tiny shape the
        // upper tail is formed as 1 - P and keeps only its absolute digits.
        const double rp = t.at(i, "p");
        wp.add(rp >= DBL_MIN && rp < 1e-100 ? relDiff(p, rp) : std::fabs(p - rp), at);
        wp.add(std::fabs(q - t.at(i, "q")), at);
        ASSERT_TRUE(std::isfinite(d)) << at;  // a tiny x with a shape just below 1: 0 x inf
        wd.add(logDiff(std::log(d), t.at(i, "logd")), at);
    }
    // The log density of the given shape is that of the raised shape (near -744 at the
    // smallest x) plus log(a / x): 1.1e-13 absolute after the cancellation. (An upper
    // tail of a tiny shape far out, Q(1e-10, 40) = 1e-29, is Q(1 + 1e-10, 40) less a
    // density 4e11 times larger, and keeps three digits: left out.)
    EXPECT_WORST_BELOW(wp, 1e-14);
    EXPECT_WORST_BELOW(wd, 2e-13);
}

TEST(EdgeShapes, InfiniteArgumentsAreFailuresNotNaNs) {
    double p, q, d;
    for (const auto& xa : {std::array<double, 2>{INFINITY, 2.0}, {1.0, INFINITY}, {INFINITY, INFINITY}}) {
        EXPECT_EQ(zigamma(xa[0], xa[1], &p, &q, &d), 1);
        EXPECT_EQ(p, -2.0);
        EXPECT_EQ(d, 0.0);
    }
    EXPECT_EQ(zlgamma(INFINITY), INFINITY);
    double out = 5.0;
    EXPECT_EQ(zlgammaMV(INFINITY, 3, &out), 1);
    EXPECT_TRUE(std::isnan(out));
    EXPECT_EQ(zlgammaMV(INFINITY, 1, &out), 0);  // one term: log Gamma(inf) = inf
    EXPECT_EQ(out, INFINITY);
    out = 5.0;
    EXPECT_EQ(zlbetaMV(INFINITY, 1.0, 2, &out), 1);
    EXPECT_EQ(zlbetaMV(3.0, INFINITY, 2, &out), 1);
    EXPECT_EQ(out, 5.0);  // untouched on failure
}

TEST(EdgeShapes, ShapeWhoseLogGammaOverflowsIsAFailure) {
    // log Gamma(DBL_MAX) is beyond the doubles: the log density would be inf - inf.
    double p, q, d;
    EXPECT_EQ(zigamma(7.0, DBL_MAX, &p, &q, &d), 1);
    EXPECT_EQ(p, -2.0);
}
