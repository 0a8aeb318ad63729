// The three pools of the state block and what the block keeps of them.
//
// The state block lives for the whole step; the BY group's pool (`bypool`), the statement
// pool (`stmtpool`) and the work pool (`workpool`) are deleted whole. Every field of the block
// that points into a pool is cleared when that pool goes, together with the counts and flags
// that describe what it points at, so that a later statement finds a null pointer and a zero
// count instead of memory that is gone. Each owner of fields clears its own (one routine per
// owner and pool, in the owner's folder); the routines below run them all, as the main routine
// names them. A field that can point into several pools is cleared when any of them goes.
//
// Each statement kind starts by setting to their defaults the flags and pointers that its
// readers rely on but do not set (again one routine per owner, run by the main routine's
// startstatement); beyond that a field keeps its value from one statement to the next until
// the next statement's reader sets it.
#pragma once

struct vyxstate;

// What the owners of fields clear when a pool goes: one routine per pool, each running every
// owner's (groupstate_*, fitstate_*, plotstate_*, modelstate_*, settings_stmtgone). The owners lie above the
// framework, so the main routine names them (proc/main/ownerscope.cpp) before the step makes
// its first pool; the routines below then run them.
struct poolowners {
    void (*stmtgone)(vyxstate*);
    void (*bygone)(vyxstate*);
    void (*workgone)(vyxstate*);
};
// The owners' routines from now on (a table that lives as long as the module).
void setpoolowners(const poolowners* owners);

// Deletes the statement pool (when there is one) and makes a new one: false, with 510/6
// logged, when it cannot be made.
bool newstmtpool(vyxstate* s);
// Deletes the BY group's pool at the end of its group.
void dropbypool(vyxstate* s);
// Deletes the work pool (when there is one) and makes a new one: false, with 510/6 logged,
// when it cannot be made.
bool newworkpool(vyxstate* s);

// The owners' routines (groupstate_*, fitstate_*, plotstate_*, modelstate_*, settings_stmtgone)
// are declared with their records (proc/framework/groupstate.h, proc/lifedist/fitstate.h,
// proc/devgraph/plotstate.h, proc/regression/modelstate.h, proc/framework/stmtwork.h). The fields of the recurrence data (proc/mcf) and of the graph
// requests (proc/statgraph) point into no pool.
