// What a group of a probability plot draws on its panel, as the labels of the reference lines
// keep clear of it: the markers of its plotted points (those held in memory) and its fitted
// line with the confidence curves.
#include <cmath>
#include <cstdint>

#include "host/hostdefs.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/optslots.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kEps = 10000.0 * GZ_UNIT;   // plotted probabilities lie in (kEps, 1 - kEps)
constexpr double kLog10e = 0.4342944819032518;

// The life of a point at the probability p and the life t (on the fitting scale) in axis
// units; false when the point is not drawn.
bool drawnlife(const vyxstate* s, double p, double t, double* life) {
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate != 0;
    if (!(p > kEps && p < 1.0 - kEps) || std::isnan(t)) return false;
    *life = s->opts.logscale[LSC_LN] ? t * kLog10e : t;
    const double lc = *life * (rot ? f->vfac : f->hfac) + (rot ? f->voff : f->hoff);
    const double lo = rot ? f->fy - f->gapb : f->fx - f->gapl, hi = rot ? f->fy + f->fh + f->gapt : f->fx + f->fw + f->gapr;
    return lc >= lo && lc <= hi;
}

// The marker of a point at the probability p and the life t (on the fitting scale).
void mark(const vyxstate* s, const grpnode* g, double p, double t, PanelInk* ink) {
    const plotlay* f = s->plot.frame;
    double life, x, y;
    if (!drawnlife(s, p, t, &life)) return;
    pagexy(f, s->popt.pflags.rotate != 0, life, s->opts.quant_fn(p), &x, &y);
    const double hy = 0.5 * (g->sym[1] && g->sym[1]->symsize > 0 ? g->sym[1]->symsize : f->symh), hx = hy * f->chdiv;
    ink->addmark(PageBox{x - hx, y - hy, x + hx, y + hy});
}

// The limit bars of that point at the probabilities lo and hi: a short line across the life
// axis at each.
void bars(const vyxstate* s, double p, double t, double lo, double hi, PanelInk* ink) {
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate != 0;
    double life;
    if (std::isnan(lo) || std::isnan(hi) || !drawnlife(s, p, t, &life)) return;
    const double half = 0.5 * (rot ? f->htickl : f->vtickl);
    for (const double q : {lo, hi}) {
        if (!(q > 0.0 && q < 1.0)) continue;
        double x, y;
        pagexy(f, rot, life, s->opts.quant_fn(q), &x, &y);
        ink->addline(rot ? PageBox{x, y - half, x, y + half} : PageBox{x - half, y, x + half, y});
    }
}

}  // namespace

void pagexy(const plotlay* f, bool rotate, double life, double z, double* x, double* y) {
    const double lc = life * (rotate ? f->vfac : f->hfac) + (rotate ? f->voff : f->hoff);
    const double zc = z * (rotate ? f->hfac : f->vfac) + (rotate ? f->hoff : f->voff);
    *x = rotate ? zc : lc;
    *y = rotate ? lc : zc;
}

double lifeunits(const vyxstate* s, double t) {
    if (std::isnan(t)) return NAN;
    if (s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10]) return t > 0 ? std::log10(t) : NAN;
    return t;
}

