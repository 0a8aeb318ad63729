// Confidence limits of one fitted group: Wald limits of the location and scale, of the
// percentiles and of survival probabilities, and likelihood-ratio (profile-likelihood)
// limits of the parameters and percentiles through the limit search.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "proc/framework/anchor.h"
#include "proc/framework/conflevel.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/framework/textpad.h"
#include "proc/framework/msg510.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/fitscale.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/distributions.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/prci.h"
#include "proc/numeric/quantiles.h"

using namespace fitx;

namespace {

double zcrit(const vyxstate* s) { return zprobitq(s->opts.alpha / 2); }

// The limits of a history table end like the fit's history: see the row-end rule.
bool closehistory(vyxstate* s, tabpair& tab) {
    if (!endrows(s, tab.obj, lastrows(s), s->groups.nclass > 0)) return false;
    return publish(s, tab.tabid);
}

// Wald limits of the scale, taken on the log scale. An interval too wide for exp (or not
// a number) is (0, infinity): both ends are shown missing rather than collapsed to sigma.
void scalelimits(double sigma, double se, double z, double* lim) {
    const double w = sigma > EPS53 ? z * se / sigma : 0.0;
    if (!(w < EXP_OVER)) {
        lim[0] = lim[1] = missing();
        return;
    }
    const double e = std::exp(w);
    lim[0] = e > 1.0 ? sigma / e : sigma * e;
    lim[1] = e > 1.0 ? sigma * e : sigma / e;
}

// A limit search that did not find both limits says so, naming what it bounds (and the group
// of a class analysis): the missing limit is never silent.
void notfound(vyxstate* s, const char* what, int len) {
    char fr[640];
    xpmlog(510, W510_LR_LIMITS_NOT_FOUND, txtarg(what, len), s->life.fit.maxiter, groupsuffix(s, true, " for ", fr, sizeof fr));
}

// One likelihood-ratio search for c'theta over every parameter: the free block is searched,
// the held parameters add their fixed part. The ends go to lo/hi (missing when not found,
// with 510/1958 naming `what`); false when the step ended.
bool lrsearch(vyxstate* s, grpnode* g, const double* call, double* lo, double* hi, const char* what, int whatlen) {
    const int n = s->life.fit.npar.total;
    ciblk* cb = s->life.ciptr;
    const auto pv = parmview(s->life.parmvec.block, n);
    const double q0 = g->quant;
    double* theta = cb->theta;
    theta[0] = pv.est[0] + q0 * pv.est[1];
    for (int j = 1; j < n; ++j) theta[j] = pv.est[j];
    double held = 0.0;
    for (int j = 0; j < n; ++j)
        if (s->life.parmfree[j] != '1') held += call[j] * theta[j];
    for (int j = 0; j < n; ++j) cb->cvec[j] = call[j];
    vyxxpm(cb->cvec, s->life.parmfree, n, nullptr);
    vyxxpm(theta, s->life.parmfree, n, nullptr);
    cb->negllmax = -g->loglik;
    s->life.fit.itstatus[ITS_ITER] = 0;
    const int32_t rc = zprci(s, cb, lfentry, lghntry, ithist, nullptr);
    if (s->step.stepend) return false;
    if (rc == 1) xmemmsg(0);
    if (rc == 2) notfound(s, what, whatlen);
    *lo = ismiss(cb->lowres[0]) ? missing() : cb->lowres[0] + held;
    *hi = ismiss(cb->uppres[0]) ? missing() : cb->uppres[0] + held;
    return true;
}

// The standardized quantile of p (0 < p < 1) by distribution; false for other codes.
bool stdquantile(uint32_t dist, double p, double* w) {
    switch (familyof(dist)) {
        case FAM_NORMAL: *w = zprobit(p); return true;
        case FAM_EXTREME: *w = std::log(-std::log(1.0 - p)); return true;
        case FAM_LOGISTIC: *w = std::log(p / (1.0 - p)); return true;
        default: return false;
    }
}

// The row label of a history row: text padded with blanks to 40 characters.
void rowlabel(vyxstate* s, const char* text, int len) { settext(s->row.rowtext, 40, text, len); }

bool lrparameters(vyxstate* s, grpnode* g) {
    const int n = s->life.fit.npar.total;
    tabpair& tab = s->out.tabs[TAB_ITERLRPARM];
    if (s->life.fit.itprflag.itprint) {
        if (!bindtable(s, tab, "Kv.Vitalyx.Ithist")) return false;
        s->out.curtab = tab.obj;
    }
    const auto pv = parmview(s->life.parmvec.block, n);
    for (int i = 0; i < n; ++i) {
        s->life.lrlim[2 * i] = s->life.lrlim[2 * i + 1] = pv.est[i];
        const char* name = s->opts.labels[LB_PARM1 + i];
        if (s->life.fit.itprflag.itprint) rowlabel(s, name, wzstrip(name, 16));
        if (s->life.parmfree[i] != '1') continue;
        double c[8] = {};
        if (i == 0) {
            c[0] = 1.0;
            c[1] = -g->quant;
        } else {
            c[i] = 1.0;
        }
        double ends[2];
        if (!lrsearch(s, g, c, &ends[0], &ends[1], name, wzstrip(name, 16))) return false;
        s->life.lrlim[2 * i] = s->life.lrlim[2 * i + 1] = missing();
        for (double v : ends)
            if (!ismiss(v)) s->life.lrlim[2 * i + (v <= pv.est[i] ? 0 : 1)] = v;
    }
    return !s->life.fit.itprflag.itprint || closehistory(s, tab);
}

bool lrpercentiles(vyxstate* s, grpnode* g, int lo, int hi) {
    const int n = s->life.fit.npar.total;
    tabpair& tab = s->out.tabs[TAB_ITERLRPER];
    if (s->life.fit.itprflag.itprint) {
        if (!bindtable(s, tab, "Kv.Vitalyx.Ithist")) return false;
        s->out.curtab = tab.obj;
    }
    const double* ticks = s->popt.panels.pctlist;
    for (int i = lo; i <= hi; ++i) {
        double* rec = g->pcttab + static_cast<size_t>(i) * PCT_WORDS;
        const double p = ticks[i] / 100.0;
        rec[PCT_UPPER] = rec[PCT_LOWER] = missing();
        double w;
        // Ends of the tick list (0 and 100 percent) have no percentile to bound.
        if (!(p >= TINY && 1.0 - p >= TINY) || !stdquantile(s->opts.distcode, p, &w)) continue;
        char what[40];
        const int whatlen = xpmstr(what, 40, 510, T510_PERCENTILE, ticks[i]);
        if (s->life.fit.itprflag.itprint) xpmstr(s->row.rowtext, 40, 510, T510_PERCENTILE, ticks[i]);
        double c[8] = {};
        c[0] = 1.0;
        c[1] = w - g->quant;
        double ends[2];
        if (!lrsearch(s, g, c, &ends[0], &ends[1], what, whatlen)) return false;
        const bool lok = !ismiss(ends[0]), uok = !ismiss(ends[1]);
        if (lok && uok) {
            rec[PCT_LOWER] = std::fmin(ends[0], ends[1]);
            rec[PCT_UPPER] = std::fmax(ends[0], ends[1]);
        } else if (lok || uok) {
            const double v = lok ? ends[0] : ends[1];
            rec[v <= rec[PCT_EST] ? PCT_LOWER : PCT_UPPER] = v;
        }
    }
    (void)n;
    return !s->life.fit.itprflag.itprint || closehistory(s, tab);
}

}  // namespace

