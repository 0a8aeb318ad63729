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

// Fields used outside framework (folders of proc/; "written" counts assignments and
// addresses taken):
//   bypool       written in framework; read in devgraph, lifedist, regression
//   stmtpool     written in framework, regression; read in devgraph, lifedist, mcf, statgraph
//   workpool     written in framework, lifedist, mcf, statgraph; read in devgraph
//   utilfile     written in devgraph, framework, regression
