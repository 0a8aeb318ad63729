// The cells of the current output row, bound by address to table columns (kept contiguous, in this order).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct outputrow {
    char grplabel[256];
    char grplabel2[256];
    char rowtext[256];
    int32_t grplablen;
    double rowlead[3];
    txthandle convmsg;          // the convergence reason of the row being written (text handle)
    nobscells nobsrow;
    double rowvals[24];
    double survcells[10];       // S0..S9, right after rowvals
};

// Fields used outside framework (folders of proc/; "written" counts assignments and
// addresses taken):
//   grplabel     written in lifedist, mcf, statgraph; read in framework
//   grplabel2    written in (set by address or not at all); read in statgraph
//   rowtext      written in mcf, regression, statgraph; read in lifedist
//   grplablen    written in lifedist; read in framework
//   rowlead      written in lifedist, mcf
//   convmsg      written in lifedist
//   nobsrow      written in lifedist, mcf, regression
//   rowvals      written in lifedist, mcf, statgraph
//   survcells    written in lifedist