void cflim(vyxstate* s, double p, double* rec) {
    if (!(p >= TINY && 1.0 - p >= TINY)) {
        rec[PCT_UPPER] = rec[PCT_LOWER] = missing();
        return;
    }
    double w;
    if (!stdquantile(s->opts.distcode, p, &w)) {
        rec[PCT_UPPER] = rec[PCT_LOWER] = missing();
        return;
    }
    const int n = s->life.fit.npar.total;
    double x[8] = {};
    x[0] = 1.0;
    x[1] = w;
    double var = 0.0, work[8];
    zqform(parmview(s->life.parmvec.block, n).cov, n, x, 1, &var, work, 0);
    const double se = var >= 0.0 ? std::sqrt(var) : missing();
    rec[PCT_SE] = se;
    if (var <= 0.0) {
        rec[PCT_UPPER] = rec[PCT_LOWER] = rec[PCT_EST];
        return;
    }
    const double z = zcrit(s);
    rec[PCT_LOWER] = rec[PCT_EST] - z * se;
    rec[PCT_UPPER] = rec[PCT_EST] + z * se;
}

int sflim(vyxstate* s, grpnode* g, double t, double* rec) {
    const double* pc = g->parmcov;
    const int n = s->life.fit.npar.total;
    const double mu = pc[0], sigma = pc[1];
    if (ismiss(t) || ismiss(mu) || ismiss(sigma) || sigma < TINY) {
        rec[PCT_EST] = rec[PCT_UPPER] = rec[PCT_LOWER] = missing();
        return 0;
    }
    const int scale = analysisscale(s->opts.distcode);
    if (scale != SCALE_TIME && t <= 0.0) {
        // A log-scale distribution has no mass at or below 0: the survival there is 1.
        rec[PCT_EST] = rec[PCT_UPPER] = rec[PCT_LOWER] = 1.0;
        return 0;
    }
    const double y = toanalysis(scale, t);
    const double* v = pc + 2 * n;
    const double zs = (y - mu) / sigma;
    const double var = v[0] + 2.0 * zs * v[1] + zs * zs * v[2];
    // A variance that could not be computed (no covariance) gives no limits, not limits of
    // zero width.
    const bool novar = ismiss(var);
    const double sd = var > 0.0 ? std::sqrt(var) / sigma : 0.0;
    const double z = zcrit(s);
    const double zl = zs - z * sd, zu = zs + z * sd;
    const distfamily family = familyof(s->opts.distcode);
    auto survival = [&](double u) {
        switch (family) {
            case FAM_NORMAL: return 1.0 - zprbnrm(u);
            case FAM_EXTREME: return u <= EXP_OVER ? std::exp(-std::exp(u)) : 0.0;
            default:
                if (u > 0.0) {
                    const double e = std::exp(-u);
                    return e / (1.0 + e);
                }
                return 1.0 / (1.0 + std::exp(u));
        }
    };
    switch (family) {
        case FAM_NORMAL: case FAM_EXTREME: case FAM_LOGISTIC:
            rec[PCT_EST] = survival(zs);
            rec[PCT_LOWER] = novar ? missing() : survival(zu);
            rec[PCT_UPPER] = novar ? missing() : survival(zl);
            break;
        default: break;
    }
    return 0;
}

