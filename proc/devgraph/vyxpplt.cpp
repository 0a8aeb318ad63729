// The probability-plot driver of the device road: PPComp, then for every output destination
// the pages of the plot in one of five layouts (one panel; all groups overlaid; a panel per
// group side by side, stacked or paged; the grid of two class variables) and the relation
// panel of RELATIONPLOT, each page a graphics-catalog segment.
//
// Every panel is drawn on an open page and every page is closed exactly once: the page
// helper below opens a page when a panel needs one and remembers whether it is open.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/expect.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/hostgraphics.h"
#include "proc/devgraph/legends.h"
#include "proc/devgraph/ppaxes.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/gparm.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"

namespace {

// The group's fit decides whether its line is drawn.
void takefit(vyxstate* s, const grpnode* g) {
    s->work.fitmethod = g->fitmeth;
    s->work.nofitline = g->nofit;
}

// The group's percentile records of the PLOTFIT values into the relation panel's copies at
// level i; a group without them gets missing estimates.
void copycurves(vyxstate* s, const grpnode* g, int i) {
    const int n = static_cast<int>(s->opts.pctcount);
    if (!s->plot.lvlpct || n <= 0) return;
    VX_EXPECT(i >= 0 && i < std::max<int64_t>(s->groups.nlev[NLEV_FIRST], 1), "a level's copy lies inside the block");
    double* to = s->plot.lvlpct + static_cast<size_t>(i) * n * PCT_WORDS;
    if (g->fitlines && !g->nocurve && !g->nofit) {
        std::memcpy(to, g->fitlines, static_cast<size_t>(n) * PCT_WORDS * sizeof(double));
    } else {
        for (int k = 0; k < n; ++k) to[static_cast<size_t>(k) * PCT_WORDS] = hostmissing();
    }
}

struct Driver : PageDriver {
    bool square;
    int drawn = 0;                  // panels drawn on the probability side

    bool pplot() const { return s->popt.pflags.pplot; }
    bool inset() const { return s->popt.pflags.noinset; }
    void atcolumn(int c) { PageDriver::atcolumn(c, square ? f->sqdx : 0.0); }
    void atrow(int r) { PageDriver::atrow(r, square ? f->sqdy : 0.0); }

    // Points, fitted line, inset and annotation of group g in the current panel.
    int contents(grpnode* g) {
        if (inset()) {
            if (int rc = vyxins(s, g)) return check(rc);
            vyxipos(s);
        }
        vyxgdrw(s, g);
        if (inset()) insetbackdrop(s);
        if (pplot() && !s->popt.pflags.noppos)
            if (int rc = vyxppnt(s, g)) return check(rc);
        if (!s->work.nofitline)
            if (int rc = vyxddrw(s, g)) return check(rc);
        refsover(s, g);
        if (inset()) vyxidrw(s);
        if (s->inwork.annoflag) vyxanno(s);
        return 0;
    }

    // A: no class variable.
    int single() {
        grpnode* g = &s->groups.rootgrp;
        s->work.pageflags.end = 1;
        page.begin();
        givesymbols(s, g, 0);
        if (s->groups.fmodeset.legend) legend(s, LG_FMODES);
        vyxgfrm(s);
        axislabels();
        if (s->popt.pflags.fmcombine) fmcdf(s);
        if (int rc = contents(g)) return rc;
        page.end();
        drawn = 1;
        return 0;
    }

    // B: one class variable, the groups overlaid in one panel.
    int overlay() {
        s->work.pageflags.end = !s->popt.pflags.relplot;
        page.begin();
        if (s->popt.pflags.legend && pplot()) legend(s, LG_GROUPS);
        f->leftedge[0] = f->leftedge[1] = 1;
        f->bottomedge[0] = f->bottomedge[1] = 1;
        f->panelcol = 1;
        f->panelrow = 0;
        s->plot.grpno[GN_GROUP] = 0;
        const bool ends = 1 % ncols == 0;
        if (pplot()) {
            vyxgfrm(s);
            // Grid and axes go under the points and lines of the groups.
            vyxgdrw(s, s->groups.grplist.head);
        }
        if (s->inwork.annoflag && !s->popt.pflags.relplot) vyxanno(s);
        int i = 0;
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++i) {
            takefit(s, g);
            givesymbols(s, g, i);
            if (s->work.pageflags.fitlines) copycurves(s, g, i);
            if (pplot() && !s->popt.pflags.noppos)
                if (int rc = vyxppnt(s, g)) return check(rc);
            if (pplot() && !s->work.nofitline)
                if (int rc = vyxddrw(s, g)) return check(rc);
            s->plot.grpno[GN_GROUP] = static_cast<uint32_t>(i + 1);
        }
        if (pplot()) {
            refsover(s, s->groups.grplist.head);
            axislabels();
            if (ends) page.end();
        }
        drawn = pplot() ? 1 : 0;
        return 0;
    }

