// The MODEL fit's fields of the state block when a pool goes, and the defaults a statement
// of each kind starts from. What a plot's FITTYPE=MODEL or REGRESSION reads of the fit (the
// layout, estimates, parameter map, covariance and stress values) is in the BY group's
// pool and lasts for the group; the rows and the work of the fit are the statement's.
#include "proc/framework/poolscope.h"
#include "proc/framework/vyxinit.h"
#include "proc/framework/vyxstate.h"
#include "proc/regression/model.h"

void clearlevels(levctl* ctl) {
    levstate* ls = ctl->lstate;
    levdata* data = ctl->ldata;
    *ls = levstate{};
    *data = levdata{};
    *ctl = levctl{};
    ctl->lstate = ls;
    ctl->ldata = data;
}

void modelstate_stmtgone(vyxstate* s) {
    s->colstd = nullptr;
    s->liksum = nullptr;
    s->likpart = nullptr;
    s->mlikcache = nullptr;
    s->mlikcached = 0;
    s->estfit = nullptr;
    s->stderrs = nullptr;
    s->climits = nullptr;
    s->mdlchunks = nullptr;
    s->mdlnchunks = 0;
    s->mdlrowbuf = nullptr;
    s->mdlinmem = 0;
}

void modelstate_bygone(vyxstate* s) {
    s->mdllay = nullptr;
    s->estdata = nullptr;
    s->parmmap = nullptr;
    s->parmstat = nullptr;
    s->covsave = nullptr;
    for (double*& p : s->stressvals) p = nullptr;
    s->logslev = nullptr;
    s->logscl = nullptr;
    // The MODEL's level records (beside the block) hold the BY group's levels and effects.
    if (s->mdllev) clearlevels(s->mdllev);
}

void modelstate_start(vyxstate* s, StmtKind kind) {
    if (kind != StmtKind::Model) return;
    // A failed derivative evaluation of the last BY group's fit.
    s->likfail = 0;
}
