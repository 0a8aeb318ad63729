// The MODEL fit's fields of the state block when a pool goes, and the defaults a statement
// of each kind starts from. What a plot's FITTYPE=MODEL or REGRESSION reads of the fit (the
// layout, estimates, parameter map, covariance and stress values) is in the BY group's
// pool and lasts for the group; the rows and the work of the fit are the statement's.
#include "proc/framework/poolscope.h"
#include "proc/framework/stmtkinds.h"
#include "proc/vyxstate.h"
#include "proc/regression/regression_internal.h"

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
    // The fit's arrays: the work array and the parameter names are the statement's, the rest
    // the BY group's; the iteration row is the statement's.
    s->mdl.fit.fitarr = {};
    s->mdl.fit.parmnames = nullptr;
    s->mdl.fit.itrow = nullptr;
    s->mdl.colstd = nullptr;
    s->mdl.liksum = nullptr;
    s->mdl.likpart = nullptr;
    s->mdl.mlikcache = nullptr;
    s->mdl.mlikcached = 0;
    s->mdl.estfit = nullptr;
    s->mdl.stderrs = nullptr;
    s->mdl.climits = nullptr;
    s->mdl.mdlchunks = nullptr;
    s->mdl.mdlnchunks = 0;
    s->mdl.mdlrowbuf = nullptr;
    s->mdl.mdlinmem = 0;
}

void modelstate_bygone(vyxstate* s) {
    s->mdl.fit.fitarr = {};
    s->mdl.fit.parmnames = nullptr;
    for (double*& p : s->mdl.estarr) p = nullptr;
    s->mdl.mdllay = nullptr;
    s->mdl.estdata = nullptr;
    s->mdl.parmmap = nullptr;
    s->mdl.parmstat = nullptr;
    s->mdl.covsave = nullptr;
    for (double*& p : s->mdl.stressvals) p = nullptr;
    s->mdl.logslev = nullptr;
    s->mdl.logscl = nullptr;
    // The MODEL's level records (beside the block) hold the BY group's levels and effects.
    if (s->mdl.mdllev) clearlevels(s->mdl.mdllev);
}

void modelstate_start(vyxstate* s, StmtKind kind) {
    if (kind != StmtKind::Model) return;
    // A failed derivative evaluation of the last BY group's fit.
    s->mdl.likfail = 0;
}
