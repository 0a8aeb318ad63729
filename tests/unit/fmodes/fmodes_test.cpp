// Failure modes combined as competing risks: the starting values and non-iterative fits of
// one mode against R (tests/data/fmodes/reference.R), the combined estimate F = 1 - S1 S2
// with its delta-method limits against numerical derivatives, and the curve interpolation.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/devgraph/devgraph.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/stdquant.h"
#include "tests/support/hostfixture.h"
#include "tests/support/reference.h"

namespace {

// Product-limit plotting positions: the running survival is the carry.
double kmpos(double a, double, double, double* carry, double d) {
    *carry = *carry * (a - d) / a;
    return 1 - *carry;
}

class FmodesTest : public StateTest {
protected:
    grpnode g{};
    std::vector<double> rows;
    // Per mode: location, scale, packed covariance.
    double loc[2] = {}, scl[2] = {}, cov[2][3] = {};
    double* covp[2] = {cov[0], cov[1]};
    int32_t used[2] = {1, 1};

    void SetUp() override {
        StateTest::SetUp();
        s->inwork.rspkind = FORM_CENSOR;
        s->inputw.rspform[RF_CENSOR] = 1;
        s->inputw.nfreq = 1;
        s->poptw.pflags.fmcombine = 1;
        s->optsw.rowlay[1] = 4;   // ln time, code, weight, mode
        s->life.fit.npar.total = 2;
        s->optsw.quant_fn = vyxiwb;
        s->life.ppos_fn = kmpos;
        s->life.pposcode = 3;
        s->life.fit.prob_fn[0] = zprblwb;
        s->life.fit.prob_fn[1] = zprbwwb;
        s->life.fit.itopts[IT_PSTABLE] = hostmissing();
        std::strcpy(s->life.parmfree, "11");
        s->groups.fmodeset.nvals = 2;
        s->life.fmloc = loc;
        s->life.fmscale = scl;
        s->life.fmcov = covp;
        s->life.fmused = used;

        // The rows of reference.R, times on the ln scale, sorted by time.
        const RefTable t = readRef("fmodes/rows.txt");
        for (size_t i = 0; i < t.rows.size(); ++i) {
            rows.insert(rows.end(), {std::log(t.at(i, "t")), t.at(i, "code"), t.at(i, "w"), t.at(i, "m")});
            g.totw += t.at(i, "w");
            g.nobs += 1;
        }
        g.rowbuf = rows.data();
        g.tmin = 1e300;
        g.tmax = -1e300;
    }

    int start(uint32_t method, int mode) {
        s->work.fitmethod = method;
        s->groups.fmodeset.curmode = mode;
        return vyxfmi(s, &g);
    }
    void setmodes() {
        const RefTable ml = readRef("fmodes/mlfits.txt");
        for (int i = 0; i < 2; ++i) {
            loc[i] = ml.at(i, "mu");
            scl[i] = ml.at(i, "sigma");
            cov[i][0] = ml.at(i, "vmu");
            cov[i][1] = ml.at(i, "cov");
            cov[i][2] = ml.at(i, "vsigma");
        }
    }
};

// The weighted least-squares line of each mode on the same points and positions as R's lm
// with weights=; the last failure of mode 0 has position 1 and stays out of the line and
// of its means.
TEST_F(FmodesTest, LeastSquaresOfEachModeAgreeWithWeightedLm) {
    const RefTable t = readRef("fmodes/lsfits.txt");
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const int mode = static_cast<int>(t.at(i, "mode"));
        const uint32_t method = static_cast<uint32_t>(t.at(i, "method"));
        ASSERT_EQ(start(method, mode), 0) << log.all();
        const std::string at = "mode " + std::to_string(mode) + " method " + std::to_string(method);
        EXPECT_LT(relDiff(g.loc, t.at(i, "loc")), 1e-12) << at;
        EXPECT_LT(relDiff(g.scale, t.at(i, "scale")), 1e-12) << at;
        EXPECT_LT(relDiff(g.rsq, t.at(i, "rsq")), 1e-12) << at;
    }
    EXPECT_EQ(g.wfail, 6.0);   // the last fit, of mode 1: its own failures only
    EXPECT_DOUBLE_EQ(g.tmin, std::log(1.2));
    EXPECT_DOUBLE_EQ(g.tmax, std::log(8.8));
}

