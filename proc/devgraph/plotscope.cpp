// The plot layout and drawing fields of the state block when a pool goes, and the defaults
// a statement of each kind starts from.
#include "proc/framework/poolscope.h"
#include "proc/framework/vyxinit.h"
#include "proc/framework/vyxstate.h"

void plotstate_stmtgone(vyxstate* s) {
    s->frame = nullptr;
    s->symarr = s->symcomp = s->symcens = s->fmstyles = nullptr;
    s->nsym = 0;
    s->gstyles = nullptr;
    s->nstyles = 0;
    for (void*& l : s->legends) l = nullptr;
    // The life axis: its boundaries, ticks and the counters of censored values between them.
    s->lifeticks = s->lifetickv = nullptr;
    s->lifecounts = nullptr;
    s->tickinfo[TI_NBOUNDS] = s->tickinfo[TI_NLIFETICKS] = 0;
    s->linepts = nullptr;
    s->lvlpct = nullptr;
    s->boxpos = nullptr;
    s->pctlines = nullptr;
    s->regpstate = nullptr;
    s->panels.pctlist = nullptr;
    s->panels.npct = 0;
    // The reference lines: the statement's copies of the values.
    for (int k = 0; k < 5; ++k) {
        s->refs.vals[k] = nullptr;
        s->refs.labels[k] = nullptr;
        s->refs.counts[k] = 0;
    }
}

void plotstate_workgone(vyxstate* s) {
    s->inset = nullptr;
    s->linepts = nullptr;
}

void plotstate_bygone(vyxstate* s) {
    s->byline[0] = s->byline[1] = nullptr;
    s->pctlines = nullptr;   // the relation plot's percentile lines go into the BY group's pool
}

void plotstate_start(vyxstate* s, StmtKind kind) {
    // The inset header that failure modes combined and MCF differences set for their own
    // insets.
    s->defhdr.given = 0;
    s->defhdr.len = 0;
    if (kind == StmtKind::Analyze) {
        // ANALYZE has no CENBIN, PCONFPLT or NPINTERVALS, but its curve and least-squares
        // passes read them: censored values counted between the ticks of a plot's life axis,
        // pointwise limits for a plot.
        s->pflags.cenbin = 0;
        s->pflags.pconfplt = 0;
        s->plotcodes[PC_NPINTERVALS] = 0;
    }
}
