// vyxls: the probability estimates of a group and its least-squares fit on probability
// paper, which is the final fit (LSYX, LSXY), the fixed fit (WEIBAYES, given values,
// FIT=MODEL) or the starting values and centring of the maximum-likelihood fit.
#include <algorithm>
#include <cmath>

#include "host/hostdefs.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/readtimes.h"
#include "proc/regression/regression.h"

using namespace np;

namespace {

// Weighted sums of the plotted points about the group's centres.
struct lssums {
    double xbar, qbar;
    double W = 0, Sxx = 0, Sxy = 0, Syy = 0;
    void add(double x, double q, double w) {
        const double dx = x - xbar, dq = q - qbar;
        W += w;
        Sxx += w * dx * dx;
        Sxy += w * dx * dq;
        Syy += w * dq * dq;
    }
};

void nofit(grpnode* g) {
    g->loc = g->scale = g->parm3[0] = hostmissing();
    g->rsq = hostmissing();
}

// The curve records of a group, from memory or block by block from its curve file, with
// f(record) for each. 0, or 1020 after 510/22.
template <class F>
int eachrecord(grpnode* g, F&& f) {
    if (g->crvinmem) {
        for (int32_t i = 0; i < g->ncurve; ++i)
            f(g->crvbuf + static_cast<int64_t>(i) * CR_WORDS);
        return 0;
    }
    xcpoint(g->ufile2, 0);
    for (int32_t done = 0; done < g->ncurve;) {
        if (xcread(g->ufile2, g->crvbuf, CR_BLOCKBYTES) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            return RC_READ;
        }
        const int32_t n = g->ncurve - done < CR_PERBLOCK ? g->ncurve - done : CR_PERBLOCK;
        for (int32_t i = 0; i < n; ++i)
            f(g->crvbuf + static_cast<int64_t>(i) * CR_WORDS);
        done += n;
    }
    return 0;
}

// The points of exact and censored data, with their ProbabilityEstimates rows.
int curvepoints(vyxstate* s, grpnode* g, lssums& sums, bool ppout) {
    const bool ppos = s->input.rspform[RF_READOUT] || s->work.fitmethod == FIT_LSYX || s->work.fitmethod == FIT_LSXY;
    double Fprev = 0, upperprev = hostmissing();
    return eachrecord(g, [&](const double* r) {
        const double p = ppos ? r[CR_PPOS] : (Fprev + r[CR_F]) / 2;
        Fprev = r[CR_F];
        if (p > 0 && p < 1) sums.add(r[CR_TIME], s->opts.quant_fn(p), r[CR_WEIGHT]);
        if (ppout) {
            const double upper = rtime(s, r[CR_TIME]);   // the time as read
            probrow(s, r, upperprev, upper);
            upperprev = upper;
        }
    });
}

// The points of interval data: the right end of each Turnbull interval but the last, at
// its cumulative probability (a probability not above 0 at the quantile 0).
void turnbullpoints(const stmtopts& opts, const grpnode* g, lssums& sums) {
    const int32_t m = g->nturn;
    for (int32_t k = 0; k + 1 < m; ++k) {
        const double F = g->emtab[EMT_CUM * m + k];
        sums.add(g->emtab[EMT_RIGHT * m + k], F > 0 ? opts.quant_fn(F) : 0.0, 1.0);
    }
}

// The least-squares line, time on quantile (LSXY) or quantile on time (LSYX and the start
// of MLE), with held parameters at their given values. false when the line is degenerate
// or its scale is not a positive number.
bool lsline(const fitstate& life, const lssums& t, bool xony, double* mu, double* sigma) {
    const bool lochold = life.parmfree[GP_LOC] == 'C', scalehold = life.parmfree[GP_SCALE] == 'C';
    const double mu0 = life.givenparms[GP_LOC], s0 = life.givenparms[GP_SCALE];
    const double dx = t.xbar - mu0;
    if (xony) {
        if (t.Syy < EPS53) return false;
        if (lochold && scalehold) {
            *mu = mu0;
            *sigma = s0;
        } else if (lochold) {
            *sigma = (t.W * dx * t.qbar + t.Sxy) / (t.W * t.qbar * t.qbar + t.Syy);
            *mu = mu0;
        } else if (scalehold) {
            *mu = t.xbar - s0 * t.qbar;
            *sigma = s0;
        } else {
            *sigma = t.Sxy / t.Syy;
            *mu = t.xbar - *sigma * t.qbar;
        }
    } else {
        if (!(std::fabs(t.Sxy) >= EPS53 && t.Sxx >= EPS53)) return false;
        if (lochold && scalehold) {
            *mu = mu0;
            *sigma = s0;
        } else if (lochold) {
            *sigma = 1 / ((t.W * dx * t.qbar + t.Sxy) / (t.Sxx + t.W * dx * dx));
            *mu = mu0;
        } else if (scalehold) {
            *mu = t.xbar - s0 * t.qbar;
            *sigma = s0;
        } else {
            const double b = t.Sxy / t.Sxx;
            *sigma = 1 / b;
            *mu = t.xbar - t.qbar / b;
        }
    }
    // A line that falls with time gives no scale.
    return *sigma > 0 && std::isfinite(*sigma) && std::isfinite(*mu);
}

// The probability at which the likelihood fit centres its location.
double centring(const vyxstate* s, const grpnode* g) {
    const double pstable = s->life.fit.itopts[IT_PSTABLE];
    double p;
    if (!std::isnan(pstable)) {
        p = pstable;
    } else if (s->input.rspform[RF_INTERVAL]) {
        p = g->totw > 0 ? (g->wleft + g->wint + g->wfail) * 0.5 / g->totw : 0.5;
    } else if (s->input.rspform[RF_READOUT]) {
        // Half the failures over the number on test at the first readout.
        p = g->rdontest > 0 ? 0.5 * g->totw / g->rdontest : 0.5;
    } else if (g->wfail == 0) {
        p = 0.5;
    } else {
        p = g->wfail / g->totw;
        if (g->wfail > 1) p *= 0.5;
    }
    return p == 1 ? 0.5 : p;
}

}  // namespace

