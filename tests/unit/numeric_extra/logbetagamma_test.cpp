// The beta and gamma distributions on the log scale.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/incbeta.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "tests/support/reference.h"

namespace {
betareq beta(uint32_t flags, double x, double a, double b, double prob = 0) {
    betareq r{};
    r.reqflags = flags;
    r.x = x;
    r.a = a;
    r.b = b;
    r.prob = prob;
    return r;
}
gamreq gamma(uint32_t flags, double x, double a, double prob = 0) {
    gamreq r{};
    r.reqflags = flags;
    r.x = x;
    r.a = a;
    r.prob = prob;
    return r;
}
}  // namespace

TEST(LogDensities, EndPointsAndInterior) {
    double ld = 0;
    ASSERT_EQ(zldnbet(0, 1, 3, &ld), 0);
    EXPECT_DOUBLE_EQ(ld, std::log(3.0));
    ASSERT_EQ(zldnbet(0, 2, 3, &ld), 0);
    EXPECT_TRUE(ismissing(ld));
    ASSERT_EQ(zldnbet(1, 2.5, 1, &ld), 0);
    EXPECT_DOUBLE_EQ(ld, std::log(2.5));
    ASSERT_EQ(zldnbet(1, 2.5, 2, &ld), 0);
    EXPECT_TRUE(ismissing(ld));
    ASSERT_EQ(zldnbet(0.3, 2, 3, &ld), 0);
    EXPECT_NEAR(ld, std::log(12 * 0.3 * 0.49), 1e-15);
    EXPECT_EQ(zldnbet(1.5, 2, 3, &ld), 1);
    EXPECT_EQ(zldnbet(0.5, 0, 3, &ld), 1);

    ASSERT_EQ(zldngam(0, 1, &ld), 0);
    EXPECT_EQ(ld, 0.0);
    ASSERT_EQ(zldngam(0, 2, &ld), 0);
    EXPECT_TRUE(ismissing(ld));
    // Both forms: plain, and Stirling near the mean of a large shape.
    ASSERT_EQ(zldngam(2, 3, &ld), 0);
    EXPECT_NEAR(ld, std::log(2.0 * std::exp(-2.0)), 1e-15);
    ASSERT_EQ(zldngam(25, 20, &ld), 0);
    EXPECT_NEAR(ld, 19 * std::log(25.0) - 25 - zlgamma(20), 1e-13);
    EXPECT_EQ(zldngam(-1, 2, &ld), 1);
    EXPECT_EQ(zldngam(1, 0, &ld), 1);
}

TEST(LogBeta, VerificationAndDispatch) {
    betareq r = beta(0, 0.3, 2, 3);  // 0 is a probability request
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.reqflags, LREQ_PROB);
    EXPECT_NEAR(std::exp(r.logp), 0.3483, 1e-15);
    EXPECT_NEAR(r.logdens, std::log(1.764), 1e-15);

    for (betareq bad : {beta(LREQ_PROB, 0.3, 0, 3), beta(LREQ_PROB, 1.3, 2, 3), beta(LREQ_QUANT, 0.3, 2, 3, 1.5),
                        beta(LREQ_DENS, 0.3, 2, -1)}) {
        betareq before = bad;
        EXPECT_EQ(zlogbet(&bad), 1);
        EXPECT_EQ(bad.logp, before.logp);
        EXPECT_EQ(bad.x, before.x);
    }
    // The probability takes precedence and also sets the density; then the quantile.
    r = beta(LREQ_PROB | LREQ_QUANT, 0.7, 2, 3, 0.5);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.x, 0.7);
    EXPECT_NEAR(std::exp(r.logp), 0.9163, 1e-15);
    r = beta(LREQ_DENS, 0.7, 2, 3);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_NEAR(r.logdens, std::log(0.756), 1e-15);
    // Shapes beyond 2^31 - 1 and the end points where the density is not finite.
    r = beta(LREQ_PROB, 0.5, 2147483648.0, 3);
    EXPECT_EQ(zlogbet(&r), 1);
    r = beta(LREQ_PROB, 0.0, 2, 3);
    EXPECT_EQ(zlogbet(&r), 1);
    r = beta(LREQ_PROB, 1.0, 2, 3);
    EXPECT_EQ(zlogbet(&r), 1);
}

// Where the density is finite at an end, the probability request returns the exact tails.
TEST(LogBeta, EndValues) {
    betareq r = beta(LREQ_PROB, 0.0, 1, 3);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.logp, -DBL_MAX);
    EXPECT_EQ(r.logq, 0.0);
    EXPECT_DOUBLE_EQ(r.logdens, std::log(3.0));
    r = beta(LREQ_PROB, 1.0, 2.5, 1);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.logp, 0.0);
    EXPECT_EQ(r.logq, -DBL_MAX);
    EXPECT_DOUBLE_EQ(r.logdens, std::log(2.5));
}

