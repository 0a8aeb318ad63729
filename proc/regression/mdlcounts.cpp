// The counts of the MODEL's design columns and parameters (mdlcounts), from its layout and
// the distribution.
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"

mdlcounts mdlsizes(const vyxstate* s) {
    mdlcounts c{};
    c.ncol = s->mdl.mdllay->ncol;
    c.nls = s->mdl.haslogscl ? s->mdl.mdllay->nls : 0;
    c.ntot = c.ncol + c.nls;
    c.ndist = s->mdl.ndistp;
    c.p = s->mdl.haslogscl ? c.ntot + c.ndist - 1 : c.ncol + c.ndist;
    return c;
}
