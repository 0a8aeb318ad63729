// The settings the statement readers leave for every subsystem: distribution, confidence, labels,
// percentiles, THRESHOLD and the MODEL's fixed values. Every routine reads them through the const view
// opts; the routines listed below write them through optsw (proc/vyxstate.h).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Who writes these settings: the initialisation, the statement readers (with the routines of
// their files) and the per-statement defaults:
// option readers: main/vyxinit.cpp, lifedist/optread.cpp, lifedist/plotdisplay.cpp, lifedist/vyxaprm.cpp
// option readers: lifedist/vyxpprm.cpp, mcf/vyxcfpm.cpp, regression/options.cpp
struct stmtopts {
    uint32_t rowlay[2];         // rows per buffer, doubles per row (RL_* places)
    uint32_t distcode;          // distribution (DIST_*)
    uint8_t rdxgraph;           // statistical graphics are wanted
    uint8_t logscale[2];        // the response is taken on the ln scale / on the log10 scale (LSC_* places)
    qntfn quant_fn;             // quantile function of the distribution
    strfn stress_fn;            // stress transform of RELATION
    double alpha;               // 1 - CONFIDENCE (default 0.05)
    double* pctvals;            // PLOTFIT values
    uint32_t pctcount;          // their number
    int32_t npoints;            // NPOINTS, default 100 (curve arrays hold npoints + 1 points)
    uint32_t stressrel;         // RELATION: 1 ARR, 2 LINEAR, 3 POW, 4 ARR2, 5 LOGISTIC
    const char* stmtlabel;      // the statement's label (StmtLabel / Label columns)
    double fixedparms[8];       // THRESHOLD and the MODEL statement's fixed values (FP_* places)
    char labels[8][40];         // distribution, parameter and relation labels (LB_* places)
};

// Fields of stmtopts used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   rowlay       written in lifedist, mcf; read in devgraph
//   distcode     written in lifedist, main; read in devgraph, regression, statgraph
//   rdxgraph     written in main; read in devgraph, lifedist, mcf
//   logscale     written in lifedist, mcf, regression; read in devgraph, statgraph
//   quant_fn     written in lifedist, regression; read in devgraph, statgraph
//   stress_fn    written in lifedist; read in devgraph, statgraph
//   alpha        written in lifedist, mcf, regression; read in devgraph, statgraph
//   pctvals      written in lifedist; read in devgraph, statgraph
//   pctcount     written in lifedist; read in devgraph, statgraph
//   npoints      written in lifedist; read in devgraph, statgraph
//   stressrel    written in lifedist; read in devgraph, statgraph
//   stmtlabel    written in lifedist, mcf
//   fixedparms   written in lifedist, regression; read in devgraph, framework
//   labels       written in lifedist, regression; read in devgraph
