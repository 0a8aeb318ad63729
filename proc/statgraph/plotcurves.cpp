// The fitted line of one group of a probability plot with its probability band (Ylower2,
// Yupper2) and time band (Xlower2, Xupper2); with FMODE COMBINE the combined failure-mode
// curve and, with PLOTMODES, a straight line per mode.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "proc/devgraph/devgraph.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::ismiss;
using sg::missing;

namespace {

constexpr double kTol = 1000 * 1.1102230246251565e-16;
// The ends of a data range that no point set stay at the largest number.
constexpr double kUnset = DBL_MAX;

// A time outside [xlo, xhi] is dropped.
double clip(double v, double xlo, double xhi) { return ismiss(v) || v > xhi || v < xlo ? missing() : v; }

// A whole decade at or below (up false) or above (up true) a time; missing where 10^k overflows.
double decade(double t, bool up) {
    if (ismiss(t) || !(t > 0)) return missing();
    const double k = up ? std::ceil(std::log10(t)) : std::floor(std::log10(t));
    return k * std::log(10.0) < sg::kExpCap ? std::pow(10.0, k) : missing();
}

struct Line {
    double slope = missing(), icpt = missing();
    double at(const vyxstate* s, double t) const {
        const double x = sg::fwdtime(s, t);
        return ismiss(slope) || ismiss(icpt) || ismiss(x) ? missing() : slope * x + icpt;
    }
};

// A row at the end time v of the line: the line itself and both bands there.
int endrow(vyxstate* s, grpnode* g, const Line& line, double v, double xlo, double xhi) {
    double* c = s->row.rowvals;
    double rec[24];
    for (double& w : rec) w = missing();
    if (g->parmcov) sflim(s, g, v, rec);
    c[SG_YLOWER2] = sg::quant(s, ismiss(rec[PCT_UPPER]) ? missing() : 1 - rec[PCT_UPPER]);
    c[SG_YUPPER2] = sg::quant(s, ismiss(rec[PCT_LOWER]) ? missing() : 1 - rec[PCT_LOWER]);
    const double S = rec[PCT_EST];
    double prec[24];
    for (double& w : prec) w = missing();
    if (!ismiss(S) && s->life.parmvec.block) {
        pctl(s, 1 - S, &prec[PCT_EST]);
        cflim(s, 1 - S, prec);
    }
    c[SG_XUPPER2] = clip(sg::backtime(s, prec[PCT_UPPER]), xlo, xhi);
    c[SG_XLOWER2] = clip(sg::backtime(s, prec[PCT_LOWER]), xlo, xhi);
    c[SG_XVALUE2] = v;
    c[SG_YVALUE2] = line.at(s, v);
    return phrow(s);
}

// FMODE COMBINE: the combined failure-mode curve with its band (the lower limit never
// falling along the curve) under "Combined", and with PLOTMODES each usable mode's straight
// line between the curve's first and last time under the mode's value. The modes' lines are
// computed here; the current parameter vector is left as it was.
int fmcurves(vyxstate* s, double* vmin, double* vmax) {
    double* c = s->row.rowvals;
    if (fmcdf(s) != 0 || !s->life.fmcurve) return 0;
    const int n = s->opts.npoints + 1;
    padtext(s->row.rowtext, 256, 0, "Combined", 8);
    double m = 0;
    for (int i = 0; i < n; ++i) {
        const double* r = s->life.fmcurve + static_cast<size_t>(i) * FM_WORDS;
        const double p = r[FM_F];
        const double y = ismiss(p) || p >= 1 ? missing() : sg::quant(s, p);
        // Only values that exist widen the range (a missing one would make it missing).
        sg::widen(vmin, vmax, y);
        if (!ismiss(r[FM_LOWER])) m = std::max(m, r[FM_LOWER]);
        const double lower = sg::quant(s, m);
        const double upper = ismiss(r[FM_UPPER]) || r[FM_UPPER] >= 1 ? missing() : sg::quant(s, r[FM_UPPER]);
        if (!s->work.noconf) {
            sg::widen(vmin, nullptr, lower);
            sg::widen(nullptr, vmax, upper);
        }
        c[SG_XVALUE2] = r[FM_X];
        c[SG_YVALUE2] = y;
        c[SG_YLOWER2] = lower;
        c[SG_YUPPER2] = upper;
        if (int rc = phrow(s)) return rc;
    }
    const auto& fm = s->groups.fmodeset;
    if (!fm.plotmodes || fm.nvals <= 0 || !s->life.fmloc || !s->life.fmscale) return 0;
    const double t0 = s->life.fmcurve[FM_X], t1 = s->life.fmcurve[static_cast<size_t>(n - 1) * FM_WORDS + FM_X];
    c[SG_YLOWER2] = c[SG_YUPPER2] = missing();
    for (int i = 0; i < fm.nvals; ++i) {
        if (s->life.fmused && !s->life.fmused[i]) continue;
        padtext(s->row.rowtext, 256, 0, fm.vals[i], fm.lens ? fm.lens[i] : 16);
        Line line;
        const double loc = s->life.fmloc[i], scale = s->life.fmscale[i];
        if (!ismiss(scale) && scale > 0) line.slope = 1 / scale;
        if (!ismiss(scale) && !ismiss(loc) && scale > 0) line.icpt = -loc / scale;
        for (double t : {t0, t1}) {
            c[SG_XVALUE2] = t;
            c[SG_YVALUE2] = line.at(s, t);
            if (int rc = phrow(s)) return rc;
        }
    }
    return 0;
}

}  // namespace

