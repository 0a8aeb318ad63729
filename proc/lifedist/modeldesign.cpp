// The group's MODEL design rows for a fit taken over from the MODEL statement.
#include <cstring>

#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/regression.h"

bool modeldesign(vyxstate* s, double* x, int m) {
    std::memset(x, 0, sizeof(double) * 2 * static_cast<size_t>(m));
    double loc = 0.0, scl = 0.0;
    return s->groups.curfit && mdlgroupfit(s, s->groups.curfit, &loc, &scl, x, x + m);
}
