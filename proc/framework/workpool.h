// The state's work pool: the blocks of one group's fit or drawing, made afresh for each.
#pragma once
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"

// The work pool deleted and made again. 0, or RC_NOMEM after 510/6 (the step ends).
inline int renewworkpool(vyxstate* s) {
    if (s->workpool) xmpoold(s->workpool);
    s->workpool = xmpoolc(8192, 8192, 4);
    if (s->workpool) return 0;
    xpmlog(510, 6);
    return xexit(RC_NOMEM, 0);
}
