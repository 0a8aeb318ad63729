// The plot layout and drawing fields of the state block when a pool goes, and the defaults
// a statement of each kind starts from.
#include "proc/framework/poolscope.h"
#include "proc/framework/stmtkinds.h"
#include "proc/vyxstate.h"

void plotstate_stmtgone(vyxstate* s) {
    s->plot.frame = nullptr;
    s->plot.symarr = s->plot.symcomp = s->plot.symcens = s->plot.fmstyles = nullptr;
    s->plot.nsym = 0;
    s->plot.gstyles = nullptr;
    s->plot.nstyles = 0;
    for (void*& l : s->plot.legends) l = nullptr;
    // The life axis: its boundaries, ticks and the counters of censored values between them.
    s->plot.lifeticks = s->plot.lifetickv = nullptr;
    s->plot.lifecounts = nullptr;
    s->plot.tickinfo[TI_NBOUNDS] = s->plot.tickinfo[TI_NLIFETICKS] = 0;
    s->plot.linepts = nullptr;
    s->plot.lvlpct = nullptr;
    s->plot.boxpos = nullptr;
    s->plot.pctlines = nullptr;
    s->plot.regpstate = nullptr;
}

void plotstate_workgone(vyxstate* s) {
    s->plot.inset = nullptr;
    s->plot.linepts = nullptr;
}

void plotstate_bygone(vyxstate* s) {
    s->plot.byline[BL_TEXT] = s->plot.byline[BL_LENGTH] = nullptr;
    s->plot.pctlines = nullptr;   // the relation plot's percentile lines go into the BY group's pool
}

void plotstate_start(vyxstate* s, StmtKind kind) {
    // The inset header that failure modes combined and MCF differences set for their own
    // insets.
    s->work.defhdr.given = 0;
    s->work.defhdr.len = 0;
    if (kind == StmtKind::Analyze) {
        // ANALYZE has no CENBIN, PCONFPLT or NPINTERVALS, but its curve and least-squares
        // passes read them: censored values counted between the ticks of a plot's life axis,
        // pointwise limits for a plot.
        s->poptw.pflags.cenbin = 0;
        s->poptw.pflags.pconfplt = 0;
        s->poptw.plotcodes[PC_NPINTERVALS] = 0;
    }
}
