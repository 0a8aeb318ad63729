// A censored Weibull sample fitted by the Newton-Raphson minimiser on the extreme-value
// scale of log time, and its profile-likelihood limits, against R (survreg, and uniroot on
// the profile likelihood; see tests/data/numeric_optim/weibull_reference.R).
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "nrharness.h"
#include "proc/numeric/prci.h"
#include "support.h"

using namespace numtest;

namespace {

struct fitted {
    weibull_sample data = weibull_sample::load(datapath("weibull_sample.csv"));
    std::map<std::string, double> ref = readrefs(datapath("weibull_reference.csv"));
};

// Fits (mu, log sigma) from rough starting values with the fits' optimiser settings.
int fit(const weibull_sample& s, nrharness& h) {
    double mean = 0.0;
    for (double y : s.y) mean += y;
    h.x = {mean / s.y.size(), 0.0};
    h.f = [&s](const double* x) { return s.negll(x); };
    h.derivs = [&s](const double* x, double* g, double* H) { s.derivs(x, g, H); };
    h.ctl = {2, 0, 0, 0, 0, 0, 50, 0, 1, 1e7 * 1.1102230246251565e-16, 4096.0, 0.0625, 16.0};
    h.crit = 1e-12;
    return h.run();
}

struct limitsearch {
    const weibull_sample& s;
    std::vector<double> theta, base, grad, hess, c, low, upp;
    int32_t counter = 0;
    ciblk blk{};
    limitsearch(const weibull_sample& s_, const std::vector<double>& est, double negll,
                std::vector<double> cv)
        : s(s_), theta(est), base(2), grad(2), hess(3), c(std::move(cv)), low(3), upp(3) {
        wireblock(*this, 2, 50);
        blk.convcrit = 1e-10;
        blk.negllmax = negll;
    }
    static double lik(void* ctx, int32_t*) {
        auto* m = static_cast<limitsearch*>(ctx);
        return m->s.negll(m->theta.data());
    }
    static int32_t gradhess(void* ctx) {
        auto* m = static_cast<limitsearch*>(ctx);
        m->s.derivs(m->theta.data(), m->grad.data(), m->hess.data());
        return 0;
    }
    int32_t run() { return zprci(this, &blk, &lik, &gradhess, nullptr, nullptr); }
};

}  // namespace

TEST(WeibullFit, ReachesTheMaximumThatSurvregFinds) {
    fitted w;
    ASSERT_EQ(w.data.y.size(), 40u);
    nrharness h(2);
    ASSERT_EQ(fit(w.data, h), NR_CONVERGED);
    EXPECT_NEAR(h.x[0], w.ref["mu"], 1e-8 * std::fabs(w.ref["mu"]));
    EXPECT_NEAR(h.x[1], w.ref["logsigma"], 1e-8 * std::fabs(w.ref["logsigma"]));
    // R's log-likelihood is on the time scale: add the Jacobian of the log transform.
    EXPECT_NEAR(-h.blk.fval - w.data.eventlogsum(), w.ref["loglik"], 1e-9);
    EXPECT_LT(h.niter, 15);
}

TEST(WeibullFit, ProfileLikelihoodLimitsMatchAnIndependentRootSearch) {
    fitted w;
    nrharness h(2);
    ASSERT_EQ(fit(w.data, h), NR_CONVERGED);
    testpool pool;
    hostscope host(pool);
    const struct {
        std::vector<double> c;
        const char* lo;
        const char* hi;
    } cases[] = {{{1.0, 0.0}, "mu_lower", "mu_upper"}, {{0.0, 1.0}, "logsigma_lower", "logsigma_upper"}};
    for (const auto& k : cases) {
        limitsearch ls(w.data, h.x, h.blk.fval, k.c);
        ASSERT_EQ(ls.run(), 0) << k.lo;
        EXPECT_NEAR(ls.low[0], w.ref[k.lo], 1e-8 * std::fabs(w.ref[k.lo])) << k.lo;
        EXPECT_NEAR(ls.upp[0], w.ref[k.hi], 1e-8 * std::fabs(w.ref[k.hi])) << k.hi;
        // At each limit minus the log-likelihood sits q/2 above its minimum.
        EXPECT_NEAR(w.data.negll(ls.low.data() + 1) - h.blk.fval, 3.841458820694124 / 2, 1e-9);
        EXPECT_NEAR(w.data.negll(ls.upp.data() + 1) - h.blk.fval, 3.841458820694124 / 2, 1e-9);
    }
    EXPECT_EQ(pool.live, 0);
}
