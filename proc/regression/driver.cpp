// The MODEL statement of one BY group, step by step: options, data pass, fit,
// back-transformation, covariance, limits, result tables and observation statistics.
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/regression/model.h"

namespace {

// The step is ending: a routine ended it (stepend), or the host holds an exit code.
bool ended(const vyxstate* s) {
    return s->step.stepend || (v_global_gcb_anchor && v_global_gcb_anchor->exitcode != 0);
}

}  // namespace

int vyxmod(vyxstate* s) {
    if (s->pools.stmtpool) xmpoold(s->pools.stmtpool);
    s->pools.stmtpool = xmpoolc(8192, 8192, 4);
    if (!s->pools.stmtpool) {
        xpmlog(510, 6);
        return RC_NOMEM;
    }
    // Nothing of an earlier BY group's fit may be read from here on.
    s->mdl.mdllay = nullptr;
    s->mdl.estdata = nullptr;
    s->fit.parmmap = nullptr;
    s->mdl.mdlinmem = 0;
    s->mdl.mdlnchunks = 0;
    s->mdl.likfail = 0;
    if (int rc = vyxmprm(s)) return rc;
    if (int rc = vyxmdta(s)) return rc;
    if (ended(s)) return 1;
    if (int rc = vyxmfit(s)) return rc;
    if (ended(s)) return 1;
    vyxmxup(s);
    if (ended(s)) return 1;
    vyxmcov(s);
    if (ended(s)) return 1;
    if (int rc = vyxmcl(s)) return rc;
    if (ended(s)) return 1;
    vyxmput(s);
    if (!ended(s) && s->opts.tblflags[TF_OBSTATS]) vyxmout(s);
    return 0;
}
