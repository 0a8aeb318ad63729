// The MODEL statement of one BY group, step by step: options, data pass, fit,
// back-transformation, covariance, limits, result tables and observation statistics.
#include "proc/framework/hostsvc.h"
#include "proc/framework/poolscope.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/framework/stepend.h"

int vyxmod(vyxstate* s) {
    // The pool's clearing leaves nothing of an earlier BY group's fit to be read from here on.
    if (!newstmtpool(s)) return RC_NOMEM;
    if (int rc = vyxmprm(s)) return rc;
    if (int rc = vyxmdta(s)) return rc;
    if (stepended(s)) return 1;
    if (int rc = vyxmfit(s)) return rc;
    if (stepended(s)) return 1;
    vyxmxup(s);
    if (stepended(s)) return 1;
    vyxmcov(s);
    if (stepended(s)) return 1;
    if (int rc = vyxmcl(s)) return rc;
    if (stepended(s)) return 1;
    vyxmput(s);
    if (!stepended(s) && s->work.tblflags[TF_OBSTATS]) vyxmout(s);
    return 0;
}
