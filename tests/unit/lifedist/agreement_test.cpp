// Agreement of the maximum-likelihood fits with R's survreg and with a profile-likelihood
// search written in R (tests/data/lifedist/survreg_reference.R): every distribution survreg
// can fit, on exact (ball bearings), right-censored (diesel fans) and interval-censored
// (breast cosmesis) data.
#include "tests/unit/lifedist/fitfixture.h"

#include <tuple>

using namespace fittest;

namespace {

const reference& ref() {
    static const reference r;
    return r;
}

double rel(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(b), 1e-300); }

class Agreement : public FitTest, public ::testing::WithParamInterface<std::tuple<std::string, std::string>> {
protected:
    std::string data() const { return std::get<0>(GetParam()); }
    std::string dist() const { return std::get<1>(GetParam()); }
    double r(const std::string& key) const { return ref()(data(), dist(), key); }
    bool fixed() const { return dist() == "exponential"; }
};

// Location, scale, covariance, Wald limits, log-likelihood and percentiles with their
// standard errors, with the default CONVERGE. The optimiser takes no step whose predicted
// decrease is below 1000 x 2^-53 x |loglik|; that, not CONVERGE, bounds how close the
// estimates come (2e-6 relative on these data, a tighter CONVERGE gains nothing), and the
// far percentiles and their limits carry the scale's error times |q(p)|.
TEST_P(Agreement, EstimatesCovarianceAndPercentilesMatchSurvreg) {
    {
        prepare(data(), dist());
        ASSERT_EQ(vyxdfit(s, g), 0);
        EXPECT_EQ(s->life.fit.itstatus[1], 0u) << log.all();
        const double* P = s->life.parmvec.block;
        EXPECT_LT(rel(P[0], r("mu")), 2e-6);
        EXPECT_LT(rel(P[1], fixed() ? 1.0 : r("sigma")), 2e-6);
        EXPECT_LT(rel(g->loglik, r("ll")), 1e-8);
        EXPECT_LT(rel(P[2] * P[2], r("var_mu")), 1e-5);
        if (!fixed()) {
            EXPECT_LT(rel(P[3] * P[3], r("var_sigma")), 1e-5);
            // The covariance measured against the spread of the two (it is 0 for exact normal data).
            EXPECT_LT(std::fabs(P[5] - r("cov")) / std::sqrt(r("var_mu") * r("var_sigma")), 1e-5);
            EXPECT_LT(rel(s->life.parmlim[2], r("wald_sigma_lo")), 1e-5);
            EXPECT_LT(rel(s->life.parmlim[3], r("wald_sigma_hi")), 1e-5);
        }
        EXPECT_LT(rel(s->life.parmlim[0], r("wald_mu_lo")), 1e-5);
        EXPECT_LT(rel(s->life.parmlim[1], r("wald_mu_hi")), 1e-5);
        // Percentiles come back on the time scale for the log-scale families (delta method);
        // survreg's "uquantile" is on the analysis scale.
        const int scale = distribution(dist()).scale;
        const double f = scale == 2 ? std::log(10.0) : 1.0;
        auto analysis = [&](double v) { return scale == 0 ? v : std::log(v) / f; };
        for (size_t k = 0; k < pcts.size(); ++k) {
            SCOPED_TRACE(pcts[k]);
            const std::string key = "pct" + std::to_string(static_cast<int>(pcts[k]));
            const double* rec = g->pcttab + k * PCT_WORDS;
            const double est = r(key), se = r(key + "_se");
            EXPECT_LT(rel(analysis(rec[PCT_EST]), est), 1e-5);
            EXPECT_LT(rel(scale == 0 ? rec[PCT_SE] : rec[PCT_SE] / (rec[PCT_EST] * f), se), 1e-5);
            const double z = 1.959963984540054;
            EXPECT_LT(rel(analysis(rec[PCT_LOWER]), est - z * se), 5e-5);
            EXPECT_LT(rel(analysis(rec[PCT_UPPER]), est + z * se), 5e-5);
        }
    }
}

// Likelihood-ratio limits of both parameters (and of percentiles where the reference has
// them) against the independent profile search, with a CONVERGE tight enough for 1e-6.
TEST_P(Agreement, LikelihoodRatioLimitsMatchProfileSearch) {
    prepare(data(), dist());
    s->life.fit.fitcrit.converge = 1e-10;
    s->life.fit.lrflags[0] = 1;
    const bool pctlimits = ref().has(data(), dist(), "lr_pct50_lo");
    s->life.fit.lrflags[1] = pctlimits;
    ASSERT_EQ(vyxdfit(s, g), 0);
    EXPECT_LT(rel(s->life.lrlim[0], r("lr_mu_lo")), 1e-6);
    EXPECT_LT(rel(s->life.lrlim[1], r("lr_mu_hi")), 1e-6);
    if (!fixed()) {
        EXPECT_LT(rel(s->life.lrlim[2], r("lr_sigma_lo")), 1e-6);
        EXPECT_LT(rel(s->life.lrlim[3], r("lr_sigma_hi")), 1e-6);
    }
    if (!pctlimits) return;
    const int scale = distribution(dist()).scale;
    for (size_t k = 0; k < pcts.size(); ++k) {
        SCOPED_TRACE(pcts[k]);
        const std::string key = "lr_pct" + std::to_string(static_cast<int>(pcts[k]));
        const double* rec = g->pcttab + k * PCT_WORDS;
        auto back = [&](double v) { return scale == 0 ? v : std::exp(v); };
        EXPECT_LT(rel(rec[PCT_LOWER], back(r(key + "_lo"))), 1e-6);
        EXPECT_LT(rel(rec[PCT_UPPER], back(r(key + "_hi"))), 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SurvregData, Agreement,
    ::testing::Combine(::testing::Values("bearings", "fans", "cosmesis"),
                       ::testing::Values("weibull", "exponential", "lognormal", "lognormal10", "loglogistic", "normal",
                                         "logistic", "extreme")),
    [](const auto& info) { return std::get<0>(info.param) + "_" + std::get<1>(info.param); });

}  // namespace
