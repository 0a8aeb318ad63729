// The axes and the reference grid of an MCF panel: time along the bottom, the MCF up the
// left, each even or in whole decades (LOGLOG); the frame with the strip of the
// end-of-observation marks; the counts of the CENBIN bins.
#include <algorithm>
#include <cmath>

#include "proc/devgraph/devgraph.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/mcf/mcfplot.h"

using namespace axisparts;

void vyxcfax(vyxstate* s) {
    setwidth(s, 1);
    Panel a(s);
    plotlay* f = a.f;
    const auto& p = s->popt.pflags;
    if (!p.noframe) {
        a.line(a.R, a.B, a.R, a.T);
        a.line(a.L, a.T, a.R, a.T);
        if (s->work.nocenplot || p.cenbin) {
            const double S = f->fy + f->fh + f->gapb;
            a.line(a.L, S, a.R, S);
        }
    }
    if (p.inborder && s->work.pageflags.start) a.border();
    a.line(a.L, a.B, a.R, a.B);
    RightGuard g{panelright(s), a.L, a.R, f->tilegaph};
    if (f->bottomedge[1] && !s->mcf.mcfopt.nohtick) bottomlife(a, g, s->plot.axlog[AXLOG_H] != 0);
    a.line(a.L, a.B, a.L, a.T);
    if (f->leftedge[1] && !s->mcf.mcfopt.novtick) {
        // The vertical axis takes the life axis's drawing: even steps, or decades.
        verticallife(s, s->plot.axlog[AXLOG_V] == 0);
    }
    if (p.cenbin) bincounts(a);
    resetwidth(s);
}

void vyxcfgd(vyxstate* s) {
    const plotlay* f = s->plot.frame;
    const stmtrec* r = s->inwork.curstmt;
    const bool styles = s->plot.gctx && s->plot.gctx->stylesinuse;
    int ltype = 35, width = 1;
    int32_t sv = 0;
    double v = 0;
    if (optnum(r, slot::plot::LGRID, 0, &v)) ltype = std::clamp(satint(v), 1, 46);
    else if (styles && grdxlsty(s->plot.gctx, "GraphGridLines", 14, &sv)) ltype = sv;
    if (optnum(r, slot::plot::WAXIS, 0, &v)) width = std::min(satint(std::round(v)), MOST_WIDTH);
    else if (styles && grdxlwid(s->plot.gctx, "GraphGridLines", 14, &sv)) width = sv;
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = std::max(width, 1);
    const int color = s->plot.colors[GC_GRID] > 0 ? s->plot.colors[GC_GRID] : 1;
    const double x0 = f->fx, x1 = f->fx + f->fw, y0 = f->fy, y1 = f->fy + f->fh;
    auto axis = [&](const double* t, int n, double lower, double fac, double off, bool logs, bool vertical) {
        auto at = [&](double u) {
            const double c = u * fac + off;
            if (vertical)
                ggdraw(0, c, y0, c, y1, ltype, color);
            else
                ggdraw(0, x0, c, x1, c, ltype, color);
        };
        for (int i = 0; t && i < n; ++i) {
            if (!(i == 0 && t[i] == lower)) at(t[i]);
            if (s->popt.pflags.mlgrid && logs && i + 1 < n) logminors(t, i, [&](double u, bool) { at(u); });
        }
    };
    axis(f->hticks, f->nhtickv, f->hmin, f->hfac, f->hoff, s->plot.axlog[AXLOG_H] != 0, true);
    axis(f->vticks, f->nvtickv, f->vmin, f->vfac, f->voff, s->plot.axlog[AXLOG_V] != 0, false);
    resetwidth(s);
}