// Median ranks of one mode where censored rows and failures of the other mode carry several
// units (whole and fractional): the same line as with every unit a row of its own, since
// Johnson's increment after a censored row of w units is that after its last unit. The mode's
// failures are single units, so both data give the same points.
TEST_F(FmodesTest, CensoredFreqRowsRankAsTheirUnitsDo) {
    s->life.ppos_fn = vyxmrnk;
    s->life.pposcode = 1;
    // ln time, code, weight, mode
    const std::vector<std::array<double, 4>> freq = {{0.1, 0, 1, 0}, {0.2, -1, 3, 0}, {0.3, 0, 1, 0}, {0.4, 0, 2, 1},
                                                     {0.5, 0, 1, 0}, {0.6, -1, 2.5, 0}, {0.7, 0, 1, 0}, {0.8, 0, 1, 0}};
    double fit[2][3];
    for (int split = 0; split < 2; ++split) {
        rows.clear();
        g.totw = 0;
        g.nobs = 0;
        for (const auto& r : freq) {
            const int pieces = split ? static_cast<int>(std::ceil(r[2])) : 1;
            for (int k = 0; k < pieces; ++k) {
                const double w = !split ? r[2] : k + 1 < pieces ? 1.0 : r[2] - (pieces - 1);
                rows.insert(rows.end(), {r[0], r[1], w, r[3]});
                g.totw += w;
                g.nobs += 1;
            }
        }
        g.rowbuf = rows.data();
        ASSERT_EQ(start(FIT_LSYX, 0), 0) << log.all();
        fit[split][0] = g.loc;
        fit[split][1] = g.scale;
        fit[split][2] = g.rsq;
    }
    for (int i = 0; i < 3; ++i) EXPECT_LT(relDiff(fit[0][i], fit[1][i]), 1e-13) << i;
}

TEST_F(FmodesTest, WeibayesTakesTheConfidenceFromItsLogForm) {
    const RefTable t = readRef("fmodes/weibayes.txt");
    s->life.givenparms[GP_SCALE] = t.at(0, "scale");
    s->life.wbconf = -std::log(1 - 0.95);   // as ANALYZE stores CONF=0.95
    ASSERT_EQ(start(6, 0), 0) << log.all();
    EXPECT_LT(relDiff(g.loc, t.at(0, "loc")), 1e-12);
    EXPECT_EQ(g.scale, t.at(0, "scale"));

    s->life.givenparms[GP_SCALE] = 1e-4;   // the last time lies too far above the first
    EXPECT_EQ(start(6, 0), 1);
    EXPECT_TRUE(log.has('E', "Weibayes")) << log.all();
}

TEST_F(FmodesTest, MaximumLikelihoodStartsAtAPercentileOfTheLeastSquaresLine) {
    // Mode 0: 8 of 18 units fail (weights), so the start is at p = 0.5 * 8 / 18.
    ASSERT_EQ(start(1, 0), 0);
    EXPECT_DOUBLE_EQ(g.prob, 0.5 * 8 / 18);
    EXPECT_DOUBLE_EQ(g.quant, vyxiwb(g.prob));
    EXPECT_DOUBLE_EQ(g.loc, g.pctl);

    // One failure of weight 1 among censored rows: no line, the group's mean and sd.
    rows = {0.1, 0, 1, 0, 0.5, -1, 1, 0, 0.9, 0, 1, 1};
    g.rowbuf = rows.data();
    g.nobs = 3;
    g.totw = 3;
    g.wmean = 0.5;
    g.wsd = 0.4;
    ASSERT_EQ(start(1, 0), 0);
    EXPECT_DOUBLE_EQ(g.pctl, 0.5 + vyxiwb(1.0 / 3) * 0.4);
    // Two failures of ten without PSTABLE: the start is at 0.5 * 2 / 10.
    std::vector<double> ten;
    for (int i = 0; i < 10; ++i) ten.insert(ten.end(), {0.1 * (i + 1), i < 2 ? 0.0 : -1.0, 1, 0});
    g.rowbuf = ten.data();
    g.nobs = 10;
    g.totw = 10;
    ASSERT_EQ(start(1, 0), 0);
    EXPECT_DOUBLE_EQ(g.prob, 0.1);
    g.rowbuf = rows.data();
    g.nobs = 3;
    g.totw = 3;
    // A mode without failures cannot be fitted.
    rows[3] = 1;
    EXPECT_EQ(start(1, 0), 1);
    EXPECT_TRUE(log.has('W', "right-censored")) << log.all();
}

