// The F distribution function against R and its closed forms, and the two limit
// searches on it (their roots against R's uniroot on pf, their refusals and caps).
#include <gtest/gtest.h>
#include <cmath>
#include "proc/numeric/fdist.h"
#include "tests/support/reference.h"

TEST(FDistribution, AgreesWithR) {
    const RefTable t = readRef("numeric_kernels/pf.txt");
    ASSERT_GT(t.rows.size(), 400u);
    double worst = 0.0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), d1 = t.at(i, "df1"), d2 = t.at(i, "df2"), nc = t.at(i, "nc");
        const double want = t.at(i, "P");
        double P;
        const int rc = zplbfnc(x, d1, d2, nc, &P);
        if (nc > 0 && want < 1e-250) continue;  // below the start-term floor of the series
        ASSERT_EQ(rc, 0) << x << " " << d1 << " " << d2 << " " << nc;
        if (nc == 0) {
            EXPECT_LT(relDiff(P, want), 1e-12) << x << " " << d1 << " " << d2 << ": " << P << " vs " << want;
            worst = std::fmax(worst, relDiff(P, want));
        } else {
            // R's noncentral pf is good to about 1e-9 absolute only (relative errors up to
            // 5e-3 in the far lower tail); exact sums are checked below.
            EXPECT_NEAR(P, want, 1e-8) << x << " " << d1 << " " << d2 << " " << nc;
        }
    }
    std::printf("central F distribution against R: worst relative error %.2e\n", worst);
    // The Poisson mixture of incomplete beta ratios summed in 30-digit arithmetic.
    const struct {
        double x, d1, d2, nc, P;
    } exact[] = {{0.01, 10, 2, 1, 1.52088588802150485e-07},
                 {0.01, 55, 2, 1, 3.23450210137802322e-19},
                 {0.3, 55, 7.5, 0.001, 0.00417406836090344977}};
    for (const auto& e : exact) {
        double P;
        ASSERT_EQ(zplbfnc(e.x, e.d1, e.d2, e.nc, &P), 0);
        EXPECT_LT(relDiff(P, e.P), 1e-12) << e.x << " " << e.d1 << " " << e.d2 << " " << e.nc;
    }
}

TEST(FDistribution, FixedPoints) {
    double P = -1;
    EXPECT_EQ(zplbfnc(0.0, 3, 4, 0, &P), 0);
    EXPECT_EQ(P, 0.0);
    EXPECT_EQ(zplbfnc(-1.0, 3, 4, 0, &P), 1);
    EXPECT_EQ(zplbfnc(1.0, 0.0, 4, 0, &P), 1);
    EXPECT_EQ(zplbfnc(1.0, 3, 4, -1, &P), 1);
    for (double x : {0.01, 0.5, 1.0, 3.0, 250.0}) {
        ASSERT_EQ(zplbfnc(x, 2, 2, 0, &P), 0);
        EXPECT_NEAR(P, x / (1 + x), 1e-15);
    }
    // nc = 0.001: the series starts at k0 = 0 and runs forward only.
    double c;
    ASSERT_EQ(zplbfnc(1.7, 3, 9, 0.001, &P), 0);
    ASSERT_EQ(zplbfnc(1.7, 3, 9, 0.0, &c), 0);
    EXPECT_LT(P, c);
    EXPECT_NEAR(P, c, 1e-3);
}

TEST(FDistribution, NoncentralSeriesReachingItsFirstTerm) {
    // k0 = 1 (nc = 2): the backward sum stops at the first term; the loop must still end.
    double P, Q;
    ASSERT_EQ(zplbfnc(2.0, 4, 12, 2.0, &P), 0);
    ASSERT_EQ(zplbfnc(2.0, 4, 12, 2.0 + 1e-9, &Q), 0);
    EXPECT_NEAR(P, Q, 1e-9);
    EXPECT_GT(P, 0.0);
    EXPECT_LT(P, 1.0);
}

TEST(LimitSearches, AgreeWithR) {
    const RefTable t = readRef("numeric_kernels/fconf.txt");
    ASSERT_GT(t.rows.size(), 50u);
    double worst = 0.0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "p"), n = t.at(i, "n"), r = t.at(i, "r");
        const double xh = t.at(i, "xh"), xl = t.at(i, "xl");
        double x = -1;
        if (!std::isnan(xh)) {
            const int rc = zconf1h(p, n, &x, r);
            if (rc == 0) {
                // The secant stops at |G - p| < 1e-7 p or a step below 1e-7.
                EXPECT_LT(std::fabs(x - xh), 1e-5 * (xh + 1)) << "h " << p << " " << n << " " << r << ": " << x << " vs " << xh;
                worst = std::fmax(worst, std::fabs(x - xh) / (xh + 1));
            } else {
                ADD_FAILURE() << "zconf1h failed at " << p << " " << n << " " << r << " (R: " << xh << ")";
            }
        }
        x = -1;
        const int rc = zconf1l(p, &x, n, r);
        if (std::isnan(xl)) {
            double h0;
            zplbfnc(r, 2, n, 0, &h0);
            if (p > h0) {
                EXPECT_EQ(rc, 2);
                EXPECT_EQ(x, 0.0);
            }
        } else {
            ASSERT_EQ(rc, 0) << "l " << p << " " << n << " " << r;
            EXPECT_LT(std::fabs(x - xl), 1e-5 * (xl + 1)) << "l " << p << " " << n << " " << r << ": " << x << " vs " << xl;
            worst = std::fmax(worst, std::fabs(x - xl) / (xl + 1));
        }
    }
    std::printf("limit searches against R: worst error %.2e (relative to x + 1)\n", worst);
}

TEST(LimitSearches, Refusals) {
    double x = -1;
    EXPECT_EQ(zconf1h(1 - 1e-7, 5, &x, 2.0), 0);  // the last p accepted
    EXPECT_EQ(zconf1h(1 - 0.9e-7, 5, &x, 2.0), 1);
    EXPECT_EQ(zconf1h(0.5, 0.5, &x, 2.0), 1);
    EXPECT_EQ(zconf1h(0.0, 5, &x, 2.0), 1);
    EXPECT_EQ(zconf1h(0.5, 5, &x, 1e-5), 1);
    EXPECT_EQ(zconf1h(0.5, 5, &x, 1e5), 1);
    EXPECT_EQ(zconf1l(1 - 0.9e-7, &x, 5, 2.0), 1);
    EXPECT_EQ(zconf1l(0.5, &x, 0.5, 2.0), 1);
    // Unordered arguments are refused rather than searched for.
    EXPECT_EQ(zconf1h(std::nan(""), 5, &x, 2.0), 1);
    EXPECT_EQ(zconf1h(0.5, 5, &x, std::nan("")), 1);
    EXPECT_EQ(zconf1l(0.5, &x, std::nan(""), 2.0), 1);
    EXPECT_EQ(zconf1h(-0.2, 5, &x, 2.0), 1);
}

TEST(LimitSearches, AboveTheLowerEnd) {
    double h0;
    ASSERT_EQ(zplbfnc(0.3, 2, 6, 0, &h0), 0);
    double x = -1;
    EXPECT_EQ(zconf1l(std::fmin(h0 + 0.05, 0.99), &x, 6, 0.3), 2);
    EXPECT_EQ(x, 0.0);
}
