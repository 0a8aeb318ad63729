// Page layout: graph start per destination, margins and fonts, frame and panel geometry.
#include "proc/devgraph/devgraph_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "proc/devgraph/devices.h"
#include "proc/framework/hostgraphics.h"
#include "proc/framework/gparm.h"
#include "proc/framework/locale_fmt.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wholenum.h"
#include "proc/framework/msghost.h"
#include "proc/framework/msg510.h"

namespace {

constexpr int kAnnotate = 262261;

bool blank8(const char* s) { return vzatl(' ', s, 8) != 0; }

// The tick labels of one axis: decimals and the widths of the first and the widest label.
struct TickWidths {
    int dec = 0;
    double first = 0, widest = 0;
};

TickWidths ticklabels(const plotlay* f, const double* ticks, int n, double lo, double hi, bool logaxis, bool expo) {
    TickWidths r;
    if (!ticks || n <= 0) return r;
    const double tol = std::max(std::fabs(lo), std::fabs(hi)) * GZ_EPS * 1000.0;
    auto shown = [&](double v) {
        double x = std::fabs(v) <= tol ? 0.0 : v;
        return logaxis ? std::pow(10.0, x) : x;
    };
    int best = 0, expn = 99;
    bool anyexp = false;
    for (int i = 0; i < n; ++i) {
        int nd = 0, w = expo ? -1 : 99;
        shwylab(nullptr, shown(ticks[i]), &nd, &w, 1);
        if (w < 0) {
            anyexp = true;
            expn = std::min(expn, nd);
        } else {
            best = std::max(best, nd);
        }
    }
    best = std::min(best, 2);
    r.dec = anyexp ? -1 : best;
    ggtext t;
    ggstri(&t);
    t.height = static_cast<float>(f->txth);
    std::memcpy(t.font, f->tattr, 8);
    for (int i = 0; i < n; ++i) {
        char b[10];
        int nd = 0, w = anyexp ? -std::max(expn, 0) : best;
        if (anyexp && w == 0) w = -1;
        int len = shwylab(b, shown(ticks[i]), &nd, &w, 1);
        t.text = b;
        t.len = len;
        ggstrl(0, &t);
        if (i == 0) r.first = t.width;
        r.widest = std::max(r.widest, static_cast<double>(t.width));
    }
    return r;
}

}  // namespace

