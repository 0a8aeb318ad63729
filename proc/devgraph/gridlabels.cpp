// Grid lines, axis labels and the title.
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/optslots.h"
#include "proc/vyxstate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/framework/wholenum.h"

namespace {

struct Extent {
    double x0, x1, y0, y1;
};

Extent wall(const vyxstate* s) {
    const plotlay* f = s->plot.frame;
    Extent e{f->fx - f->gapl, f->fx + f->fw + f->gapr, f->fy - f->gapb, f->fy + f->fh + f->gapt};
    if (s->work.nocenplot || s->popt.pflags.cenbin) {
        if (s->popt.pflags.rotate) e.x1 = f->fx + f->fw + f->gapl;
        else e.y1 = f->fy + f->fh + f->gapb;
    }
    return e;
}

// The minor steps of the probability grid below 10 percent.
double minorstep(double p) {
    return p < 0.001 ? 0.0001 : p < 0.01 ? 0.001 : p < 0.1 ? 0.01 : p < 1 ? 0.1 : 1.0;
}

// Text of the probability axis (PAXISLABEL; on MCF plots VAXISLABEL, else the MCF titles).
int problabel(const vyxstate* s, char* buf, int size, bool vertical, bool fallback) {
    int len = 0;
    const char* t = fallback ? nullptr : opttext(s->inwork.curstmt, slot::plot::PAXISLABEL, &len);
    if (t) {
        len = std::min(len, std::min(size, 40));
        std::memset(buf, ' ', static_cast<size_t>(size));
        std::memcpy(buf, t, static_cast<size_t>(len));
        return len;
    }
    if (vertical && s->popt.pflags.ismcf) return xpmstr(buf, size, 510, s->popt.pflags.mcfdiff ? T510_MCF_DIFF_TITLE : T510_MCF_TITLE);
    return xpmstr(buf, size, 510, T510_PERCENT);
}

// Warns once per statement that a label did not fit.
void toolong(plotstate& plot, const char* text, int len) {
    if (plot.frame->lblwarned) return;
    plot.frame->lblwarned = 1;
    xpmlog(510, W510_AXIS_LABEL_TOO_WIDE, txtarg(text, len));
}

}  // namespace

int pagedistname(const vyxstate* s, char* buf, int size) {
    if (s->opts.distcode == DIST_LOGNORMAL10) return wzstrip(buf, xpmstr(buf, size, 510, T510_LOGNORMAL_10));
    const int n = std::min(wzstrip(s->opts.labels[LB_DIST], 16), size);
    std::memset(buf, ' ', static_cast<size_t>(size));
    std::memcpy(buf, s->opts.labels[LB_DIST], static_cast<size_t>(n));
    return n;
}

int lifelabel(const vyxstate* s, char* buf, int size, bool fallback) {
    const vardesc* v1 = s->input.rspvars[RV_TIME];
    const vardesc* v2 = s->input.rspvars[RV_SECOND];
    const bool thr = s->work.thrflags[TH_GIVEN] != 0;
    if (!v1) return xpmstr(buf, size, 510, T510_PERCENT);
    char dist[40];
    const int dlen = pagedistname(s, dist, sizeof dist);
    if (fallback) return xpmstr(buf, size, 510, thr ? T510_LIFE_LABEL_THRESHOLD : T510_LIFE_LABEL, txtarg(v1->name, v1->namelen));
    if (v1->labellen > 0) {
        int n = std::min<int>(v1->labellen, size);
        std::memset(buf, ' ', static_cast<size_t>(size));
        std::memcpy(buf, v1->label, static_cast<size_t>(n));
        return n;
    }
    if (s->popt.pflags.ismcf) {
        int n = std::min<int>(v1->namelen, size);
        std::memset(buf, ' ', static_cast<size_t>(size));
        std::memcpy(buf, v1->name, static_cast<size_t>(n));
        return n;
    }
    if (s->input.rspform[RF_INTERVAL] && v2)
        return xpmstr(buf, size, 510, thr ? T510_PAPER_RANGE_THRESHOLD_TITLE : T510_PAPER_RANGE_TITLE, txtarg(dist, dlen),
                      txtarg(v1->name, v1->namelen), txtarg(v2->name, v2->namelen));
    return xpmstr(buf, size, 510, thr ? T510_PAPER_THRESHOLD_TITLE : T510_PAPER_TITLE, txtarg(dist, dlen), txtarg(v1->name, v1->namelen));
}

