// Room for an inset without a position: of the free corners, in the order NW, NE, SW, SE, the
// first whose box neither the group's fitted line, its confidence curves, its plotted points
// with their limit bars (when they are held in memory) nor a label of a reference line meets; on an MCF plot the
// labels and what the MCF drawing says of its curves. A plot whose every free corner is
// taken so keeps the first one, its labels where they stand.
#include <algorithm>
#include <cmath>
#include <vector>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph.h"
#include "proc/devgraph/insetroom.h"
#include "proc/devgraph/pagebox.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/vyxstate.h"
#include "proc/framework/hostsvc.h"
#include "proc/lifedist/lifedist.h"

namespace {

using Box = PageBox;


// A box that holds a plotted point in memory (its time on the fitting scale: ln t on a log
// axis) with its marker, or that its limit bars (NPINTERVALS=) cross.
bool holdspoint(const vyxstate* s, const grpnode* g, const Box& b) {
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate != 0;
    // The plotted points that are in memory (their times on the fitting scale: ln t on a
    // log axis), with their markers: a box whose edge would cut a marker is not clear.
    if (!s->popt.pflags.noppos && g->crvinmem && g->crvbuf) {
        const double log10e = std::log10(std::exp(1.0));
        const double hy = 0.5 * (g->sym[1] ? g->sym[1]->symsize : f->symh), hx = hy * f->chdiv;
        const Box wide{b.x0 - hx, b.y0 - hy, b.x1 + hx, b.y1 + hy};
        // Their limit bars too (NPINTERVALS=): a short line across the life axis at each limit.
        bool sim = false;
        const bool bars = pointlimits(s, &sim);
        const double half = 0.5 * (rot ? f->htickl : f->vtickl);
        for (int32_t i = 0; i < g->ncurve; ++i) {
            const double* r = g->crvbuf + static_cast<size_t>(i) * CR_WORDS;
            const double p = r[CR_PPOS], t = s->opts.logscale[LSC_LN] ? r[CR_TIME] * log10e : r[CR_TIME];
            if (!(p > 0 && p < 1) || std::isnan(t)) continue;
            double x, y;
            pagexy(f, rot, t, s->opts.quant_fn(p), &x, &y);
            if (wide.holds(x, y)) return true;
            if (!bars || std::isnan(r[sim ? CR_SIMLOWER : CR_LOWER]) || std::isnan(r[sim ? CR_SIMUPPER : CR_UPPER])) continue;
            for (double q : {r[sim ? CR_SIMLOWER : CR_LOWER], r[sim ? CR_SIMUPPER : CR_UPPER]}) {
                if (!(q > 0 && q < 1)) continue;
                pagexy(f, rot, t, s->opts.quant_fn(q), &x, &y);
                if (rot ? b.meets(x, y - half, x, y + half) : b.meets(x - half, y, x + half, y)) return true;
            }
        }
    }
    return false;
}

bool crossed(const vyxstate* s, const grpnode* g, const Box& b, const std::vector<Box>& labels) {
    for (const Box& l : labels)
        if (b.overlaps(l)) return true;
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate != 0;
    // The fitted line z = (life - mu) / sigma across the life axis.
    if (!s->work.nofitline && std::fabs(g->scale) >= GZ_UNIT) {
        const double log10e = std::log10(std::exp(1.0));
        double slope = 1.0 / g->scale;
        const double a = -g->loc / g->scale;
        if (s->opts.logscale[LSC_LN]) slope /= log10e;
        const double lo = rot ? f->vmin : f->hmin, hi = rot ? f->vmax : f->hmax;
        double ax, ay, bx, by;
        pagexy(f, rot, lo, a + slope * lo, &ax, &ay);
        pagexy(f, rot, hi, a + slope * hi, &bx, &by);
        if (b.meets(ax, ay, bx, by)) return true;
    }
    // The confidence curves through the percentile tables.
    if (!s->work.nofitline) {
        std::vector<double> xy[2];
        confpoints(s, g, xy);
        for (const std::vector<double>& c : xy)
            for (size_t k = 0; k + 1 < c.size(); k += 2) {
                const double px = k ? c[k - 2] : NAN, py = k ? c[k - 1] : NAN, x = c[k], y = c[k + 1];
                if (b.meets(px, py, x, y) || (std::isfinite(x) && std::isfinite(y) && b.holds(x, y))) return true;
            }
    }
    return holdspoint(s, g, b);
}

}  // namespace

int insetroom(vyxstate* s, const grpnode* g, const bool taken[4], const double boxes[4][4], insetcurves curves, bool* clear, panelink ink) {
    int first = -1;
    if (clear) *clear = true;
    std::vector<Box> labels;
    bool measured = false;
    const bool mcf = s->popt.pflags.ismcf != 0;
    for (int k = 0; k < 4; ++k) {
        if (taken[k]) continue;
        if (first < 0) first = k;
        if (!g || s->popt.pflags.fmcombine || (!mcf && !s->opts.quant_fn)) return first;
        if (!measured) reflabelboxes(s, g, &labels, ink);
        measured = true;
        const Box b{boxes[k][0], boxes[k][1], boxes[k][2], boxes[k][3]};
        // An MCF plot: the labels, and its curves as the MCF drawing tells them.
        const bool free = mcf ? std::none_of(labels.begin(), labels.end(), [&](const Box& l) { return b.overlaps(l); }) &&
                                     !(curves && curves(s, g, b))
                               : !crossed(s, g, b, labels);
        if (free) return k;
    }
    if (clear && first >= 0) *clear = false;
    // No corner is clear: the box will be filled over what lies beneath, so it takes the first
    // corner where it hides lines only, not a plotted point (a group of one point keeps it).
    if (measured && !mcf)
        for (int k = 0; k < 4; ++k)
            if (!taken[k] && !holdspoint(s, g, Box{boxes[k][0], boxes[k][1], boxes[k][2], boxes[k][3]})) return k;
    return first;
}
