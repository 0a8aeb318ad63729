// The input data set, its variables and the statement being run.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct inputstate {
    dshandle dsin;
    dshandle annods;
    lentext256 dsname;
    lentext256 dslabel;
    hgetlist** stmgets;         // per analysis statement, indexed by stmtidx
    hgetlist** stmclgets;
    hgetlist* fmodeget;
    hgetlist* procget;
    stmtrec* procstmt;
    stmtrec* curstmt;
    uint32_t stmtidx;
    uint32_t stmtkind;          // 0 ANALYZE, 1 PROBPLOT, 3 MCFPLOT, 4 RELATIONPLOT
    uint8_t rspform[4];
    vardesc* rspvars[3];
    vardesc procvars[5];        // FREQ, NENTER, (spare), FMODE, UNITID
    uint32_t annoflag;
    int32_t nunitid, nfreq, nnenter;
    uint32_t rspkind;
    int32_t ncensvals;
    double* censvals;
    int32_t nobscnt[3];         // skipped, used, read
    uint32_t nbyvars;
    vardesc clsdesc[2];
    uint8_t unittype;           // type byte of the UNITID variable
    obsvalues obsvals;
};
