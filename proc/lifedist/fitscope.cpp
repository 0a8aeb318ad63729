// The fit, input and table fields of the state block when a pool goes, and the defaults a
// statement of each kind starts from. The fit arrays are laid out in the work pool by the
// life-distribution fits, in the statement pool by the Turnbull estimate and in the BY
// group's pool by the MODEL fit: they are cleared when any of these pools goes. The MODEL
// fit's estimate arrays and covariance (estarr), which FITTYPE=MODEL reads, last for the
// BY group.
#include "proc/framework/poolscope.h"
#include "proc/framework/vyxinit.h"
#include "proc/framework/vyxstate.h"

namespace {

void fitarrays(vyxstate* s) {
    for (double*& p : s->fitarr) p = nullptr;
}

// The fits of the listed failure modes and their combination (work pool).
void fmodefits(vyxstate* s) {
    s->fmloc = s->fmscale = nullptr;
    s->fmcov = nullptr;
    s->fmused = nullptr;
    s->fmrecs = nullptr;
    s->fmcurve = nullptr;
}

}  // namespace

void fitstate_stmtgone(vyxstate* s) {
    fitarrays(s);
    s->parmnames = nullptr;
    s->itrow = nullptr;
    for (double*& p : s->ppcarr) p = nullptr;
    s->sortdesc[0] = s->sortdesc[1] = nullptr;
    s->sortrow = nullptr;
    s->emgrad = nullptr;
    s->rtimes = nullptr;   // the times as read (readtimes.h)
    s->stmtnodes = nullptr;
    s->pbpooled = s->pbpoolpred = nullptr;
    s->curfit = nullptr;
    s->likcache.group = nullptr;
    s->likcache.valid = 0;
}

void fitstate_workgone(vyxstate* s) {
    fitarrays(s);
    s->parmvec[0] = nullptr;
    fmodefits(s);
    s->likcache.group = nullptr;
    s->likcache.valid = 0;
}

void fitstate_bygone(vyxstate* s) {
    fitarrays(s);
    for (double*& p : s->estarr) p = nullptr;
    s->parmnames = nullptr;
}

void fitstate_start(vyxstate* s, StmtKind kind) {
    // Only the relation plot's reader scales a stress axis; the scales of every other
    // statement would take the levels of its class variable for stress values.
    s->stressax = 0;
    // MCFPLOT fits nothing: a fit method left by a statement before would give its inset
    // the Weibayes confidence and keep its files from being deleted (FITTYPE=REGRESSION).
    if (kind == StmtKind::Mcfplot) s->fitmethod = FIT_UNSET;
}
