// Plotted points of every group (the sort and curve, or the Turnbull estimate of interval
// data), the ranges of all groups, and the life, probability and stress axes of a plot.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/groups.h"
#include "proc/lifedist/lifedist_internal.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;

struct ranges {
    double tmin = DBL_MAX, tmax = -DBL_MAX;      // plotted times
    double cmin = DBL_MAX, cmax = -DBL_MAX;      // censored-inclusive times
    double pmin = 1.0, pmax = 0.0;               // plotted probabilities
    double fmin = DBL_MAX, fmax = -DBL_MAX;      // failure weights
};

int process(vyxstate* s, grpnode* g) {
    // A Turnbull estimate that could not be set up (its message logged) stops the
    // statement in this BY group, as a failing sort or curve does.
    if (s->input.rspform[RF_INTERVAL]) return vyxem(s, g) != 0 ? 1 : 0;
    return vyxpdta(s, g) != 0 ? 1 : 0;
}

void fold(ranges& r, const grpnode* g) {
    if (g->pmin > 0) r.pmin = std::fmin(r.pmin, g->pmin);
    if (g->pmax < 1) r.pmax = std::fmax(r.pmax, g->pmax);
    r.tmin = std::fmin(r.tmin, g->ptmin);
    r.tmax = std::fmax(r.tmax, g->ptmax);
    r.cmin = std::fmin(r.cmin, g->tmin);
    r.cmax = std::fmax(r.cmax, g->tmax);
    r.fmin = std::fmin(r.fmin, g->wfail);
    r.fmax = std::fmax(r.fmax, g->wfail);
}

void grouplabel(outputrow& row, const grpnode* g) {
    std::memset(row.grplabel, ' ', 40);
    row.grplablen = wzstrip(g->key, 16);
    std::memcpy(row.grplabel, g->key, static_cast<size_t>(row.grplablen));
}

// Every group of the statement in its order; ranges gathered. 0, or 1 when a sort failed.
int points(vyxstate* s, ranges& r) {
    if (s->groups.nclass == 0) {
        grpnode* g = &s->groups.rootgrp;
        s->groups.curgrp = g;
        if (process(s, g)) return 1;
        r.pmin = g->pmin;
        r.pmax = g->pmax;
        r.tmin = g->ptmin;
        r.tmax = g->ptmax;
        r.cmin = g->tmin;
        r.cmax = g->tmax;
        r.fmin = r.fmax = g->wfail;
        return 0;
    }
    s->groups.grpcount[GCNT_GROUP] = 0;
    s->groups.curgrp = s->groups.grplist.head;
    if (s->groups.nclass == 1) {
        int j = 0;
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++j) {
            grouplabel(s->row, g);
            if (s->life.ppcflag1 || s->life.ppcflag2)
                for (int k = 0; k < 7; ++k) g->ppcslot[k] = s->life.ppcarr[k] + j;
            if (process(s, g)) return 1;
            fold(r, g);
        }
        return 0;
    }
    const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            grpnode* g = s->groups.grpgrid[int64_t(i) * cols + j];
            if (!g) continue;
            gridlabel(s, i, j);
            if (process(s, g)) return 1;
            fold(r, g);
        }
    }
    return 0;
}

double* copyticks(vyxstate* s, int lo, int hi) {
    const int n = hi - lo + 1;
    auto* t = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(n) * 8, poolflag::raw));
    if (!t) {
        xmemmsg(int64_t(n) * 8);
        return nullptr;
    }
    std::memcpy(t, s->popt.panels.pctlist + lo, size_t(n) * 8);
    return t;
}

