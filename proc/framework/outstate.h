// The output environment, the table objects and the MAKE block.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Routines outside proc/framework that write these fields, by field (the initialisation starts
// the output environment and reads the MAKE statements: startmanager, readmake):
//   curtab writers: lrparameters, lrpercentiles, mtable::create, nobstbl, phcreate, setupit, statustable
//   curtab writers: vyxem
//   curtabid writers: mtable::bind, nobstbl, phbind, setupit, statustable
//   make writers: readmake
//   obenv writers: startmanager
//   obrc writers: startmanager
//   outmgr writers: startmanager
//   panelobj writers: phgroup, setgrp
//   tabs writers: bind, create, fmode, fmput, lrparameters, lrpercentiles, probtable_begin, statustable
//   tabs writers: turnbullgradtable, vyxcfob, vyxdsum, vyxfit, vyxpobj, vyxpput
struct outstate {
    int32_t obrc;               // result of starting the output environment; negative ends the step
    obobject* obenv;            // output environment handle
    obobject* outmgr;           // the output manager; released at the end of the step
    obobject* curtab;           // the current table or phantom data object
    uint32_t curtabid;          // id of the current table bound to its template
    obobject* panelobj;         // panel-group object of the current class level
    tabpair tabs[TAB_COUNT];    // the table objects of ANALYZE, PROBPLOT and MCFPLOT (TAB_* places)
    makeblk* make;              // the MAKE block of OutData
};

// Fields of outstate used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   obrc         written in main
//   obenv        written in main; read in devgraph
//   outmgr       written in main; read in devgraph, lifedist, mcf, regression, statgraph
//   curtab       written in lifedist, regression, statgraph
//   curtabid     written in lifedist, regression, statgraph
//   panelobj     written in lifedist, statgraph
//   tabs         written in lifedist, mcf
//   make         written in main
