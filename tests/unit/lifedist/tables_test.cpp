// The fit summary of a group (mean, mode, median, standard deviation), its data summary
// and its estimate tables as they print.
#include "tests/unit/lifedist/fitfixture.h"

#include <cfloat>

#include "proc/lifedist/fitshared.h"

using namespace fittest;

namespace {

class Tables : public FitTest {
protected:
    // Every parameter held at a given value: the summary of a known distribution.
    void given(const std::string& dist, double mu, double sigma, double threshold = 0.0) {
        prepare("bearings", dist);
        std::memcpy(s->life.parmfree, "CC", 2);
        g->loc = mu;
        g->scale = sigma;
        s->work.thrflags[TH_GIVEN] = threshold != 0.0;
        s->optsw.fixedparms[FP_THRESHOLD] = threshold;
        ASSERT_EQ(vyxdfit(s, g), 0);
        EXPECT_EQ(s->work.fitmethod, FIT_GIVEN);
    }
    // The lines of the listing that contain text.
    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::stringstream ss(listing());
        std::string l;
        while (std::getline(ss, l))
            if (l.find(text) != std::string::npos) out.push_back(l);
        return out;
    }
};

TEST_F(Tables, WeibullSummaryWithAThreshold) {
    given("weibull", 2.0, 1.5, 10.0);
    EXPECT_NEAR(g->mean, std::exp(2.0) * std::tgamma(2.5) + 10.0, 1e-12);
    EXPECT_EQ(g->mode, 10.0);   // a shape below 1 has its mode at the threshold
    EXPECT_NEAR(g->sd, std::exp(2.0) * std::sqrt(std::tgamma(4.0) - std::pow(std::tgamma(2.5), 2)), 1e-12);
    EXPECT_NEAR(g->median, std::exp(2.0 + 1.5 * std::log(std::log(2.0))) + 10.0, 1e-12);
}

TEST_F(Tables, LogLogisticMomentsExistOnlyForSmallScales) {
    given("loglogistic", 1.0, 0.7);
    EXPECT_NEAR(g->mean, std::exp(1.0) * std::tgamma(1.7) * std::tgamma(0.3), 1e-12);
    EXPECT_NEAR(g->mode, std::exp(1.0) * std::pow(0.3 / 1.7, 0.7), 1e-12);
    EXPECT_TRUE(std::isnan(g->sd));
    TearDown();
    SetUp();
    given("loglogistic", 1.0, 1.2);
    EXPECT_TRUE(std::isnan(g->mean));
    EXPECT_EQ(g->mode, 0.0);
}

TEST_F(Tables, ExponentialThresholdShiftsTheMeanNotTheSpread) {
    given("exponential", std::log(50.0), 1.0, 7.0);
    EXPECT_NEAR(g->mean, 57.0, 1e-12);
    EXPECT_NEAR(g->sd, 50.0, 1e-12);
    EXPECT_EQ(g->mode, 7.0);
}

// mu + sigma^2/2 exactly at the largest argument of exp still gives a finite mean; the
// standard deviation, which needs mu + sigma^2, is then missing.
TEST_F(Tables, LognormalMeanAtTheEdgeOfExp) {
    given("lognormal", 709.782712893384 - 0.5, 1.0);
    EXPECT_TRUE(std::isfinite(g->mean));
    EXPECT_GT(g->mean, 1e308);
    EXPECT_TRUE(std::isnan(g->sd));
}

// The data summary: observations and failures always; the log-likelihood with a fit; no
// failures row for READOUT data; the total over the groups on the last group.
TEST_F(Tables, DataSummaryRows) {
    prepare("bearings", "weibull");
    s->work.fitmethod = FIT_NONE;
    g->loglik = -113.7;
    vyxdsum(s, g, 0, 0);
    s->work.fitmethod = FIT_MLE;
    vyxdsum(s, g, 0, 0);
    s->inwork.rspkind = FORM_READOUT;
    vyxdsum(s, g, 0, 0);
    EXPECT_EQ(lines("Observations Used").size(), 3u);
    EXPECT_EQ(lines("Failures").size(), 2u);
    EXPECT_EQ(lines("Log Likelihood").size(), 2u);
}

