// The output environment, the table objects and the MAKE block.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct outstate {
    int32_t obrc;
    obobject* obenv;
    obobject* outmgr;
    obobject* curtab;
    uint32_t curtabid;
    obobject* panelobj;
    tabpair tabs[TAB_COUNT];
    makeblk* make;
};

// Fields used outside framework (folders of proc/; "written" counts assignments and
// addresses taken):
//   obenv        written in framework; read in devgraph
//   outmgr       written in framework; read in devgraph, lifedist, mcf, regression, statgraph
//   curtab       written in lifedist, regression, statgraph
//   curtabid     written in lifedist, regression, statgraph
//   panelobj     written in lifedist, statgraph
//   tabs         written in lifedist, mcf
