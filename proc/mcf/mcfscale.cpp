// The axis ranges of an MCF plot: the extremes of every group drawn, the HLOWER, HUPPER,
// VLOWER and VUPPER options, whole decades under LOGLOG, nice ticks otherwise, and with
// CENBIN the bin edges of the end-of-observation counts.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf.h"
#include "proc/mcf/mcfplot.h"

namespace {

constexpr double kNice[5] = {1, 2, 2.5, 5, 10};
constexpr double kTiny = 1.110223024625157e-16;
constexpr double kLogFloor = 0.001;
constexpr double kTol = 1.053671212772351e-08 * 1000;
constexpr int kMaxTicks = 1000;

struct Extremes {
    double evtmin = DBL_MAX, evtmax = -DBL_MAX, endmin = DBL_MAX, endmax = -DBL_MAX;
    double lo = DBL_MAX, hi = -DBL_MAX;
};

void take(Extremes& e, const grpnode* g, bool limits) {
    const auto& m = g->mcf;
    e.evtmin = std::min(e.evtmin, m.evtmin);
    e.evtmax = std::max(e.evtmax, m.evtmax);
    e.endmin = std::min(e.endmin, m.endmin);
    e.endmax = std::max(e.endmax, m.endmax);
    e.lo = std::min(e.lo, limits ? m.lowmin : m.mcfmin);
    e.hi = std::max(e.hi, limits ? m.uppmax : m.mcfmax);
}

Extremes gather(const vyxstate* s, bool limits) {
    Extremes e;
    if (s->groups.nclass == 0) {
        take(e, &s->groups.rootgrp, limits);
    } else {
        for (const grpnode* g = s->groups.grplist.head; g; g = g->next) {
            if (s->groups.nclass == 1)
                take(e, g, limits);
            else
                for (const grpnode* h = g->subtree.head; h; h = h->next) take(e, h, limits);
        }
    }
    return e;
}

// One axis as the layout record keeps it.
struct Axis {
    double lo, hi, step;
    int count;          // intervals
    double* ticks;      // count + 1 positions
};

double* doubles(vyxstate* s, int n) {
    const int64_t bytes = int64_t(std::max(n, 1)) * 8;
    auto* p = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::zeroed));
    if (!p) xmemmsg(bytes);
    return p;
}

// Whole decades from floor(lo) to ceil(hi) (log10 values); a given end replaces its tick.
int decades(vyxstate* s, double lo, double hi, bool logiven, double lov, bool higiven, double hiv, Axis* a) {
    double first = std::floor(lo), last = std::ceil(hi);
    if (last <= first) last = first + 1;
    const int n = static_cast<int>(std::min<double>(last - first, kMaxTicks));
    if (!(a->ticks = doubles(s, n + 1))) return RC_REPORTED;
    for (int i = 0; i <= n; ++i) a->ticks[i] = first + i;
    if (logiven) a->ticks[0] = lov;
    if (higiven) a->ticks[n] = hiv;
    a->lo = a->ticks[0];
    a->hi = a->ticks[n];
    a->step = 1;
    a->count = n;
    return 0;
}

// Even ticks: NTICK intervals between two given ends, else a nice scale that keeps the
// given end.
int linear(vyxstate* s, double lo, double hi, bool logiven, bool higiven, int32_t* ntick, uint8_t* given, Axis* a) {
    if (*ntick < 1) *ntick = 4;
    scale sc{};
    int n;
    if (logiven && higiven) {
        sc.min = lo;
        sc.max = hi;
        n = *ntick;
        sc.incr = (hi - lo) / n;
    } else {
        const char side = logiven ? 'L' : higiven ? 'U' : 'X';
        n = zqscale(lo, hi, logiven || higiven ? -*ntick : *ntick, 5, kNice, &sc, 'S', side);
        if (n < 0) {
            *given = 1;
            *ntick = 4;
            n = 4;
            sc.min = lo;
            sc.max = hi;
            sc.incr = (hi - lo) / 4;
        }
    }
    // A range without width still gets an axis: one unit around its value.
    if (!(sc.incr > 0)) {
        sc.min = lo - 0.5;
        sc.max = lo + 0.5;
        n = std::max(n, 1);
        sc.incr = 1.0 / n;
    }
    n = std::min(n, kMaxTicks);
    if (!(a->ticks = doubles(s, n + 1))) return RC_REPORTED;
    const double tol = std::max(std::fabs(sc.min), std::fabs(sc.max)) * kTol;
    int k = 0;
    for (double v = sc.min; k <= n && v <= sc.max + tol; v = sc.min + k * sc.incr) a->ticks[k++] = v;
    a->lo = sc.min;
    a->hi = sc.max;
    a->step = sc.incr;
    a->count = k - 1;
    return 0;
}

// The bin edges along the time axis: every tick and, without CCENBIN, the midpoint after
// each one; one counter per bin.
int bins(vyxstate* s, const Axis& a) {
    const bool closed = s->popt.pflags.ccenbin;
    const int m = closed ? a.count + 1 : 2 * (a.count + 1) - 1;
    double* e = doubles(s, m);
    auto* c = static_cast<int32_t*>(poolbytes(s->pools.stmtpool, int64_t(std::max(m - 1, 1)) * 4, poolflag::zeroed));
    if (!e || !c) {
        if (e) xmemmsg(int64_t(std::max(m - 1, 1)) * 4);
        return RC_REPORTED;
    }
    int k = 0;
    for (int i = 0; i <= a.count; ++i) {
        e[k++] = a.ticks[i];
        if (!closed && i < a.count) e[k++] = 0.5 * (a.ticks[i] + a.ticks[i + 1]);
    }
    for (int i = 0; i + 1 < m; ++i) c[i] = 0;
    s->plot.lifeticks = e;
    s->plot.lifecounts = c;
    s->plot.tickinfo[TI_NBOUNDS] = static_cast<uint32_t>(m);
    return 0;
}

