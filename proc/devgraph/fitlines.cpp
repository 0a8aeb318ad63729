// Fitted lines and confidence curves of one group on a probability plot (vyxddrw).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/gparm.h"
#include "proc/framework/optslots.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/wholenum.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"

namespace {

// The frame-coordinate transform of (life, z): life along the life axis, the standardized
// quantile z along the probability axis; a missing input stays missing.
struct Map {
    const plotlay* f;
    bool rotate;
    void put(double life, double z, double* out) const {
        const double miss = hostmissing();
        const double lc = std::isnan(life) ? miss : life * (rotate ? f->vfac : f->hfac) + (rotate ? f->voff : f->hoff);
        const double zc = std::isnan(z) ? miss : z * (rotate ? f->hfac : f->vfac) + (rotate ? f->hoff : f->voff);
        out[0] = rotate ? zc : lc;
        out[1] = rotate ? lc : zc;
    }
};

struct Pen {
    vyxstate* s;
    float clip[4];
    int color;
    int16_t ltype;
    Map map;

    // Draws n points; false when the host could not.
    bool draw(const double* pts, int n, uint32_t flags) const {
        ggpolyblk b{n, ltype, 0, flags, 0, pts};
        return ggpline(0, &b, color, clip) == 0;
    }
};

double* points(vyxstate* s, int64_t n, poolflag flags) {
    const int64_t bytes = n * 16 > 0 ? n * 16 : 16;
    auto* p = static_cast<double*>(poolbytes(s->pools.workpool, bytes, flags));
    if (!p) xmemmsg(bytes);
    s->plot.linepts = p;
    return p;
}

// The straight line z = (life - mu) / sigma across the life axis, in buf (two points).
bool straight(const Pen& pen, double mu, double sigma, double* buf) {
    const vyxstate* s = pen.s;
    const plotlay* f = s->plot.frame;
    const double log10e = std::log10(std::exp(1.0));
    const bool ln = s->opts.logscale[LSC_LN] != 0;
    const bool rot = pen.map.rotate;
    const double lo = rot ? f->vmin : f->hmin, hi = rot ? f->vmax : f->hmax;
    if (std::fabs(sigma) >= GZ_UNIT) {
        double b = 1.0 / sigma;
        const double a = -mu / sigma;
        if (ln) b /= log10e;
        pen.map.put(lo, a + b * lo, buf);
        pen.map.put(hi, a + b * hi, buf + 2);
    } else {
        // A degenerate scale: every failure at the location.
        const double at = ln ? mu * log10e : mu;
        const double zlo = rot ? f->hmin : f->vmin, zhi = rot ? f->hmax : f->vmax;
        pen.map.put(at, zlo, buf);
        pen.map.put(at, zhi, buf + 2);
    }
    return pen.draw(buf, 2, GGP_LINE);
}

double zof(const vyxstate* s, double p) { return std::isnan(p) ? hostmissing() : s->opts.quant_fn(p); }

// The two confidence curves through the percentile tables of the group.
int confcurves(const Pen& pen, grpnode* g) {
    vyxstate* s = pen.s;
    const plotlay* f = s->plot.frame;
    if (!g->pcttab) return 0;
    const int n = f->plast - f->pfirst + 1 > 0 ? f->plast - f->pfirst + 1 : 0;
    double* buf = points(s, s->popt.panels.npct, poolflag::raw);
    if (!buf) return 1;
    const bool prob = s->popt.plotcodes[PC_PINTERVALS] == 4;
    if (prob && !g->pcttab2) return 0;
    for (int curve = 0; curve < 2; ++curve) {
        for (int k = 0; k < n; ++k) {
            const int i = f->pfirst + k;
            const double* pr = g->pcttab + static_cast<size_t>(i) * PCT_WORDS;
            double p, t;
            if (prob) {
                const double* sr = g->pcttab2 + static_cast<size_t>(i) * PCT_WORDS;
                const double v = sr[curve == 0 ? PCT_UPPER : PCT_LOWER];
                p = std::isnan(v) ? hostmissing() : 1.0 - v;
                t = pr[PCT_EST];
            } else {
                p = s->popt.panels.pctlist[i] / 100.0;
                t = pr[curve == 0 ? PCT_LOWER : PCT_UPPER];
            }
            pen.map.put(lifeunits(s, t), zof(s, p), buf + 2 * k);
        }
        if (!pen.draw(buf, n, GGP_CURVE)) return 1;
    }
    return 0;
}

// The combined failure-mode curve and its limits (fmcurve, npoints + 1 records).
int modecurves(const Pen& pen) {
    vyxstate* s = pen.s;
    const double* r = s->life.fmcurve;
    if (!r) return 0;
    const int n = s->opts.npoints + 1;
    double* buf = points(s, n, poolflag::zeroed);
    if (!buf) return 1;
    auto rec = [&](int k) { return r + static_cast<size_t>(k) * CR_WORDS; };
    for (int k = 0; k < n; ++k) pen.map.put(rec(k)[CR_TIME], zof(s, rec(k)[0]), buf + 2 * k);
    if (!pen.draw(buf, n, GGP_CURVE)) return 1;
    if (s->work.noconf) return 0;
    // The lower limit, made non-decreasing; a missing value breaks the curve and the
    // running maximum starts again.
    double run = 0.0;
    for (int k = 0; k < n; ++k) {
        const double v = rec(k)[CR_LOWER];
        if (std::isnan(v)) {
            pen.map.put(rec(k)[CR_TIME], hostmissing(), buf + 2 * k);
            run = 0.0;
            continue;
        }
        run = std::fmax(run, v);
        pen.map.put(rec(k)[CR_TIME], zof(s, run), buf + 2 * k);
    }
    if (!pen.draw(buf, n, GGP_CURVE)) return 1;
    for (int k = 0; k < n; ++k) {
        const double v = rec(k)[CR_UPPER];
        pen.map.put(rec(k)[CR_TIME], std::isnan(v) || v == 1.0 ? hostmissing() : zof(s, v), buf + 2 * k);
    }
    return pen.draw(buf, n, GGP_CURVE) ? 0 : 1;
}

// PLOTMODES: the fitted line of every listed mode that could be fitted, in its own style.
// The lines take the modes' fits as they stand; the group's own fit is left as it is.
int modelines(const Pen& pen) {
    vyxstate* s = pen.s;
    if (!s->groups.fmodeset.plotmodes || !s->life.fmloc || !s->life.fmscale) return 0;
    double* buf = points(s, 2, poolflag::raw);
    if (!buf) return 1;
    for (int k = 0; k < s->groups.fmodeset.nvals; ++k) {
        if (s->life.fmused && !s->life.fmused[k]) continue;
        Pen mode = pen;
        if (s->plot.fmstyles) {
            const symrec& st = s->plot.fmstyles[k];
            mode.color = ggcnum(0, st.color);
            mode.ltype = st.ltype > 0 ? st.ltype : 1;
        }
        if (!straight(mode, s->life.fmloc[k], s->life.fmscale[k], buf)) return 1;
    }
    return 0;
}

}  // namespace

int vyxddrw(vyxstate* s, grpnode* g) {
    const plotlay* f = s->plot.frame;
    const symrec* line = g->sym[0] ? g->sym[0] : s->plot.symarr;
    Pen pen{s, {static_cast<float>(f->fx), static_cast<float>(f->fy), static_cast<float>(f->fx + f->fw), static_cast<float>(f->fy + f->fh)},
            line ? ggcnum(0, line->color) : 1, line ? line->ltype : int16_t(1), Map{f, s->popt.pflags.rotate != 0}};
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = std::clamp(satint(gparm(s->inwork.curstmt, slot::plot::WFIT, 1)), 1, MOST_WIDTH);
    int rc = 0;
    if (!s->popt.pflags.fmcombine) {
        double* buf = points(s, 2, poolflag::raw);
        if (!buf) rc = 1;
        else if (!straight(pen, g->loc, g->scale, buf)) rc = 1;
        else if (!s->work.noconf) rc = confcurves(pen, g);
    } else {
        rc = modecurves(pen);
        if (rc == 0) rc = modelines(pen);
    }
    resetwidth(s);
    return rc;
}
