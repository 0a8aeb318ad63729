// The state's work pool: the blocks of one group's fit or drawing, made afresh for each.
#pragma once
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/poolscope.h"
#include "proc/framework/stepend.h"

// The work pool deleted and made again (newworkpool: what pointed into it is cleared). 0, or
// RC_NOMEM after 510/6 when it cannot be made (the step ends).
inline int renewworkpool(vyxstate* s) { return newworkpool(s) ? 0 : endstep(s, RC_NOMEM); }
