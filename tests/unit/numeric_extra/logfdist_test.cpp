// The (noncentral) F distribution on the log scale.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"
#include "proc/numeric/ncchisq.h"
#include "tests/support/reference.h"

namespace {
fncreq request(uint32_t req, double x, double df1, double df2, double nc, double p = 0) {
    fncreq r{};
    r.request = req;
    r.x = x;
    r.df1 = df1;
    r.df2 = df2;
    r.nc = nc;
    r.p = p;
    return r;
}
}  // namespace

TEST(LogF, RequestChecksAndRefusals) {
    fncreq r = request(0, 1, 3, 5, 0);
    EXPECT_EQ(zlogfnc(&r), 1);
    r = request(8, 1, 3, 5, 0);
    EXPECT_EQ(zlogfnc(&r), 1);
    for (fncreq bad : {request(LREQ_PROB, 1, 0.0009765625, 5, 0), request(LREQ_PROB, 1, 3, 2147483647.0, 0),
                       request(LREQ_PROB, 1, 3, 5, -1), request(LREQ_PROB, -1, 3, 5, 0),
                       request(LREQ_QUANT, 0, 3, 5, 0, 0.0), request(LREQ_QUANT, 0, 3, 5, 0, 1.0)}) {
        const double before = bad.logcdf;
        EXPECT_EQ(zlogfnc(&bad), 1);
        EXPECT_EQ(bad.logcdf, before);
    }
    r = request(LREQ_PROB, 1, 3, 5, 0);
    ASSERT_EQ(zlogfnc(&r), 0);
    EXPECT_EQ(r.tol, 8 * 1.110223024625157e-16);
    EXPECT_EQ(r.lowerbound, 1.053671212772351e-08);
    EXPECT_EQ(r.eps, 1.110223024625157e-16);
    // Moments: mean (df2/df1)(df1 + nc)/(df2 - 2), missing sd for df2 <= 4.
    r = request(LREQ_PROB, 1, 3, 4, 2);
    ASSERT_EQ(zlogfnc(&r), 0);
    EXPECT_DOUBLE_EQ(r.mean, (4.0 / 3) * 5 / 2);
    EXPECT_TRUE(ismissing(r.sd));
}

TEST(LogF, AtZero) {
    for (double df1 : {1.0, 2.0, 5.0}) {
        fncreq r = request(LREQ_PROB, 0, df1, 5, 1.5);
        ASSERT_EQ(zlogfnc(&r), 0);
        EXPECT_EQ(r.logcdf, -DBL_MAX);
        EXPECT_EQ(r.logsurv, 0.0);
        EXPECT_EQ(r.logdens, df1 < 2 ? DBL_MAX : df1 == 2 ? 0.0 : -DBL_MAX);
    }
    // F(2, 2) has cdf x/(1 + x) and density 1/(1 + x)^2.
    fncreq r = request(LREQ_PROB | LREQ_DENS, 3.0, 2, 2, 0);
    ASSERT_EQ(zlogfnc(&r), 0);
    EXPECT_NEAR(r.logcdf, std::log(0.75), 1e-15);
    EXPECT_NEAR(r.logsurv, std::log(0.25), 1e-15);
    EXPECT_NEAR(r.logdens, std::log(1.0 / 16), 1e-15);
}

