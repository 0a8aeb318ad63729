// The input data set and its variables, as the initialisation and the statement readers leave them.
// Every routine reads them through the const view input; the routines listed below write them through
// inputw (proc/vyxstate.h).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Named places in the arrays of this record (clsdesc takes the CV_* places of groupstate.h).
enum : int {
    // rspvars: the time variable, the second response or censoring variable, the MODEL frequency variable
    RV_TIME = 0, RV_SECOND = 1, RV_MODELFREQ = 2,
    // procvars: FREQ, NENTER, FMODE, UNITID (word 2 is unused)
    PV_FREQ = 0, PV_NENTER = 1, PV_FMODE = 3, PV_UNITID = 4,
};

// Who writes these settings: the initialisation, the statement readers (with the routines of
// their files) and the per-statement defaults:
// option readers: main/vyxinit.cpp, vyxxvgi, lifedist/optread.cpp, lifedist/plotdisplay.cpp, lifedist/vyxaprm.cpp
// option readers: lifedist/vyxpprm.cpp, mcf/vyxcfpm.cpp, regression/options.cpp, settings_stmtgone
struct inputstate {
    dshandle dsin;              // the DATA= data set; null when none was given
    dshandle annods;            // ANNOTATE= data set of the current plot statement
    lentext256 dsname;          // name of the input data set
    lentext256 dslabel;         // label of the input data set
    hgetlist** stmgets;         // per analysis statement, indexed by stmtidx
    hgetlist** stmclgets;       // per analysis statement: getters of the CLASS variables
    hgetlist* fmodeget;         // getter of the FMODE variable
    hgetlist* procget;          // getter of the PROC-level variables (FREQ, NENTER, UNITID)
    stmtrec* procstmt;          // the parsed PROC statement
    uint32_t stmtkind;          // 0 ANALYZE, 1 PROBPLOT, 3 MCFPLOT, 4 RELATIONPLOT
    uint8_t rspform[4];         // one flag per response form (RF_* places)
    vardesc* rspvars[3];        // time, second response or censoring, MODEL frequency variable (RV_* places)
    vardesc procvars[5];        // FREQ, NENTER, (spare), FMODE, UNITID (PV_* places)
    int32_t nunitid, nfreq, nnenter; // numbers of UNITID, FREQ and NENTER variables
    int32_t ncensvals;          // number of censoring-indicator values
    double* censvals;           // the censoring-indicator values
    uint32_t nbyvars;           // number of BY variables
    vardesc clsdesc[2];         // copies of the CLASS variables' descriptors (CV_* places)
    uint8_t unittype;           // type byte of the UNITID variable
};

// Fields of inputstate used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   dsin         written in main; read in devgraph, framework, lifedist, mcf, regression, statgraph
//   annods       written in lifedist; read in devgraph
//   dsname       written in main; read in lifedist, mcf, regression
//   dslabel      written in main; read in lifedist, regression
//   stmgets      written in framework, main; read in lifedist, mcf
//   stmclgets    written in framework, main; read in lifedist, mcf
//   fmodeget     written in framework; read in devgraph, lifedist, regression
//   procget      written in framework; read in devgraph, lifedist, mcf, regression
//   procstmt     written in main; read in devgraph, framework, regression
//   stmtkind     written in lifedist, mcf; read in devgraph, statgraph
//   rspform      written in lifedist, regression; read in devgraph, statgraph
//   rspvars      written in framework, lifedist, mcf, regression; read in devgraph, statgraph
//   procvars     written in main; read in framework, lifedist, regression
//   nunitid      written in main; read in framework, mcf
//   nfreq        written in main; read in devgraph, framework, lifedist, mcf, regression, statgraph
//   nnenter      written in main; read in framework, lifedist, regression
//   ncensvals    written in lifedist, mcf, regression; read in devgraph, framework
//   censvals     written in lifedist, mcf, regression; read in devgraph, framework
//   nbyvars      written in main; read in devgraph, framework, lifedist
//   clsdesc      written in lifedist, mcf; read in framework, statgraph
//   unittype     written in framework; read in mcf