// The tick indices of the probability axis from the probability range of the points.
void probindices(vyxstate* s, const ranges& r) {
    plotlay* f = s->plot.frame;
    const double* L = s->popt.panels.pctlist;
    const int N = s->popt.panels.npct;
    const bool weibayes = s->work.fitmethod == FIT_WEIBAYES;
    if (!s->popt.pflags.plowgiven && !weibayes) {
        const double t = 100 * r.pmin + 1000 * kEps53;
        int lo = N - 1 <= 0 ? N - 1 : 0;
        for (int i = 1; i <= N - 1; ++i)
            if (L[i] <= t) lo = i;
        f->pfirst = lo;
    }
    if (!s->popt.pflags.pupgiven && !weibayes) {
        const double t = 100 * r.pmax - 1000 * kEps53;
        int hi = N - 1 < 1 ? 0 : N - 1;
        for (int i = 0; i <= N - 2; ++i) {
            if (L[i] >= t) {
                hi = i;
                break;
            }
        }
        f->plast = hi;
    }
    // A PCTLOWER kept above the upper index found from the data would leave no tick at all.
    if (f->plast < f->pfirst) f->plast = f->pfirst;
    // Points at one tick (a single failure at 50 %) would give an axis of no length: it runs
    // from the tick below to the tick above (40 % to 60 %), an end the statement keeps staying.
    if (f->plast == f->pfirst && N > 1) {
        const bool keeplo = s->popt.pflags.plowgiven || weibayes, keephi = s->popt.pflags.pupgiven || weibayes;
        if (!keeplo && f->pfirst > 0) --f->pfirst;
        if (!keephi && f->plast < N - 1) ++f->plast;
        if (f->plast == f->pfirst) {
            if (f->plast < N - 1) ++f->plast;
            else --f->pfirst;
        }
    }
}

}  // namespace