int vyxggrd(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const stmtrec* r = s->inwork.curstmt;
    const bool rotate = s->popt.pflags.rotate;
    const bool styles = s->plot.gctx && s->plot.gctx->stylesinuse;
    int ltype = 35;
    double lg = 0;
    int32_t sv = 0;
    if (optnum(r, slot::plot::LGRID, 0, &lg)) ltype = std::clamp(satint(std::round(lg)), 1, 46);
    else if (styles && grdxlsty(s->plot.gctx, "GraphGridLines", 14, &sv)) ltype = sv;
    int width = 1;
    double wa = 0;
    if (optnum(r, slot::plot::WAXIS, 0, &wa)) width = std::min(satint(std::round(wa)), MOST_WIDTH);
    else if (styles && grdxlwid(s->plot.gctx, "GraphGridLines", 14, &sv)) width = sv;
    if (s->plot.gctx) s->plot.gctx->linewidth[0] = s->plot.gctx->linewidth[1] = std::max(width, 1);
    const int color = s->plot.colors[GC_GRID] > 0 ? s->plot.colors[GC_GRID] : 1;
    const Extent e = wall(s);
    int rc = 0;
    auto across = [&](double v, bool vertical) {
        rc = vertical ? ggdraw(0, v, e.y0, v, e.y1, ltype, color) : ggdraw(0, e.x0, v, e.x1, v, ltype, color);
    };
    // Probability-axis grid: horizontal lines, vertical under ROTATE.
    if (s->plot.gridsave == 1 && s->opts.quant_fn && s->popt.panels.pctlist) {
        const double* p = s->popt.panels.pctlist;
        const double fac = rotate ? f->hfac : f->vfac, off = rotate ? f->hoff : f->voff;
        auto at = [&](double pct) { return s->opts.quant_fn(pct / 100.0) * fac + off; };
        for (int i = f->pfirst; i <= f->plast && i < s->popt.panels.npct; ++i) {
            across(at(p[i]), rotate);
            if (s->popt.pflags.mpgrid && i < f->plast && i + 1 < s->popt.panels.npct && p[i] > 0.0001 && p[i] < 10) {
                const double step = minorstep(p[i]);
                for (int k = 1; k < 100000; ++k) {
                    double q = p[i] + k * step;
                    if (!(q < p[i + 1])) break;
                    across(at(q), rotate);
                }
            }
        }
    }
    // Life-axis grid: vertical lines at the horizontal ticks, horizontal under ROTATE.
    if (s->popt.pflags.nogrid == 1) {
        const double* t = rotate ? f->vticks : f->hticks;
        const int n = rotate ? f->nvtickv : f->nhtickv;
        const double fac = rotate ? f->vfac : f->hfac, off = rotate ? f->voff : f->hoff;
        const bool logaxis = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
        for (int i = 0; t && i < n; ++i) {
            const bool edge = rotate ? (i == n - 1 && f->gapt <= 0) : ((i == 0 || i == n - 1) && f->gapl <= 0);
            if (!edge) across(t[i] * fac + off, !rotate);
            // Minor lines between decades: m = 2 .. 9 of each decade up to the next tick. The
            // decade moves on at m = 10, so ticks several decades apart give 8 lines per decade
            // instead of one line per whole number up to 10^(span).
            if (s->popt.pflags.mlgrid && logaxis && i + 1 < n && std::isfinite(t[i]) && std::isfinite(t[i + 1])) {
                double fl = std::floor(t[i]);
                double m = std::ceil(std::pow(10.0, t[i] - fl));
                for (int guard = 0; guard < 10000; ++guard) {
                    double v = std::log10(m) + fl;
                    m += 1;
                    if (m > 10) {
                        fl += 1;
                        m = 2;
                    }
                    if (v != t[i]) across(v * fac + off, !rotate);
                    if (!(v < t[i + 1])) break;
                }
            }
        }
    }
    resetwidth(s);
    return rc;
}