int PlotCurves(vyxstate* s, grpnode* g, double* vmin, double* vmax) {
    double* c = s->row.rowvals;
    // Every cell a point row set, the censored mark's too: a curve row repeats no point or mark.
    for (int k = 0; k < SG_CELLS; ++k) c[k] = missing();
    if (g->nofit) return phrow(s);
    if (s->popt.pflags.fmcombine) return fmcurves(s, vmin, vmax);

    Line line;
    const double loc = g->loc, scale = g->scale;
    if (!ismiss(scale) && std::fabs(scale) >= kTol) {
        line.slope = 1 / scale;
        if (!ismiss(loc)) line.icpt = -loc / scale;
    }
    // The line spans the data, in whole decades on a log scale. An end that no plotted point
    // set (a point whose probability rounds to 0 or 1 sets only the other) is the other end;
    // with neither there is no line.
    double lo = s->life.datarng[RG_LO], hi = s->life.datarng[RG_HI];
    const bool haslo = std::fabs(lo) < kUnset, hashi = std::fabs(hi) < kUnset;
    if (!haslo && !hashi) return phrow(s);
    if (!haslo) lo = hi;
    if (!hashi) hi = lo;
    double xlo = sg::backtime(s, lo), xhi = sg::backtime(s, hi);
    if (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) {
        xlo = decade(xlo, false);
        xhi = decade(xhi, true);
    }
    // The survival and percentile limits need the group's fit in the parameter vector.
    double* saved = s->life.parmvec.block;
    if (g->parmcov) s->life.parmvec.block = g->parmcov;
    int rc = endrow(s, g, line, xlo, xlo, xhi);

    // The probability table between the ends, one entry more on each side when its time
    // still lies on the time axis.
    const plotlay* f = s->plot.frame;
    const int n = s->popt.panels.npct;
    const double* prob = g->pcttab2;
    const double* pct = g->pcttab;
    if (!rc && prob && pct && f && n > 0) {
        double axlo = s->plot.lifescale[LAX_START], axhi = s->plot.lifescale[LAX_END];
        if (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) axlo = std::pow(10.0, axlo), axhi = std::pow(10.0, axhi);
        int first = f->pfirst, last = f->plast;
        if (first >= 0 && first < n) {
            const double t = prob[static_cast<size_t>(first) * PCT_WORDS + PCT_TIME];
            if (!ismiss(t) && t >= axlo && first > 0) --first;
        }
        if (last >= 0 && last < n) {
            const double t = prob[static_cast<size_t>(last) * PCT_WORDS + PCT_TIME];
            if (!ismiss(t) && t <= axhi && last < n - 1) ++last;
        }
        if (first < 0) first = 0;
        for (int k = first; k <= last && k < n && !rc; ++k) {
            const double* r = prob + static_cast<size_t>(k) * PCT_WORDS;
            const double* q = pct + static_cast<size_t>(k) * PCT_WORDS;
            const double y = sg::quant(s, ismiss(r[PCT_EST]) ? missing() : 1 - r[PCT_EST]);
            if (!ismiss(y)) {
                *vmin = mzmin(*vmin, y);
                *vmax = mzmax(*vmax, y);
            }
            c[SG_XVALUE2] = clip(r[PCT_TIME], xlo, xhi);
            c[SG_YVALUE2] = y;
            c[SG_YLOWER2] = sg::quant(s, ismiss(r[PCT_UPPER]) ? missing() : 1 - r[PCT_UPPER]);
            c[SG_YUPPER2] = sg::quant(s, ismiss(r[PCT_LOWER]) ? missing() : 1 - r[PCT_LOWER]);
            c[SG_XLOWER2] = clip(q[PCT_LOWER], xlo, xhi);
            c[SG_XUPPER2] = clip(q[PCT_UPPER], xlo, xhi);
            rc = phrow(s);
        }
    }
    if (!rc) rc = endrow(s, g, line, xhi, xlo, xhi);
    s->life.parmvec.block = saved;
    return rc;
}