    // C: one class variable, a panel per group.
    int panels() {
        s->plot.grpno[GN_GROUP] = 0;
        drawn = 0;
        int k = 0;
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++k) {
            takefit(s, g);
            givesymbols(s, g, 0);
            const bool last = g->next == nullptr;
            bool fresh = true, ends = true;
            if (nrows < 2 && ncols >= 2) {
                const int c = drawn % ncols;
                fresh = c == 0;
                ++drawn;
                ends = drawn % ncols == 0 || last;
                atcolumn(c);
                f->leftedge[0] = f->leftedge[1] = fresh;
            } else if (nrows >= 2) {
                const int r = k % nrows;
                fresh = r == 0;
                ends = last || (k + 1) % nrows == 0;
                f->bottomedge[0] = f->bottomedge[1] = ends;
                atrow(r);
                ++drawn;
            } else {
                ++drawn;
            }
            s->work.pageflags.start = fresh;
            s->work.pageflags.end = ends;
            if (fresh || !page.open) page.begin();
            vyxgfrm(s);
            if (s->popt.pflags.layouth)
                vyxptlb(s, g->key);
            else
                vyxpslb(s, g->key);
            if (int rc = contents(g)) return rc;
            if (ends) {
                axislabels();
                if (s->groups.clslabgiven[CV_FIRST]) vyxpclb(s);
                page.end();
                ++f->pageno;
            }
            s->plot.grpno[GN_GROUP] = static_cast<uint32_t>(k + 1);
        }
        return 0;
    }

    // D: two class variables, every cell overlaid in one panel.
    int overlaygrid() {
        const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        s->work.pageflags.end = 1;
        page.begin();
        if (s->popt.pflags.legend) legend(s, LG_GROUPS);
        vyxgfrm(s);
        if (s->inwork.annoflag) vyxanno(s);
        grpnode* first = nullptr;
        for (int r = 0; r < rows && !first; ++r)
            for (int c = 0; c < cols && !first; ++c) first = cell(r, c);
        vyxgdrw(s, first);
        int n = 0;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                s->plot.grpno[GN_GROUP] = static_cast<uint32_t>(r);
                s->plot.grpno[GN_COLUMN] = static_cast<uint32_t>(c);
                grpnode* g = cell(r, c);
                if (!g) continue;
                takefit(s, g);
                givesymbols(s, g, n++);
                if (g->nocurve) {
                    s->work.fitmethod = FIT_NONE;
                    s->work.nofitline = 1;
                }
                if (pplot() && !s->popt.pflags.noppos)
                    if (int rc = vyxppnt(s, g)) return check(rc);
                if (!s->work.nofitline && !g->nocurve)
                    if (int rc = vyxddrw(s, g)) return check(rc);
            }
        }
        refsover(s, first);
        axislabels();
        page.end();
        drawn = 1;
        return 0;
    }

    // E: two class variables, a panel per cell, pages of NROWS x NCOLS cells.
    int grid() {
        const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        const int pagerows = (rows + nrows - 1) / nrows, pagecols = (cols + ncols - 1) / ncols;
        for (int b = 0; b < pagerows; ++b) {
            for (int e = 0; e < pagecols; ++e) {
                page.begin();
                // Rows and columns beyond the grid on the last pages hold nothing to draw.
                for (int r = b * nrows; r < std::min((b + 1) * nrows, rows); ++r) {
                    bool lastrow = true;
                    if (nrows >= 2) {
                        s->work.pageflags.start = r % nrows == 0;
                        lastrow = r == rows - 1 || (r + 1) % nrows == 0;
                        s->work.pageflags.end = lastrow;
                        f->bottomedge[0] = f->bottomedge[1] = lastrow;
                        atrow(r % nrows);
                    }
                    for (int c = e * ncols; c < std::min((e + 1) * ncols, cols); ++c) {
                        if (ncols >= 2) {
                            s->work.pageflags.end = lastrow && (c + 1) % ncols == 0;
                            atcolumn(c % ncols);
                            f->leftedge[0] = f->leftedge[1] = c % ncols == 0;
                        }
                        if (r == b * nrows || nrows < 2) vyxptlb(s, s->groups.levkeys[CV_SECOND] + 16 * c);
                        if (c == e * ncols || ncols < 2) vyxpslb(s, s->groups.levkeys[CV_FIRST] + 16 * r);
                        s->plot.grpno[GN_GROUP] = static_cast<uint32_t>(r);
                        s->plot.grpno[GN_COLUMN] = static_cast<uint32_t>(c);
                        grpnode* g = cell(r, c);
                        if (!g) {
                            vyxgdrw(s, nullptr);
                            continue;
                        }
                        takefit(s, g);
                        givesymbols(s, g, 0);
                        vyxgfrm(s);
                        if (int rc = contents(g)) return rc;
                    }
                }
                axislabels();
                if (s->groups.clslabgiven[CV_FIRST] || s->groups.clslabgiven[CV_SECOND]) vyxpclb(s);
                page.end();
                ++f->pageno;
            }
        }
        return 0;
    }

    // F: the relation panel of RELATIONPLOT, beside the probability panel when the page has
    // room for it, else on a page of its own.
    int relation() {
        int c = drawn % ncols;
        if (!page.open) {
            c = 0;
            page.begin();
        }
        s->work.pageflags.end = 1;
        s->work.pageflags.start = !pplot();
        f->leftedge[0] = f->leftedge[1] = c == 0;
        f->bottomedge[0] = f->bottomedge[1] = 1;
        f->fx = cellw * c + f->fx0 + (square ? f->sqdx : 0.0);
        f->panelcol = static_cast<uint32_t>(c + 1);
        if (int rc = vyxrplt(s)) return check(rc);
        if (s->inwork.annoflag) vyxanno(s);
        page.end();
        return 0;
    }

    // The panels of one destination.
    int destination() {
        const bool legends = s->popt.pflags.legend || s->work.rellegend || s->groups.fmodeset.legend;
        if (int rc = setup(legends, square)) return rc;
        drawn = 0;
        int rc = 0;
        switch (s->groups.nclass) {
            case 0: rc = single(); break;
            case 1: rc = s->popt.pflags.overlay ? overlay() : panels(); break;
            default: rc = s->popt.pflags.overlay ? overlaygrid() : grid(); break;
        }
        if (rc == 0 && s->popt.pflags.relplot) rc = relation();
        // A page a layout left open (an overlay whose row has room for more panels) ends here.
        page.end();
        return rc;
    }
};

}  // namespace

