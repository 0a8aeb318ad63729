// The noncentral chi-square distribution.
#include <cfloat>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/bessel.h"
#include "proc/numeric/incgamma.h"
#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/ncchisq.h"
#include "tests/support/reference.h"

namespace {
cncreq request(uint32_t flags, double x, double df, double ncp, double prob = 0) {
    cncreq r{};
    r.reqflags = flags;
    r.x = x;
    r.df = df;
    r.ncp = ncp;
    r.prob = prob;
    return r;
}
}  // namespace

TEST(NoncentralChiSquare, CentralCaseIsTheIncompleteGamma) {
    for (double x : {0.3, 2.0, 17.0})
        for (double df : {0.7, 3.0, 40.0}) {
            double p, q, gp, gq, d;
            ASSERT_EQ(zplbcnc(x, df, 0.0, &p, &q), 0);
            ASSERT_EQ(zigamma(x / 2, df / 2, &gp, &gq, &d), 0);
            EXPECT_EQ(p, gp);
            EXPECT_EQ(q, gq);
        }
}

TEST(NoncentralChiSquare, EdgesAndRefusals) {
    double p = 5, q = 5;
    ASSERT_EQ(zplbcnc(0.0, 3, 2, &p, &q), 0);
    EXPECT_EQ(p, 0.0);
    EXPECT_EQ(q, 1.0);
    EXPECT_EQ(zplbcnc(-1.0, 3, 2, &p, &q), 1);
    EXPECT_TRUE(ismissing(p));
    EXPECT_TRUE(ismissing(q));
    EXPECT_EQ(zplbcnc(1.0, 0, 2, &p, &q), 1);
    EXPECT_EQ(zplbcnc(1.0, 3, -2, &p, &q), 1);
    // A starting index beyond 2^31 - 1.
    p = 5;
    EXPECT_EQ(zplbcnc(1e10, 3, 1e10, &p, &q), 1);
    EXPECT_TRUE(ismissing(q));
}

// The plain sum against the mixture sums of R where the probabilities are ordinary doubles.
TEST(NoncentralChiSquare, PlainSumAgreesWithR) {
    const RefTable t = readRef("numeric_extra/ncchisq.csv");
    Worst w;
    int n = 0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), df = t.at(i, "df"), ncp = t.at(i, "ncp");
        const double lp = t.at(i, "logp"), lq = t.at(i, "logq");
        if (lp < -600 || lq < -600) continue;
        double p, q;
        if (zplbcnc(x, df, ncp, &p, &q) != 0) continue;  // no usable start: reported, not wrong
        ++n;
        // Each tail to 1e-13 of the larger of itself and the other (they are 1 - each other).
        w.add(std::fabs(p - std::exp(lp)) / std::fmax(std::exp(lp), 1e-3), args({x, df, ncp}));
        w.add(std::fabs(q - std::exp(lq)) / std::fmax(std::exp(lq), 1e-3), args({x, df, ncp}));
    }
    EXPECT_GT(n, 150);
    EXPECT_WORST_BELOW(w, 1e-12);
}

TEST(NoncentralChiSquare, LogEntryRequestChecks) {
    cncreq r = request(0, 1, 3, 2);
    EXPECT_EQ(zlogcnc(&r), 1);
    r = request(16, 1, 3, 2);
    EXPECT_EQ(zlogcnc(&r), 1);
    for (cncreq bad : {request(LREQ_PROB, 0, 3, 2), request(LREQ_PROB, 1, 1e-9, 2), request(LREQ_PROB, 1, 3, -1)})
        EXPECT_EQ(zlogcnc(&bad), 1);
    r = request(LREQ_PROB, 1, 3, 2);
    ASSERT_EQ(zlogcnc(&r), 0);
    EXPECT_EQ(r.tol, 8.881784197001256e-16);
    EXPECT_EQ(r.xfloor, 2.225073858507202e-308 / 8.881784197001256e-16);
}

// Log tails and log density against the mixture sums, log-probabilities down to -1e5, and
// R's own pchisq where it keeps its digits (noncentrality up to 100, above -30).
TEST(NoncentralChiSquare, LogEntryAgreesWithR) {
    const RefTable t = readRef("numeric_extra/ncchisq.csv");
    Worst wp, wq, wd, wr;
    int deep = 0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double x = t.at(i, "x"), df = t.at(i, "df"), ncp = t.at(i, "ncp");
        cncreq r = request(LREQ_PROB | LREQ_DENS, x, df, ncp);
        const std::string at = args({x, df, ncp});
        ASSERT_EQ(zlogcnc(&r), 0) << at;
        wp.add(logDiff(r.logp, t.at(i, "logp")), at);
        wq.add(logDiff(r.logq, t.at(i, "logq")), at);
        wd.add(logDiff(r.logdens, t.at(i, "logdens")), at);
        for (const char* c : {"rlogp", "rlogq"})
            if (t.at(i, c) > -30 && ncp <= 100) wr.add(logDiff(c[4] == 'p' ? r.logp : r.logq, t.at(i, c)), at);
        deep += t.at(i, "logp") < -700 || t.at(i, "logq") < -700;
    }
    EXPECT_GT(deep, 20);
    EXPECT_WORST_BELOW(wp, 1e-12);
    EXPECT_WORST_BELOW(wq, 1e-12);
    EXPECT_WORST_BELOW(wd, 1e-12);
    EXPECT_WORST_BELOW(wr, 3e-9);  // R itself, against the mixture sums
}

