// The MODEL statement of one BY group, step by step: options, data pass, fit,
// back-transformation, covariance, limits, result tables and observation statistics.
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/poolscope.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"

namespace {

// The step is ending: a routine ended it (stepend), or the host holds an exit code.
bool ended(const vyxstate* s) {
    return s->step.stepend || (v_global_gcb_anchor && v_global_gcb_anchor->exitcode != 0);
}

}  // namespace

int vyxmod(vyxstate* s) {
    // The pool's clearing leaves nothing of an earlier BY group's fit to be read from here on.
    if (!newstmtpool(s)) return RC_NOMEM;
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