// Log tails and density against the mixture sums of R down to log-probabilities of -1e4,
// and R's own pf in the central case (its noncentral pf is off by 1e-2 at nc = 8 here).
TEST(LogF, AgreesWithR) {
    const RefTable t = readRef("numeric_extra/logf.csv");
    Worst wc, ws, wd, wr;
    int deep = 0;  // rows with a log tail below -700, both tails and the quadrature's range
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), d1 = t.at(i, "df1"), d2 = t.at(i, "df2"), nc = t.at(i, "nc");
        fncreq r = request(LREQ_PROB | LREQ_DENS, x, d1, d2, nc);
        const std::string at = args({x, d1, d2, nc});
        ASSERT_EQ(zlogfnc(&r), 0) << at;
        wc.add(logDiff(r.logcdf, t.at(i, "logcdf")), at);
        ws.add(logDiff(r.logsurv, t.at(i, "logsurv")), at);
        wd.add(logDiff(r.logdens, t.at(i, "logdens")), at);
        // R's own pf underflows to -Inf in the deepest central rows.
        if (nc == 0 && std::isfinite(t.at(i, "rlogcdf"))) wr.add(logDiff(r.logcdf, t.at(i, "rlogcdf")), at);
        deep += t.at(i, "logcdf") < -700 || t.at(i, "logsurv") < -700;
    }
    EXPECT_GE(deep, 100);
    EXPECT_WORST_BELOW(wc, 1e-11);
    EXPECT_WORST_BELOW(ws, 2e-10);  // log survival near 0 beside a tiny df1: absolute
    EXPECT_WORST_BELOW(wd, 1e-11);
    EXPECT_WORST_BELOW(wr, 1e-9);
}

// The series and the quadrature agree where both apply, on both tails.
TEST(LogF, SeriesAndQuadratureAgree) {
    Worst w;
    for (double d1 : {1.0, 4.0, 30.0})
        for (double d2 : {3.0, 25.0})
            for (double nc : {0.7, 12.0, 200.0})
                for (double mult : {0.01, 0.3, 1.0, 3.0, 20.0}) {
                    const double x = mult * (d1 + nc) / d1;
                    fncreq s = request(LREQ_PROB, x, d1, d2, nc);
                    ASSERT_EQ(zlogfnc(&s), 0);  // sets the working fields
                    fncreq a = s, b = s;
                    if (zserfnc(&a) != 0) continue;
                    ASSERT_EQ(zintfnc(&b), 0) << args({x, d1, d2, nc});
                    w.add(logDiff(b.logcdf, a.logcdf), args({x, d1, d2, nc}));
                    w.add(logDiff(b.logsurv, a.logsurv), args({x, d1, d2, nc}));
                }
    EXPECT_WORST_BELOW(w, 1e-11);
    fncreq c = request(LREQ_PROB, 1, 3, 5, 0);
    EXPECT_EQ(zintfnc(&c), 1);  // the integral is for the noncentral case only
}

TEST(LogF, Density) {
    double ld = 0;
    EXPECT_EQ(zldnfnc(-1, 3, 5, 0, &ld), 1);
    EXPECT_EQ(zldnfnc(1, 0, 5, 0, &ld), 1);
    EXPECT_EQ(zldnfnc(1, 3, 5, -1, &ld), 1);
    ASSERT_EQ(zldnfnc(0, 3, 5, 0, &ld), 0);
    EXPECT_TRUE(ismissing(ld));
    // df1 = 2 at 0: density 1 (central).
    ASSERT_EQ(zldnfnc(0, 2, 5, 0, &ld), 0);
    EXPECT_NEAR(ld, 0.0, 1e-15);
}

// Against qf of R with and without noncentrality, probabilities 1e-100 (central) or 1e-6
// (noncentral) to 1 - 1e-5, and against the roots of R's mixture sums for noncentral
// probabilities from 1e-10 down to 1e-300.
TEST(LogF, QuantileAgreesWithR) {
    const RefTable t = readRef("numeric_extra/qf.csv");
    Worst w, wdeep;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "p"), d1 = t.at(i, "df1"), d2 = t.at(i, "df2"), nc = t.at(i, "nc");
        fncreq r = request(LREQ_QUANT, 0, d1, d2, nc, p);
        const std::string at = args({p, d1, d2, nc});
        EXPECT_EQ(zlogfnc(&r), 0) << at;
        if (p >= 1e-6) {
            w.add(relDiff(r.x, t.at(i, "x")), at);
        } else {
            // The search stops when the log odds match log p to 1e-11 of its size. Far in
            // the lower tail log P grows like (df1/2) log x, so that rule holds x only to
            // about 1e-11 |log p|/(df1/2) relatively (5e-9 at p = 1e-300 with df1 = 3):
            // the relative error is measured per unit of |log p|.
            wdeep.add(relDiff(r.x, t.at(i, "x")) / std::fabs(std::log(p)), at);
        }
    }
    EXPECT_WORST_BELOW(w, 1e-9);
    EXPECT_WORST_BELOW(wdeep, 1e-11);
}