TEST_F(Tables, TotalLogLikelihoodOnTheLastGroupOfAClassAnalysis) {
    prepare("bearings", "weibull");
    s->groups.nclass = 1;
    grpnode second{};
    g->next = &second;
    second.nobs = 4;
    g->loglik = -10.0;
    second.loglik = -5.5;
    s->life.fit.loglik.final = -15.5;
    s->groups.lastgrp = 0;
    vyxdsum(s, g, 0, 0);
    s->groups.lastgrp = 1;
    vyxdsum(s, &second, 0, 0);
    const auto ll = lines("Log Likelihood");
    EXPECT_EQ(ll.size(), 3u);
    EXPECT_EQ(lines("-15.5").size(), 1u);
}

// The exponential fit shows its location and its mean (exp of the location), no shape row.
TEST_F(Tables, ExponentialParameterRows) {
    prepare("fans", "exponential");
    ASSERT_EQ(vyxdfit(s, g), 0);
    vyxpput(s, g, 0, 0);
    // The exponential mean: total time over failures, 344440 / 12 (to the optimiser's floor).
    EXPECT_NEAR(g->wbscale, 344440.0 / 12.0, 1e-5 * 28703.0);
    EXPECT_EQ(lines("Location").size(), 1u);
    EXPECT_EQ(lines("Exponenti").size(), 1u);
    EXPECT_EQ(lines("Weibull Sh").size(), 0u);
}

// The Weibull form: scale exp(mu) and shape 1/sigma, their limits from those of mu and of
// sigma (crossed for the shape), and the published ball-bearing values.
TEST_F(Tables, WeibullFormOfTheBallBearingFit) {
    prepare("bearings", "weibull");
    ASSERT_EQ(vyxdfit(s, g), 0);
    const double slo = s->life.parmlim[2], shi = s->life.parmlim[3];
    double ws, wk, v1, c, v2;
    ASSERT_TRUE(fitx::bindtable(s, s->out.tabs[TAB_PARMEST], "kv.vitalyx.ppest"));
    putparms(s, &ws, &wk, &v1, &c, &v2);
    EXPECT_NEAR(ws, 81.88, 0.01);
    EXPECT_NEAR(wk, 2.102, 0.001);
    EXPECT_NEAR(s->row.rowvals[9], 1.0 / shi, 1e-12);   // the last row written: the shape
    EXPECT_NEAR(s->row.rowvals[8], 1.0 / slo, 1e-12);
    const double* P = s->life.parmvec.block;
    EXPECT_NEAR(v1, P[4] * ws * ws, 1e-9);
    EXPECT_NEAR(v2, P[6] * std::pow(wk, 4), 1e-12);
    EXPECT_NEAR(c, -ws * P[5] * wk * wk, 1e-12);
}

// A location held with LOCATION= and the Lagrange table: one row, chi-square lambda^2 with
// its probability on 1 degree of freedom.
TEST_F(Tables, LagrangeRowOfAHeldLocation) {
    prepare("bearings", "normal");
    std::memcpy(s->life.parmfree, "C1", 2);
    s->work.tblflags[TF_LAGRANGE] = 1;
    start(80.0, 36.0, 0.5);
    ASSERT_EQ(vyxdfit(s, g), 0);
    const double lam = s->life.lagstat[0];
    // The score of mu = 80 for normal data with sigma at its constrained estimate: the
    // gradient n (80 - xbar) / sigma^2 over the root of the information adjusted for sigma,
    // n / sigma^2 - 2 n (80 - xbar)^2 / sigma^4.
    const double sigma = s->life.parmvec.block[1], d = 80.0 - 72.22434782608696, v = sigma * sigma;
    EXPECT_NEAR(lam, 23.0 * d / v / std::sqrt(23.0 / v - 2 * 23.0 * d * d / (v * v)), 1e-6);
    vyxpput(s, g, 0, 0);
    const auto rows = lines("Location");
    ASSERT_GE(rows.size(), 2u);   // the parameter row and the Lagrange row
    char chisq[32];
    std::snprintf(chisq, sizeof chisq, "%.4f", lam * lam);
    EXPECT_EQ(lines(chisq).size(), 1u) << listing();
}

