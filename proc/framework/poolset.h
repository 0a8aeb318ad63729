// The pools of the BY group, the statement and the work, and the utility files.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct poolset {
    poolobj* bypool;
    poolobj* stmtpool;
    poolobj* workpool;
    xchandle utilfile;
    xchandle emfile;
};