// With df1 = 0.5, P grows like x^(1/4) near 0: the quantile of 1e-100 lies near 1e-393,
// below the smallest double, and the search fails instead of returning a bound.
TEST(LogF, QuantileBelowTheSmallestDoubleFails) {
    fncreq r = request(LREQ_QUANT, 0, 0.5, 5, 8, 1e-100);
    EXPECT_EQ(zlogfnc(&r), 1);
    fncreq c = request(LREQ_QUANT, 0, 0.5, 5, 0, 1e-100);
    EXPECT_EQ(zlogfnc(&c), 1);
    // A little higher the same tail is in range: P(F <= x) = 1e-50 near x = 2.8e-193.
    fncreq ok = request(LREQ_QUANT, 0, 0.5, 5, 8, 1e-50);
    ASSERT_EQ(zlogfnc(&ok), 0);
    EXPECT_GT(ok.x, 1e-194);
    EXPECT_LT(ok.x, 1e-192);
}

TEST(LogF, ApproximationsForHugeDegreesOfFreedom) {
    double lc = 1, ls = 1;
    EXPECT_EQ(zlogFNCApproxLarge(-1, 3, 5, 0, &lc, &ls), 1234567);
    EXPECT_EQ(zlogFNCApproxLarge(1, 0, 5, 0, &lc, &ls), 1234567);
    ASSERT_EQ(zlogFNCApproxLarge(0, 3, 5, 0, &lc, &ls), 0);
    EXPECT_EQ(lc, -1.3407807929943e154);
    EXPECT_EQ(ls, 0.0);
    // Within range: the log-scale entry itself.
    fncreq r = request(LREQ_PROB, 1.7, 3, 5, 2);
    ASSERT_EQ(zlogfnc(&r), 0);
    ASSERT_EQ(zlogFNCApproxLarge(1.7, 3, 5, 2, &lc, &ls), 0);
    EXPECT_EQ(lc, r.logcdf);
    // df2 beyond the range: F -> X1/df1 with X1 noncentral chi-square(df1, nc).
    cncreq c{};
    c.reqflags = LREQ_PROB;
    c.x = 3 * 1.7;
    c.df = 3;
    c.ncp = 2;
    ASSERT_EQ(zlogcnc(&c), 0);
    ASSERT_EQ(zlogFNCApproxLarge(1.7, 3, 3e9, 2, &lc, &ls), 0);
    EXPECT_NEAR(lc, c.logp, 1e-12);
    EXPECT_NEAR(ls, c.logq, 1e-12);
    // df1 beyond the range: F -> df2/X2, the tails exchanged; against the F entry at a
    // large but allowed df1.
    r = request(LREQ_PROB, 0.8, 2e9, 7, 0);
    ASSERT_EQ(zlogfnc(&r), 0);
    ASSERT_EQ(zlogFNCApproxLarge(0.8, 3e9, 7, 0, &lc, &ls), 0);
    EXPECT_NEAR(lc, r.logcdf, 1e-8);
    EXPECT_NEAR(ls, r.logsurv, 1e-8);
    // Both beyond: the normal limit with the distribution's mean and standard deviation.
    ASSERT_EQ(zlogFNCApproxLarge(1.0001, 3e9, 4e9, 0, &lc, &ls), 0);
    const double m = 4e9 / (4e9 - 2), s = m * std::sqrt(2 * (3e9 + 4e9 - 2) / (3e9 * (4e9 - 4)));
    EXPECT_NEAR(std::exp(lc), 0.5 * std::erfc(-(1.0001 - m) / s / std::sqrt(2.0)), 1e-9);
}
