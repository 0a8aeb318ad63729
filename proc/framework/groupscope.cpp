// The input variables, groups and class levels of the state block when a pool goes: the
// statement's response variables, its group lists and the work areas of the root node (the
// whole data when there is no class variable, embedded in the block), and the BY group's
// level texts and values.
#include "proc/framework/poolscope.h"
#include "proc/vyxstate.h"

namespace {

// The root node's areas in the statement pool, with the counts that describe them; its
// counts and fit stay until the next statement's input replaces the node.
void rootstmtgone(grpnode& r) {
    r.next = r.tleft = r.tright = nullptr;
    r.subtree = {};
    r.nsub = 0;
    r.rowbuf = nullptr;
    r.nrows = 0;
    r.crvbuf = nullptr;
    r.crvinmem = r.crvdone = 0;
    r.ncurve = 0;
    r.emwts = r.emtab = nullptr;
    r.nturn = 0;
    for (double*& p : r.ppcslot) p = nullptr;
    r.pbest = r.pbpred = nullptr;
    r.stmtnext = nullptr;
    for (void*& u : r.mcf.units) u = nullptr;
    r.mcf.unitwts = nullptr;
    r.mcf.unitseq = nullptr;
    r.mcf.nunitseq = 0;
    r.sym[0] = r.sym[1] = r.censtyle = nullptr;
}

}  // namespace

void groupstate_stmtgone(vyxstate* s) {
    rootstmtgone(s->groups.rootgrp);
    s->groups.grplist = {};
    s->groups.curgrp = nullptr;
    // The grid array is the BY group's, but the nodes it holds are the statement's.
    s->groups.grpgrid = nullptr;
}

void groupstate_workgone(vyxstate* s) {
    grpnode& r = s->groups.rootgrp;
    r.parmcov = nullptr;
    r.pcttab = r.pcttab2 = r.fitlines = r.survtab = nullptr;
}

void groupstate_bygone(vyxstate* s) {
    s->groups.levkeys[CV_FIRST] = s->groups.levkeys[CV_SECOND] = nullptr;
    s->groups.levvals[CV_FIRST] = s->groups.levvals[CV_SECOND] = nullptr;
    s->groups.nlev[NLEV_SECOND] = s->groups.nlev[NLEV_FIRST] = 0;
    s->groups.grpgrid = nullptr;
}
