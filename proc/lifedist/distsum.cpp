// The distribution fit summary of one group: the fit, the mean, mode, median and standard
// deviation of the fitted distribution, the covariance, the percentile and survival
// records with their limits, and the percentiles back on the time scale.
#include <cmath>
#include <cstring>

#include "proc/framework/memnum.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/lifedist/fitscale.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/quantiles.h"

using namespace fitx;

namespace {

constexpr double PI = 3.141592653589793;
constexpr double EULER = 0.5772;   // the mean of the extreme-value family uses four decimals

double gam(double x) {
    double v;
    return zgamma(x, &v) == 0 ? v : missing();
}
double power(double x, double y) {
    int rc;
    const double v = vx::zpower(x, y, &rc);
    return rc == vx::ZPOW_OK ? v : missing();
}
// A summary that overflowed (or could not be formed) is missing.
double orMissing(double v) { return std::isfinite(v) ? v : missing(); }

struct summary {
    double mean, mode, sd;
};

// Mean, mode and standard deviation of the fitted distribution before the threshold; false
// for the codes that have none (the node keeps its values).
bool summarize(uint32_t dist, double mu, double sigma, summary* r) {
    const double M = missing();
    switch (dist) {
        case DIST_NORMAL: *r = {mu, mu, sigma}; return true;
        case DIST_LOGNORMAL: {
            const double v = mu + sigma * sigma;
            r->mean = cappedexp(mu + sigma * sigma / 2.0);
            r->mode = cappedexp(mu - sigma * sigma);
            r->sd = v > EXP_OVER ? M : std::exp(v) * std::sqrt(1.0 - std::exp(-sigma * sigma));
            return true;
        }
        case DIST_LOGNORMAL10: {
            const double v = LN10 * (mu + LN10 * sigma * sigma);
            r->mean = cappedexp(LN10 * (mu + LN10 * sigma * sigma / 2.0));
            r->mode = cappedexp(LN10 * (mu - LN10 * sigma * sigma));
            r->sd = v > EXP_OVER ? M : std::exp(v) * std::sqrt(1.0 - std::exp(-LN10 * LN10 * sigma * sigma));
            return true;
        }
        case DIST_WEIBULL: {
            if (!(mu <= EXP_OVER && sigma > EPS53)) {
                *r = {M, M, M};
                return true;
            }
            const double e = std::exp(mu), g1 = gam(1.0 + sigma);
            r->mean = e * g1;
            r->mode = sigma < 1.0 ? e * power(1.0 - sigma, sigma) : 0.0;
            r->sd = std::sqrt(std::exp(2.0 * mu) * (gam(1.0 + 2.0 * sigma) - g1 * g1));
            return true;
        }
        case DIST_EXTREME: *r = {mu - EULER * sigma, mu, sigma * PI / std::sqrt(6.0)}; return true;
        case DIST_EXPONENTIAL: {
            const double m = cappedexp(mu);
            *r = {m, 0.0, m};
            return true;
        }
        case DIST_LOGISTIC: *r = {mu, mu, sigma * PI / std::sqrt(3.0)}; return true;
        case DIST_LOGLOGISTIC: {
            const double m = sigma < 1.0 && mu <= EXP_OVER ? std::exp(mu) * gam(1.0 + sigma) * gam(1.0 - sigma) : M;
            r->mean = m;
            r->mode = sigma < 1.0 ? std::exp(mu) * power((1.0 - sigma) / (1.0 + sigma), sigma) : 0.0;
            r->sd = sigma < 0.5 && 2.0 * mu <= EXP_OVER
                        ? std::sqrt(std::exp(2.0 * mu) * gam(1.0 + 2.0 * sigma) * gam(1.0 - 2.0 * sigma) - m * m)
                        : M;
            return true;
        }
        default: return false;
    }
}

double* records(vyxstate* s, int count) {
    const int64_t bytes = static_cast<int64_t>(count) * PCT_WORDS * static_cast<int64_t>(sizeof(double));
    auto* p = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::zeroed));
    if (!p) {
        xmemmsg(bytes);
        endstep(s, RC_NOMEM);
    }
    return p;
}