// The series and the quadrature of the density agree where both apply.
TEST(NoncentralChiSquare, SeriesAndQuadratureAgree) {
    Worst w;
    for (double df : {0.5, 3.0, 40.0})
        for (double ncp : {0.5, 20.0, 400.0})
            for (double mult : {0.05, 0.5, 1.0, 3.0, 12.0}) {
                const double x = mult * (df + ncp);
                cncreq s = request(LREQ_PROB, x, df, ncp);
                ASSERT_EQ(zlogcnc(&s), 0);  // sets the working fields
                cncreq a = s, b = s;
                if (zsercnc(&a) != 0) continue;
                ASSERT_EQ(zintcnc(&b), 0) << args({x, df, ncp});
                w.add(logDiff(b.logp, a.logp), args({x, df, ncp}));
                w.add(logDiff(b.logq, a.logq), args({x, df, ncp}));
            }
    EXPECT_WORST_BELOW(w, 1e-12);
}

TEST(NoncentralChiSquare, DensityAndBesselFactor) {
    double ld = 0;
    // At 0: infinite below 2 degrees of freedom, e^(-ncp/2)/2 at 2, 0 above.
    ASSERT_EQ(zldncnc(0, 1, 3, &ld), 0);
    EXPECT_EQ(ld, DBL_MAX);
    ASSERT_EQ(zldncnc(0, 2, 3, &ld), 0);
    EXPECT_DOUBLE_EQ(ld, -1.5 - std::log(2.0));
    ASSERT_EQ(zldncnc(0, 3, 3, &ld), 0);
    EXPECT_EQ(ld, -DBL_MAX);
    EXPECT_EQ(zldncnc(-1, 3, 3, &ld), 1);
    // Noncentrality 0: the chi-square density.
    ASSERT_EQ(zldncnc(4, 6, 0, &ld), 0);
    EXPECT_NEAR(ld, std::log(4.0 * 4.0 * std::exp(-2.0) / 16.0), 1e-15);
    // Negative orders by the recurrence: I_(-1/2)(z) = sqrt(2/(pi z)) cosh z.
    for (double z : {0.2, 3.0, 40.0}) {
        besblk b{};
        b.x = z;
        b.nu = -0.5;
        ASSERT_EQ(zbess(&b), 0);
        EXPECT_EQ(b.nu, -0.5);
        EXPECT_NEAR(b.result, std::log(std::sqrt(2 / (M_PI * z)) * std::cosh(z)), 1e-14 * std::fmax(1, z));
    }
}

// Quantiles against R's qchisq with and without noncentrality, probabilities 1e-200 to
// 1 - 1e-5. The search stops when the log odds match to 1e-7 of themselves, which far in
// the lower tail (log odds -460) leaves a few parts in 1e6 of the quantile.
TEST(NoncentralChiSquare, QuantileAgreesWithR) {
    const RefTable t = readRef("numeric_extra/qncchisq.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const double p = t.at(i, "prob"), df = t.at(i, "df"), ncp = t.at(i, "ncp");
        cncreq r = request(LREQ_QUANT, 0, df, ncp, p);
        const std::string at = args({p, df, ncp});
        EXPECT_EQ(zlogcnc(&r), 0) << at;
        EXPECT_EQ(r.reqflags, LREQ_QUANT);
        w.add(relDiff(r.x, t.at(i, "x")), at);
    }
    EXPECT_WORST_BELOW(w, 5e-6);
}

TEST(NoncentralChiSquare, QuantileRefusals) {
    for (cncreq bad : {request(LREQ_QUANT, 0, 1e-8, 1, 0.5), request(LREQ_QUANT, 0, 3e9, 1, 0.5),
                       request(LREQ_QUANT, 0, 3, -1, 0.5), request(LREQ_QUANT, 0, 3, 1, 0.0),
                       request(LREQ_QUANT, 0, 3, 1, 0.99999999)})
        EXPECT_EQ(zlogcnc(&bad), 1);
}

TEST(ChiSquareQuantileLogScale, EdgesAndValues) {
    double q = 7;
    EXPECT_EQ(zqcl(1.0, 3, &q), 1);  // refused at 1 itself
    EXPECT_EQ(q, 7);
    EXPECT_EQ(zqcl(-0.1, 3, &q), 1);
    EXPECT_EQ(zqcl(0.5, 0, &q), 1);
    ASSERT_EQ(zqcl(0.0, 3, &q), 0);
    EXPECT_EQ(q, 0.0);
    // qchisq(0.95, 1) = 3.841458820694124, qchisq(1e-10, 4) and qchisq(0.5, 2) = 2 log 2.
    ASSERT_EQ(zqcl(0.95, 1, &q), 0);
    EXPECT_NEAR(q, 3.841458820694124, 1e-7 * 3.84);
    ASSERT_EQ(zqcl(0.5, 2, &q), 0);
    EXPECT_NEAR(q, 2 * std::log(2.0), 1e-7);
}