int vyxghlb(vyxstate* s) {
    plotlay* f = s->plot.frame;
    ggtext t = plottext(s, f->txth);
    char* buf = static_cast<char*>(poolbytes(s->pools.stmtpool, 1024, poolflag::raw_marked));
    if (!buf) return 1;
    const bool rotate = s->popt.pflags.rotate;
    int len = rotate ? problabel(s, buf, 1024, false, false) : lifelabel(s, buf, 1024, false);
    len = wzstrip(buf, len);
    const double w = (f->fw0 + f->gapl + f->gapr) * f->panelcol + (f->panelcol > 0 ? f->panelcol - 1 : 0) * f->tilegaph;
    double width = textwidth(t, buf, len);
    if (width > w) {
        toolong(s->plot, buf, len);
        len = rotate ? problabel(s, buf, 1024, false, true) : lifelabel(s, buf, 1024, true);
        len = wzstrip(buf, len);
        width = textwidth(t, buf, len);
    }
    const double cell = f->tilegapv + f->gapb + f->fh0 + f->gapt;
    double x = (w - width) * 0.5 + f->fx0 - f->gapl;
    double y = f->fy0 + f->sqdy + cell * f->panelrow - (f->gapb + f->htickl + f->htlblh + f->txth2 + f->hlblh + f->txth);
    if (f->hwtext) {
        x = ggcell(0, x, 1, 0);
        y = ggcell(0, y, 2, 0);
    }
    drawtext(t, buf, len, x, y);
    return 0;
}

int vyxgvlb(vyxstate* s) {
    plotlay* f = s->plot.frame;
    ggtext t = plottext(s, f->txth);
    char* buf = static_cast<char*>(poolbytes(s->pools.stmtpool, 1024, poolflag::raw_marked));
    if (!buf) return 1;
    const bool rotate = s->popt.pflags.rotate;
    ggstxfm(90.0, 0.0);
    int len = rotate ? lifelabel(s, buf, 1024, false) : problabel(s, buf, 1024, true, false);
    len = wzstrip(buf, len);
    const int nrows = std::max(s->popt.panels.nrows, 1);
    const int row = static_cast<int>(f->panelrow);
    const double H = (nrows - 1 - row) * f->tilegapv + (nrows - row) * (f->fh0 + f->gapb + f->gapt);
    double length = textwidth(t, buf, len);
    if (length > H) {
        toolong(s->plot, buf, len);
        len = rotate ? lifelabel(s, buf, 1024, true) : problabel(s, buf, 1024, true, true);
        len = wzstrip(buf, len);
        length = textwidth(t, buf, len);
    }
    const double cell = f->tilegapv + f->gapb + f->fh0 + f->gapt;
    double y = row * cell + f->fy0 + f->sqdy - f->gapb + (H - length) * 0.5;
    const double left = f->pagewin ? f->pagewin[0] : 0;
    double x = left + f->lmarg2 + f->pgmarg + f->vlblw + f->sqdx;
    if (f->valfontblank || stmtflag(s->inwork.curstmt, flag::plot::TURNVLABEL)) x = f->pgmarg + f->lmarg2 + f->sqdx;
    if (f->hwtext) y = ggcell(0, y, 2, 0);
    drawtext(t, buf, len, x, y);
    ggstxfm(0.0, 0.0);
    return 0;
}

int vyxgttl(vyxstate* s) {
    plotlay* f = s->plot.frame;
    char buf[100];
    std::memset(buf, ' ', sizeof buf);
    char dist[40];
    const int dlen = pagedistname(s, dist, sizeof dist);
    int len = 0;
    if (s->input.stmtkind == 4) {
        char joined[64];
        const char* rel = s->opts.labels[LB_RELATION];
        const int rlen = wzstrip(rel, 16);
        int n = wzstcat(joined, 64, '-', 2, dist, dlen, rel, rlen);
        len = xpmstr(buf, 100, 510, T510_RELPLOT_TITLE, txtarg(joined, n));
    } else {
        int n = xpmstr(buf, 100, 510, T510_PROBPLOT_TITLE);
        n = wzstrip(buf, n);
        if (n + 1 + dlen <= 100) {
            std::memcpy(buf + n + 1, dist, static_cast<size_t>(dlen));
            n += 1 + dlen;
        }
        len = n;
    }
    len = wzstrip(buf, std::min(len, 100));
    ggtext t = plottext(s, f->txth);
    const int ncols = std::max(s->popt.panels.ncols, 1);
    const double w = (f->gapl + f->fw + f->gapr) * ncols + (ncols - 1) * f->tilegaph;
    const double width = textwidth(t, buf, len);
    const double top = f->pagewin ? f->pagewin[3] : 100;
    drawtext(t, buf, len, f->fx - f->gapl + (w - width) * 0.5, top - f->lblgap - 1.2 * f->txth);
    return 0;
}