// The likelihood of each mode counts that mode's failures only: at survreg's estimates with
// the other mode censored, the log-likelihood is R's plus the log-time Jacobian of the mode's
// failures, and the gradient vanishes.
TEST_F(FmodesTest, EachModesLikelihoodIsTheFitWithTheOtherModesCensored) {
    const RefTable ml = readRef("fmodes/mlfits.txt");
    double x[2], grad[2], hess[3];
    s->life.fit.fitarr.est = x;
    s->life.fit.fitarr.grad = grad;
    s->life.fit.fitarr.hess = hess;
    s->life.fit.npar.free = 2;
    s->groups.curfit = &g;
    for (int mode = 0; mode < 2; ++mode) {
        ASSERT_EQ(start(1, mode), 0);
        double jacobian = 0;
        for (size_t i = 0; i < rows.size(); i += 4)
            if (rows[i + 1] == 0 && rows[i + 3] == mode) jacobian += rows[i + 2] * rows[i];
        const double mu = ml.at(mode, "mu"), sigma = ml.at(mode, "sigma");
        x[0] = mu + g.quant * sigma;   // the iteration works with the percentile
        x[1] = sigma;
        s->life.likcache.valid = 0;
        ASSERT_EQ(vyxlik(s, 0), 0);
        EXPECT_NEAR(s->life.fit.loglik.current, ml.at(mode, "loglik") + jacobian, 1e-9) << "mode " << mode;
        ASSERT_EQ(vyxlik(s, 1), 0);
        EXPECT_NEAR(grad[0], 0.0, 1e-5) << "mode " << mode;
        EXPECT_NEAR(grad[1], 0.0, 1e-5) << "mode " << mode;
    }
}

// F(t) of the usable modes against a direct computation, and its limits against the delta
// method with numerical derivatives of F in each mode's (mu, sigma).
TEST_F(FmodesTest, CombinedEstimateAndLimitsAgainstNumericalDerivatives) {
    setmodes();
    const double z = zprobit(0.975);
    auto surv = [](double x, double mu, double sigma) { return std::exp(-std::exp((x - mu) / sigma)); };
    auto check = [&](double x, int nmodes) {
        double S = 1, var = 0;
        for (int i = 0; i < nmodes; ++i) S *= surv(x, loc[i], scl[i]);
        for (int i = 0; i < nmodes; ++i) {
            // dF/dtheta_i = -(S / S_i) dS_i/dtheta_i, by central differences.
            const double h = 1e-6, rest = S / surv(x, loc[i], scl[i]);
            const double dm = -rest * (surv(x, loc[i] + h, scl[i]) - surv(x, loc[i] - h, scl[i])) / (2 * h);
            const double ds = -rest * (surv(x, loc[i], scl[i] + h) - surv(x, loc[i], scl[i] - h)) / (2 * h);
            var += dm * dm * cov[i][0] + 2 * dm * ds * cov[i][1] + ds * ds * cov[i][2];
        }
        const double F = 1 - S, w = z * std::sqrt(var) / (F * S);
        double rec[FM_WORDS];
        ASSERT_EQ(fmest(s, x, rec), 0);
        const std::string at = "x " + std::to_string(x) + " modes " + std::to_string(nmodes);
        EXPECT_LT(relDiff(rec[FM_F], F), 1e-13) << at;
        EXPECT_LT(relDiff(rec[FM_LOWER], F / (F + S * std::exp(w))), 1e-7) << at;
        EXPECT_LT(relDiff(rec[FM_UPPER], F / (F + S * std::exp(-w))), 1e-7) << at;
        // The spread word holds sqrt(V S), V the variance of -ln S: not the standard error of F.
        EXPECT_LT(relDiff(rec[FM_SPREAD], std::sqrt(var / (S * S) * S)), 1e-7) << at;
    };
    for (double x : {std::log(2.0), std::log(5.0), std::log(9.0)}) check(x, 2);
    // One usable mode: the combined F is that mode's distribution function.
    used[1] = 0;
    for (double x : {std::log(2.0), std::log(9.0)}) check(x, 1);
    used[1] = 1;

    // Far below every mode F is 0 and the limits are 0 and 1.
    double rec[FM_WORDS];
    ASSERT_EQ(fmest(s, -60.0, rec), 0);
    EXPECT_EQ(rec[FM_F], 0.0);
    EXPECT_EQ(rec[FM_LOWER], 0.0);
    EXPECT_EQ(rec[FM_UPPER], 1.0);
    // NOCONF: the estimate alone, the limit words missing.
    s->work.noconf = 1;
    ASSERT_EQ(fmest(s, std::log(5.0), rec), 0);
    EXPECT_TRUE(std::isnan(rec[FM_LOWER]) && std::isnan(rec[FM_UPPER]) && std::isnan(rec[FM_SPREAD]));
}