void ppink(vyxstate* s, const grpnode* g, PanelInk* ink) {
    const plotlay* f = s->plot.frame;
    if (!g || !f || !s->opts.quant_fn) return;
    const bool rot = s->popt.pflags.rotate != 0;
    // The points: failures from the curve records, or the ends of the Turnbull intervals.
    if (s->popt.pflags.pplot && !s->popt.pflags.noppos) {
        if (s->input.rspform[RF_INTERVAL]) {
            const int32_t n = g->nturn;
            const double* a = g->emtab;
            for (int32_t i = 0; a && i + 1 < n; ++i)
                mark(s, g, a[static_cast<size_t>(EMT_CUM) * n + i], a[static_cast<size_t>(EMT_RIGHT) * n + i], ink);
        } else if (g->crvinmem && g->crvbuf) {
            for (int32_t i = 0; i < g->ncurve; ++i) {
                const double* r = g->crvbuf + static_cast<size_t>(i) * CR_WORDS;
                mark(s, g, r[CR_PPOS], r[CR_TIME], ink);
            }
        }
    }
    if (g->nofit || s->popt.pflags.fmcombine || stmtflag(s->inwork.curstmt, flag::plot::NOFITLINE)) return;
    // The fitted line z = (life - mu) / sigma across the life axis.
    if (std::fabs(g->scale) >= GZ_UNIT) {
        double slope = 1.0 / g->scale;
        const double a = -g->loc / g->scale;
        if (s->opts.logscale[LSC_LN]) slope /= kLog10e;
        const double lo = rot ? f->vmin : f->hmin, hi = rot ? f->vmax : f->hmax;
        PageBox l{};
        pagexy(f, rot, lo, a + slope * lo, &l.x0, &l.y0);
        pagexy(f, rot, hi, a + slope * hi, &l.x1, &l.y1);
        ink->addline(l);
    }
    // The confidence curves: a segment between each two points that both lie on the page.
    std::vector<double> xy[2];
    confpoints(s, g, xy);
    for (const std::vector<double>& c : xy)
        for (size_t k = 2; k + 1 < c.size(); k += 2)
            if (std::isfinite(c[k - 2]) && std::isfinite(c[k])) ink->addline(PageBox{c[k - 2], c[k - 1], c[k], c[k + 1]});
}

void confpoints(const vyxstate* s, const grpnode* g, std::vector<double> xy[2]) {
    const plotlay* f = s->plot.frame;
    const bool rot = s->popt.pflags.rotate != 0;
    const bool prob = s->popt.plotcodes[PC_PINTERVALS] == 4;
    if (s->work.noconf || !g->pcttab || !s->popt.panels.pctlist || (prob && !g->pcttab2)) return;
    for (int curve = 0; curve < 2; ++curve) {
        for (int i = f->pfirst; i <= f->plast; ++i) {
            const double* pr = g->pcttab + static_cast<size_t>(i) * PCT_WORDS;
            double p, t;
            if (prob) {
                p = 1.0 - g->pcttab2[static_cast<size_t>(i) * PCT_WORDS + (curve == 0 ? PCT_UPPER : PCT_LOWER)];
                t = pr[PCT_EST];
            } else {
                p = s->popt.panels.pctlist[i] / 100.0;
                t = pr[curve == 0 ? PCT_LOWER : PCT_UPPER];
            }
            double x = NAN, y = NAN;
            t = lifeunits(s, t);
            if (!std::isnan(t) && p > 0 && p < 1) pagexy(f, rot, t, s->opts.quant_fn(p), &x, &y);
            xy[curve].push_back(x);
            xy[curve].push_back(y);
        }
    }
}

void ppbars(vyxstate* s, const grpnode* g, PanelInk* ink) {
    if (!g || !s->plot.frame || !s->opts.quant_fn || !s->popt.pflags.pplot || s->popt.pflags.noppos) return;
    bool simfail = false;
    if (!pointlimits(s, &simfail)) return;
    if (s->input.rspform[RF_INTERVAL]) {
        const uint32_t np = s->popt.plotcodes[PC_NPINTERVALS];
        const bool sim = !(np == 2 || s->popt.pflags.pconfplt);
        const int32_t n = g->nturn;
        const double* a = g->emtab;
        const auto at = [&](int k, int32_t i) { return a[static_cast<size_t>(k) * n + i]; };
        for (int32_t i = 0; a && i + 1 < n; ++i)
            bars(s, at(EMT_CUM, i), at(EMT_RIGHT, i), at(sim ? EMT_SIMLOWER : EMT_LOWER, i), at(sim ? EMT_SIMUPPER : EMT_UPPER, i), ink);
    } else if (g->crvinmem && g->crvbuf) {
        for (int32_t i = 0; i < g->ncurve; ++i) {
            const double* r = g->crvbuf + static_cast<size_t>(i) * CR_WORDS;
            bars(s, r[CR_PPOS], r[CR_TIME], r[simfail ? CR_SIMLOWER : CR_LOWER], r[simfail ? CR_SIMUPPER : CR_UPPER], ink);
        }
    }
}
