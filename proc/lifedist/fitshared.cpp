// The output-object results the fits and the MODEL fit share: a failed call ends the step.
#include "proc/lifedist/fitshared.h"
#include "proc/framework/stepend.h"
#include "proc/vyxstate.h"

namespace fitx {

bool obok(vyxstate* s, int32_t rc) {
    if (rc >= 0) return true;
    callfailed(s, rc);
    return false;
}

}  // namespace fitx
