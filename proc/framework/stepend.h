// How a helper of the procedure ends the step (docs/architecture.md, "Failure"). The helper
// that meets the failure reports it first (its message, xmemmsg for memory; callfailed for a
// host or output-object result), then ends the step and returns the code, which its callers
// return in turn:  xmemmsg(bytes); return endstep(s, RC_NOMEM);
#pragma once
#include <cstdint>

struct vyxstate;

// xexit(code, 0) and stepend set (for the routines that cannot return the code); returns code.
int endstep(vyxstate* s, int code);
// A host or output-object call that failed with rc < 0: xprrlog(0, rc), then endstep(s, rc).
int callfailed(vyxstate* s, int32_t rc);
// The step has ended: a helper ended it (stepend), or a routine without the state block called
// xexit itself (the host keeps its code).
bool stepended(const vyxstate* s);
