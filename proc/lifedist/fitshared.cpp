// The output-object results the fits and the MODEL fit share: a failed call ends the step.
#include "proc/lifedist/fitshared.h"
#include "proc/vyxstate.h"

namespace fitx {

void endstep(vyxstate* s, int32_t rc) {
    xprrlog(0, rc);
    xexit(rc, 0);
    s->step.stepend = 1;
}

bool obok(vyxstate* s, int32_t rc) {
    if (rc >= 0) return true;
    endstep(s, rc);
    return false;
}

}  // namespace fitx