// A covariance with a zero variance: the correlation matrix shows 1 on the diagonal and a
// missing correlation; the correlation of the Weibull form is the opposite one.
TEST_F(Tables, CorrelationWithAZeroVariance) {
    prepare("bearings", "weibull");
    double P[8] = {4.4, 0.5, 0.2, 0.0, 0.04, 0.0, 0.0};
    s->life.parmvec.block = P;
    s->life.fit.covprint[CP_CORRB] = 1;
    vyxpput(s, g, 0, 0);
    EXPECT_TRUE(std::isnan(MatElem(s, 0, 1)));
    // Four matrix rows (the fit's and the Weibull form's), each 1 on the diagonal and missing beside it.
    int rows = 0;
    for (const auto& l : lines("1.0000")) {
        std::stringstream ss(l);
        std::vector<std::string> w;
        for (std::string x; ss >> x;) w.push_back(x);
        const size_t n = w.size();
        rows += n >= 3 && ((w[n - 2] == "1.0000" && w[n - 1] == ".") || (w[n - 2] == "." && w[n - 1] == "1.0000"));
    }
    EXPECT_EQ(rows, 4) << listing();
}

// MatElem: correlations of the packed covariance after the estimates and standard errors.
TEST_F(Tables, CorrelationElementsOfAPackedCovariance) {
    s->life.fit.npar.total = 3;
    double P[12] = {0, 0, 0, 0, 0, 0, 4.0, 1.0, 9.0, -2.0, 0.0, 1.0};   // K = [[4,1,-2],[1,9,0],[-2,0,1]]
    s->life.parmvec.block = P;
    EXPECT_DOUBLE_EQ(MatElem(s, 0, 1), 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(MatElem(s, 2, 0), -1.0);
    EXPECT_DOUBLE_EQ(MatElem(s, 1, 1), 1.0);
    EXPECT_EQ(MatElem(s, 1, 2), 0.0);
    P[11] = std::nan("");
    EXPECT_TRUE(std::isnan(MatElem(s, 0, 2)));
}

// The percentile table adds the THRESHOLD to the estimates and limits, never to a standard
// error (a spread does not move with the origin).
TEST_F(Tables, PercentileTableShiftsByTheThreshold) {
    prepare("bearings", "lognormal");
    pcts = {50};
    usepcts();
    s->work.thrflags[TH_GIVEN] = 1;
    s->optsw.fixedparms[FP_THRESHOLD] = 1000.0;
    ASSERT_EQ(vyxdfit(s, g), 0);
    const double* r = g->pcttab;
    vyxpput(s, g, 0, 0);
    char est[32], se[32];
    std::snprintf(est, sizeof est, "%.4f", r[PCT_EST] + 1000.0);
    std::snprintf(se, sizeof se, "%.4f", r[PCT_SE]);
    int found = 0;
    for (const auto& l : lines(est)) found += l.find(se) != std::string::npos;
    EXPECT_EQ(found, 1) << listing();
}

// A group without a fit writes no rows, yet ends the row lists of the open tables so that a
// class analysis goes on; the next group's rows follow in the same tables.
TEST_F(Tables, GroupWithoutAFitEndsTheOpenRowLists) {
    prepare("bearings", "weibull");
    s->groups.nclass = 1;
    s->groups.lastgrp = 0;
    ASSERT_EQ(vyxdfit(s, g), 0);
    vyxpput(s, g, 0, 0);
    s->work.fitmethod = FIT_NONE;
    vyxpput(s, g, 0, 0);
    s->work.fitmethod = FIT_MLE;
    s->groups.lastgrp = 1;
    vyxpput(s, g, 0, 0);
    EXPECT_EQ(lines("Weibull Sh").size(), 2u) << listing();
    EXPECT_EQ(lines("Standard Deviation").size(), 2u);
}

}  // namespace
