// The pools of the BY group, the statement and the work, and the utility files.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Routines outside proc/framework that write these fields, by field (the main routine makes the
// pools of the step, the BY group and the statements, and closes the utility files):
//   bypool writers: countstatements, rungroup
//   stmtpool writers: countstatements, runstep
//   utilfile writers: centrescale, openfile, regplt, RowsFile, rungroup, runstep, sortxy, ~RowsFile
//   workpool writers: runstep
struct poolset {
    poolobj* bypool;            // pool of the BY group
    poolobj* stmtpool;          // pool of the statement, renewed for each statement
    poolobj* workpool;          // pool of one analysis or graph
    xchandle utilfile;          // utility file of MODEL rows
    xchandle emfile;            // utility file of the EM incidence matrix
};

// Fields of poolset used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   bypool       written in framework, main; read in devgraph, lifedist, regression
//   stmtpool     written in framework, main; read in devgraph, lifedist, mcf, regression, statgraph
//   workpool     written in framework, main; read in devgraph, lifedist, mcf, statgraph
//   utilfile     written in devgraph, main, regression
