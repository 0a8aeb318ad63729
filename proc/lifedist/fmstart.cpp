// Starting values of one failure mode (FMODE COMBINE): the failures of the other modes
// count as censored. For least squares, Weibayes and given values these are the mode's
// estimates; for maximum likelihood the start of the iteration.
#include <algorithm>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/curve.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/riskset.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/quantiles.h"

namespace {

using kern::EPS53;
using kern::EXP_OVER;

// The columns of a row and whether it is a failure of the mode being fitted.
struct modecols {
    int code, weight, fmidx;
    int mode;
    bool failure(const double* r) const {
        if (code >= 0 && r[code] != 0.0) return false;
        return std::lround(r[fmidx]) == mode;
    }
    double w(const double* r) const { return weight >= 0 ? r[weight] : 1.0; }
};

// Adjusted ranks and plotting positions of the failures of one mode, row by row. With FREQ
// weights the number at risk is the sum of the weights still to come (atrisk), else a count.
class ranker {
public:
    ranker(vyxstate* s, double n, riskset* atrisk) : s_(s), n_(n), atrisk_(atrisk) {}
    void restart() {
        if (atrisk_) atrisk_->rewind();
        a_ = n_;
        r_ = 0.0;
        c_ = 1.0;
        carry_ = s_->life.pposcode == 5 ? 0.0 : 1.0;
        S_ = 1.0;
    }
    // Every row of the walk comes here first.
    void row(const double* r) {
        if (atrisk_) a_ = atrisk_->next(r);
    }
    // The position of a failure of weight w; a censored row only moves the rank increment.
    double failure(double w) {
        r_ += w * c_;
        double p = s_->life.ppos_fn(a_, r_, n_, &carry_, w);
        const double before = S_;
        double F, gsum = 0, se, K;
        kmacc(n_, a_, &S_, &F, &gsum, &se, &K, w);
        if (s_->work.fitmethod != FIT_LSYX && s_->work.fitmethod != FIT_LSXY) p = 1 - (before + S_) * 0.5;
        if (!atrisk_) a_ -= w;
        return p;
    }
    void censored(double w) {
        c_ = rankstep(n_, r_, a_, w);
        if (!atrisk_) a_ -= w;
    }

private:
    vyxstate* s_;
    double n_, a_ = 0, r_ = 0, c_ = 1, carry_ = 1, S_ = 1;
    riskset* atrisk_;
};

double& parm(grpnode* g, int i) { return i == GP_LOC ? g->loc : i == GP_SCALE ? g->scale : g->parm3[i - 2]; }

}  // namespace

