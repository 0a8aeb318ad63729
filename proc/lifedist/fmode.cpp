// The combined estimate of the failure modes: F(t) with its limits, the SurvEst table at
// the SURVTIME values, the curve for the plots and the interpolation in it.
#include "proc/lifedist/lifedist_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/tables.h"
#include "proc/numeric/kernconst.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"

namespace {

using kern::EXP_OVER;
constexpr double LOG10E = 0.43429448190325182765;

// Curve records from the work pool; out of memory ends the step.
double* records(vyxstate* s, int count) {
    const int64_t bytes = int64_t(count > 0 ? count : 1) * FM_WORDS * 8;
    auto* r = static_cast<double*>(poolbytes(s->pools.workpool, bytes, poolflag::zeroed));
    if (!r) {
        xmemmsg(bytes);
        xexit(RC_NOMEM, 0);
    }
    return r;
}

void nolimits(double* rec) { rec[FM_SPREAD] = rec[FM_LOWER] = rec[FM_UPPER] = hostmissing(); }

// A time on the fitting scale; missing where the log of a non-positive value would be taken.
double fitscale(const vyxstate* s, double x) {
    if (!s->opts.logscale[LSC_LN] && !s->opts.logscale[LSC_LOG10]) return x;
    if (!(x > 0)) return hostmissing();
    return s->opts.logscale[LSC_LN] ? std::log(x) : std::log10(x);
}

// fmest at t, or every word missing when t is.
int estimate(vyxstate* s, double t, double* rec) {
    if (!ismissing(t)) return fmest(s, t, rec);
    rec[FM_F] = hostmissing();
    nolimits(rec);
    return 0;
}

}  // namespace

bool fmcombined(const vyxstate* s) {
    if (s->work.fitmethod == FIT_NONE || !s->life.fmused || !s->life.fmloc || !s->life.fmscale || !s->life.fmcov) return false;
    for (int i = 0; i < s->groups.fmodeset.nvals; ++i)
        if (s->life.fmused[i]) return true;
    return false;
}

int fmest(vyxstate* s, double t, double* rec) {
    if (!fmcombined(s)) return 1;
    const double z = zprobitq(s->opts.alpha / 2);
    const kernfn k = s->life.fit.prob_fn[KN_VALUE];
    double S = 1.0, V = 0.0;
    for (int i = 0; i < s->groups.fmodeset.nvals; ++i) {
        if (!s->life.fmused[i]) continue;
        const double mu = s->life.fmloc[i], sigma = s->life.fmscale[i];
        const double* cov = s->life.fmcov[i];
        double u = (t - mu) / sigma, L, D;
        if (k(-1, &u, nullptr, &L) != 0) return 1;
        S *= std::exp(-L);
        if (s->work.noconf) continue;
        if (k(0, &u, nullptr, &D) != 0) return 1;
        const double lh = L - D;   // log hazard of the standardized value
        if (lh >= EXP_OVER) {
            xpmlog(510, W510_MODE_HAZARD_OVERFLOW);
            s->work.noconf = 1;
            continue;
        }
        const double h = std::exp(lh);
        V += (cov[0] + 2 * u * cov[1] + u * u * cov[2]) / (sigma * sigma) * h * h;
    }
    const double F = 1 - S;
    rec[FM_F] = F;
    if (s->work.noconf) {
        nolimits(rec);
        return 0;
    }
    const double w = F > 0.0 ? z * std::sqrt(V) / F : EXP_OVER;
    if (w < EXP_OVER) {
        const double e = std::exp(w);
        rec[FM_LOWER] = F / (S * e + F);
        rec[FM_UPPER] = F / (S / e + F);
    } else {
        rec[FM_LOWER] = 0.0;
        rec[FM_UPPER] = 1.0;
    }
    rec[FM_SPREAD] = std::sqrt(V * S);
    return 0;
}