int vyxgini(vyxstate* s) {
    destctx& c = s->plot.gdest;
    plotlay* f = s->plot.frame;
    obdest* d = c.dests && c.destidx < c.dests->count ? c.dests->entries[c.destidx].dest : nullptr;
    c.desttext = d ? rdxtxt(d->name, d->namelen) : rdxtxt("", 0);
    char lib[8], cat[30];
    int catlen = 0;
    std::memset(lib, ' ', 8);
    std::memset(cat, ' ', 30);
    if (c.nocollect || !d) {
        std::memcpy(cat, "GSEG", 4);
        catlen = 4;
    } else {
        for (int k = 0; k < d->namelen; ++k)
            if (d->name[k] >= 'a' && d->name[k] <= 'z') d->name[k] = static_cast<char>(d->name[k] - 'a' + 'A');
        if (c.destidx > 0 && d->namelen == 8 && std::memcmp(d->name, "DOCUMENT", 8) == 0) return RC_SKIPDEST;
        const optslot* glib = stmtslot(s->input.procstmt, slot::proc::GOUT_LIB);
        const optslot* gcat = stmtslot(s->input.procstmt, slot::proc::GOUT_CAT);
        if (gcat && gcat->ptr) {
            if (glib) std::memcpy(lib, glib->name, 8);
            catlen = std::min(gcat->count, 30);
            std::memcpy(cat, gcat->ptr, static_cast<size_t>(catlen));
        } else if (c.destidx > 0) {
            catlen = std::min<int>(d->namelen, 30);
            std::memcpy(cat, d->name, static_cast<size_t>(catlen));
            c.destlen = static_cast<uint16_t>(std::min<int>(d->namelen, sizeof c.destname));
            std::memcpy(c.destname, d->name, c.destlen);
        } else {
            std::memcpy(cat, "GSEG", 4);
            catlen = 4;
        }
        // The destinations of this runtime carry no device settings of their own.
    }
    std::memcpy(c.libname, lib, 8);
    std::memcpy(c.catname, cat, 30);
    c.catlen = static_cast<uint16_t>(catlen);
    if (!c.nocollect && c.gstate) c.gstate->flags &= ~GGS_COLLECT;
    int rc = ggsload(c.gstate, 0, 0);
    if (rc == -1) {
        xpmlog(510, E510_GRAPHICS_CANNOT_START);
        xpmlog(510, E510_NO_PLOTS);
    } else if (rc == 1) {
        xpmlog(510, E510_GRAPHICS_NOT_LOADED);
    }
    if (rc != 0) {
        s->plot.gstarted = 0;
        return rc;
    }
    c.published = c.gstate ? c.gstate->flags & GGS_COLLECT : 0;
    if (s->inwork.annoflag && wiinstl(kAnnotate, "ZORXGANO", 1) != 0) {
        xpmlog(129, E129_GRAPHICS_MODULE);
        xpmlog(510, W510_ANNOTATE_NOT_LOADED);
        s->inwork.annoflag = 0;
    }
    s->plot.gctx = ggxget(nullptr);
    f->gctx = s->plot.gctx;
    s->plot.gctx->dsin = s->input.dsin;
    if ((rc = ggadcat(0, lib, catlen, cat, &s->plot.gcatent, 4, 1)) != 0) {
        s->plot.gstarted = 0;
        return rc;
    }
    f->pagewin = static_cast<double*>(poolbytes(s->pools.bypool, 32, poolflag::raw_marked));
    if (!f->pagewin) {
        xmemmsg(32);
        s->plot.gstarted = 0;
        return RC_NOMEM;
    }
    s->plot.byline[BL_TEXT] = s->plot.byline[BL_LENGTH] = nullptr;
    if (s->input.nbyvars > 0 && s->input.dsin) {
        char* text = static_cast<char*>(poolbytes(s->pools.bypool, 512, poolflag::raw_marked));
        if (text) {
            int n = hostvec<vec203>(VEC_DATASETS)->xbyline(s->input.dsin, text, 512);
            if (n <= 0) n = static_cast<int>(strnlen(text, 511));
            s->plot.byline[BL_TEXT] = text;
            s->plot.byline[BL_LENGTH] = reinterpret_cast<void*>(static_cast<intptr_t>(n));
        }
    }
    ggphdrl(0, f->pagewin, s->plot.byline[BL_TEXT], s->plot.byline[BL_LENGTH]);
    const ggdevice* dev = s->plot.gctx->device;
    double* w = f->pagewin;
    if (w[0] != 0) w[0] += dev->cellw;
    if (w[2] != 100) w[2] -= dev->cellw;
    if (w[3] != 100) w[3] -= dev->cellh;
    w[1] += dev->cellh;
    for (int k = 0; k < 4; ++k) s->plot.pwin[k] = w[k];
    return 0;
}

