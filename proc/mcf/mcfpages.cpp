// The device-graphics pages of MCFPLOT: for every output destination the curves of the
// groups in one panel, overlaid, one panel per group (side by side, stacked or paged), or
// the grid of two class variables; each page a graphics-catalog segment, opened when a
// panel needs it and closed exactly once.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/hostdefs.h"
#include "proc/framework/expect.h"
#include "proc/devgraph/devgraph.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/framework/workpool.h"
#include "proc/mcf/mcfdraw.h"
#include "proc/mcf/mcfplot.h"

namespace {

struct Driver : PageDriver {
    bool inset() const { return s->popt.pflags.noinset; }
    bool grid() const { return s->popt.pflags.nogrid == 1; }

    // The working pool of one group's drawing, made afresh for every group.
    int freshpool() { return renewworkpool(s); }
    void reflines(grpnode* g) { vyxgrefs(s, g, mcfink); }

    // Frame, grid, curve, axes, reference lines and inset of group g in the current panel.
    int panel(grpnode* g) {
        vyxgfrm(s);
        if (inset()) {
            if (int rc = vyxins(s, g)) return check(rc);
            vyxipos(s, mcfink);
        }
        // The grid goes under the curve, the axes over it (with the counts the curve made).
        if (grid()) vyxcfgd(s);
        if (inset()) insetbackdrop(s);
        if (int rc = vyxcfdw(s, g)) return check(rc);
        vyxcfax(s);
        reflines(g);
        if (inset()) vyxidrw(s);
        if (s->inwork.annoflag) vyxanno(s);
        return 0;
    }
    // A grid cell without data: its axes only.
    void emptycell() {
        if (grid()) vyxcfgd(s);
        vyxcfax(s);
    }

    void atcolumn(int c) {
        PageDriver::atcolumn(c, f->sqdx);
        f->leftedge[0] = f->leftedge[1] = c == 0;
    }
    void atrow(int r, bool bottom) {
        PageDriver::atrow(r, f->sqdy);
        f->bottomedge[0] = f->bottomedge[1] = bottom;
    }
    void endpage(bool classlabel) {
        axislabels();
        if (classlabel) vyxpclb(s);
        page.end();
        ++f->pageno;
    }

    // No class variable (or the difference of two groups): one panel.
    int single() {
        grpnode* g = &s->groups.rootgrp;
        s->work.pageflags.start = s->work.pageflags.end = 1;
        if (int rc = freshpool()) return rc;
        page.begin();
        givesymbols(s, g, 0);
        axislabels();
        if (int rc = panel(g)) return rc;
        page.end();
        return 0;
    }

    // Every group (or grid cell) overlaid in one panel.
    int overlay() {
        s->work.pageflags.start = s->work.pageflags.end = 1;
        page.begin();
        if (s->mcf.mcfopt.legendon) legend(s, LG_GROUPS);
        f->leftedge[0] = f->leftedge[1] = f->bottomedge[0] = f->bottomedge[1] = 1;
        vyxgfrm(s);
        if (grid()) vyxcfgd(s);
        std::vector<grpnode*> groups;
        if (s->groups.nclass == 1) {
            for (grpnode* g = s->groups.grplist.head; g; g = g->next) groups.push_back(g);
        } else {
            const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c)
                    if (grpnode* g = cell(r, c)) groups.push_back(g);
        }
        int k = 0;
        for (grpnode* g : groups) {
            if (int rc = freshpool()) return rc;
            givesymbols(s, g, k++);
            if (int rc = vyxcfdw(s, g)) return check(rc);
        }
        vyxcfax(s);
        if (!groups.empty()) reflines(groups.front());
        if (s->inwork.annoflag) vyxanno(s);
        axislabels();
        page.end();
        return 0;
    }

    // One class variable: a panel per group, NCOLS side by side or NROWS stacked.
    int panels() {
        int k = 0;
        for (grpnode* g = s->groups.grplist.head; g; g = g->next, ++k) {
            if (int rc = freshpool()) return rc;
            givesymbols(s, g, 0);
            const bool last = g->next == nullptr;
            bool fresh = true, ends = true;
            if (nrows < 2 && ncols >= 2) {
                const int c = k % ncols;
                fresh = c == 0;
                ends = last || (k + 1) % ncols == 0;
                atcolumn(c);
            } else if (nrows >= 2) {
                const int r = k % nrows;
                fresh = r == 0;
                ends = last || (k + 1) % nrows == 0;
                atrow(r, ends);
            }
            s->work.pageflags.start = fresh;
            s->work.pageflags.end = ends;
            if (fresh || !page.open) page.begin();
            if (s->mcf.mcfopt.topstrip)
                vyxptlb(s, g->key);
            else
                vyxpslb(s, g->key);
            if (int rc = panel(g)) return rc;
            if (ends) endpage(s->groups.clslabgiven[CV_FIRST]);
        }
        return 0;
    }

    // Two class variables: a panel per cell, pages of NROWS x NCOLS cells.
    int cells() {
        const int rows = static_cast<int>(s->groups.nlev[NLEV_FIRST]), cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
        const int pagerows = (rows + nrows - 1) / nrows, pagecols = (cols + ncols - 1) / ncols;
        for (int b = 0; b < pagerows; ++b) {
            for (int e = 0; e < pagecols; ++e) {
                page.begin();
                for (int r = b * nrows; r < std::min((b + 1) * nrows, rows); ++r) {
                    const bool lastrow = r == rows - 1 || (r + 1) % nrows == 0;
                    s->work.pageflags.start = r % nrows == 0;
                    if (nrows >= 2) atrow(r % nrows, lastrow);
                    for (int c = e * ncols; c < std::min((e + 1) * ncols, cols); ++c) {
                        s->work.pageflags.end = lastrow && (c + 1 == cols || (c + 1) % ncols == 0);
                        if (ncols >= 2) atcolumn(c % ncols);
                        if (r == b * nrows) vyxptlb(s, s->groups.levkeys[CV_SECOND] + 16 * c);
                        if (c == e * ncols) vyxpslb(s, s->groups.levkeys[CV_FIRST] + 16 * r);
                        grpnode* g = cell(r, c);
                        if (!g) {
                            vyxgfrm(s);
                            emptycell();
                            continue;
                        }
                        if (int rc = freshpool()) return rc;
                        givesymbols(s, g, 0);
                        if (int rc = panel(g)) return rc;
                    }
                }
                endpage(s->groups.clslabgiven[CV_FIRST] || s->groups.clslabgiven[CV_SECOND]);
            }
        }
        return 0;
    }

    int destination() {
        if (int rc = setup(s->mcf.mcfopt.legendon, s->mcf.mcfopt.square)) return rc;
        int rc = 0;
        switch (s->groups.nclass) {
            case 0: rc = single(); break;
            case 1: rc = s->popt.pflags.overlay ? overlay() : panels(); break;
            default: rc = s->popt.pflags.overlay ? overlay() : cells(); break;
        }
        page.end();
        return rc;
    }
};

}  // namespace

int vyxcfdev(vyxstate* s) {
    VX_EXPECT(s->plot.frame, "the plot layout is made when the statement's options are read");
    if (int rc = vyxcfsc(s)) return rc;
    Driver d{{s, s->plot.frame, Pages{s}, std::max(s->popt.panels.nrows, 1), std::max(s->popt.panels.ncols, 1)}};
    return eachdestination(s, [&] { return d.destination(); });
}
