// The page loop's pieces that read the state: the segment of a page, legends, symbols, the
// page driver's set-up and grid cells, and the loop over the output destinations.
#include "proc/devgraph/devgraph_internal.h"

#include <algorithm>
#include <cstring>

#include "proc/devgraph/legends.h"
#include "proc/devgraph/destinations.h"
#include "proc/framework/expect.h"
#include "proc/framework/grouptext.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/labelnotes.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"

void Pages::begin() {
    seg = vyxsgmt(s, s->plot.gfilew);
    ggphdr(0, s->plot.byline[BL_TEXT], s->plot.byline[BL_LENGTH]);
    vyxgcol(s);
    open = true;
}

void Pages::end() {
    if (!open) return;
    open = false;
    if (ggcseg(0, &seg, 0) == 1)
        xpmlog(510, W510_PAGE_NOT_CLOSED);
    else
        ggplrdx(s->plot.gfilew, s->plot.segdesc);
    if (!s->plot.gdest.nocollect) zqsgmt(&s->plot.gdest);
}

void legend(vyxstate* s, int which) {
    auto* l = static_cast<legrec*>(s->plot.legends[which]);
    if (!l) return;
    ggldraw(0, l, s->plot.gldraw);
    if (l->pool) xmpoold(l->pool);
    l->pool = nullptr;
}

// Group g takes symbol record k (line, points, censored marks).
void givesymbols(vyxstate* s, grpnode* g, int k) {
    k = std::clamp(k, 0, std::max(s->plot.nsym - 1, 0));
    g->sym[0] = s->plot.symarr ? s->plot.symarr + k : nullptr;
    g->sym[1] = s->plot.symcomp ? s->plot.symcomp + k : g->sym[0];
    g->censtyle = s->plot.symcens ? s->plot.symcens + k : g->sym[1];
}

void PageDriver::axislabels() {
    if (!s->popt.pflags.nollabel) vyxghlb(s);
    if (!s->popt.pflags.noplabel) vyxgvlb(s);
}

grpnode* PageDriver::cell(int r, int c) const {
    VX_EXPECT(r >= 0 && r < int64_t{s->groups.nlev[NLEV_FIRST]} && c >= 0 && c < int64_t{s->groups.nlev[NLEV_SECOND]}, "a cell of the grid of two class variables");
    const int cols = static_cast<int>(s->groups.nlev[NLEV_SECOND]);
    return s->groups.grpgrid ? s->groups.grpgrid[static_cast<int64_t>(r) * cols + c] : nullptr;
}

int PageDriver::setup(bool legends, bool square) {
    vyxsymb(s);
    if (legends)
        if (int rc = vyxglgi(s)) return rc;
    vyxgpat(s);
    vyxpmar(s);
    if (int rc = vyxppag(s)) return rc;
    if (s->inwork.annoflag && vyxatrn(s) != 0) s->inwork.annoflag = 0;
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

// The insets drawn filled over the data and the reference labels that their columns had no
// room for, once for the statement (every destination draws the same pages: the counts are the
// last one's).
static void noteleftout(vyxstate* s) {
    const plotlay* f = s->plot.frame;
    if (!f) return;
    char panel[200];
    const int n = f->insetsover.insets > 0 ? groupname(s, f->insetfirst, panel, sizeof panel) : 0;
    insetsovernote(s->input.stmtkind, panel, n, f->insetsover);
    reflabelsleftout(s->input.stmtkind, f->labelsleft);
}

int eachdestination(vyxstate* s, const std::function<int()>& draw) {
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
        if (plotlay* f = s->plot.frame) f->labelsleft = 0, f->insetsover = InsetsOver{}, f->insetfirst = nullptr;
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
    if (s->inwork.annoflag && s->plot.annolib) xoclose(s->plot.annolib, 1);
    zqdfree(&c);
    noteleftout(s);
    return 0;
}
