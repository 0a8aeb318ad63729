// The log-likelihood of a group and its derivatives over every response form, the rows
// in memory or read back from a utility file, and the fit's iteration rules.
#include "tests/unit/lifedist/fitfixture.h"

#include <cfloat>

#include "proc/numeric/optimizer.h"

using namespace fittest;

namespace {

class Likelihood : public FitTest {
protected:
    double fitspace[64] = {};
    // Current estimates (t, sigma) with the centring quantile z.
    void at(double t, double sigma, double z = 0.0) {
        s->life.fit.fitarr.est = fitspace;
        s->life.fit.fitarr.grad = fitspace + 8;
        s->life.fit.fitarr.hess = fitspace + 16;
        s->life.fit.fitarr.work = fitspace + 32;
        fitspace[0] = t;
        fitspace[1] = sigma;
        g->quant = z;
        s->groups.curfit = g;
        s->life.fit.npar.free = 2;
    }
    double value() {
        EXPECT_EQ(vyxlik(s, 0), 0);
        return s->life.fit.loglik.current;
    }
    // Gradient and Hessian of minus the log-likelihood by central differences of the value.
    void numeric(double* grad, double* hess) {
        const double x0[2] = {fitspace[0], fitspace[1]};
        auto f = [&](double a, double b) {
            fitspace[0] = a;
            fitspace[1] = b;
            return -value();
        };
        const double h = 1e-4;
        grad[0] = (f(x0[0] + h, x0[1]) - f(x0[0] - h, x0[1])) / (2 * h);
        grad[1] = (f(x0[0], x0[1] + h) - f(x0[0], x0[1] - h)) / (2 * h);
        const double f0 = f(x0[0], x0[1]);
        hess[0] = (f(x0[0] + h, x0[1]) - 2 * f0 + f(x0[0] - h, x0[1])) / (h * h);
        hess[2] = (f(x0[0], x0[1] + h) - 2 * f0 + f(x0[0], x0[1] - h)) / (h * h);
        hess[1] = (f(x0[0] + h, x0[1] + h) - f(x0[0] + h, x0[1] - h) - f(x0[0] - h, x0[1] + h) +
                   f(x0[0] - h, x0[1] - h)) / (4 * h * h);
        fitspace[0] = x0[0];
        fitspace[1] = x0[1];
    }
    void expectderivatives() {
        double grad[2], hess[3];
        numeric(grad, hess);
        ASSERT_EQ(vyxlik(s, 1), 0);
        for (int i = 0; i < 2; ++i) EXPECT_NEAR(fitspace[8 + i], grad[i], 1e-5 * (1 + std::fabs(grad[i]))) << i;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(fitspace[16 + i], hess[i], 1e-4 * (1 + std::fabs(hess[i]))) << i;
    }
};

double F(double z) { return 1.0 / (1.0 + std::exp(-z)); }   // standard logistic

// READOUT rows (inspection time, failures found, units entered): the first gives
// left-censored failures, later ones interval failures, a drop in the units entered is
// withdrawn (right-censored) at the previous inspection, and the survivors of the last
// inspection are right-censored there.
TEST_F(Likelihood, ReadoutContributionsFollowTheUnitsAtRisk) {
    distname = "logistic";
    usedist("logistic");
    s->inwork.rspkind = FORM_READOUT;
    s->inputw.nfreq = 1;
    s->optsw.rowlay[0] = 100;
    s->optsw.rowlay[1] = 3;
    rowstore = {10, 2, 10, 20, 3, 8, 30, 1, 4};
    g->rowbuf = rowstore.data();
    g->nobs = 3;
    g->wfail = 0.0;
    at(20, 5);
    const double expect = 2 * std::log(F(-2)) + 3 * std::log(F(0) - F(-2)) + std::log(F(2) - F(0)) +
                          std::log(1 - F(0)) + 3 * std::log(1 - F(2));
    EXPECT_NEAR(value(), expect, 1e-12);
    expectderivatives();
    at(20, 1);   // a scale of exactly 1 skips the final division
    expectderivatives();
}

// Every mode of the lower/upper form (exact when the ends are equal, left, right,
// interval), with frequencies and a centring quantile: the value against the closed form,
// the gradient and Hessian against differences of the value.
TEST_F(Likelihood, IntervalFormValueAndDerivatives) {
    distname = "logistic";
    usedist("logistic");
    const double nan = std::nan("");
    userows({{12, 12, 2}, {nan, 8, 1}, {25, nan, 3}, {14, 22, 1.5}}, true);
    at(18 + 0.3 * 4, 4, 0.3);   // t = mu + z sigma with mu = 18
    auto lf = [](double z) { return std::log(F(z)) + std::log(1 - F(z)); };
    const double expect = 2 * (lf(-1.5) - std::log(4)) + std::log(F(-2.5)) + 3 * std::log(1 - F(1.75)) +
                          1.5 * std::log(F(1.0) - F(-1.0));
    EXPECT_NEAR(value(), expect, 1e-12);
    expectderivatives();
    // The other families through the same accumulation.
    for (const char* d : {"weibull", "normal"}) {
        SCOPED_TRACE(d);
        distname = d;
        usedist(d);
        userows({{12, 12, 2}, {nan, 8, 1}, {25, nan, 3}, {14, 22, 1.5}}, true);
        if (std::string(d) == "weibull") at(std::log(18.0) + 0.3 * 0.4, 0.4, 0.3);
        else at(18 + 0.3 * 4, 4, 0.3);
        expectderivatives();
        EXPECT_FALSE(s->step.stepend) << log.all();
    }
}

// The Weibull family's exact and right-censored rows take an inline copy of the extreme-value
// kernels that shares one exp between value and derivatives: it must give the kernels'
// own sums to the last bit, whether the derivatives come with the value or alone.
int sevvalue(int m, const double* z, const double* sh, double* o) { return zprblwb(m, z, sh, o); }
int sevslope(int m, const double* z, const double* sh, double* o) { return zprbwwb(m, z, sh, o); }

TEST_F(Likelihood, InlineExtremeValueRowsMatchTheKernels) {
    distname = "weibull";
    usedist("weibull");
    userows(dataset("fans"));
    double out[2][6];
    for (int k = 0; k < 2; ++k) {
        s->life.fit.prob_fn[0] = k ? sevvalue : zprblwb;
        s->life.fit.prob_fn[1] = k ? sevslope : zprbwwb;
        at(9.5, 0.8, -0.7);
        s->life.likcache.valid = 0;
        out[k][0] = value();
        ASSERT_EQ(vyxlik(s, 1), 0);   // from the sums kept by the value pass
        double kept[5];
        std::memcpy(kept, fitspace + 8, 2 * sizeof(double));
        std::memcpy(kept + 2, fitspace + 16, 3 * sizeof(double));
        s->life.likcache.valid = 0;
        ASSERT_EQ(vyxlik(s, 1), 0);   // a derivative pass of its own
        for (int i = 0; i < 2; ++i) EXPECT_EQ(fitspace[8 + i], kept[i]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(fitspace[16 + i], kept[2 + i]);
        std::memcpy(out[k] + 1, kept, sizeof kept);
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[0][i], out[1][i]) << i;
}

TEST_F(Likelihood, GroupWithoutRowsHasZeroLikelihood) {
    usedist("normal");
    userows({});
    at(3, 2);
    EXPECT_EQ(value(), 0.0);
    ASSERT_EQ(vyxlik(s, 1), 0);
    for (int i = 8; i < 8 + 2; ++i) EXPECT_EQ(fitspace[i], 0.0);
    for (int i = 16; i < 16 + 3; ++i) EXPECT_EQ(fitspace[i], 0.0);
}

// A vanishing (or not-a-number) scale and a refused interval give minus the largest double.
TEST_F(Likelihood, UnusableScaleOrObservationFailsTheEvaluation) {
    distname = "weibull";
    usedist("weibull");
    userows({{1, 1}, {2, 2}});
    for (double sigma : {1e-160, std::nan("")}) {
        at(0, sigma);
        EXPECT_EQ(value(), -DBL_MAX);
    }
    at(-800, 0.5);   // e^z overflows for every row
    EXPECT_EQ(value(), -DBL_MAX);
}

// A group of more than one buffer is read back block by block: the fit is the same; a file
// that ends early stops the step with 510/22.
TEST_F(Likelihood, RowsFromAUtilityFileFitLikeRowsInMemory) {
    prepare("fans", "weibull");
    ASSERT_EQ(vyxdfit(s, g), 0);
    const double mu = s->life.parmvec.block[0], sigma = s->life.parmvec.block[1], ll = g->loglik;

    const auto rows = dataset("fans");
    userows(rows);
    s->optsw.rowlay[0] = 16;   // five blocks, the last one short
    spillrows();
    crudestart(rows);
    ASSERT_EQ(vyxdfit(s, g), 0);
    EXPECT_EQ(s->life.parmvec.block[0], mu);
    EXPECT_EQ(s->life.parmvec.block[1], sigma);
    EXPECT_EQ(g->loglik, ll);

    g->nobs = 90;   // more observations than the file holds
    at(10, 1);
    EXPECT_EQ(vyxlik(s, 0), 1020);
    EXPECT_TRUE(log.has('E', "utility file")) << log.all();
    EXPECT_TRUE(s->step.stepend);
    EXPECT_EQ(s->life.fit.loglik.current, -DBL_MAX);
}

// The iteration callback: a parameter below 2^-7 in magnitude is judged by its absolute
// change, one of exactly 2^-7 by its relative change, and a change that is not a number
// never counts as converged.
TEST_F(Likelihood, ConvergenceTestOfTheIterationCallback) {
    at(0, 0);
    double prev[2];
    nrparm blk{};
    blk.xprev = prev;
    s->life.fit.optctl = &blk;
    s->life.fit.fitcrit.converge = 0.001;
    auto check = [&](double x, double before) {
        fitspace[0] = x;
        fitspace[1] = 1.0;
        prev[0] = before;
        prev[1] = 1.0;
        return centry(s);
    };
    EXPECT_EQ(check(0.0078, 0.0078 - 0.0009), 0);          // absolute 0.0009: within
    EXPECT_EQ(check(0.0078125, 0.0078125 - 0.0009), 1);    // relative 0.115: not within
    EXPECT_EQ(check(0.0078125, 0.0078125 * 0.9995), 0);    // relative 0.0005: within
    EXPECT_EQ(check(std::nan(""), 1.0), 1);
    EXPECT_EQ(check(1.0, std::nan("")), 1);
}

// Held parameters stay out of the iteration; every parameter held: no iteration, no
// limits, the node unchanged; a method that does not iterate leaves the fit arrays alone.
TEST_F(Likelihood, HeldParametersAndNonIteratingMethods) {
    prepare("bearings", "weibull");
    std::memcpy(s->life.parmfree, "CC", 2);
    g->loc = 4.4;
    g->scale = 0.5;
    ASSERT_EQ(vyxdfit(s, g), 0);
    EXPECT_TRUE(s->work.noconf);
    EXPECT_EQ(s->work.fitmethod, FIT_GIVEN);
    EXPECT_EQ(g->loc, 4.4);
    EXPECT_EQ(g->scale, 0.5);
    EXPECT_EQ(s->life.fit.fitcrit.niter, 0);
    EXPECT_EQ(s->life.fit.fitarr.est, nullptr);
    EXPECT_FALSE(log.has("criterion is satisfied")) << "no covariance step, no status";

    for (uint32_t m : {FIT_LSYX, FIT_LSXY, FIT_WEIBAYES}) {
        std::memcpy(s->life.parmfree, "11", 2);
        s->work.fitmethod = m;
        s->life.fit.fitarr.est = nullptr;
        ASSERT_EQ(vyxfit(s, g), 0);
        EXPECT_EQ(s->life.fit.fitarr.est, nullptr) << m;
    }
}

// The fit iterates in (t, sigma), t the percentile at the centring probability, and turns
// the estimates, gradient and Hessian into (mu, sigma): centring at the median (z = 0, no
// conversion) and at the 10th percentile give the same location, scale and covariance.
TEST_F(Likelihood, CentringPercentileDoesNotChangeTheFit) {
    double at50[6], at10[6];
    for (double p : {0.5, 0.1}) {
        prepare("fans", "lognormal");
        s->life.fit.fitcrit.converge = 1e-10;
        start(9.0, 1.2, p);
        ASSERT_EQ(vyxdfit(s, g), 0);
        std::memcpy(p == 0.5 ? at50 : at10, s->life.parmvec.block, sizeof at50);
        TearDown();
        SetUp();
    }
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(at10[i], at50[i], 2e-6 * std::fabs(at50[i])) << i;
    for (int i = 2; i < 6; ++i) EXPECT_NEAR(at10[i], at50[i], 1e-5 * std::fabs(at50[i])) << i;
}

}  // namespace
