// The graph requests' fields of the state block when a pool goes.
#include "proc/framework/poolscope.h"
#include "proc/framework/vyxstate.h"

void sgstate_stmtgone(vyxstate*) {}

void sgstate_workgone(vyxstate*) {}
