// The MODEL fit on design rows made by the test: shape quantiles, starting values, the
// convergence test, the fit driver's failures, the covariance and status, Wald limits and the
// back-transformation, each at the edges the fit must handle.
#include <cfloat>

#include <array>

#include "proc/numeric/linalg.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/optimizer.h"
#include "runtime/output/texts.h"
#include "tests/unit/regression/fixture.h"
#include "proc/lifedist/lifedist_internal.h"

using namespace mdltest;

namespace {

TEST(ShapeQuantiles, BranchesAndValues) {
    double out[2];
    const double z = zprobit(0.3);
    // The normal limit up to |s| = 1/32, the bound included.
    ASSERT_EQ(vyxqgm(out, 0.3, std::array<double, 1>{1.0 / 32.0}.data()), 0);
    EXPECT_DOUBLE_EQ(out[0], z - 1.0 / 96.0);
    EXPECT_DOUBLE_EQ(out[1], -1.0 / 3.0);
    const double zero = 0.0;
    vyxqgm(out, 0.3, &zero);
    EXPECT_EQ(out[0], z);
    const double small = 0.02;
    vyxqgm(out, 0.5, &small);
    EXPECT_DOUBLE_EQ(out[0], -0.02 / 3.0);
    // Beyond it: central differences of chi-square quantiles. R: log(qgamma(0.3, 4) / 4) / 0.5
    // = -0.73944000774635066, its derivative in the shape -0.4941731148 (differences of 0.0002);
    // for the shape -0.5 the quantile is taken at 1 - p: -0.34884299019584153.
    const double half = 0.5, minushalf = -0.5, justover = 0.0313;
    ASSERT_EQ(vyxqgm(out, 0.3, &half), 0);
    EXPECT_NEAR(out[0], -0.73944000774635066, 1e-8);
    EXPECT_NEAR(out[1], -0.49417311479338366, 1e-7);
    ASSERT_EQ(vyxqgm(out, 0.3, &minushalf), 0);
    EXPECT_NEAR(out[0], -0.34884299019584153, 1e-8);
    ASSERT_EQ(vyxqgm(out, 0.3, &justover), 0);
    EXPECT_NE(out[1], -1.0 / 3.0);
    vyxqwb(out, 0.5, nullptr);
    EXPECT_DOUBLE_EQ(out[0], -0.36651292058166435);
    vyxqlg(out, 0.25, nullptr);
    EXPECT_DOUBLE_EQ(out[0], std::log(1.0 / 3.0));
}

class Fit : public ModelTest {
protected:
    // y = 1 + 0.5 x + noise on the log scale, x in 0..1; every fourth row right-censored.
    std::vector<obsrow> simple(int n, bool collinear = false) {
        std::vector<obsrow> d;
        for (int k = 0; k < n; ++k) {
            const double x = static_cast<double>(k % 10) / 9.0;
            obsrow o;
            o.cells = {lv(0), cv(x)};
            if (collinear) o.cells.push_back(cv(2.0 * x));
            o.y = 1.0 + 0.5 * x + 0.3 * std::sin(2.3 * k);
            o.code = k % 4 == 3 ? CEN_RIGHT : CEN_EXACT;
            d.push_back(o);
        }
        return d;
    }
    std::vector<effect> lin(bool collinear = false) {
        std::vector<effect> e = {{1, false, false}, {1, true, false}};
        if (collinear) e.push_back({1, true, false});
        return e;
    }
    std::vector<txthandle> names = std::vector<txthandle>(16);
};

TEST_F(Fit, CollinearColumnIsDroppedAndNamesKeepTheirPositions) {
    usefamily("weibull");
    userows(lin(true), {}, simple(40, true), false);
    ASSERT_EQ(fit(), 0);
    EXPECT_EQ(std::string(s->mdl.parmstat, 4), "11*1");
    EXPECT_EQ(s->mdl.parmmap[2], -1);
    EXPECT_EQ(s->mdl.parmmap[3], 2);
    // Parameter 4 (the scale) is named Prm4 although parameter 3 has no name.
    const auto* h = static_cast<txthandle*>(s->mdl.fit.parmnames);
    EXPECT_EQ(std::string(rt::out::textof(h[2])), "Prm4");
    afterfit();
    EXPECT_EQ(s->mdl.estdata[2], 0.0);
    EXPECT_EQ(s->mdl.stderrs[2], 0.0);
    EXPECT_EQ(s->mdl.fit.optrc, NR_CONVERGED);
}

TEST_F(Fit, StartingValuesAtTheirEdges) {
    usefamily("weibull");
    s->mdl.fit.maxiter = 0;   // the estimates stay at the start
    // A fixed intercept is not swept: it starts at its given value, unadjusted, and is held.
    s->mdl.intfix = 1;
    s->optsw.fixedparms[FP_INTERCEPT] = 0.7;
    userows(lin(), {}, simple(40), false, {0, 0.5}, {1, 0.5});
    vyxmfit(s);
    EXPECT_EQ(s->mdl.parmstat[0], 'C');
    EXPECT_EQ(s->mdl.fit.npar.free, 2);
    // A perfect least-squares fit still starts with a positive scale; one row uses the factor
    // 1 for its sum of squares.
    s->mdl.intfix = 0;
    s->optsw.fixedparms[FP_INTERCEPT] = hostmissing();
    std::vector<obsrow> exact;
    for (int k = 0; k < 6; ++k) exact.push_back({{lv(0), cv(k)}, 1.0 + 2.0 * k});
    userows(lin(), {}, exact, false);
    vyxmfit(s);
    EXPECT_GT(s->mdl.fit.fitarr.est[2], 0.0);
    userows({{1, false, false}}, {}, {{{lv(0)}, 2.0}}, false);
    vyxmfit(s);
    EXPECT_GT(s->mdl.fit.fitarr.est[1], 0.0);
    // INITIAL= values go to the columns after the intercept, times the column's scale; one
    // more value than columns is not used, a missing one leaves the least-squares start.
    std::vector<double> init = {0.25, 9.0};
    s->mdl.ninit[0] = 2;
    s->mdl.initvals[0] = init.data();
    userows(lin(), {}, simple(40), false, {0, 0.5}, {1, 0.5});
    vyxmfit(s);
    EXPECT_DOUBLE_EQ(s->mdl.fit.fitarr.est[1], 0.125);
    init[0] = hostmissing();
    vyxmfit(s);
    EXPECT_NE(s->mdl.fit.fitarr.est[1], 0.125);
}

TEST_F(Fit, ConvergenceTestOfTheIterations) {
    usefamily("weibull");
    userows(lin(), {}, simple(20), false);
    ASSERT_EQ(fit(), 0);
    nrparm blk{};
    std::vector<double> prev(4, 0.0);
    blk.xprev = prev.data();
    s->mdl.fit.optctl = &blk;
    double* x = s->mdl.fit.fitarr.est;
    const double c = std::ldexp(1.0, -10);
    s->mdl.fit.fitcrit.converge = c;
    // From 1/128 on the change is relative, below it absolute; a change equal to CONVERGE
    // does not go on.
    x[0] = 1.0, x[1] = 0.5, x[2] = 0.5;
    prev = {1.0, 0.5, 0.5, 0.0};
    EXPECT_EQ(mdl::centry(s), 0);
    prev[0] = 1.0 - c;
    EXPECT_EQ(mdl::centry(s), 0);
    prev[0] = 1.0 - 2 * c;
    EXPECT_EQ(mdl::centry(s), 1);
    x[0] = std::ldexp(1.0, -8), prev[0] = x[0] - c / 2;   // relatively 1/8, absolutely below c
    EXPECT_EQ(mdl::centry(s), 0);
    // An estimate that is not a number never counts as converged.
    x[0] = std::nan("");
    EXPECT_EQ(mdl::centry(s), 1);
    // No free parameter: converged at once.
    s->mdl.fit.npar.free = 0;
    EXPECT_EQ(mdl::centry(s), 0);
    s->mdl.fit.optctl = nullptr;
}

TEST_F(Fit, AFailedFitIsReportedAsNotConverged) {
    // A scale driven below the smallest usable value fails the derivative pass: the fit
    // reports a failure, never convergence, and the likelihood-ratio limits are off.
    usefamily("weibull");
    userows(lin(), {}, simple(30), false);
    s->mdl.fit.lrflags[LR_PARMS] = 1;
    s->optsw.fixedparms[FP_SCALE] = 1e-300;   // a start the likelihood cannot use
    ASSERT_EQ(vyxmfit(s), 0);
    EXPECT_NE(s->mdl.fit.optrc, NR_CONVERGED);
    EXPECT_EQ(s->mdl.fit.itprflag.converged, 0);
    EXPECT_EQ(s->mdl.fit.lrflags[LR_PARMS], 0);
    afterfit();
    EXPECT_TRUE(log.has('W', "failed")) << log.all();
    EXPECT_TRUE(log.has('W', "did not meet the convergence criterion")) << log.all();
    ASSERT_EQ(vyxmcl(s), 0);   // Wald limits although LRCL was asked for
}

TEST_F(Fit, StatusCovarianceAndScoreStatistics) {
    usefamily("weibull");
    userows(lin(), {}, simple(40), false);
    ASSERT_EQ(fit(), 0);
    afterfit();
    EXPECT_EQ(s->work.tblflags[TF_LAGRANGE], 0);
    // A large remaining gradient with the optimiser's success: status 2 and 510/730; a
    // criterion that is not a number is no convergence either.
    log.lines.clear();
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    s->mdl.fit.fitarr.grad[1] = 1e3;
    vyxmcov(s);
    EXPECT_TRUE(log.has('W', "exceeds CONVH")) << log.all();
    log.lines.clear();
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    s->mdl.fit.fitarr.grad[1] = std::nan("");
    vyxmcov(s);
    EXPECT_FALSE(log.has('N', "convergence criterion is satisfied")) << log.all();
    // A fixed scale near the estimate: its score statistic; far above it, where the
    // log-likelihood bends the other way, no curvature is left and the statistic is missing.
    const double sigma = s->mdl.estdata[2];
    s->mdl.scalefix = 1;
    s->optsw.fixedparms[FP_SCALE] = 1.1 * sigma;
    ASSERT_EQ(fit(), 0);
    afterfit();
    EXPECT_EQ(s->work.tblflags[TF_LAGRANGE], 1);
    EXPECT_TRUE(std::isfinite(s->mdl.lagmult[1]));
    s->optsw.fixedparms[FP_SCALE] = 4.0 * sigma;
    ASSERT_EQ(fit(), 0);
    afterfit();
    EXPECT_TRUE(std::isnan(s->mdl.lagmult[1]));
    // A free parameter without curvature: the Hessian is not positive definite, so no
    // parameter has a variance: errors and covariances missing (0 would claim certainty).
    s->mdl.scalefix = 0;
    s->optsw.fixedparms[FP_SCALE] = hostmissing();
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    s->mdl.fit.fitarr.hess[zisub(1, 1)] = -1.0;
    s->mdl.fit.fitarr.hess[zisub(1, 0)] = s->mdl.fit.fitarr.hess[zisub(2, 1)] = 0.0;
    vyxmcov(s);
    EXPECT_TRUE(std::isnan(s->mdl.stderrs[1]));
    EXPECT_TRUE(std::isnan(s->mdl.stderrs[0]));
    EXPECT_TRUE(std::isnan(s->mdl.covsave[zisub(1, 0)]));
    EXPECT_TRUE(std::isnan(s->mdl.covsave[zisub(2, 1)]));
}

TEST_F(Fit, WaldLimitsAtTheirEdges) {
    usefamily("weibull");
    userows(lin(), {}, simple(40), false);
    s->mdl.intfix = 1;
    s->optsw.fixedparms[FP_INTERCEPT] = 1.0;
    ASSERT_EQ(fit(), 0);
    afterfit();
    ASSERT_EQ(vyxmcl(s), 0);
    // A fixed parameter's limits are its value.
    EXPECT_EQ(s->mdl.climits[0], 1.0);
    EXPECT_EQ(s->mdl.climits[1], 1.0);
    // A scale not above 2^-53: (e, e). A Wald half-width beyond the range of exp: (0, infinity),
    // shown missing rather than collapsed to the estimate.
    s->mdl.estdata[2] = 1e-17;
    vyxmcl(s);
    EXPECT_EQ(s->mdl.climits[4], 1e-17);
    EXPECT_EQ(s->mdl.climits[5], 1e-17);
    s->mdl.estdata[2] = 0.5;
    s->mdl.stderrs[2] = 1e3;
    vyxmcl(s);
    EXPECT_TRUE(std::isnan(s->mdl.climits[4]));
    EXPECT_TRUE(std::isnan(s->mdl.climits[5]));
}

TEST_F(Fit, BackTransformationKeepsFixedAndClassColumns) {
    usefamily("normal");
    std::vector<obsrow> d;
    for (int k = 0; k < 30; ++k) d.push_back({{lv(0), cv(k % 5), lv(k % 3)}, 2.0 + 0.3 * (k % 5) + 0.2 * (k % 3) + 0.1 * std::sin(k)});
    userows({{1, false, false}, {1, true, false}, {3, false, true}}, {}, d, false, {0, 2.0, 0, 0, 0}, {1, 2.0, 1, 1, 1});
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    // estfit keeps the fitted parameterisation; estdata is on the data's scale: the slope
    // divided by its scale, the CLASS columns (centre 0, scale 1) as fitted.
    EXPECT_DOUBLE_EQ(s->mdl.estdata[1], s->mdl.estfit[1] / 2.0);
    EXPECT_DOUBLE_EQ(s->mdl.estdata[2], s->mdl.estfit[2]);
    EXPECT_DOUBLE_EQ(s->mdl.estdata[0], s->mdl.estfit[0] - s->mdl.estfit[1] * 2.0 / 2.0 - s->mdl.shiftq * s->mdl.estfit[5]);
    // A fixed intercept is not moved by the centring.
    s->mdl.intfix = 1;
    s->optsw.fixedparms[FP_INTERCEPT] = 2.0;
    userows({{1, false, false}, {1, true, false}, {3, false, true}}, {}, d, false, {0, 0, 0, 0, 0}, {1, 2.0, 1, 1, 1});
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    EXPECT_EQ(s->mdl.estdata[0], 2.0);
}

}  // namespace

namespace {

TEST_F(Fit, FailedTableEndsTheStep) {
    // The status table fails like every other table: the step ends with the output system's
    // code and nothing after it is computed.
    usefamily("weibull");
    userows(lin(), {}, simple(30), false);
    ASSERT_EQ(fit(), 0);
    vyxmxup(s);
    failtable("MConvergenceStatus");
    vyxmcov(s);
    EXPECT_EQ(s->step.stepend, 1);
    EXPECT_EQ(host->inst.exitcode, failrc);
    EXPECT_EQ(log.count('E'), 1) << log.all();
}

}  // namespace