// The group's tick percentiles back on the time scale (the delta method for the standard error).
void backtransform(vyxstate* s, grpnode* g) {
    const int scale = analysisscale(s->opts.distcode);
    if (scale == SCALE_TIME || !g->pcttab || s->popt.panels.npct <= 0) return;
    const double f = scale == SCALE_LN ? 1.0 : LN10;
    const bool limits = s->work.fitmethod == FIT_MLE || bymodel(s);
    int lo, hi;
    ticks(s, &lo, &hi, false);
    for (int k = lo; k <= hi; ++k) {
        double* r = g->pcttab + static_cast<size_t>(k) * PCT_WORDS;
        r[PCT_EST] = cappedexp(f * r[PCT_EST]);
        if (!limits) continue;
        // Each limit is kept (on the time scale) or, beyond the range of exp, missing.
        for (int w : {PCT_UPPER, PCT_LOWER})
            if (!ismiss(r[w])) r[w] = cappedexp(f * r[w]);
        // The delta method needs the estimate: a percentile that is missing or overflows
        // the time scale has no standard error there either.
        const double se = ismiss(r[PCT_SE]) || ismiss(r[PCT_EST]) ? missing() : r[PCT_EST] * f * r[PCT_SE];
        r[PCT_SE] = std::isfinite(se) ? se : missing();
    }
}

}  // namespace

int vyxdfit(vyxstate* s, grpnode* g) {
    if (s->step.stepend) return 1;
    const int n = s->life.fit.npar.total;
    s->life.fit.itstatus[ITS_STATUS] = 0;
    const int64_t words = n * (n + 1) / 2 + 2 * n;
    const int64_t bytes = words * static_cast<int64_t>(sizeof(double));
    s->life.parmvec.block = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::zeroed));
    g->parmcov = s->life.parmvec.block ? static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::zeroed)) : nullptr;
    if (!g->parmcov) {
        xmemmsg(bytes);
        endstep(s, RC_NOMEM);
        return 1;
    }
    const bool thr = s->work.thrflags[TH_GIVEN] != 0;
    const double T = thr ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    auto shift = [&](double v) { return ismiss(v) ? v : v + T; };

    vyxfit(s, g);
    if (s->step.stepend) return 1;
    const double* pv = s->life.parmvec.block;
    summary sm;
    if (summarize(s->opts.distcode, pv[0], pv[1], &sm)) {
        g->mean = shift(orMissing(sm.mean));
        g->mode = shift(orMissing(sm.mode));
        g->sd = orMissing(sm.sd);
    }
    pctl(s, 0.5, &g->median);
    const int scale = analysisscale(s->opts.distcode);
    if (scale == SCALE_LN) g->median = cappedexp(g->median);
    if (scale == SCALE_LOG10) g->median = cappedexp(LN10 * g->median);
    g->median = shift(g->median);

    if (s->life.fit.npar.free == 0) {
        s->life.fit.lrflags[LR_PARMS] = 0;
        s->work.fitmethod = FIT_GIVEN;
    }
    const bool limits = s->work.fitmethod == FIT_MLE || bymodel(s);
    if (limits) {
        vyxcov(s);
        if (s->step.stepend) return 1;
    }
    std::memcpy(g->parmcov, pv, static_cast<size_t>(bytes));
    // The total over the converged maximum-likelihood fits; missing until one is added (a fit
    // taken from the MODEL has no log-likelihood of its own).
    if (s->work.fitmethod == FIT_MLE && s->life.fit.itstatus[ITS_STATUS] == 0) s->life.fit.loglik.final = ismiss(s->life.fit.loglik.final) ? g->loglik : s->life.fit.loglik.final + g->loglik;

    if (s->popt.panels.npct > 0) {
        g->pcttab = records(s, s->popt.panels.npct);
        g->pcttab2 = g->pcttab ? records(s, s->popt.panels.npct) : nullptr;
    }
    if (!s->step.stepend && s->work.pageflags.fitlines && s->opts.pctcount > 0) g->fitlines = records(s, static_cast<int>(s->opts.pctcount));
    if (!s->step.stepend && s->work.axopt[AO_NSURV] > 0) g->survtab = records(s, s->work.axopt[AO_NSURV]);
    if (s->step.stepend) return 1;

    vyxpper(s, g);
    s->life.lrshown[LR_PARMS] = s->life.lrshown[LR_PERCENTILES] = 0;
    if (limits) {
        vyxconf(s, g);
        if (s->step.stepend) return 1;
    }
    backtransform(s, g);
    return 0;
}