bool lrresolved(vyxstate* s, double loglik, bool withclass) {
    char of[640];
    // The limits lie where the log-likelihood has dropped from its value at the estimates: with
    // no value there (its failure sentinel or missing), there is nothing to drop from.
    if (likfailed(loglik)) {
        xpmlog(510, N510_LR_LIMITS_NO_LOGLIK, groupsuffix(s, withclass, " of ", of, sizeof of));
        return false;
    }
    if (zprciresolves(s->opts.alpha, loglik)) return true;
    // A level of 0 (510/2223 said so) has limits equal to the estimates, which Wald's are.
    if (!(zprcidrop(s->opts.alpha) > 0.0)) return false;
    char drop[32], noise[32];
    std::snprintf(drop, sizeof drop, "%.2g", zprcidrop(s->opts.alpha));
    std::snprintf(noise, sizeof noise, "%.2g", EPS53 * std::fabs(loglik));
    const vx::conftext level = vx::conflevel(s->opts.alpha);
    xpmlog(510, N510_LR_LIMITS_BELOW_ROUNDING, groupsuffix(s, withclass, " of ", of, sizeof of), txtarg(level.text, level.len), drop, noise);
    return false;
}

double lfentry(void* ctx, int32_t* flag) {
    auto* s = static_cast<vyxstate*>(ctx);
    vyxlik(s, 0);
    if (s->step.stepend) *flag = 1;
    return -s->life.fit.loglik.current;
}

int32_t lghntry(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    const int rc = vyxlik(s, 1);
    if (s->step.stepend || likfailed(s->life.fit.loglik.current)) return 1;
    return rc;
}

void ithist(void* ctx) {
    auto* s = static_cast<vyxstate*>(ctx);
    if (!s->life.fit.itprflag.itprint || s->step.stepend) return;
    if (*s->life.ciptr->evalcnt == 0) s->life.fit.itstatus[ITS_ITER] = 0;
    itprint(s);
    addrow(s, s->out.curtab);
}

