// The fit, input and table fields of the state block when a pool goes, and the defaults a
// statement of each kind starts from. The fit arrays are laid out in the work pool by the
// life-distribution fits and in the statement pool by the Turnbull estimate: they are
// cleared when any pool goes.
#include "proc/framework/poolscope.h"
#include "proc/framework/stmtkinds.h"
#include "proc/vyxstate.h"

namespace {

void fitarrays(fitwork& fit) {
    fit.fitarr = {};
}

// The fits of the listed failure modes and their combination (work pool).
void fmodefits(fitstate& life) {
    life.fmloc = life.fmscale = nullptr;
    life.fmcov = nullptr;
    life.fmused = nullptr;
    life.fmrecs = nullptr;
    life.fmcurve = nullptr;
}

}  // namespace

void fitstate_stmtgone(vyxstate* s) {
    fitarrays(s->life.fit);
    s->life.fit.parmnames = nullptr;
    s->life.fit.itrow = nullptr;
    for (double*& p : s->life.ppcarr) p = nullptr;
    s->life.sortdesc[SD_KEYS] = s->life.sortdesc[SD_CTL] = nullptr;
    s->life.sortrow = nullptr;
    s->life.emgrad = nullptr;
    s->life.rtimes = nullptr;   // the times as read (readtimes.h)
    s->life.stmtnodes = nullptr;
    s->life.pbpooled = s->life.pbpoolpred = nullptr;
    s->groups.curfit = nullptr;
    s->life.likcache.group = nullptr;
    s->life.likcache.valid = 0;
}

void fitstate_workgone(vyxstate* s) {
    fitarrays(s->life.fit);
    s->life.parmvec.block = nullptr;
    fmodefits(s->life);
    s->life.likcache.group = nullptr;
    s->life.likcache.valid = 0;
}

void fitstate_bygone(vyxstate* s) {
    fitarrays(s->life.fit);
    s->life.fit.parmnames = nullptr;
}

void fitstate_start(vyxstate* s, StmtKind kind) {
    // Only the relation plot's reader scales a stress axis; the scales of every other
    // statement would take the levels of its class variable for stress values.
    s->life.stressax = 0;
    // MCFPLOT fits nothing: a fit method left by a statement before would give its inset
    // the Weibayes confidence and keep its files from being deleted (FITTYPE=REGRESSION).
    if (kind == StmtKind::Mcfplot) s->work.fitmethod = FIT_UNSET;
}