// Against pbeta and dbeta of R on both tails, log-probabilities down to -1e5. With both
// shapes at 1e5 the log density is a difference of terms of 1e5 and keeps about 3e-11
// absolutely; elsewhere the agreement is 1e-12.
TEST(LogBeta, AgreesWithR) {
    const RefTable t = readRef("numeric_extra/logbeta.csv");
    Worst wp, wq, wd, wbig;
    int deep = 0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a"), b = t.at(i, "b");
        betareq r = beta(LREQ_PROB, x, a, b);
        const std::string at = args({x, a, b});
        ASSERT_EQ(zlogbet(&r), 0) << at;
        const bool big = a >= 1e5 && b >= 1e5;
        (big ? wbig : wp).add(logDiff(r.logp, t.at(i, "logp")), at);
        (big ? wbig : wq).add(logDiff(r.logq, t.at(i, "logq")), at);
        (big ? wbig : wd).add(logDiff(r.logdens, t.at(i, "logdens")), at);
        deep += t.at(i, "logp") < -700 || t.at(i, "logq") < -700;
    }
    EXPECT_GT(deep, 50);
    EXPECT_WORST_BELOW(wp, 1e-12);
    EXPECT_WORST_BELOW(wq, 1e-12);
    EXPECT_WORST_BELOW(wd, 1e-12);
    EXPECT_WORST_BELOW(wbig, 3e-11);
}

// The shape pair (1e5, 30), where R's pbeta loses digits, against 50-digit sums of the
// hypergeometric series of each tail (mpmath).
TEST(LogBeta, DisparateShapes) {
    struct Case {
        double x, a, b, logp, logq;
    } cases[] = {{0.5, 1e5, 30, -69072.196885105232736, 0},
                 {0.8, 1e5, 30, -22098.405521177086061, 0},
                 {0.01, 30, 1e5, 0, -875.93227182829392221}};
    for (const Case& c : cases) {
        betareq r = beta(LREQ_PROB, c.x, c.a, c.b);
        ASSERT_EQ(zlogbet(&r), 0);
        EXPECT_NEAR(r.logp, c.logp, 1e-14 * std::fmax(1, -c.logp));
        EXPECT_NEAR(r.logq, c.logq, 1e-14 * std::fmax(1, -c.logq));
    }
}

TEST(LogBeta, QuantileEndsNeedNoIteration) {
    betareq r = beta(LREQ_QUANT, 0.3, 2, 3, 0.0);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.x, 0.0);
    r = beta(LREQ_QUANT, 0.3, 2, 3, 1.0);
    ASSERT_EQ(zlogbet(&r), 0);
    EXPECT_EQ(r.x, 1.0);
}

// Against qbeta of R, from 1e-300 to 1 - 1e-6; the log-scale steps take over in the far
// lower tail where the Halley steps fail.
TEST(LogBeta, QuantileAgreesWithR) {
    const RefTable t = readRef("numeric_extra/qbeta.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "prob"), a = t.at(i, "a"), b = t.at(i, "b");
        betareq r = beta(LREQ_QUANT, 0, a, b, p);
        const std::string at = args({p, a, b});
        EXPECT_EQ(zlogbet(&r), 0) << at;
        w.add(relDiff(r.x, t.at(i, "x")), at);
    }
    EXPECT_WORST_BELOW(w, 1e-9);
}

TEST(LogGamma, RequestChecks) {
    gamreq r = gamma(0, 1, 2);
    EXPECT_EQ(zloggam(&r), 1);
    r = gamma(8, 1, 2);
    EXPECT_EQ(zloggam(&r), 1);
    r = gamma(LREQ_PROB, -1, 2);
    EXPECT_EQ(zloggam(&r), 1);
    r = gamma(LREQ_PROB, 1, 1e-9);
    EXPECT_EQ(zloggam(&r), 1);
    // Tolerance and step floor raised on entry; the quantile restores the request bits.
    r = gamma(LREQ_QUANT | LREQ_DENS, 0, 2, 0.5);
    ASSERT_EQ(zloggam(&r), 0);
    EXPECT_EQ(r.reqflags, LREQ_QUANT | LREQ_DENS);
    EXPECT_EQ(r.tol, 8.881784197001256e-16);
    EXPECT_EQ(r.xfloor, 1000 * 2.225073858507202e-308 / 8.881784197001256e-16);
}

TEST(LogGamma, AtZero) {
    for (double a : {0.5, 1.0, 3.0}) {
        gamreq r = gamma(LREQ_PROB, 0, a);
        ASSERT_EQ(zloggam(&r), 0);
        EXPECT_EQ(r.logp, -DBL_MAX);
        EXPECT_EQ(r.logq, 0.0);
        EXPECT_EQ(r.logdens, a == 1 ? 0.0 : a < 1 ? DBL_MAX : -DBL_MAX);
    }
}

