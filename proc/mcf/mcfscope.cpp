// The recurrence-data fields of the state block when a pool goes, and the defaults a
// statement of each kind starts from.
#include "proc/framework/poolscope.h"
#include "proc/framework/vyxinit.h"
#include "proc/framework/vyxstate.h"

void mcfstate_stmtgone(vyxstate*) {}

void mcfstate_start(vyxstate*, StmtKind) {}
