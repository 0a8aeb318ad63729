// The ProbabilityEstimates table of a group (PPOUT) and its TurnbullGrad table
// (ITPRINTEM, interval data).
#include <cfloat>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/readtimes.h"
#include "proc/lifedist/tables.h"

// End of a group's rows: without items when the statement's page byte asks for it or on
// the last group (so that a class analysis prints the table in its place, with the other
// tables of the group's fit), with "more follow" while class groups remain, no call
// otherwise; then publish.
void endgroup(vyxstate* s, const tabpair& t) {
    if (s->work.pageflags.statement || (s->groups.nclass > 0 && s->groups.lastgrp))
        tabendrows(t.obj, false);
    else if (s->groups.nclass > 0)
        tabendrows(t.obj, true);
    tabpublish(s->out.outmgr, t.tabid);
}

void probrow(vyxstate* s, const double* rec, double lower, double upper) {
    std::memcpy(s->row.rowvals, rec, sizeof s->row.rowvals);
    s->row.rowlead[1] = lower;
    s->row.rowlead[2] = upper;
    tabrow(s->out.tabs[TAB_PROBEST].obj);
}

void probtable_begin(vyxstate* s) {
    tabpair& t = s->out.tabs[TAB_PROBEST];
    t.tabid = tabbind(s->out.outmgr, t.obj, "kv.vitalyx.ProbEstimates");
}

void probtable_end(vyxstate* s) { endgroup(s, s->out.tabs[TAB_PROBEST]); }

// Rows of the Turnbull estimate: the probability is known between the Turnbull intervals,
// not inside them, so a row covers the gap from one interval's right end to the next one's
// left end: 0 before the first interval, F_k after interval k, 1 after the last.
void turnbullprobrows(vyxstate* s, const grpnode* g) {
    const int32_t m = g->nturn;
    const double* t = g->emtab;
    double rec[CR_WORDS] = {};
    for (int32_t j = 0; j <= m; ++j) {
        std::memset(rec, 0, sizeof rec);
        const int32_t k = j - 1;
        if (j == 0 || j == m) {
            const double v = j == 0 ? 0.0 : 1.0;
            rec[CR_PPOS] = rec[CR_UPPER] = rec[CR_LOWER] = rec[CR_SIMUPPER] = rec[CR_SIMLOWER] = v;
        } else {
            rec[CR_PPOS] = t[EMT_CUM * m + k];
            rec[CR_SE] = t[EMT_SE * m + k];
            rec[CR_LOWER] = t[EMT_LOWER * m + k];
            rec[CR_UPPER] = t[EMT_UPPER * m + k];
            rec[CR_SIMLOWER] = t[EMT_SIMLOWER * m + k];
            rec[CR_SIMUPPER] = t[EMT_SIMUPPER * m + k];
        }
        // the ends as read, not as the estimate moved them inwards
        const double lower = j == 0 ? hostmissing() : rtend(s, t[EMT_RIGHT * m + k]);
        const double upper = j == m ? hostmissing() : rtend(s, t[EMT_LEFT * m + j]);
        probrow(s, rec, lower, upper);
    }
}

void turnbullgradtable(vyxstate* s, const grpnode* g) {
    tabpair& tab = s->out.tabs[TAB_TURNBULLGRAD];
    if (!tab.obj || !s->life.emgrad) return;
    tab.tabid = tabbind(s->out.outmgr, tab.obj, "kv.vitalyx.turnbull");
    const int32_t m = g->nturn;
    const double* t = g->emtab;
    for (int32_t k = 0; k < m; ++k) {
        s->life.emgrad[EG_LEFT] = rtend(s, t[EMT_LEFT * m + k]);
        s->life.emgrad[EG_RIGHT] = rtend(s, t[EMT_RIGHT * m + k]);
        s->life.emgrad[EG_PROB] = t[EMT_PROB * m + k];
        s->life.emgrad[EG_GRAD] = t[EMT_GRAD * m + k];
        s->life.emgrad[EG_MULT] = t[EMT_MULT * m + k];
        tabrow(tab.obj);
    }
    endgroup(s, tab);
}