// The methods each region takes agree with the plain incomplete gamma function where it
// does not underflow.
TEST(LogGamma, MethodsAgreeWithTheIncompleteGamma) {
    struct Case {
        double x, a;
        int method;
    } cases[] = {{0.5, 2, GAM_SERIES}, {3, 2, GAM_UPPERCF}, {0.2, 0.4, GAM_SERIES}, {5, 0.4, GAM_UPPERCF},
                 {500, 3, GAM_ASYMPT}, {1e9 + 1e5, 1e9, GAM_WILHIL}, {0.9e9, 1e9, GAM_LOWERCF},
                 {1.1e9, 1e9, GAM_UPPERCF}};
    for (const Case& c : cases) {
        gamreq r = gamma(LREQ_PROB, c.x, c.a);
        ASSERT_EQ(zloggam(&r), 0) << c.x;
        EXPECT_EQ(r.method, c.method) << c.x;
        double p, q, d;
        ASSERT_EQ(zigamma(c.x, c.a, &p, &q, &d), 0);
        // The cube-root normal approximation has no correction term here (1e-9).
        const double tol = c.method == GAM_WILHIL ? 1e-9 : 1e-13;
        if (p > 1e-300) {
            EXPECT_NEAR(r.logp, std::log(p), tol * std::fmax(1, -std::log(p))) << c.x;
        }
        if (q > 1e-300) {
            EXPECT_NEAR(r.logq, std::log(q), tol * std::fmax(1, -std::log(q))) << c.x;
        }
    }
}

// Against pgamma and dgamma of R on both tails, from x = 1e-300 to 2.5e9 and shapes
// 0.01 to 2e9.
TEST(LogGamma, AgreesWithR) {
    const RefTable t = readRef("numeric_extra/loggamma.csv");
    Worst wp, wq, wd;
    int deep = 0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), a = t.at(i, "a");
        gamreq r = gamma(LREQ_PROB | LREQ_DENS, x, a);
        const std::string at = args({x, a});
        ASSERT_EQ(zloggam(&r), 0) << at;
        // Near the mean of shapes of 1e9 and more both tails come from the normal
        // approximation of the cube root, good to about 1e-6 there.
        const bool wh = r.method == GAM_WILHIL;
        (wh ? wd : wp).add(0, at);
        if (!wh) {
            wp.add(logDiff(r.logp, t.at(i, "logp")), at);
            wq.add(logDiff(r.logq, t.at(i, "logq")), at);
        } else {
            EXPECT_NEAR(r.logp, t.at(i, "logp"), 1e-5) << at;
        }
        wd.add(logDiff(r.logdens, t.at(i, "logdens")), at);
        deep += t.at(i, "logp") < -700 || t.at(i, "logq") < -700;
    }
    EXPECT_GT(deep, 15);
    EXPECT_WORST_BELOW(wp, 1e-12);
    EXPECT_WORST_BELOW(wq, 1e-12);
    EXPECT_WORST_BELOW(wd, 1e-13);
}

// The quadrature fallback of the upper tail agrees with the asymptotic series (1e-13: a
// shape below 1 is raised and the density taken off again, which costs digits).
TEST(LogGamma, QuadratureFallback) {
    for (auto [x, a] : {std::pair{500.0, 3.0}, std::pair{1e4, 60.0}, std::pair{900.0, 0.6}, std::pair{2e5, 14.0}}) {
        gamreq s = gamma(LREQ_PROB, x, a);
        ASSERT_EQ(zloggam(&s), 0);
        ASSERT_EQ(s.method, GAM_ASYMPT);
        gamreq r = gamma(LREQ_PROB, x, a);
        r.tol = 8.881784197001256e-16;
        ASSERT_EQ(zintgam(&r), 0) << x;
        EXPECT_NEAR(r.logq, s.logq, 1e-13 * std::fabs(s.logq)) << x;
        EXPECT_NEAR(r.logdens, s.logdens, 1e-14 * std::fabs(s.logdens)) << x;
    }
}

TEST(LogGamma, QuantileRefusals) {
    gamreq r = gamma(LREQ_QUANT, 0, 1e-9, 0.5);
    EXPECT_EQ(zloggam(&r), 1);
    r = gamma(LREQ_QUANT, 0, 2, 0.99999999);
    EXPECT_EQ(zloggam(&r), 1);
    r = gamma(LREQ_QUANT, 0, 2, 0.0);
    EXPECT_EQ(zloggam(&r), 1);
}

// Against qgamma of R for probabilities 1e-300 to 1 - 1e-6: 1e-9; shapes of 1e9 and more
// answer from the uncorrected cube-root normal approximation, 3e-7.
TEST(LogGamma, QuantileAgreesWithR) {
    const RefTable t = readRef("numeric_extra/qgamma.csv");
    Worst w, whuge;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "prob"), a = t.at(i, "a");
        gamreq r = gamma(LREQ_QUANT, 0, a, p);
        const std::string at = args({p, a});
        EXPECT_EQ(zloggam(&r), 0) << at;
        (a >= 1e9 ? whuge : w).add(relDiff(r.x, t.at(i, "x")), at);
    }
    EXPECT_WORST_BELOW(w, 1e-9);
    EXPECT_WORST_BELOW(whuge, 3e-7);
}
