// The MODEL log-likelihood and its derivatives: the gradient and Hessian against finite
// differences of the log-likelihood, for one scale and for a scale per row (LOGSCALE), every
// censoring mode, frequencies, the log-gamma shape and packed (fixed) parameters.
#include <cfloat>

#include "tests/unit/regression/fixture.h"

using namespace mdltest;

namespace {

class Likelihood : public ModelTest {
protected:
    std::vector<double> b, g, H, prev, second;
    std::vector<int32_t> map;
    std::string stat;
    std::vector<long double> sums;
    std::vector<double> part, cache;

    // Arrays for p parameters, every one kept and free unless stat says otherwise.
    void arrays(int p, const std::string& status = "") {
        b.assign(p + 1, 0.0);
        g.assign(p + 1, 0.0);
        H.assign((p + 1) * (p + 2) / 2, 0.0);
        map.assign(p + 1, 0);
        for (int j = 0; j < p; ++j) map[j] = j;
        stat = status.empty() ? std::string(p, '1') : status;
        stat.push_back('\0');
        sums.assign((p + 1) + (p + 1) * (p + 2) / 2, 0.0L);
        part.assign(sums.size(), 0.0);
        cache.assign(sums.size() + p + 1, 0.0);
        s->mdl.fit.fitarr.est = b.data();
        s->mdl.fit.fitarr.grad = g.data();
        s->mdl.fit.fitarr.hess = H.data();
        s->mdl.parmmap = map.data();
        s->mdl.parmstat = stat.data();
        s->mdl.liksum = sums.data();
        s->mdl.likpart = part.data();
        s->mdl.mlikcache = cache.data();
        s->mdl.mlikcached = 0;
        s->mdl.fit.npar.total = s->mdl.fit.npar.model = p;
        int nfree = 0;
        for (int j = 0; j < p; ++j) nfree += stat[j] == '1';
        s->mdl.fit.npar.free = nfree;
    }
    // The estimates in parameter order are set packed, as the optimiser holds them.
    void set(const std::vector<double>& v) {
        for (size_t j = 0; j < v.size(); ++j) b[j] = v[j];
        if (s->mdl.fit.npar.total != s->mdl.fit.npar.free) vyxxpm(b.data(), s->mdl.parmstat, s->mdl.fit.npar.total, nullptr);
    }
    double ll(const std::vector<double>& v) {
        set(v);
        EXPECT_EQ(vyxmlik(s, 0), 0);
        return s->mdl.fit.loglik.current;
    }
    // Gradient and packed Hessian of minus the log-likelihood, in parameter order.
    void derivs(const std::vector<double>& v, std::vector<double>& gr, std::vector<double>& he) {
        set(v);
        EXPECT_EQ(vyxmlik(s, 1), 0);
        const int p = s->mdl.fit.npar.total;
        if (s->mdl.fit.npar.total != s->mdl.fit.npar.free) vyxxpm(g.data(), s->mdl.parmstat, p, H.data());
        gr.assign(g.begin(), g.begin() + p);
        he.assign(H.begin(), H.begin() + p * (p + 1) / 2);
    }

    // Central differences: the gradient from the log-likelihood, the Hessian from the gradient.
    void checkderivs(const std::vector<double>& v, double tol = 2e-6) {
        const int p = static_cast<int>(v.size());
        std::vector<double> gr, he;
        derivs(v, gr, he);
        for (int j = 0; j < p; ++j) {
            const double h = 1e-5 * std::max(1.0, std::fabs(v[j]));
            std::vector<double> up = v, dn = v;
            up[j] += h;
            dn[j] -= h;
            const double fd = -(ll(up) - ll(dn)) / (2 * h);
            EXPECT_NEAR(gr[j], fd, tol * std::max(1.0, std::fabs(fd))) << "gradient " << j;
            std::vector<double> gu, gd, hu, hd;
            derivs(up, gu, hu);
            derivs(dn, gd, hd);
            for (int i = j; i < p; ++i) {
                const double fh = (gu[i] - gd[i]) / (2 * h);
                const double an = he[i * (i + 1) / 2 + j];
                EXPECT_NEAR(an, fh, 50 * tol * std::max(1.0, std::fabs(fh))) << "Hessian " << i << "," << j;
            }
        }
    }

