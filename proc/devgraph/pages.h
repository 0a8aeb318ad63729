// What the page loops of the probability, relation and MCF plots share: the page being
// drawn (a graphics-catalog segment, opened when a panel needs it and closed exactly
// once), the legend drawn into a page, the symbol records a group takes, SQUARE, and the
// page driver's set-up of a destination and placing of panels.
#pragma once
#include <algorithm>
#include <cstring>

#include "proc/framework/expect.h"
#include "proc/devgraph/annotate.h"
#include "proc/devgraph/destctx.h"
#include "proc/devgraph/gridlabels.h"
#include "proc/devgraph/hostgraphics.h"
#include "proc/devgraph/legends.h"
#include "proc/devgraph/pagelayout.h"
#include "proc/devgraph/devgraph.h"
#include "proc/devgraph/strips.h"
#include "proc/devgraph/symbols.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"

// The pages of one destination: the open segment, if any.
struct Pages {
    vyxstate* s;
    void* seg = nullptr;
    bool open = false;

    void begin() {
        seg = vyxsgmt(s, s->plot.gfilew);
        ggphdr(0, s->plot.byline[0], s->plot.byline[1]);
        vyxgcol(s);
        open = true;
    }
    void end() {
        if (!open) return;
        open = false;
        if (ggcseg(0, &seg, 0) == 1)
            xpmlog(510, 39);
        else
            ggplrdx(s->plot.gfilew, s->plot.segdesc);
        if (!s->plot.gdest.nocollect) zqsgmt(&s->plot.gdest);
    }
};

// The legend record of a kind drawn into the page, then its pool released.
inline void legend(vyxstate* s, int which) {
    auto* l = static_cast<legrec*>(s->plot.legends[which]);
    if (!l) return;
    ggldraw(0, l, s->plot.gldraw);
    if (l->pool) xmpoold(l->pool);
    l->pool = nullptr;
}

// Group g takes symbol record k (line, points, censored marks).
inline void givesymbols(vyxstate* s, grpnode* g, int k) {
    k = std::clamp(k, 0, std::max(s->plot.nsym - 1, 0));
    g->sym[0] = s->plot.symarr ? s->plot.symarr + k : nullptr;
    g->sym[1] = s->plot.symcomp ? s->plot.symcomp + k : g->sym[0];
    g->censtyle = s->plot.symcens ? s->plot.symcens + k : g->sym[1];
}

// SQUARE: the frame shrinks along its longer side to make the plot area square.
inline void squareframe(plotlay* f) {
    const ggdevice* dev = f->gctx ? f->gctx->device : nullptr;
    if (!dev) return;
    const double w = dev->pagew * f->fw / 100.0, h = dev->pageh * f->fh / 100.0;
    if (h >= w) {
        const double d = ggl2pct(0, GGU_INCHES, 2, (h - w) / 2);
        f->sqdy = d;
        f->fh -= 2 * d;
        f->fy += d;
        f->vfac = f->fh / (f->vmax - f->vmin);
        f->voff = f->fy - f->vmin * f->vfac;
    } else {
        const double d = ggl2pct(0, GGU_INCHES, 1, (w - h) / 2);
        f->sqdx = d;
        f->fw -= 2 * d;
        f->fx += d;
        f->hfac = f->fw / (f->hmax - f->hmin);
        f->hoff = f->fx - f->hmin * f->hfac;
    }
}

// What the page drivers of the probability and MCF plots share: the state, the page layout,
// the page being drawn, the panel grid (NROWS x NCOLS) and the size of its cells.
struct PageDriver {
    vyxstate* s;
    plotlay* f;
    Pages page;
    int nrows, ncols;
    double cellw = 0, cellh = 0;

    // The result of a drawing routine: a failure closes the page and ends the statement.
    int check(int rc) {
        if (rc != 0) page.end();
        return rc;
    }
    void axislabels() {
        if (!s->popt.pflags.nollabel) vyxghlb(s);
        if (!s->popt.pflags.noplabel) vyxgvlb(s);
    }
    // The grid cell (r, c) of two class variables, or null.
    grpnode* cell(int r, int c) const {
        VX_EXPECT(r >= 0 && r < int64_t{s->groups.nlev[1]} && c >= 0 && c < int64_t{s->groups.nlev[0]}, "a cell of the grid of two class variables");
        const int cols = static_cast<int>(s->groups.nlev[0]);
        return s->groups.grpgrid ? s->groups.grpgrid[static_cast<int64_t>(r) * cols + c] : nullptr;
    }
    // The panel at column c, dx right of the cell's left edge (SQUARE's shift).
    void atcolumn(int c, double dx) {
        f->fx = cellw * c + f->fx0 + dx;
        f->hoff = f->fx - f->hmin * f->hfac;
        f->panelcol = static_cast<uint32_t>(c + 1);
    }
    // The panel at row r (from the top), dy above the cell's bottom edge.
    void atrow(int r, double dy) {
        f->fy = cellh * (nrows - r - 1) + f->fy0 + dy;
        f->voff = f->fy - f->vmin * f->vfac;
        f->panelrow = static_cast<uint32_t>(nrows - r - 1);
    }
    // A destination's pages set up: symbols, the legends (when one is drawn), patterns,
    // margins and page layout, the annotation's copy (dropped when it cannot be made); the
    // size of a panel's cell, SQUARE, the first panel. 0, or a failure.
    int setup(bool legends, bool square) {
        vyxsymb(s);
        if (legends)
            if (int rc = vyxglgi(s)) return rc;
        vyxgpat(s);
        vyxpmar(s);
        if (int rc = vyxppag(s)) return rc;
        if (s->input.annoflag && vyxatrn(s) != 0) s->input.annoflag = 0;
        cellw = f->tilegaph + f->gapl + f->fw + f->gapr;
        cellh = f->tilegapv + f->gapb + f->fh + f->gapt;
        f->sqdx = f->sqdy = 0;
        f->pageno = 1;
        if (square) squareframe(f);
        f->panelcol = 1;
        f->panelrow = 0;
        f->catent = s->plot.gcatent;
        return 0;
    }
};

// Draws the plot once for every output destination: the page layout is refilled for each
// (a later DOCUMENT destination is skipped), a destination that does not collect ends the
// loop, the collected segments are published once, and the annotate copy is removed.
template <class DrawDestination>
int eachdestination(vyxstate* s, DrawDestination draw) {
    destctx& c = s->plot.gdest;
    std::memset(&c, 0, sizeof c);
    c.outmgr = s->out.outmgr;
    c.outenv = s->out.obenv;
    if (int rc = zqidest(&c)) return rc;
    c.destidx = 0;
    while (c.dests && c.destidx < c.dests->count) {
        int rc = vyxgini(s);
        if (rc == RC_SKIPDEST) {
            ++c.destidx;
            continue;
        }
        if (rc == 0) rc = draw();
        if (rc != 0) {
            zqdfree(&c);
            return rc;
        }
        if (c.nocollect) break;
        ++c.destidx;
        if (c.destidx < c.dests->count) {
            c.gstate = ggznew(nullptr);
            c.gstate->firstuse = 1;
        }
    }
    if (!c.nocollect && !c.published) zqpdest(&c);
    if (s->input.annoflag && s->plot.annolib) xoclose(s->plot.annolib, 1);
    zqdfree(&c);
    return 0;
}