void vyxpmar(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const stmtrec* r = s->inwork.curstmt;
    const ggctx* g = s->plot.gctx;
    const ggdevice* dev = g->device;
    const auto& p = s->popt.pflags;
    const bool styles = g->stylesinuse != 0;

    // 1. Cell, gaps, and the room of the censored-mark strip.
    f->chw = dev->cellw;
    f->chh = dev->cellh;
    f->chdiv = dev->aspect;
    f->gapl = gparm(r, slot::plot::HOFFSET, 1.0);
    f->gapb = gparm(r, slot::plot::VOFFSET, 1.0);
    f->hwtext = 0;
    f->gapr = f->gapl;
    f->gapt = f->gapb;
    if (s->work.nocenplot || p.cenbin) {
        if (p.rotate)
            f->gapr += 1.25 * f->symw;
        else
            f->gapt += 1.25 * f->symh;
    }
    // 2. Fonts.
    std::memset(f->lblfont, ' ', 8);
    std::memset(f->tattr, ' ', 8);
    std::memset(f->font3, ' ', 8);
    std::memset(f->datafont, ' ', 8);
    ggtextstyle labelm{}, valuem{}, datam{};
    char font[8];
    bool haslabel = false, hasvalue = false, hasdata = false;
    if (styles) {
        if ((haslabel = grdxfont(g, "GraphLabelText", 14, font, &labelm) != 0)) std::memcpy(f->lblfont, font, 8);
        if ((hasvalue = grdxfont(g, "GraphValueText", 14, font, &valuem) != 0)) std::memcpy(f->tattr, font, 8);
        if ((hasdata = grdxfont(g, "GraphDataText", 13, font, &datam) != 0)) std::memcpy(f->datafont, font, 8);
    }
    if (!blank8(s->popt.gfile)) {
        std::memcpy(f->lblfont, s->popt.gfile, 8);
        std::memcpy(f->tattr, s->popt.gfile, 8);
    } else if (!blank8(g->devfont)) {
        std::memcpy(f->lblfont, g->devfont, 8);
        std::memcpy(f->tattr, g->devfont, 8);
    }
    // 3. Device characters: only with a blank value font on a device that has its own.
    if (blank8(f->tattr) && dev->hwtext == 'Y') {
        f->hwtext = 1;
        if (s->groups.nclass > 0) {
            int len = 8;
            zkgetloc(19, f->lblfont, &len, "SIMPLEX ", 8);
            std::memcpy(f->tattr, f->lblfont, 8);
            f->hwtext = 0;
        }
    }
    // Text stacked one character per line stands in for turned text only where the text is
    // the device's own characters, which cannot be turned; a blank font is the device's
    // software face here, and it turns.
    f->valfontblank = blank8(f->tattr) && dev->hwtext == 'Y' ? 1 : 0;
    // 4. The data font.
    if (const optslot* inf = stmtslot(r, slot::plot::INFONT)) {
        const char* text = inf->kind == SK_NAME ? inf->name : static_cast<const char*>(inf->ptr);
        int len = inf->kind == SK_NAME ? 8 : inf->count;
        ggfname(text, len, f->datafont);
    } else if (hasdata && !blank8(f->datafont)) {
        // the style's data font stays
    } else if (!styles && !blank8(f->tattr)) {
        std::memcpy(f->datafont, f->tattr, 8);
    } else if (f->hwtext) {
        int len = 8;
        zkgetloc(19, f->datafont, &len, "SIMPLEX ", 8);
    }
    // 5. Text heights.
    if (const optslot* h = stmtslot(r, slot::plot::HEIGHT); h && h->num > 0) {
        f->txth = h->num;
    } else if (styles && g->textstyle.height > 0) {
        f->txth = ggl2pct(0, g->textstyle.unit, 2, g->textstyle.height);
    } else if (hasvalue && valuem.height > 0) {
        f->txth = ggl2pct(0, valuem.unit, 2, valuem.height);
    } else {
        f->txth = dev->cellh;
    }
    if (const optslot* h = stmtslot(r, slot::plot::INHEIGHT); h && h->num > 0)
        f->intxth = h->num;
    else if (styles && g->textstyle.height > 0)
        f->intxth = ggl2pct(0, g->textstyle.unit, 2, g->textstyle.height);
    else
        f->intxth = f->txth;
    (void)haslabel;
    // 6. Gaps between panels.
    f->tilegaph = std::max(0.0, gparm(r, slot::plot::INTERTILE, 1.0));
    f->tilegapv = f->tilegaph / f->chdiv;
    // 7. Margins and label sizes (software fonts; device characters work in whole cells).
    if (!f->hwtext) {
        f->pgmarg = 1.0;
        f->lblgap = p.inborder ? f->chh : 0.25 * f->chh;
        f->vlblw = f->txth * f->chdiv;
        f->lblsp = 0.5 * f->txth;
        f->hlblh = f->lblsp / f->chdiv;
    } else {
        f->pgmarg = f->chw;
        f->lblgap = f->chh;
        f->vlblw = f->chw;
        f->hlblh = f->chh;
        f->lblsp = f->chw;
    }
    // 8. Tick-label sizes: horizontal axis, relation panel, vertical axis.
    f->expnote = ' ';
    if (s->plot.axlog[AXLOG_H] && (f->hmax > 6 || f->hmin < -6)) f->expnote = 'E';
    TickWidths th = ticklabels(f, f->hticks, f->nhtickv, f->hmin, f->hmax, s->plot.axlog[AXLOG_H], f->expnote == 'E');
    f->hdec = th.dec;
    f->h1lw = th.first;
    f->htlw = th.widest;
    if (p.relplot) {
        const double* rv = f->rticks ? f->rticks + f->nrtickv : nullptr;
        TickWidths tr = ticklabels(f, rv, f->nrtickv, f->smin, f->smax, false, false);
        f->rdec = tr.dec;
        f->rtlw = tr.widest;
    }
    TickWidths tv = ticklabels(f, f->vticks, f->nvtickv, f->vmin, f->vmax, s->plot.axlog[AXLOG_V], false);
    f->vdec = tv.dec;
    f->vtlw = tv.widest;
    // The widths above are those of labels of at most two decimals, while the axes write
    // every digit a label needs (.0001, .00003): the room is that of the widest label drawn.
    // Where ten characters cannot tell two neighbouring ticks apart the user hears of it once.
    for (const bool horizontal : {true, false}) {
        std::string alike;
        const double w = axisparts::drawnlabels(s, horizontal, &alike);
        double& room = horizontal ? f->htlw : f->vtlw;
        room = std::max(room, w);
        if (!alike.empty() && !f->tickwarned) {
            f->tickwarned = 1;
            xpmlog(510, W510_TICKS_ALIKE, txtarg(alike.c_str(), static_cast<int>(alike.size())));
        }
    }
    // 9. Room for the relation panel's labels.
    if (p.relplot && p.pplot) {
        double d = 1.25 * (f->htlw + f->rtlw) / 2.0 - (f->tilegaph + f->gapr + f->gapl);
        if (d > 0) f->tilegaph += d;
    }
    // 10. Tick lengths.
    f->vtickl = std::min(0.4 * f->chh, 1.0);
    f->htickl = f->vtickl / f->chdiv;
    // 11. Tick-label gaps.
    if (f->hwtext) {
        f->vtlgap = 0.5 * f->chw - f->vtickl - f->gapl;
        while (f->vtlgap < 0.25) f->vtlgap += f->chw;
        f->htlblh = f->chh - f->htickl;
        f->lblpad = 0;
    } else {
        f->htlblh = 0.5 * f->chh;
        f->vtlgap = f->htlblh * f->chdiv;
        f->lblpad = 0.2 * f->txth;
    }
    // 12. Strip margins.
    const double strip = 1.6 * f->txth;
    f->lmarg2 = 0;
    f->tmarg2 = 0;
    if (p.overlay) return;
    if (s->groups.nclass == 1) {
        if (p.layoutv) f->lmarg2 = strip * f->chdiv + f->lblsp;
        if (p.layouth) f->tmarg2 = strip + f->hlblh;
        if (s->groups.clslabgiven[CV_FIRST]) {
            if (p.layoutv) f->lmarg2 += strip * f->chdiv + f->tilegaph;
            if (p.layouth) f->tmarg2 += strip + f->tilegapv;
        }
    } else if (s->groups.nclass == 2) {
        f->lmarg2 = strip * f->chdiv + f->lblsp;
        f->tmarg2 = f->hlblh + strip;
        if (s->groups.clslabgiven[CV_FIRST]) f->lmarg2 += strip * f->chdiv + f->tilegaph;
        if (s->groups.clslabgiven[CV_SECOND]) f->tmarg2 += strip + f->tilegapv;
    }
}