void vyxconf(vyxstate* s, grpnode* g) {
    s->life.likcache.valid = 0;
    const int n = s->life.fit.npar.total;
    const auto pv = parmview(s->life.parmvec.block, n);
    const double z = zcrit(s);
    bool lr = s->life.fit.lrflags[LR_PARMS] || s->life.fit.lrflags[LR_PERCENTILES];
    s->life.parmlim[PL_LOCLOWER] = pv.est[0] - z * pv.se[0];
    s->life.parmlim[PL_LOCUPPER] = pv.est[0] + z * pv.se[0];
    scalelimits(pv.est[1], pv.se[1], z, s->life.parmlim + PL_SCALELOWER);
    if (lr && s->life.fit.itprflag.converged != 1) {
        char of[640];
        xpmlog(510, W510_LR_LIMITS_NOT_CONVERGED, groupsuffix(s, true, " of ", of, sizeof of));
        lr = false;
        // The parameter table shows the Wald limits in place of the likelihood-ratio ones, as
        // the message says (the percentiles keep theirs).
        for (int k = 0; k < 4 && k < 2 * n; ++k) s->life.lrlim[k] = s->life.parmlim[k];
    }

    if (lr && !lrresolved(s, g->loglik, true)) {
        lr = false;
        for (int k = 0; k < 4 && k < 2 * n; ++k) s->life.lrlim[k] = s->life.parmlim[k];
    }
    // What the group's tables show, for their titles (estimatetitles).
    for (int k : {LR_PARMS, LR_PERCENTILES}) s->life.lrshown[k] = lr && s->life.fit.lrflags[k];

    const int count = s->popt.panels.npct;
    int lo = 0, hi = -1;
    if (count > 0 && g->pcttab) {
        ticks(s, &lo, &hi);
        for (int i = lo; i <= hi; ++i) cflim(s, s->popt.panels.pctlist[i] / 100.0, g->pcttab + static_cast<size_t>(i) * PCT_WORDS);
    }
    if (s->work.pageflags.fitlines && s->opts.pctcount > 0 && g->fitlines)
        for (uint32_t k = 0; k < s->opts.pctcount; ++k)
            cflim(s, s->opts.pctvals[k] / 100.0, g->fitlines + static_cast<size_t>(k) * PCT_WORDS);
    const int scale = analysisscale(s->opts.distcode);
    if (g->pcttab2) {
        for (int i = lo; i <= hi; ++i) {
            double x = g->pcttab[static_cast<size_t>(i) * PCT_WORDS + PCT_EST];
            if (!ismiss(x)) x = totime(scale, x);
            double* rec = g->pcttab2 + static_cast<size_t>(i) * PCT_WORDS;
            sflim(s, g, x, rec);
            rec[PCT_TIME] = x;
            rec[PCT_EST] = 1.0 - s->popt.panels.pctlist[i] / 100.0;
        }
    }
    if (g->survtab) {
        for (int k = 0; k < s->work.axopt[AO_NSURV]; ++k) {
            double t = s->popt.panels.survtime[k];
            if (s->work.thrflags[TH_GIVEN]) t -= s->opts.fixedparms[FP_THRESHOLD];
            sflim(s, g, t, g->survtab + static_cast<size_t>(k) * PCT_WORDS);
        }
    }
    if (!lr) return;

    // Likelihood-ratio limits: the search block lives for the step, the result arrays in the work pool.
    if (!s->life.ciptr) s->life.ciptr = poolget<ciblk>(v_global_gcb_anchor->pool, 1, poolflag::raw);
    auto* res = static_cast<double*>(poolbytes(s->pools.workpool, 2 * (n + 1) * static_cast<int64_t>(sizeof(double)), poolflag::raw));
    if (!s->life.ciptr || !res) {
        endstep(s, RC_NOMEM);
        return;
    }
    int32_t evals = 0;
    ciblk* cb = s->life.ciptr;
    *cb = ciblk{};
    cb->prtflag = s->life.fit.itprflag.itprint;
    cb->npar = s->life.fit.npar.free;
    cb->maxeval = s->life.fit.maxiter;
    cb->evalcnt = &evals;
    cb->theta = s->life.fit.fitarr.est;
    cb->base = cb->theta + n;
    cb->cgrad = s->life.fit.fitarr.grad;
    cb->chess = s->life.fit.fitarr.hess;
    cb->cvec = cb->base + n;
    cb->lowres = res;
    cb->uppres = res + (n + 1);
    cb->singtol = s->life.fit.fitcrit.singular;
    cb->convcrit = s->life.fit.fitcrit.converge;
    cb->negllmax = -g->loglik;
    cb->alpha = s->opts.alpha;
    if (s->life.fit.lrflags[LR_PARMS] && !lrparameters(s, g)) return;
    if (s->life.fit.lrflags[LR_PERCENTILES] && count > 0 && g->pcttab) lrpercentiles(s, g, lo, hi);
    cb->evalcnt = nullptr;
}
