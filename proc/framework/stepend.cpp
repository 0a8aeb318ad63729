// Ending the step (stepend.h).
#include "proc/framework/stepend.h"

#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"

int endstep(vyxstate* s, int code) {
    xexit(code, 0);
    s->step.stepend = 1;
    return code;
}

int callfailed(vyxstate* s, int32_t rc) {
    xprrlog(0, rc);
    return endstep(s, rc);
}

bool stepended(const vyxstate* s) { return s->step.stepend || (v_global_gcb_anchor && v_global_gcb_anchor->exitcode != 0); }
