// The statement's settings and working fields when the statement pool goes (stmtwork.h).
#include "proc/vyxstate.h"

void settings_stmtgone(vyxstate* s) {
    // The response variables: the MCF reader keeps their descriptors in the statement pool.
    s->inputw.rspvars[RV_TIME] = s->inputw.rspvars[RV_SECOND] = s->inputw.rspvars[RV_MODELFREQ] = nullptr;
    // The percentile list of the panels.
    s->poptw.panels.pctlist = nullptr;
    s->poptw.panels.npct = 0;
    // The reference lines: the statement's copies of the values.
    for (int k = 0; k < 5; ++k) {
        s->work.refs.vals[k] = nullptr;
        s->work.refs.labels[k] = nullptr;
        s->work.refs.counts[k] = 0;
    }
}