// Right-censored observations counted per interval of the life axis boundaries, for a plot
// that draws them as counts (CENBIN): weights are summed as they are and each count is
// rounded once, so fractional FREQ values are not truncated away one by one. An interval
// holds its lower boundary; the last one its upper boundary too (a unit at the axis's end).
int censoredcounts(vyxstate* s, grpnode* g) {
    const int64_t nb = s->plot.tickinfo[TI_NBOUNDS];
    const double* b = s->plot.lifeticks;
    int32_t* count = s->plot.lifecounts;
    if (!b || !count || nb < 2 || !s->input.rspform[RF_CENSOR]) return 0;
    auto* sum = static_cast<double*>(poolbytes(s->pools.workpool, (nb - 1) * 8, poolflag::zeroed));
    if (!sum) {
        xmemmsg((nb - 1) * 8);
        return RC_REPORTED;
    }
    const int wcol = s->input.nfreq ? 2 : -1;
    const double log10e = 0.43429448190325182765;
    int rc = eachrow(s, g, [&](const double* r) {
        if (r[1] != -1) return 0;
        const double x = s->opts.logscale[LSC_LN] ? r[0] * log10e : r[0];
        const double* at = std::upper_bound(b, b + nb, x);
        int64_t k = (at - b) - 1;
        if (k == nb - 1 && x == b[nb - 1]) k = nb - 2;
        if (k >= 0 && k < nb - 1) sum[k] += wcol >= 0 ? r[wcol] : 1.0;
        return 0;
    });
    for (int64_t k = 0; k + 1 < nb; ++k) count[k] = static_cast<int32_t>(std::lround(sum[k]));
    return rc;
}

