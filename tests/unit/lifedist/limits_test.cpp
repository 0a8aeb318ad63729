// Percentiles, survival probabilities and their limits; the limits of the parameters at
// their edges.
#include "tests/unit/lifedist/fitfixture.h"

#include <cfloat>

using namespace fittest;

namespace {

const reference& ref() {
    static const reference r;
    return r;
}

class Limits : public FitTest {
protected:
    double parms[8] = {};
    // A fitted (mu, sigma) with standard errors and the covariance [[v0, v1], [v1, v2]].
    void fitted(double mu, double sigma, double v0, double v1, double v2) {
        parms[0] = mu;
        parms[1] = sigma;
        parms[2] = std::sqrt(v0);
        parms[3] = std::sqrt(v2);
        parms[4] = v0;
        parms[5] = v1;
        parms[6] = v2;
        s->life.parmvec.block = parms;
        g->parmcov = parms;
    }
};

// The survival at the SURVTIME values is S(t) = 1 - F(t) at a time t taken to the analysis
// scale inside: word 0 the survival, words 9 and 8 its lower and upper limits. Checked
// against R's pweibull and plnorm, with the limits of the delta method on the standardized
// value worked out in R; a THRESHOLD shifts the times before the survival is taken.
TEST_F(Limits, SurvivalAtSurvtimeMatchesR) {
    const struct {
        const char* data;
        const char* dist;
        std::vector<double> times;
    } cases[] = {{"fans", "weibull", {5000, 20000}}, {"fans", "lognormal", {5000, 20000}},
                 {"bearings", "weibull", {50, 100}}, {"bearings", "lognormal", {50, 100}}};
    for (const auto& c : cases) {
        for (double thr : {0.0, 1000.0}) {
            SCOPED_TRACE(std::string(c.data) + " " + c.dist + " threshold " + std::to_string(thr));
            prepare(c.data, c.dist);
            std::vector<double> t = c.times;
            for (double& v : t) v += thr;
            usesurvtimes(t);
            s->work.thrflags[TH_GIVEN] = thr > 0;
            s->optsw.fixedparms[FP_THRESHOLD] = thr;
            ASSERT_EQ(vyxdfit(s, g), 0);
            for (size_t k = 0; k < c.times.size(); ++k) {
                const std::string key = "surv" + std::to_string(static_cast<int>(c.times[k]));
                const double* rec = g->survtab + k * PCT_WORDS;
                EXPECT_NEAR(rec[PCT_EST], ref()(c.data, c.dist, key), 1e-6);
                EXPECT_NEAR(rec[PCT_LOWER], ref()(c.data, c.dist, key + "_lo"), 1e-5);
                EXPECT_NEAR(rec[PCT_UPPER], ref()(c.data, c.dist, key + "_hi"), 1e-5);
            }
            TearDown();
            SetUp();
        }
    }
}

// Percentiles of the fitted distribution on the analysis scale, by distribution.
TEST_F(Limits, PercentileOfTheFittedDistribution) {
    fitted(2.0, 0.5, 0.01, 0.0, 0.01);
    double out = 7.0;
    s->optsw.distcode = DIST_NORMAL;
    pctl(s, 0.5, &out);
    EXPECT_EQ(out, 2.0);
    for (uint32_t d : {DIST_WEIBULL, DIST_EXPONENTIAL}) {
        s->optsw.distcode = d;
        pctl(s, 0.5, &out);
        EXPECT_DOUBLE_EQ(out, 2.0 + 0.5 * std::log(std::log(2.0))) << d;
    }
    s->optsw.distcode = DIST_LOGISTIC;
    pctl(s, 0.9, &out);
    EXPECT_DOUBLE_EQ(out, 2.0 + 0.5 * std::log(9.0));
    for (double p : {0.0, 1.0, -0.5}) {
        pctl(s, p, &out);
        EXPECT_TRUE(std::isnan(out)) << p;
    }
    out = 7.0;
    s->optsw.distcode = DIST_GAMMA;   // no quantile here: the value stays
    pctl(s, 0.5, &out);
    EXPECT_EQ(out, 7.0);
}

// The percentile records cover the frame's tick range widened by one tick on each side,
// never beyond the list.
TEST_F(Limits, TickRangeWidenedWithinTheList) {
    fitted(0.0, 1.0, 0.01, 0.0, 0.01);
    s->optsw.distcode = DIST_NORMAL;
    pcts = {1, 5, 10, 50, 90, 99};
    usepcts();
    std::vector<double> recs(pcts.size() * PCT_WORDS, -1.0);
    g->pcttab = recs.data();
    frame.pfirst = frame.pfirst2 = 2;
    frame.plast = 3;
    frame.plast2 = 3;
    vyxpper(s, g);
    EXPECT_EQ(recs[0], -1.0);
    for (int k = 1; k <= 4; ++k) EXPECT_NEAR(recs[k * PCT_WORDS], zprobit(pcts[k] / 100.0), 1e-15) << k;
    EXPECT_EQ(recs[5 * PCT_WORDS], -1.0);
    // A range at both ends of the list: exactly the list (the sanitizer watches the ends).
    std::vector<double> exact(pcts.size() * PCT_WORDS);
    g->pcttab = exact.data();
    frame.pfirst = frame.pfirst2 = 0;
    frame.plast = frame.plast2 = 5;
    vyxpper(s, g);
    EXPECT_NEAR(exact[5 * PCT_WORDS], zprobit(0.99), 1e-15);
}

// Wald limits of a percentile: none at or within 1000 x 2^-53 of probabilities 0 and 1;
// both equal to the estimate when its variance is 0.
TEST_F(Limits, PercentileLimitsAtTheirEdges) {
    fitted(1.0, 2.0, 0.04, 0.01, 0.09);
    s->optsw.distcode = DIST_WEIBULL;
    s->optsw.alpha = 0.05;
    for (double p : {0.0, 1.0, 1e-14, 1.0 - 1e-14, std::nan("")}) {
        double rec[PCT_WORDS] = {};
        cflim(s, p, rec);
        EXPECT_TRUE(std::isnan(rec[PCT_LOWER]) && std::isnan(rec[PCT_UPPER])) << p;
    }
    double rec[PCT_WORDS] = {};
    rec[PCT_EST] = 3.0;
    cflim(s, 0.3, rec);
    const double w = std::log(-std::log(0.7));
    const double se = std::sqrt(0.04 + 2 * w * 0.01 + w * w * 0.09);
    EXPECT_NEAR(rec[PCT_SE], se, 1e-15);
    EXPECT_NEAR(rec[PCT_LOWER], 3.0 - 1.959963984540054 * se, 1e-12);
    fitted(1.0, 2.0, 0.0, 0.0, 0.0);
    cflim(s, 0.3, rec);
    EXPECT_EQ(rec[PCT_LOWER], 3.0);
    EXPECT_EQ(rec[PCT_UPPER], 3.0);
}

// Survival records: a scale below 1000 x 2^-53 or a missing time gives missing values; a
// log-scale distribution at a time at or below 0 (SURVTIME under the THRESHOLD) has survival 1.
TEST_F(Limits, SurvivalAtItsEdges) {
    s->optsw.distcode = DIST_LOGNORMAL;
    fitted(1.0, 1e-14, 0.01, 0.0, 0.01);
    double rec[PCT_WORDS] = {};
    sflim(s, g, 5.0, rec);
    EXPECT_TRUE(std::isnan(rec[PCT_EST]) && std::isnan(rec[PCT_LOWER]) && std::isnan(rec[PCT_UPPER]));
    fitted(1.0, 0.5, 0.01, 0.0, 0.01);
    sflim(s, g, std::nan(""), rec);
    EXPECT_TRUE(std::isnan(rec[PCT_EST]));
    for (double t : {0.0, -3.0}) {
        sflim(s, g, t, rec);
        EXPECT_EQ(rec[PCT_EST], 1.0) << t;
        EXPECT_EQ(rec[PCT_LOWER], 1.0) << t;
    }
    s->optsw.distcode = DIST_NORMAL;   // on the time scale a negative time is an ordinary value
    sflim(s, g, -3.0, rec);
    EXPECT_NEAR(rec[PCT_EST], 1.0 - zprbnrm(-8.0), 1e-15);
}

// Wald limits of the scale are taken on the log scale; a scale so uncertain that
// z se / sigma exceeds the range of exp has limits (0, infinity), shown missing (once they
// collapsed to sigma itself). A percentile beyond exp's range has no time and no limits.
TEST_F(Limits, ScaleLimitsOfAnUncertainScaleAndPercentilesBeyondRange) {
    s->optsw.distcode = DIST_WEIBULL;
    fitted(1.0, 0.5, 0.01, 0.0, 0.0025);
    vyxconf(s, g);
    EXPECT_NEAR(s->life.parmlim[2], 0.5 / std::exp(1.959963984540054 * 0.05 / 0.5), 1e-15);
    EXPECT_NEAR(s->life.parmlim[3], 0.5 * std::exp(1.959963984540054 * 0.05 / 0.5), 1e-15);
    fitted(1.0, 0.5, 0.01, 0.0, 1e300);
    vyxconf(s, g);
    EXPECT_TRUE(std::isnan(s->life.parmlim[2]));
    EXPECT_TRUE(std::isnan(s->life.parmlim[3]));

    fitted(800.0, 0.5, 0.01, 0.0, 0.01);
    usepcts();
    std::vector<double> a(pcts.size() * PCT_WORDS), b(pcts.size() * PCT_WORDS);
    g->pcttab = a.data();
    g->pcttab2 = b.data();
    vyxpper(s, g);
    vyxconf(s, g);
    EXPECT_TRUE(std::isnan(b[PCT_TIME]));
    EXPECT_TRUE(std::isnan(b[PCT_LOWER]) && std::isnan(b[PCT_UPPER]));
    EXPECT_EQ(b[PCT_EST], 0.99);
}

// A limit search that finds one end only: the other stays missing, the one found goes to the
// side the comparison with the estimate gives.
TEST_F(Limits, OneEndedLikelihoodRatioSearch) {
    prepare("fans", "weibull");
    ASSERT_EQ(vyxdfit(s, g), 0);
    const double mu = s->life.parmvec.block[0];
    int oneended = 0;
    s->life.fit.lrflags[LR_PARMS] = 1;
    for (int maxeval = 1; maxeval <= 12; ++maxeval) {
        s->life.fit.maxiter = maxeval;
        vyxconf(s, g);
        const bool lo = !std::isnan(s->life.lrlim[0]), hi = !std::isnan(s->life.lrlim[1]);
        if (lo) {
            EXPECT_LT(s->life.lrlim[0], mu) << maxeval;
        }
        if (hi) {
            EXPECT_GT(s->life.lrlim[1], mu) << maxeval;
        }
        oneended += lo != hi;
    }
    EXPECT_GT(oneended, 0);
}

// Likelihood-ratio limits need a converged fit: without one, message 510/565 and Wald limits.
TEST_F(Limits, NoLikelihoodRatioLimitsWithoutConvergence) {
    prepare("fans", "weibull");
    s->life.fit.maxiter = 2;
    s->life.fit.lrflags[LR_PARMS] = 1;
    ASSERT_EQ(vyxdfit(s, g), 0);
    EXPECT_EQ(s->life.fit.itstatus[1], 2u);
    EXPECT_TRUE(log.has('W', "Likelihood-ratio limits are not computed")) << log.all();
    EXPECT_EQ(s->life.ciptr, nullptr);
}

}  // namespace
