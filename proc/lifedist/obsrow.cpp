// The observation row of the life-distribution statements: its columns by response form and
// options, and the group's row buffer and utility file (lifedist.h).
#include "proc/lifedist/lifedist_internal.h"

#include "proc/vyxstate.h"

obscols obslayout(const vyxstate* s) {
    obscols c{1, -1, -1, -1};
    const uint32_t form = s->inwork.rspkind;
    int next = form == FORM_TIME || form == FORM_READOUT ? 1 : 2;
    if (s->input.nfreq > 0 || form == FORM_READOUT) c.weight = next++;
    if (form == FORM_CENSOR && s->popt.pflags.fmcombine) c.fmidx = next++;
    // The NENTER value belongs to READOUT rows only: the row layout counts it there alone.
    if (form == FORM_READOUT) c.nenter = next++;
    c.ndoubles = next;
    return c;
}

uint32_t writtenform(const vyxstate* s) { return s->life.fmresp ? FORM_TIME : s->inwork.rspkind; }