TEST_F(FmodesTest, InterpolationInTheCurveTakesTheSegmentThatStartsAtAPoint) {
    double recs[3 * FM_WORDS] = {};
    const double xs[3] = {1, 2, 4}, fs[3] = {0.1, 0.3, 0.7};
    for (int k = 0; k < 3; ++k) {
        recs[k * FM_WORDS + FM_X] = xs[k];
        recs[k * FM_WORDS + FM_F] = fs[k];
    }
    double x = 2, y = -1;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 0), 0);
    EXPECT_DOUBLE_EQ(y, 0.3);
    x = 3;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 0), 0);
    EXPECT_DOUBLE_EQ(y, 0.5);
    x = 4;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 0), 1);
    EXPECT_DOUBLE_EQ(y, 0.7);
    x = 0.5;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 0), -1);
    EXPECT_DOUBLE_EQ(y, 0.1);
    y = 0.2;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 1), 0);
    EXPECT_DOUBLE_EQ(x, 1.5);
    x = y = 9;
    EXPECT_EQ(fmint(s, &x, &y, recs, 3, 2), 0);
    EXPECT_EQ(x, 9);
}

// The curve over the life axis: whole decades of the data range (statistical graphics), or
// evenly over the drawn axis (device plot), each point holding fmest at its time.
TEST_F(FmodesTest, CurvePointsSpanTheLifeAxisAndHoldTheCombinedEstimate) {
    setmodes();
    s->optsw.logscale[0] = 1;
    s->optsw.npoints = 3;
    s->optsw.rdxgraph = 1;
    s->work.axlim[AX_DATALO] = 2;
    s->work.axlim[AX_DATAHI] = 900;
    ASSERT_EQ(fmcdf(s), 0);
    double rec[FM_WORDS];
    const double decades[4] = {1, 10, 100, 1000};
    for (int k = 0; k < 4; ++k) {
        const double* c = s->life.fmcurve + k * FM_WORDS;
        EXPECT_NEAR(c[FM_X], decades[k], 1e-12 * decades[k]);
        ASSERT_EQ(fmest(s, std::log(decades[k]), rec), 0);
        EXPECT_DOUBLE_EQ(c[FM_F], rec[FM_F]);
        EXPECT_DOUBLE_EQ(c[FM_LOWER], rec[FM_LOWER]);
    }
    // A linear axis: the data range widened by a tenth on each side.
    s->optsw.logscale[0] = 0;
    s->work.axlim[AX_DATALO] = 0;
    s->work.axlim[AX_DATAHI] = 9;
    ASSERT_EQ(fmcdf(s), 0);
    EXPECT_DOUBLE_EQ(s->life.fmcurve[FM_X], -0.9);
    EXPECT_DOUBLE_EQ(s->life.fmcurve[3 * FM_WORDS + FM_X], 9.9);

    // Device plot, horizontal life axis of length 100 from 10, offset 10, 50 per unit of
    // log10 time: the points lie at log10 t = 0, 2/3, 4/3, 2.
    plotlay frame{};
    frame.fw = 100;
    frame.fx = 10;
    frame.hoff = 10;
    frame.hfac = 50;
    frame.fh = 1;
    frame.vfac = 1;
    s->plot.frame = &frame;
    s->optsw.rdxgraph = 0;
    s->optsw.logscale[0] = 1;
    ASSERT_EQ(fmcdf(s), 0);
    for (int k = 0; k < 4; ++k) {
        const double* c = s->life.fmcurve + k * FM_WORDS;
        EXPECT_NEAR(c[FM_X], 2.0 * k / 3, 1e-14);
        ASSERT_EQ(fmest(s, c[FM_X] * std::log(10.0), rec), 0);
        EXPECT_NEAR(c[FM_F], rec[FM_F], 1e-15);
    }
}

}  // namespace