int vyxgdrw(vyxstate* s, grpnode* g) {
    if (s->popt.pflags.nogrid == 1) vyxggrd(s);
    // The censored counts of this group's bins (each group keeps its own counts).
    if (s->popt.pflags.cenbin && g) censoredcounts(s, g);
    if (s->popt.pflags.rotate)
        vyxgaxr(s);
    else
        vyxgax(s);
    refsunder(s, g);
    return 0;
}

int vyxpplt(vyxstate* s) {
    const auto& p = s->popt.pflags;
    s->work.nocenplot = s->work.nocenplot && s->input.rspform[RF_CENSOR];
    s->plot.gridsave = p.nogrid;
    if (int rc = PPComp(s)) return rc;
    // A fit that ended the step (510/913, 510/2305) leaves no page on either road: its
    // estimates were never found.
    if (stepended(s)) return RC_REPORTED;
    if (s->opts.rdxgraph) return vyxpog(s);

    Driver d{{s, s->plot.frame, Pages{s}, s->popt.panels.nrows > 0 ? s->popt.panels.nrows : 1, s->popt.panels.ncols > 0 ? s->popt.panels.ncols : 1},
             stmtflag(s->inwork.curstmt, flag::plot::SQUARE) != 0};
    s->work.pageflags.start = 1;
    // No percentile line is drawn (NOFITLINE, or no level has a fit): no legend of them.
    if (s->work.rellegend && !levellinesdrawn(s)) s->work.rellegend = 0;
    s->plot.lvlpct = nullptr;
    if (s->work.pageflags.fitlines && s->opts.pctcount > 0) {
        // The copies of the levels' curve records; NPOINTS (the curve resolution) stays.
        const int64_t bytes = int64_t(PCT_WORDS) * 8 * s->opts.pctcount * std::max<int64_t>(s->groups.nlev[NLEV_FIRST], 1);
        s->plot.lvlpct = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::zeroed));
        if (!s->plot.lvlpct) {
            xmemmsg(bytes);
            return RC_NOMEM;
        }
    }
    return eachdestination(s, [&] { return d.destination(); });
}