int fmode(vyxstate* s) {
    const int k = s->work.axopt[AO_NSURV];
    if (k <= 0) return 0;
    s->life.fmrecs = records(s, k);
    if (!s->life.fmrecs) return RC_NOMEM;
    tabpair& tab = s->out.tabs[TAB_SURVEST];
    tab.tabid = tabbind(s->out.outmgr, tab.obj, "kv.vitalyx.surv");

    const uint8_t noconf = s->work.noconf;
    s->work.noconf = 0;
    const bool limits = s->work.fitmethod == FIT_MLE || s->work.fitmethod == FIT_MODEL;
    const double thr = s->work.thrflags[TH_GIVEN] ? s->opts.fixedparms[FP_THRESHOLD] : 0.0;
    auto oneminus = [](double v) { return ismissing(v) ? v : 1 - v; };
    for (int j = 0; j < k; ++j) {
        double* rec = s->life.fmrecs + size_t(j) * FM_WORDS;
        const double tj = s->popt.panels.survtime[j];
        if ((s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) && !ismissing(tj) && tj - thr <= 0) {
            // At or below THRESHOLD a log-scale distribution has no mass: survival 1 with
            // limits (1, 1), the distribution function 0 with limits (0, 0), as with one mode.
            std::fill(rec, rec + FM_WORDS, 0.0);
        } else if (estimate(s, fitscale(s, tj - thr), rec) != 0) {
            s->work.noconf = noconf;
            return 1;
        }
        s->row.rowlead[0] = tj;
        s->row.rowvals[0] = rec[FM_F];
        s->row.survcells[0] = oneminus(rec[FM_F]);
        if (limits) {
            s->row.rowvals[9] = rec[FM_LOWER];
            s->row.rowvals[8] = rec[FM_UPPER];
            s->row.survcells[9] = oneminus(rec[FM_UPPER]);
            s->row.survcells[8] = oneminus(rec[FM_LOWER]);
        }
        tabrow(tab.obj);
    }
    s->work.noconf = noconf;
    fmclose(s, tab);
    return 0;
}

void fmclose(vyxstate* s, tabpair& tab) {
    if (s->groups.lastgrp || s->groups.nclass > 0) tabendrows(tab.obj, !s->groups.lastgrp);
    tabpublish(s->out.outmgr, tab.tabid);
}

int fmcdf(vyxstate* s) {
    const int N = s->opts.npoints;
    s->life.fmcurve = nullptr;
    if (!fmcombined(s)) return 0;
    s->life.fmcurve = records(s, N + 1);
    if (!s->life.fmcurve) return RC_NOMEM;
    const bool logax = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
    if (s->opts.rdxgraph) {
        // Statistical graphics: from the data range of the life axis that the plotted
        // points keep, in whole decades on a log axis (from the decade at or below the first
        // time, 0.1 for a first failure at 0.1 h or 0.3 h: the floor, not the truncation toward
        // zero that would start the curve at 1), else widened by a tenth on each side.
        const double lo0 = s->work.axlim[AX_DATALO], hi0 = s->work.axlim[AX_DATAHI];
        double a, b;
        if (logax) {
            a = std::floor(std::log10(lo0));
            b = std::floor(std::log10(hi0)) + 1;
        } else {
            const double d = hi0 - lo0;
            a = lo0 - 0.1 * d;
            b = hi0 + 0.1 * d;
        }
        for (int i = 0; i <= N; ++i) {
            double* rec = s->life.fmcurve + size_t(i) * FM_WORDS;
            const double f = a + i * (b - a) / N;
            const double x = logax ? std::pow(10.0, f) : f;
            rec[FM_X] = x;
            if (estimate(s, fitscale(s, x), rec) != 0) return 1;
        }
        return 0;
    }
    // Device graphics: evenly over the drawn life axis (vertical when rotated); a point's
    // coordinate is log10 of the time on a log axis.
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate;
    const double len = rot ? f->fh : f->fw, origin = rot ? f->fy : f->fx;
    const double off = rot ? f->voff : f->hoff, fac = rot ? f->vfac : f->hfac;
    const double step = len / N;
    for (int i = 0; i <= N; ++i) {
        double* rec = s->life.fmcurve + size_t(i) * FM_WORDS;
        const double x = (i * step + origin - off) / fac;
        rec[FM_X] = x;
        if (estimate(s, s->opts.logscale[LSC_LN] ? x / LOG10E : x, rec) != 0) return 1;
    }
    return 0;
}

int fmint(vyxstate*, double* x, double* y, const double* recs, int n, int mode) {
    if (mode != 0 && mode != 1) return 0;
    if (!recs || n < 1) return 2;
    const int from = mode == 0 ? FM_X : FM_F, to = mode == 0 ? FM_F : FM_X;
    double* in = mode == 0 ? x : y;
    double* out = mode == 0 ? y : x;
    auto at = [&](int k, int w) { return recs[size_t(k) * FM_WORDS + w]; };
    if (*in < at(0, from)) {
        *out = at(0, to);
        return -1;
    }
    for (int k = 1; k < n; ++k) {
        const double a0 = at(k - 1, from), a1 = at(k, from);
        if (a0 <= *in && *in < a1) {
            *out = at(k - 1, to) + (*in - a0) / (a1 - a0) * (at(k, to) - at(k - 1, to));
            return 0;
        }
    }
    *out = at(n - 1, to);
    return 1;
}