    // Rows of a model with an intercept, a continuous x and a CLASS effect of 3 levels, every
    // censoring mode, on a response around 1 to 3; with LOGSCALE an intercept and z.
    std::vector<obsrow> data(bool logscale, bool intervals) {
        std::vector<obsrow> d;
        for (int k = 0; k < 24; ++k) {
            const double x = 0.3 * (k % 7) - 0.8, z = 0.5 * (k % 5) - 1.0;
            obsrow o;
            o.cells = {lv(0), cv(x), lv(k % 3)};
            if (logscale) o.cells.insert(o.cells.end(), {lv(0), cv(z)});
            o.y = 1.0 + 0.4 * std::sin(1.7 * k) + 0.2 * x;
            o.code = CEN_EXACT;
            if (k % 4 == 1) o.code = CEN_RIGHT;
            if (intervals && k % 4 == 2) {
                o.code = CEN_INTERVAL;
                o.y2 = o.y + 0.3 + 0.05 * k;
            }
            if (intervals && k % 8 == 3) o.code = CEN_LEFT;
            o.w = 1.0 + (k % 3);
            d.push_back(o);
        }
        return d;
    }
    const std::vector<effect> model = {{1, false, false}, {1, true, false}, {3, false, true}};
    const std::vector<effect> scalemodel = {{1, false, false}, {1, true, false}};
};

TEST_F(Likelihood, OneScaleDerivativesMatchDifferencesForEveryFamilyAndMode) {
    for (const char* f : {"weibull", "normal", "logistic", "gamma"}) {
        SCOPED_TRACE(f);
        usefamily(f);
        userows(model, {}, data(false, true), true);
        s->mdl.shiftq = -0.4;
        const bool gam = s->mdl.gammafam;
        arrays(gam ? 7 : 6);
        std::vector<double> v = {1.1, 0.35, 0.2, -0.1, 0.05, 0.7};
        if (gam) v.push_back(0.6);
        checkderivs(v);
        // A scale of exactly 1 skips the final division; the derivatives are the same.
        v[5] = 1.0;
        checkderivs(v);
    }
}

TEST_F(Likelihood, ScalePerRowDerivativesMatchDifferences) {
    // With LOGSCALE the second derivative in the log scale takes the term of the first
    // derivative once (z B + A): twice would be wrong everywhere but at the maximum.
    for (const char* f : {"weibull", "normal", "logistic", "gamma"}) {
        SCOPED_TRACE(f);
        usefamily(f);
        userows(model, scalemodel, data(true, true), true);
        const bool gam = s->mdl.gammafam;
        arrays(gam ? 8 : 7);
        std::vector<double> v = {1.1, 0.35, 0.2, -0.1, 0.05, -0.4, 0.3};
        if (gam) v.push_back(-0.5);
        checkderivs(v);
    }
}

TEST_F(Likelihood, FixedParametersArePackedLastAndUnpackedBack) {
    usefamily("weibull");
    userows(model, {}, data(false, false), false);
    arrays(6, "C11C11");
    const std::vector<double> v = {0.9, 0.3, 0.1, 0.0, -0.2, 0.8};
    checkderivs(v);
    // The estimates come back packed as they went in.
    set(v);
    const std::vector<double> before(b.begin(), b.end());
    vyxmlik(s, 1);
    EXPECT_EQ(std::vector<double>(b.begin(), b.end()), before);
}

TEST_F(Likelihood, DroppedColumnContributesNothing) {
    usefamily("normal");
    userows(model, {}, data(false, true), false);
    arrays(6);
    std::vector<double> v = {1.0, 0.3, 0.2, -0.1, 0.0, 0.7};
    const double base = ll(v);
    map[4] = -1;
    v[4] = 5.0;
    EXPECT_DOUBLE_EQ(ll(v), base);
    std::vector<double> gr, he;
    derivs(v, gr, he);
    EXPECT_EQ(gr[4], 0.0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(he[i >= 4 ? i * (i + 1) / 2 + 4 : 4 * 5 / 2 + i], 0.0) << i;
}

int failingkernel(int, const double*, const double*, double*) { return 1; }

TEST_F(Likelihood, FailuresGiveTheLowestLogLikelihoodAndMarkTheDerivativePass) {
    usefamily("weibull");
    userows(model, {}, data(false, false), false);
    arrays(6);
    // A value kernel that refuses an observation: not fatal, the lowest log-likelihood.
    s->mdl.fit.prob_fn[0] = failingkernel;
    EXPECT_EQ(ll({1, 0, 0, 0, 0, 1}), -DBL_MAX);
    EXPECT_TRUE(log.lines.empty()) << log.all();
    usefamily("weibull");
    // A vanishing scale: the value is the lowest, and the derivative pass does not pretend
    // success: the failure is kept and the gradient is not a number.
    EXPECT_EQ(ll({1, 0, 0, 0, 0, 1e-160}), -DBL_MAX);
    s->mdl.likfail = 0;
    std::vector<double> gr, he;
    derivs({1, 0, 0, 0, 0, 1e-160}, gr, he);
    EXPECT_EQ(s->mdl.likfail, 1);
    EXPECT_TRUE(std::isnan(gr[0]));
    // With LOGSCALE a linear predictor beyond the range of exp does the same.
    userows(model, scalemodel, data(true, false), false);
    arrays(7);
    EXPECT_EQ(ll({1, 0, 0, 0, 0, 710.0, 0.0}), -DBL_MAX);
    s->mdl.likfail = 0;
    derivs({1, 0, 0, 0, 0, 710.0, 0.0}, gr, he);
    EXPECT_EQ(s->mdl.likfail, 1);
}

TEST_F(Likelihood, DerivativeKernelFailureEndsTheStep) {
    usefamily("weibull");
    userows(model, {}, data(false, false), false);
    arrays(6);
    s->mdl.fit.prob_fn[1] = failingkernel;
    std::vector<double> gr, he;
    derivs({1, 0, 0, 0, 0, 1}, gr, he);
    EXPECT_EQ(s->step.stepend, 1);
    EXPECT_TRUE(log.has('E', "derivative")) << log.all();
    EXPECT_EQ(host->inst.exitcode, 1008);
}

TEST_F(Likelihood, SubstituteKernelsGiveTheCrossProducts) {
    // Under zlnull and zwnull, with zero estimates and unit scale, the derivative pass is
    // X'WX and X'Wy.
    usefamily("weibull");
    userows({{1, false, false}, {1, true, false}}, {}, {{{lv(0), cv(1.0)}, 2.0, 0, CEN_EXACT, 2.0},
                                                       {{lv(0), cv(3.0)}, 5.0, 0, CEN_RIGHT, 1.0}},
            true);
    arrays(2);
    s->mdl.ndistp = 0;
    s->mdl.fit.prob_fn[0] = zlnull;
    s->mdl.fit.prob_fn[1] = zwnull;
    std::vector<double> gr, he;
    derivs({0, 0}, gr, he);
    EXPECT_DOUBLE_EQ(gr[0], 2 * 2.0 + 5.0);
    EXPECT_DOUBLE_EQ(gr[1], 2 * 2.0 * 1.0 + 5.0 * 3.0);
    EXPECT_DOUBLE_EQ(he[0], 3.0);
    EXPECT_DOUBLE_EQ(he[1], 2 * 1.0 + 3.0);
    EXPECT_DOUBLE_EQ(he[2], 2 * 1.0 + 9.0);
}

}  // namespace
