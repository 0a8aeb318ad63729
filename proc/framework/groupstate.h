// The class groups and class levels of the BY group.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Named places in the arrays of this record (and of inputstate.clsdesc).
enum : int {
    // the per-class-variable arrays (clsvars, clsnames, ..., levkeys, levvals, clsmissing, clsdropmiss)
    CV_FIRST = 0, CV_SECOND = 1,
    // nlev: the level count of the second class variable comes first
    NLEV_SECOND = 0, NLEV_FIRST = 1,
    // grpcount: the group counter (the suffix of IterEM%d, the MCF's group position); words 1 and 2 are unused
    GCNT_GROUP = 0,
};

// Routines outside proc/framework that write these fields, by field:
//   clsdropmiss writers: readclass
//   clskeynum writers: classvariables, readclass
//   clslabels writers: classvariables, readclass
//   clslabgiven writers: classvariables, readclass
//   clslablen writers: classvariables, readclass
//   clsmissing writers: readflags
//   clsnamelen writers: classvariables, readclass
//   clsnames writers: classvariables, readclass
//   clsnumeric writers: classvariables, readclass
//   clsorder writers: readordering, relationplotblock, vyxcfpm
//   clssort writers: readflags
//   clsvars writers: classvariables, readclass
//   curfit writers: fitstate_stmtgone, vyxfit
//   curgrp writers: estimate, points
//   fmodeset writers: fmodevalue, readfmode, vyxpfitfm
//   grpcolix writers: gridlabel, vyxptbl
//   grpcount writers: countcase, estimate, points, run, vyxem, vyxptbl
//   grplist writers: groupof, readone, vyxcfin, vyxin
//   grprowix writers: gridlabel, vyxptbl
//   lastgrp writers: cfgrp, PPComp, run, setgrp, vyxpfitfm
//   nclass writers: classvariables, countsonly, finish, readclass
//   nplotgrp writers: regpage
//   rootgrp writers: CleanUpDisk, closefiles, countcase, eachnode, finish, flushall, groupof, opensides
//   rootgrp writers: points, readone, run, single, vyxcfin, vyxcfpd, vyxcog, vyxin, vyxpog, vyxptbl
struct groupstate {
    grpnode rootgrp;            // the root group: the whole data without class variables
    grptree grplist;            // the first-level group tree: head, spare node, current node
    int32_t grplistw[2];        // two further words of the group list (unused)
    grpnode* curgrp;            // group being drawn or estimated
    grpnode* curfit;            // group being fitted
    grpnode** grpgrid;          // group nodes of two class variables, first by second
    int32_t nclass;             // number of class variables: 0, 1 (the list) or 2 (the list and the grid)
    int32_t ncells;             // cells of the grid of two class variables
    int32_t clsvars[2];         // class variables (CV_* places)
    uint8_t clsnumeric[2];      // class variable is numeric (CV_* places)
    uint8_t clskeynum[2];       // key is numeric (CV_* places)
    uint8_t clssort[2];         // sort bytes (CV_* places)
    char clsnames[2][33];       // names of the class variables (CV_* places)
    int32_t clsnamelen[2];      // their lengths (CV_* places)
    uint8_t clslabgiven[2];     // the variable has a label (CV_* places)
    int32_t clslablen[2];       // label lengths (CV_* places)
    char clslabels[2][257];     // label texts (CV_* places)
    uint32_t nlev[2];           // levels of the second and of the first class variable (NLEV_* places)
    char* levkeys[2];           // 16-character level texts of the first and second variable (CV_* places)
    double* levvals[2];         // their numeric level values (CV_* places)
    uint32_t grpcolw;           // width of the group column
    fmodesettings fmodeset;     // FMODE settings
    uint32_t nplotgrp;          // number of plotted groups
    uint8_t clsorder[6];        // class-level ordering codes (CO_* places)
    uint32_t grpcount[3];       // table and group counters (the first is the suffix of IterEM%d) (GCNT_* places)
    uint8_t clsmissing[2];      // MISSING1, MISSING2 (CV_* places)
    uint8_t clsdropmiss[2];     // drop observations with a missing class value (the inverses) (CV_* places)
    uint8_t lastgrp;            // the group being written is the last one
    int32_t grprowix, grpcolix; // grid row and column of the group being written
};

struct vyxstate;
enum class StmtKind;

// When a pool goes, the fields of this record that point into it are cleared, with the counts
// and flags that describe them (called by newstmtpool, newworkpool and dropbypool).
void groupstate_stmtgone(vyxstate* s);
void groupstate_workgone(vyxstate* s);
void groupstate_bygone(vyxstate* s);

// Fields of groupstate used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   rootgrp      written in devgraph, framework, lifedist, mcf, statgraph
//   grplist      written in framework, lifedist, mcf; read in devgraph, statgraph
//   curgrp       written in framework, lifedist, mcf; read in devgraph
//   curfit       written in lifedist
//   grpgrid      written in framework; read in devgraph, lifedist, statgraph
//   nclass       written in lifedist, mcf; read in devgraph, framework, regression, statgraph
//   clsvars      written in lifedist, mcf; read in devgraph, framework, regression
//   clsnumeric   written in lifedist, mcf; read in framework
//   clskeynum    written in lifedist, mcf
//   clssort      written in mcf; read in framework
//   clsnames     written in lifedist, mcf; read in devgraph, framework, statgraph
//   clsnamelen   written in lifedist, mcf; read in devgraph, framework, statgraph
//   clslabgiven  written in lifedist, mcf; read in devgraph
//   clslablen    written in lifedist, mcf; read in devgraph, statgraph
//   clslabels    written in lifedist, mcf; read in devgraph, statgraph
//   nlev         written in framework; read in devgraph, lifedist, mcf, statgraph
//   levkeys      written in framework; read in devgraph, lifedist, mcf, regression, statgraph
//   levvals      written in framework; read in devgraph, lifedist, regression, statgraph
//   grpcolw      written in framework; read in lifedist, mcf, statgraph
//   fmodeset     written in framework, lifedist, main, regression; read in devgraph, statgraph
//   nplotgrp     written in devgraph, framework
//   clsorder     written in lifedist, mcf; read in framework
//   grpcount     written in lifedist, mcf
//   clsmissing   written in lifedist, mcf
//   clsdropmiss  written in lifedist
//   lastgrp      written in lifedist, mcf
//   grprowix     written in lifedist; read in framework, regression
//   grpcolix     written in lifedist; read in framework, regression
