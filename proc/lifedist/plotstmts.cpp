// PROBPLOT and RELATIONPLOT until their device drawing is available: the options, the
// computations and the tables of the statement run now; a probability plot on the
// statistical road is handed to the output system after the fits, as the device driver
// does; otherwise the log says once per statement that the plot itself is not drawn yet.
// Weak, so that the drawing routines replace them: delete these when they land (an archive
// link prefers the first definition it meets).
#include "proc/framework/analyses.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/notyet.h"
#include "proc/statgraph/statgraph.h"

// The main routine has read the options already.
__attribute__((weak)) int vyxpplt(vyxstate* s) {
    // Censored observations are marked only for a time with a censoring variable.
    s->pflags.nocenplot = s->pflags.nocenplot && s->rspform[RF_CENSOR];
    const int rc = PPComp(s);
    if (s->rdxgraph) return rc ? rc : vyxpog(s);
    notavailable(s, "drawing the plot");
    return rc;
}

__attribute__((weak)) int vyxrplot(vyxstate* s) {
    if (int rc = vyxpprm(s)) return rc;
    const int rc = PPComp(s);
    notavailable(s, "drawing the plot");
    return rc;
}