int vyxppag(vyxstate* s) {
    plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    const double* w = f->pagewin;
    const int nrows = s->popt.panels.nrows, ncols = s->popt.panels.ncols;
    const double a = f->hwtext ? f->chw : f->chw * 0.5;
    f->sp2[0] = f->lblsp * (f->hwtext ? 2 : 3);
    f->sp2[1] = f->hwtext ? f->lblsp : f->lblsp * 2;
    f->sp2[2] = f->sp2[0];
    f->sp2[3] = f->sp2[4] = 0;
    f->leftedge[0] = f->leftedge[1] = 1;
    f->bottomedge[0] = f->bottomedge[1] = 1;

    // 2. Pages.
    int pages = 1;
    const int g = s->groups.rootgrp.nsub;
    if (s->groups.nclass == 1) {
        pages = nrows > 1 ? (g + nrows - 1) / nrows : ncols > 1 ? (g + ncols - 1) / ncols : g;
    } else if (s->groups.nclass == 2) {
        const int m = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        if (nrows >= 2 && ncols >= 2)
            pages = ((g + nrows - 1) / nrows) * ((m + ncols - 1) / ncols);
        else if (nrows == 1 && ncols >= 2)
            pages = g * ((m + ncols - 1) / ncols);
        else
            pages = g * m;
    }
    f->npages = pages;

    // 3-4. Bottom and top margins.
    f->txth2 = f->txth;
    // The strip of CENBIN holds a line of counts, not just a row of marks: it is at least a
    // text line and a quarter high, so that the counts stand inside the frame's top strip.
    if (p.cenbin && !p.rotate) f->gapt = std::max(f->gapt, f->gapb + 1.25 * f->txth);
    f->bmarg = f->gapb + f->htickl + f->htlblh + f->txth + f->lblgap;
    const bool rel = s->input.stmtkind == 4;
    if (rel ? !(p.nollabel && p.noslabel) : !p.nollabel) f->bmarg += f->hlblh + f->txth;
    f->tmarg = f->lblgap + f->gapt + f->tmarg2;
    if (f->gapt == 0) f->tmarg += 0.3 * f->txth / f->chdiv;

    // 5-7. Frame width.
    f->fx = w[0] + f->pgmarg + f->lmarg2 + f->gapl;
    if (!p.noplabel) f->fx += f->vlblw + f->lblsp;
    if (!f->novtl) f->fx += f->vtlw + f->vtlgap + f->vtickl;
    f->fw = w[2] - ((f->fx - w[0]) + f->gapr + f->pgmarg);
    {
        double lw = p.relplot ? f->rtlw : f->htlw;
        double right = p.relplot ? (f->gapr - f->gapl) + f->fx + f->fw : f->fx + f->fw;
        double d = 1.25 * lw / 2 - (w[2] - right);
        f->fw -= std::max(d, 0.0);
    }
    if (ncols > 1) {
        f->fw -= (ncols - 1) * (f->tilegaph + f->gapl + f->gapr);
        f->fw /= ncols;
    }
    // 8. Too narrow.
    if (f->fw < f->chw) {
        xpmlog(510, E510_FRAME_TOO_SMALL);
        if (nrows > 1 || ncols > 1) xpmlog(510, N510_FEWER_PANELS);
        return RC_SPEC;
    }
    // 9. Label step of the horizontal ticks; never negative (a step of -1 would make every
    // tick's "every k-th label" test divide by zero).
    f->htstep = f->nhtick > 0 ? std::max(0, satint(std::ceil((f->htlw + a) / (f->fw / f->nhtick) - (1 + GZ_EPS)))) : 0;
    // 10. Frame height.
    f->fhrest = 0;
    f->fh = (w[3] - w[1]) - (f->tmarg + f->bmarg);
    double bottom = w[1];
    // 11. MCF plots on devices with their own characters: whole text rows per interval.
    if (p.ismcf && f->hwtext) {
        double h = ggcell(0, f->fh + GZ_EPS, 2, 0);
        int rows = satint(std::floor(h / f->chh + GZ_EPS));
        int m = f->nvtick - 1;
        if (m < 1 || rows < m) {
            xpmlog(510, E510_FRAME_TOO_SMALL);
            return RC_SPEC;
        }
        f->fh = m * (rows / m) * f->chh;
        f->fhrest = h - f->fh;
        bottom = ggcell(0, bottom, 2, 1) + ggcell(0, 0.5 * f->fhrest, 2, 0);
    }
    // 12-13. Panel rows.
    if (nrows > 1) {
        f->fh -= (nrows - 1) * (f->tilegapv + f->gapb + f->gapt);
        f->fh /= nrows;
    }
    if (f->fh < f->chh) {
        xpmlog(510, E510_FRAME_TOO_SMALL);
        if (nrows > 1 || ncols > 1) xpmlog(510, N510_FEWER_PANELS);
        return RC_SPEC;
    }
    // 14. Frame bottom and the label step of the vertical ticks.
    f->fy = bottom + f->bmarg;
    f->vtstep = f->nvtick > 0 ? std::max(0, satint(std::ceil(f->chh / (f->fh / f->nvtick) - (1 + GZ_EPS)))) : 0;
    // 15. The wall rectangle of the panel.
    const float x0 = static_cast<float>(f->fx - f->gapl), y0 = static_cast<float>(f->fy - f->gapb);
    const float x1 = static_cast<float>(f->fx + f->fw + f->gapr), y1 = static_cast<float>(f->fy + f->fh + f->gapt);
    const float wall[9] = {0, x0, y0, x0, y1, x1, y1, x1, y0};
    std::copy(wall, wall + 9, s->plot.gldraw);
    // 16. Factors.
    if (f->vmax - f->vmin > 0) {
        f->vfac = f->fh / (f->vmax - f->vmin);
        f->voff = f->fy - f->vmin * f->vfac;
    } else {
        f->vfac = f->voff = 0;
    }
    if (f->hmax - f->hmin > 0) {
        f->hfac = f->fw / (f->hmax - f->hmin);
        f->hoff = f->fx - f->hmin * f->hfac;
    } else {
        f->hfac = f->hoff = 0;
    }
    // 17. The first panel's frame.
    f->fx0 = f->fx;
    f->fy0 = f->fy;
    f->fw0 = f->fw;
    f->fh0 = f->fh;
    return 0;
}
