// The working part of the input (the settings of the input are inputstate.h).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// The working part of the input: the statement being run and its index (set by the main
// routine), the values of the current observation (written by the host's getters into the
// cells vyxxvgi hands them), what the data passes count, and the two input settings that the
// drawing and the MODEL fit change while the statement runs.
// Routines outside proc/framework that write these fields, by field:
//   annoflag writers: countstatements, PageDriver::setup, readnumbers, regpage, vyxcfpm, vyxgini
//   curstmt writers: rungroup, runstep
//   nobscnt writers: passcounts, vyxcfin, vyxin
//   obsvals writers: fmodevalue, groupof, vyxcfin
//   rspkind writers: crossproducts, readform, vyxcfpm, vyxmprm
//   spilled writers: appendrow, store, vyxcfin, vyxin
//   stmtidx writers: rungroup
struct inputwork {
    stmtrec* curstmt;           // the statement being run; set by the main routine before each dispatch
    uint32_t stmtidx;           // index of the analysis statement being run within the BY group
    obsvalues obsvals;          // values of the current observation, written by the getters
    int32_t nobscnt[3];         // skipped, used, read (NOB_* places)
    uint8_t spilled;            // group rows were spilled to utility files
    uint32_t annoflag;          // an annotate data set was given; cleared when the annotate data cannot be drawn
    uint32_t rspkind;           // 0 time, 1 with censoring values, 2 lower and upper, 3 READOUT, 4 events and trials
};

// Fields of inputwork used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   curstmt      written in main; read in devgraph, lifedist, mcf, regression, statgraph
//   stmtidx      written in main; read in lifedist, mcf
//   obsvals      written in framework, mcf, regression; read in devgraph, lifedist
//   nobscnt      written in lifedist, mcf, regression
//   spilled      written in lifedist, mcf
//   annoflag     written in devgraph, lifedist, main, mcf
//   rspkind      written in lifedist, mcf, regression; read in devgraph, statgraph
