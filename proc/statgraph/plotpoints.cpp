// The plotted points of one group of a probability plot: one row per nonparametric
// estimate with its limits, and one row per censored observation marking its time.
#include <cmath>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"
#include "proc/statgraph/sgmath.h"
#include "proc/statgraph/sgproto.h"
#include "proc/statgraph/statgraph_internal.h"

using sg::ismiss;
using sg::missing;

double mzmin(double a, double b) { return ismiss(a) || ismiss(b) ? missing() : a < b ? a : b; }
double mzmax(double a, double b) { return ismiss(a) || ismiss(b) ? missing() : a > b ? a : b; }

namespace {

constexpr double kTol = 10000 * 1.1102230246251565e-16;

enum class Limits { None, Pointwise, Simultaneous };

void resetcells(vyxstate* s) {
    double* v = s->row.rowvals;
    for (int k : {SG_YVALUE, SG_XVALUE, SG_YLOWER, SG_YUPPER, SG_XUPPER2, SG_XLOWER2, SG_YLOWER2, SG_YUPPER2, SG_YVALUE2,
                  SG_XVALUE2, SG_CENSOR, SG_SPARE1, SG_SPARE2, SG_PYVAL})
        v[k] = missing();
}

// Interval data: the right ends of the Turnbull intervals but the last.
int intervalpoints(vyxstate* s, grpnode* g, Limits lim, double* vmin, double* vmax) {
    const int32_t n = g->nturn;
    const double* t = g->emtab;
    double* v = s->row.rowvals;
    for (int32_t k = 0; t && k + 1 < n; ++k) {
        const double p = t[EMT_CUM * n + k];
        double y = missing(), lower = missing(), upper = missing();
        if (p > kTol && p < 1 - kTol) {
            y = sg::quant(s, p);
            sg::widen(vmin, vmax, y);
            if (lim != Limits::None) {
                const bool pw = lim == Limits::Pointwise;
                lower = sg::quant(s, t[(pw ? EMT_LOWER : EMT_SIMLOWER) * n + k]);
                upper = sg::quant(s, t[(pw ? EMT_UPPER : EMT_SIMUPPER) * n + k]);
                sg::widen(vmin, nullptr, lower);
                sg::widen(nullptr, vmax, upper);
            }
        }
        const double time = sg::backtime(s, t[EMT_RIGHT * n + k]);
        sg::widen(&s->work.axlim[AX_DATALO], &s->work.axlim[AX_DATAHI], time);
        v[SG_XVALUE] = time;
        v[SG_YVALUE] = y;
        v[SG_YUPPER] = upper;
        v[SG_YLOWER] = lower;
        v[SG_FREQ] = 1;
        if (int rc = phrow(s)) return rc;
    }
    return 0;
}

// One point row from a curve record.
int curvepoint(vyxstate* s, PhRowBlock& rows, const double* r, Limits lim, double* vmin, double* vmax) {
    double* v = s->row.rowvals;
    const double p = r[CR_PPOS];
    const double t = sg::backtime(s, r[CR_TIME]);
    sg::widen(&s->work.axlim[AX_DATALO], &s->work.axlim[AX_DATAHI], t);
    double upper = missing(), lower = missing();
    if (lim == Limits::Pointwise) {
        upper = r[CR_UPPER];
        lower = r[CR_LOWER];
    } else if (lim == Limits::Simultaneous) {
        // The band pass keeps the simultaneous limits in every record, in memory and on
        // the curve file alike (a band too wide to compute spans 0 to 1).
        upper = r[CR_SIMUPPER];
        lower = r[CR_SIMLOWER];
    }
    v[SG_PUPPER] = upper;
    v[SG_PLOWER] = lower;
    const double qlower = sg::quant(s, lower), qupper = sg::quant(s, upper);
    sg::widen(vmin, nullptr, qlower);
    sg::widen(nullptr, vmax, qupper);
    v[SG_PLABEL] = p;
    const double y = sg::quant(s, p);
    sg::widen(vmin, vmax, y);
    v[SG_XVALUE] = t;
    v[SG_YVALUE] = y;
    v[SG_YUPPER] = qupper;
    v[SG_YLOWER] = qlower;
    v[SG_FREQ] = std::trunc(r[CR_WEIGHT]);
    return rows.take();
}

// The point rows of a curve set only these cells: they go to the output a block at a time.
// Without limits the limit cells are missing in every row, and go once for each block.
int curvepoints(vyxstate* s, grpnode* g, Limits lim, double* vmin, double* vmax) {
    double* v = s->row.rowvals;
    PhRowBlock rows = lim == Limits::None
                          ? PhRowBlock(s, {&v[SG_PLABEL], &v[SG_XVALUE], &v[SG_YVALUE], &v[SG_FREQ]})
                          : PhRowBlock(s, {&v[SG_PUPPER], &v[SG_PLOWER], &v[SG_PLABEL], &v[SG_XVALUE], &v[SG_YVALUE],
                                           &v[SG_YUPPER], &v[SG_YLOWER], &v[SG_FREQ]});
    const int32_t n = g->ncurve;
    if (g->crvinmem || !g->ufile2) {
        for (int32_t i = 0; g->crvbuf && i < n; ++i)
            if (int rc = curvepoint(s, rows, g->crvbuf + static_cast<size_t>(i) * CR_WORDS, lim, vmin, vmax)) return rc;
        return rows.flush();
    }
    // Streamed through the group's block buffer, 1000 records at a time.
    for (int32_t done = 0; done < n;) {
        if (xcread(g->ufile2, g->crvbuf, CR_BLOCKBYTES) != 0) {
            // The rows read so far are plotted.
            if (int rc = rows.flush()) return rc;
            xpmlog(510, E510_FILE_ENDS_EARLY);
            return RC_READ;
        }
        const int32_t k = n - done < CR_PERBLOCK ? n - done : CR_PERBLOCK;
        for (int32_t i = 0; i < k; ++i)
            if (int rc = curvepoint(s, rows, g->crvbuf + static_cast<size_t>(i) * CR_WORDS, lim, vmin, vmax)) return rc;
        done += k;
    }
    return rows.flush();
}

}  // namespace

int PlotPoints(vyxstate* s, grpnode* g, double* vmin, double* vmax) {
    resetcells(s);
    const uint32_t np = s->popt.plotcodes[PC_NPINTERVALS];
    const Limits lim = np == 2 || s->popt.pflags.pconfplt ? Limits::Pointwise : np == 1 ? Limits::Simultaneous : Limits::None;
    if (!g->crvinmem && g->ufile2) xcpoint(g->ufile2, 0);
    if (g->ufile) xcpoint(g->ufile, 0);

    if (s->input.rspform[RF_INTERVAL]) return intervalpoints(s, g, lim, vmin, vmax);
    if (int rc = curvepoints(s, g, lim, vmin, vmax)) return rc;

    // Censored marks: a row of their own with only the time of the mark (and the group).
    if (s->input.rspform[RF_TIME] || !s->work.nocenplot || !s->input.rspform[RF_CENSOR]) return 0;
    double* v = s->row.rowvals;
    for (int k = 0; k < SG_CELLS; ++k) v[k] = missing();
    PhRowBlock rows(s, {&v[SG_CENSOR]});
    const int rc = eachrow(s, g, [&](const double* r) -> int {
        if (static_cast<int>(std::trunc(r[OBS_CENS])) == 0) return 0;
        v[SG_CENSOR] = sg::backtime(s, r[OBS_TIME]);
        return rows.take();
    });
    // The marks taken before a failure are plotted as their rows would have been.
    const int frc = rows.flush();
    return rc ? rc : frc;
}