int vyxls(vyxstate* s, grpnode* g) {
    const int n = s->life.fit.npar.total;
    const int64_t tri = int64_t(n + 1) * (n + 2) / 2;
    const int64_t hbytes = (4 * int64_t(n + 1) + tri) * 8;
    const int64_t wbytes = (tri + 5 * int64_t(n + 1) + int64_t(n + 1) * (n + 1)) * 8 + int64_t(n + 1) * 4;
    s->life.fit.fitarr.hess = static_cast<double*>(poolbytes(s->pools.workpool, hbytes, poolflag::raw));
    if (!s->life.fit.fitarr.hess) {
        xmemmsg(hbytes);
        return RC_REPORTED;
    }
    s->life.fit.fitarr.work = static_cast<double*>(poolbytes(s->pools.workpool, wbytes, poolflag::zeroed));
    if (!s->life.fit.fitarr.work) {
        xmemmsg(wbytes);
        return RC_REPORTED;
    }

    const bool interval = s->input.rspform[RF_INTERVAL] != 0;
    const bool readout = s->input.rspform[RF_READOUT] != 0;
    const bool ppout = s->popt.pflags.ppout && s->out.tabs[TAB_PROBEST].obj;
    lssums sums;
    if (!interval) {
        sums.xbar = g->lsxbar;
        sums.qbar = g->lsqbar;
        if (ppout) probtable_begin(s);
        if (int rc = curvepoints(s, g, sums, ppout)) return rc;
        if (s->popt.pflags.cenbin) {
            if (int rc = censoredcounts(s, g)) return rc;
        }
    } else {
        sums.xbar = g->xmean;
        sums.qbar = g->qmean;
        turnbullpoints(s->opts, g, sums);
        if (s->life.emflags[EMF_ITPRINTEM]) turnbullgradtable(s, g);
        if (ppout) {
            probtable_begin(s);
            turnbullprobrows(s, g);
        }
    }
    // The rows written are published whatever the fit comes to.
    if (ppout) probtable_end(s);

    const uint32_t method = s->work.fitmethod;
    g->rsq = hostmissing();
    if (method == FIT_MLE || method == FIT_LSYX || method == FIT_LSXY) {
        const bool noright = readout ? g->totw == 0 : g->wright == g->totw;
        if (noright || (!readout && g->wleft == g->totw)) {
            char of[640];   // the class level (and BY group) without a failure
            xpmlog(510, noright ? W510_ALL_RIGHT_CENSORED : W510_ALL_LEFT_CENSORED, groupsuffix(s, true, " of ", of, sizeof of));
            nofit(g);
            return RC_REPORTED;
        }
    }

    double mu = hostmissing(), sigma = hostmissing();
    switch (method) {
    case FIT_WEIBAYES:
        sigma = s->life.givenparms[GP_SCALE];
        mu = g->wbloc * sigma;
        break;
    case FIT_GIVEN:
        mu = s->life.givenparms[GP_LOC];
        sigma = s->life.givenparms[GP_SCALE];
        g->parm3[0] = s->life.givenparms[GP_SHAPE];
        break;
    case FIT_MODEL:
    case FIT_REGRESSION:
        getfit(s, g);
        mu = g->loc;
        sigma = g->scale;
        if (std::isnan(mu) || std::isnan(sigma)) {
            nofit(g);
            return RC_REPORTED;
        }
        break;
    default: {
        const double weight = readout ? g->totw : sums.W;
        const bool xony = method == FIT_LSXY;
        if (weight < 1) {
            mu = g->wmean;
            sigma = g->wsd;
        } else if (lsline(s->life, sums, xony, &mu, &sigma)) {
            const bool held = s->life.parmfree[GP_LOC] == 'C' || s->life.parmfree[GP_SCALE] == 'C';
            g->rsq = held ? hostmissing()
                   : (sums.Sxx > EPS53 && sums.Syy > EPS53) ? sums.Sxy * sums.Sxy / (sums.Sxx * sums.Syy) : 0.0;
        } else if (method == FIT_LSYX || method == FIT_LSXY) {
            xpmlog(510, W510_LS_DEGENERATE);
            nofit(g);
            return RC_REPORTED;
        } else {
            mu = g->wmean;
            sigma = g->wsd;
        }
        break;
    }
    }
    g->loc = mu;
    g->scale = sigma;

    if (method == FIT_MLE) {
        for (int j = 0; j < n && j < 3; ++j) {
            if (!s->life.parmgiven[j]) continue;
            if (j == 0) g->loc = s->life.givenparms[GP_LOC];
            if (j == 1) g->scale = s->life.givenparms[GP_SCALE];
            if (j == 2) g->parm3[0] = s->life.givenparms[GP_SHAPE];
        }
        const double p = centring(s, g);
        const double q0 = s->work.tblflags[TF_LAGRANGE] ? 0.0 : s->opts.quant_fn(p);
        g->prob = p;
        g->quant = q0;
        if (!interval && !readout && g->wfail == 1) {
            g->pctl = g->loc;
        } else {
            g->pctl = interval && g->nturn <= 2 ? g->loc : g->loc + q0 * g->scale;
            g->loc = g->pctl;
        }
    }
    return 0;
}

// FIT=MODEL (and REGRESSION): the location and scale the MODEL statement's fit gives the
// group's class levels and stress values; missing (no fit) when it gives none.
void getfit(vyxstate* s, grpnode* g) {
    double loc = hostmissing(), scl = hostmissing();
    if (!mdlgroupfit(s, g, &loc, &scl, nullptr, nullptr)) loc = scl = hostmissing();
    g->loc = loc;
    g->scale = scl;
}