void store(plotlay* f, const Axis& a, bool horizontal) {
    if (horizontal) {
        f->hmin = a.lo, f->hmax = a.hi, f->hstep = a.step, f->nhtick = a.count;
        f->hticks = a.ticks, f->nhtickv = a.count + 1;
    } else {
        f->vmin = a.lo, f->vmax = a.hi, f->vstep = a.step, f->nvtick = a.count;
        f->vticks = a.ticks, f->nvtickv = a.count + 1;
    }
}

}  // namespace

int vyxcfsc(vyxstate* s) {
    const auto& p = s->popt.pflags;
    auto& o = s->mcf.mcfopt;
    plotlay* f = s->plot.frame;
    const bool limits = o.wantlims && !s->work.noconf;
    const bool loglog = s->opts.logscale[LSC_LN] != 0;
    const Extremes e = gather(s, limits);
    s->plot.axlog[AXLOG_H] = s->plot.axlog[AXLOG_V] = 0;

    // Time axis.
    double lo = e.evtmin, hi = e.evtmax;
    if (s->work.nocenplot || p.cenbin) {
        lo = std::min(lo, e.endmin);
        hi = std::max(hi, e.endmax);
    }
    if (lo > hi) lo = hi = 0;   // no group has a time to show
    if (p.cenbin) hi += 0.1 * (hi - lo);
    f->hdata[0] = lo;
    f->hdata[1] = hi;
    if (s->work.llowgiven) lo = s->work.axlim[AX_LIFELOWER];
    if (s->work.lupgiven) hi = s->work.axlim[AX_LIFEUPPER];
    Axis h{};
    if (loglog) {
        if (lo <= kTiny) {
            xpmlog(510, W510_MCF_LOG_HLOWER, lo);
            lo = kLogFloor;
        }
        if (hi <= kTiny) hi = lo;
        lo = std::log10(lo);
        hi = std::log10(hi);
        if (lo > hi) {
            xpmlog(510, E510_MCF_HAXIS_REVERSED, std::pow(10.0, lo), std::pow(10.0, hi));
            return RC_REPORTED;
        }
        if (decades(s, lo, hi, s->work.llowgiven, lo, s->work.lupgiven, hi, &h)) return RC_REPORTED;
        s->plot.axlog[AXLOG_H] = 1;
    } else {
        if (lo > hi) {
            xpmlog(510, E510_MCF_HAXIS_REVERSED, lo, hi);
            return RC_REPORTED;
        }
        if (linear(s, lo, hi, s->work.llowgiven, s->work.lupgiven, &o.ntick[MTICK_H], &o.ntickgiven[MTICK_H], &h)) return RC_REPORTED;
    }
    store(f, h, true);

    // MCF axis.
    lo = e.lo;
    hi = e.hi;
    if (lo > hi) lo = hi = 0;   // no estimate at all
    f->vdata[0] = lo;
    f->vdata[1] = hi;
    if (p.plowgiven) lo = s->work.axlim[AX_PCTLOWER];
    if (p.pupgiven) hi = s->work.axlim[AX_PCTUPPER];
    Axis v{};
    if (loglog) {
        if (p.plowgiven && lo <= kTiny) {
            xpmlog(510, W510_MCF_LOG_VLOWER, lo);
            lo = kLogFloor;
        } else if (lo <= kTiny) {
            xpmlog(510, hi > kTiny ? W510_MCF_LOG_LIMITS : W510_MCF_LOG_NO_DATA);
            lo = kLogFloor;
        }
        if (hi <= kTiny) hi = lo;
        lo = std::log10(lo);
        hi = std::log10(hi);
        if (hi < lo) {
            xpmlog(510, E510_MCF_VAXIS_REVERSED, std::pow(10.0, lo), std::pow(10.0, hi));
            return RC_REPORTED;
        }
        if (decades(s, lo, hi, p.plowgiven, lo, p.pupgiven, hi, &v)) return RC_REPORTED;
        s->plot.axlog[AXLOG_V] = 1;
    } else {
        // Normal limits of a curve that starts at 0 dip below 0 near its start; they do not
        // take the axis below 0, where there is nothing to show (the limits are cut at the
        // frame, as the curve would be).
        if (!p.plowgiven && lo < 0 && gather(s, false).lo >= 0) lo = 0;
        if (hi < lo) {
            xpmlog(510, E510_MCF_VAXIS_REVERSED, lo, hi);
            return RC_REPORTED;
        }
        if (linear(s, lo, hi, p.plowgiven, p.pupgiven, &o.ntick[MTICK_V], &o.ntickgiven[MTICK_V], &v)) return RC_REPORTED;
    }
    store(f, v, false);

    if (p.cenbin && bins(s, h)) return RC_REPORTED;
    o.axscaled = 1;
    return 0;
}