int vyxscl(vyxstate* s) {
    plotlay* f = s->plot.frame;
    s->life.sortdesc[SD_KEYS] = s->life.sortdesc[SD_CTL] = nullptr;
    s->life.sortrow = nullptr;
    f->nvtick = f->nhtick = f->nsint = 1;
    if (s->inwork.spilled) {
        s->life.sortdesc[SD_CTL] = poolbytes(s->pools.stmtpool, sizeof(sortctl), poolflag::raw);
        if (!s->life.sortdesc[SD_CTL]) {
            xmemmsg(sizeof(sortctl));
            return 1;
        }
        s->life.sortdesc[SD_KEYS] = poolbytes(s->pools.stmtpool, 2 * sizeof(sortkey), poolflag::raw);
        if (!s->life.sortdesc[SD_KEYS]) {
            xmemmsg(2 * sizeof(sortkey));
            return 1;
        }
    }
    const int64_t rowbytes = 8 * int64_t(s->opts.rowlay[RL_ROWLEN]);
    s->life.sortrow = static_cast<double*>(poolbytes(s->pools.stmtpool, rowbytes, poolflag::raw));
    if (!s->life.sortrow) {
        xmemmsg(rowbytes);
        return 1;
    }

    ranges r;
    if (points(s, r)) return 1;
    s->life.nfailrng[RG_LO] = r.fmin;
    s->life.nfailrng[RG_HI] = r.fmax;
    s->life.datarng[RG_LO] = r.tmin;
    s->life.datarng[RG_HI] = r.tmax;
    if (r.pmin == 1.0) r.pmin = 0.0;
    if (r.pmax == 0.0) r.pmax = 1.0;
    if (r.pmin == 0.0) r.pmin = 0.020001;
    if (r.pmax == 1.0) r.pmax = 0.949999;
    if (!std::strncmp(s->inwork.curstmt->keyword, "ANALYZE", 7)) return 0;

    // The byte nocenplot is 1 when censored values are drawn one by one, and CENBIN counts them
    // in bins of the axis instead: either way the axis must reach them (the censored-inclusive
    // range), or the units beyond it would be in no bin; with NOCENPLOT it spans the plotted
    // points.
    double lo, hi;
    if ((!s->work.nocenplot && !s->popt.pflags.cenbin) || s->life.cenflag2) {
        lo = r.tmin;
        hi = r.tmax;
    } else {
        lo = r.cmin != DBL_MAX ? r.cmin : r.tmin;
        hi = r.cmax != -DBL_MAX ? r.cmax : r.tmax;
    }
    const bool ln = s->opts.logscale[LSC_LN] != 0, l10 = !ln && s->opts.logscale[LSC_LOG10] != 0;
    const double log10e = std::log10(std::exp(1.0));
    const double flo = ln ? lo * log10e : lo, fhi = ln ? hi * log10e : hi;
    auto timeunits = [&](double x) { return ln ? std::exp(x) : l10 ? std::pow(10.0, x) : x; };
    s->life.ptrange[RG_LO] = timeunits(lo);
    s->life.ptrange[RG_HI] = timeunits(hi);
    // No group with a censored-inclusive range leaves the range missing (not infinity and 0).
    s->life.allrange[RG_LO] = r.cmin != DBL_MAX ? timeunits(r.cmin) : hostmissing();
    s->life.allrange[RG_HI] = r.cmax != -DBL_MAX ? timeunits(r.cmax) : hostmissing();

    if (int rc = lifescl(s, lo, hi)) return rc;
    const bool logs = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
    // The life axis runs along the bottom and the probability axis up the left, as the axes,
    // points, lines and reference lines of the plots draw them; ROTATE exchanges the two.
    if (s->popt.pflags.rotate) {
        f->vmin = s->life.vaxrng[RG_LO] = s->plot.lifescale[LAX_START];
        f->vmax = s->life.vaxrng[RG_HI] = s->plot.lifescale[LAX_END];
        f->vstep = s->plot.lifescale[LAX_STEP];
        f->vdata[0] = flo;
        f->vdata[1] = fhi;
        f->nvtick = s->work.axopt[AO_NTICK];
        f->vticks = s->plot.lifetickv;
        f->nvtickv = static_cast<int32_t>(s->plot.tickinfo[TI_NLIFETICKS]);
        if (logs) s->plot.axlog[AXLOG_V] = 1;
    } else {
        f->hmin = s->life.haxrng[RG_LO] = s->plot.lifescale[LAX_START];
        f->hmax = s->life.haxrng[RG_HI] = s->plot.lifescale[LAX_END];
        f->hstep = s->plot.lifescale[LAX_STEP];
        f->hdata[0] = flo;
        f->hdata[1] = fhi;
        f->nhtick = s->work.axopt[AO_NTICK];
        f->hticks = s->plot.lifetickv;
        f->nhtickv = static_cast<int32_t>(s->plot.tickinfo[TI_NLIFETICKS]);
        if (logs) s->plot.axlog[AXLOG_H] = 1;
    }

    if (s->popt.pflags.pplot) {
        if (!stmtslot(s->inwork.curstmt, slot::plot::PCTLIST)) probindices(s, r);
        double* ticks = copyticks(s, f->pfirst, f->plast);
        if (!ticks) return 1;
        const int n = f->plast - f->pfirst + 1;
        const double a = s->opts.quant_fn(s->popt.panels.pctlist[f->pfirst] / 100), b = s->opts.quant_fn(s->popt.panels.pctlist[f->plast] / 100);
        if (s->popt.pflags.rotate) {
            f->nhtick = 1;
            f->hticks = ticks;
            f->nhtickv = n;
            f->hmin = s->life.haxrng[RG_LO] = a;
            f->hmax = s->life.haxrng[RG_HI] = b;
        } else {
            f->nvtick = 1;
            f->vticks = ticks;
            f->nvtickv = n;
            f->vmin = s->life.vaxrng[RG_LO] = a;
            f->vmax = s->life.vaxrng[RG_HI] = b;
        }
    }
    // The MODEL's regression (FITTYPE=REGRESSION) takes its stress axis from the range of the
    // MODEL's rows (the relation plot's driver): scaled here, the SREF values would be
    // transformed twice.
    if (s->life.stressax && s->work.fitmethod != FIT_REGRESSION) {
        const int k = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
        return stressscl(s, s->groups.levvals[CV_FIRST][0], s->groups.levvals[CV_FIRST][k - 1]);
    }
    return 0;
}
