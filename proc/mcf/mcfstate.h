// MCFPLOT: options, table cells and group counters.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Named places in the arrays of mcfstate.
enum : int {
    // mcfopt.mcfvars: the variables of the events and of the removals
    MCFV_EVENTS = 0, MCFV_REMOVALS = 1,
    // mcfopt.ntick and mcfopt.ntickgiven: the horizontal and the vertical axis
    MTICK_H = 0, MTICK_V = 1,
};

// Written only in proc/mcf: no routine outside the folder writes these fields.
// writers:
struct mcfstate {
    uint32_t mcftype;           // MCF display type from INTERPOLATE: 0 none, 1 step, 2 join
    uint32_t clswidth;          // class-level width of MCF
    struct {
        uint8_t varindinc;      // variance by independent increments (INDINC)
        uint8_t varlawless;     // robust per-unit variance (LAWLESS, VARMETHOD2)
        uint8_t varpoisson;     // Poisson variance (POISSON)
        uint8_t wantlims;       // standard errors and limits computed (NOVARIANCE absent)
        uint8_t nocenprt;       // NOCENPRINT: end-of-observation rows left out of MCFEst
        uint8_t loglims;        // LOGINTERVALS (not with MCFDIFF): limits on the log scale
        uint8_t legendon;       // OVERLAY without NOLEGEND
        uint8_t novtick, nohtick;   // NOVTICK, NOHTICK
        uint8_t axscaled;       // the axes have been scaled (set by the axis ranges)
        uint8_t topstrip;       // one-line level strip above each panel (row strip)
        uint8_t sidestrip;      // level strip beside each panel (column strip)
        uint8_t square;         // SQUARE
        int32_t mcfvars[2];     // interval data: variables of the events and the removals (MCFV_* places)
        int32_t nriskv;         // NRISK: number of values
        double* nriskvals;      // NRISK values (initial risk set per group, in group order)
        uint32_t unitwidth;     // longest unit id (ID column width)
        int32_t ntick[2];       // NHTICK, NVTICK (default 4) (MTICK_* places)
        uint8_t ntickgiven[2];  // NHTICK, NVTICK given (MTICK_* places)
        dshandle annods;        // ANNOTATE= data set of the statement
    } mcfopt;
    char rowvalue[256];         // value cell of the current row (follows the row label)
    double sevalue;             // standard-error cell of the current MCF row
    uint32_t lastrow;           // the row being added is the last of its table
    obobject* grpobj;           // output group of the current class level, null when none
};

// Fields of mcfstate used outside mcf (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   mcftype      written in mcf; read in devgraph, statgraph
//   clswidth     written in mcf; read in statgraph
//   mcfopt       written in mcf; read in statgraph