int vyxfmi(vyxstate* s, grpnode* g) {
    const obscols lay = obslayout(s);
    const modecols cols{s->inwork.rspkind == FORM_CENSOR ? OBS_CENS : -1, s->input.nfreq > 0 ? lay.weight : -1, lay.fmidx,
                        s->groups.fmodeset.curmode};
    const uint32_t method = s->work.fitmethod;
    const bool readout = s->input.rspform[RF_READOUT] != 0;
    const double n = g->totw;
    riskset weights;
    if (cols.weight >= 0) {
        if (int rc = weights.start(s, g, cols.weight)) return rc;
    }
    ranker rk(s, n, cols.weight >= 0 ? &weights : nullptr);

    // Pass 1: the means of the time and of the quantile of the position over the failures
    // whose position lies inside (0, 1).
    double wfail = 0, wcens = 0, wp = 0, swy = 0, swt = 0;
    rk.restart();
    if (int rc = eachrow(s, g, [&](const double* r) {
            const double w = cols.w(r);
            rk.row(r);
            if (!cols.failure(r)) {
                wcens += w;
                rk.censored(w);
                return 0;
            }
            wfail += w;
            const double p = rk.failure(w);
            if (p > 0.0 && p < 1.0) {
                wp += w;
                swy += w * s->opts.quant_fn(p);
                swt += w * r[OBS_TIME];
            }
            return 0;
        }))
        return rc;
    if ((method == FIT_MLE || method == FIT_LSXY || method == FIT_LSYX) && !readout && !(wfail > 0)) {
        xpmlog(510, W510_ALL_RIGHT_CENSORED);
        return 1;
    }
    // The means are over the points that enter the regression, as are its sums below.
    const double ybar = wp > 0 ? swy / wp : 0.0, tbar = wp > 0 ? swt / wp : 0.0;
    double chi = 0;
    if (method == FIT_WEIBAYES) {
        const double conf = weibayesconf(s);
        if (zqc(conf, 2 * wfail + 2, &chi) != 0 || !(chi > 0)) {
            xpmlog(510, E510_WEIBAYES_NO_QUANTILE, conf, 2 * wfail + 2);
            return 1;
        }
    }

    // Pass 2: the sums of squares (every sum weighted once), the Weibayes sum, the range.
    const double sigw = s->life.givenparms[GP_SCALE];
    double W = 0, sxx = 0, sxy = 0, syy = 0, E = 0, t0 = 0;
    bool first = true, overflow = false;
    rk.restart();
    if (int rc = eachrow(s, g, [&](const double* r) {
            const double t = r[OBS_TIME], w = cols.w(r);
            if (method == FIT_WEIBAYES) {
                if (first) t0 = t;
                const double d = (t - t0) / sigw;
                if (d > EXP_OVER) {
                    overflow = true;
                    return 1;
                }
                E += w * std::exp(d);
            }
            first = false;
            g->tmin = std::min(g->tmin, t);
            g->tmax = std::max(g->tmax, t);
            rk.row(r);
            if (!cols.failure(r)) {
                rk.censored(w);
                return 0;
            }
            const double p = rk.failure(w);
            if (p > 0.0 && p < 1.0) {
                const double dy = s->opts.quant_fn(p) - ybar, dt = t - tbar;
                W += w;
                sxx += w * dt * dt;
                sxy += w * dt * dy;
                syy += w * dy * dy;
            }
            return 0;
        })) {
        if (!overflow) return rc;
        xpmlog(510, E510_WEIBAYES_OVERFLOW);
        return 1;
    }
    g->wfail = wfail;
    const double count = readout ? n : W;

    const bool locfixed = s->life.parmfree[GP_LOC] == 'C', scalefixed = s->life.parmfree[GP_SCALE] == 'C';
    const double mu0 = s->life.givenparms[GP_LOC], s0 = s->life.givenparms[GP_SCALE];
    g->rsq = hostmissing();
    auto degenerate = [&] {
        g->lsok = 0;
        xpmlog(510, W510_LS_DEGENERATE);
        return 1;
    };
    if (method == FIT_WEIBAYES) {
        g->scale = sigw;
        g->loc = t0 + sigw * std::log(2 * E / chi);
    } else if (method == FIT_GIVEN) {
        for (int j = 0; j < s->life.fit.npar.total; ++j) parm(g, j) = s->life.givenparms[j];
    } else if (method == FIT_MODEL) {
        getfit(s, g);
    } else if (count < 1.0) {
        g->loc = g->wmean;
        g->scale = g->wsd;
    } else if (method == FIT_LSXY) {
        // Time on quantile.
        if (syy < EPS53) return degenerate();
        if (locfixed && scalefixed) {
            g->loc = mu0;
            g->scale = s0;
        } else if (locfixed) {
            g->loc = mu0;
            g->scale = (sxy + W * ybar * (tbar - mu0)) / (syy + W * ybar * ybar);
        } else if (scalefixed) {
            g->scale = s0;
            g->loc = tbar - ybar * s0;
        } else {
            g->scale = sxy / syy;
            g->loc = tbar - ybar * g->scale;
        }
        if (!locfixed && !scalefixed) g->rsq = sxx > EPS53 ? sxy * sxy / (sxx * syy) : 0.0;
    } else if (std::fabs(sxy) < EPS53 || sxx < EPS53) {
        if (method == FIT_LSYX) return degenerate();
        g->loc = g->wmean;
        g->scale = g->wsd;
    } else {
        // Quantile on time.
        if (locfixed && scalefixed) {
            g->loc = mu0;
            g->scale = s0;
        } else if (locfixed) {
            const double b = (sxy + W * ybar * (tbar - mu0)) / (sxx + W * (tbar - mu0) * (tbar - mu0));
            g->loc = mu0;
            g->scale = 1 / b;
        } else if (scalefixed) {
            g->scale = s0;
            g->loc = -(ybar - tbar / s0) * s0;
        } else {
            const double b = sxy / sxx;
            g->scale = 1 / b;
            g->loc = -(ybar - b * tbar) * g->scale;
        }
        if (!locfixed && !scalefixed) g->rsq = syy > EPS53 ? sxy * sxy / (sxx * syy) : 0.0;
    }
    if (method != FIT_MLE) return 0;

    // Maximum likelihood: the given values start the iteration, which works with the
    // percentile at the starting probability in the place of the location.
    for (int j = 0; j < s->life.fit.npar.total && j < 3; ++j)
        if (s->life.parmgiven[j]) parm(g, j) = s->life.givenparms[j];
    double p = s->life.fit.itopts[IT_PSTABLE];
    if (ismissing(p)) {
        if (!(wfail > 0)) {
            p = 0.5;
        } else {
            p = wfail / n;
            if (wfail > 1.0) p *= 0.5;
            if (p == 1.0) p = 0.5;
        }
    }
    g->prob = p;
    g->quant = s->work.tblflags[TF_LAGRANGE] ? 0.0 : s->opts.quant_fn(p);
    g->pctl = wfail > 0 ? g->loc + g->quant * g->scale : g->loc;
    g->loc = g->pctl;
    return 0;
}
