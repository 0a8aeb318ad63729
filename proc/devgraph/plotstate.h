// The device graphics road: destination, context, drawing records and the relation plot's panel.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"
#include "proc/framework/destctx.h"

// Named places in the arrays of plotstate (colors and colornames take the GC_* roles and legends
// the LG_* places of proc/devgraph/devgraph.h; axlog takes AXLOG_* of proc/framework/statetypes.h).
enum : int {
    // byline: the BY line's text and its length
    BL_TEXT = 0, BL_LENGTH = 1,
    // pwin: the plot window's corners
    PW_X0 = 0, PW_Y0 = 1, PW_X1 = 2, PW_Y1 = 3,
    // grpno: the running group number (in a grid, the panel's row) and the grid column
    GN_GROUP = 0, GN_COLUMN = 1,
    // boxlev and lvlrange: the first and the last level
    LVR_FIRST = 0, LVR_LAST = 1,
    // lifescale and lifeaxis: the life axis's start, end and tick step
    LAX_START = 0, LAX_END = 1, LAX_STEP = 2,
};

// Routines outside proc/devgraph that write these fields, by field:
//   axlog writers: vyxcfsc, vyxscl
//   frame writers: allocframe, mcfframe
//   gdest writers: startgraphics
//   gstarted writers: countstatements, startgraphics
//   inset writers: groupinset, inset_phantom
//   lifecounts writers: bins, walkcurve
//   lifeticks writers: bins
//   tickinfo writers: bins
struct plotstate {
    destctx gdest;              // device destination context (proc/devgraph/destctx.h)
    txthandle segdesc;          // segment description
    dshandle annolib;           // the annotate data set opened for reading
    void* byline[2];            // page-header arguments of the BY line (BL_* places)
    uint32_t gcatent;           // graphics catalog entry
    ggctx* gctx;                // graphics context of the device road (ggxget)
    double pwin[4];             // plot window x0, y0, x1, y1 (vyxgini) (PW_* places)
    symrec* symarr;             // one record per plotted group: line attributes (vyxsymb)
    int32_t nsym;               // records in symarr
    void* gstyles;              // group style array
    char gpatterns[3][8];       // three 8-character pattern names
    void* legends[3];           // legend records (LG_* places)
    float gldraw[12];           // 12 floats passed to the line-drawing service
    uint8_t gstarted;           // device graphics were started; the main routine stops them at the end
    plotlay* frame;             // the plot layout
    insetrec* inset;            // the inset of the plot
    // drawing records and counters of the device road (proc/devgraph/devgraph.h names places)
    symrec* symcomp;            // companions of symarr: point attributes of each group
    symrec* symcens;            // censored-mark attributes of each group
    symrec* fmstyles;           // one record per FMODE value (FMODE COMBINE)
    int32_t nstyles;            // records in gstyles (relation plot)
    uint8_t framefill;          // frame fill kind: 'S' solid, 'E' empty, 'N' none
    uint8_t gridsave;           // copy of the grid flag made at the start of a plot
    uint32_t grpno[3];          // running group number and grid column of the panel being drawn (GN_* places)
    void* gfilew[2];            // graphics-output words handed to vyxsgmt and ggplrdx
    void* annoout;              // the annotate output handle
    void* regpstate;            // state of the relation plot's percentile curves
    double* linepts;            // point buffer of the line or curve being drawn
    double* lvlpct;             // per level j and PLOTFIT value i (index j x pctcount + i) a copy
                                // of the level's 24-double percentile record (relation panel)
    double* boxpos;             // transformed stress positions of the levels (vyxbox)
    int32_t boxlev[2];          // first and last level index drawn by vyxbox (LVR_* places)
    int32_t lvlrange[2];        // first and last stress level inside the stress axis (vyxrax) (LVR_* places)
    double lifeaxis[3];         // copy of lifescale for the axis routines (relation plot) (LAX_* places)
    double* pctlines;           // the relation plot's percentile lines, (stress, life) pairs (regper)
    // The axes the scales compute (vyxscl and lifescl of the life-distribution plots, the
    // relation plot's scales, MCFPLOT's vyxcfsc and its bins), read by the axis drawing
    uint8_t axlog[2];           // horizontal / vertical axis logarithmic (AXLOG_* places)
    double lifescale[3];        // life axis: start, end, tick step (LAX_* places)
    uint8_t lifelin;            // life axis linear (1) or in log decades (0)
    double* lifetickv;          // life tick values (tickinfo[TI_NLIFETICKS] of them)
    double* lifeticks;          // boundaries along the life axis (tickinfo[TI_NBOUNDS] of them)
    int32_t* lifecounts;        // one counter per interval between the boundaries of lifeticks
    uint32_t tickinfo[3];       // axis tick counts (TI_* places)
    // The look of the plot (vyxgcol, vyxsymb)
    int32_t colors[18];         // colour numbers by role (GC_* places)
    char colornames[18][8];     // 8-character colour names by role (GC_* places)
    double jitter;              // JITTER times the symbol size: the shift of coinciding censored marks
};

struct vyxstate;
enum class StmtKind;

// When a pool goes, the fields of this record that point into
// it are cleared, with the counts that describe them (called by newstmtpool, newworkpool and
// dropbypool); each statement starts from the defaults plotstate_start sets (called by
// startstatement).
void plotstate_stmtgone(vyxstate* s);
void plotstate_bygone(vyxstate* s);
void plotstate_workgone(vyxstate* s);
void plotstate_start(vyxstate* s, StmtKind kind);

// Fields of plotstate used outside devgraph (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   gdest        written in devgraph, main
//   gctx         written in devgraph; read in mcf
//   symarr       written in devgraph; read in mcf
//   gstarted     written in devgraph, main
//   frame        written in devgraph, lifedist, mcf; read in statgraph
//   inset        written in devgraph, statgraph
//   regpstate    written in devgraph; read in statgraph
//   axlog        written in devgraph, lifedist, mcf
//   lifescale    written in devgraph; read in lifedist, statgraph
//   lifetickv    written in devgraph; read in lifedist
//   lifeticks    written in devgraph, mcf; read in lifedist
//   lifecounts   written in devgraph, mcf; read in lifedist
//   tickinfo     written in devgraph, mcf; read in lifedist
//   colors       written in devgraph; read in mcf
//   jitter       written in devgraph; read in mcf
