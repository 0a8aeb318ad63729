// The owners of the state block's fields, run together by the main routine: what each
// clears when a pool goes, and the defaults each sets when a statement starts.
#pragma once

struct vyxstate;
enum class StmtKind;

// Names the owners' clearing routines to the pool routines of the framework
// (proc/framework/poolscope.h), which know no owner above the framework; the main routine
// does so before the step makes its first pool.
void namepoolowners();

// Sets the defaults of a statement of the given kind; the main routine calls it once before
// each statement it runs (MODEL included).
void startstatement(vyxstate* s, StmtKind kind);
