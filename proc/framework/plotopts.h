// The plot statements' options, read by both graphics roads. Every routine reads them through the const
// view popt; the routines listed below write them through poptw (proc/vyxstate.h).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Who writes these settings: the initialisation, the statement readers (with the routines of
// their files) and the per-statement defaults:
// option readers: main/vyxinit.cpp, lifedist/optread.cpp, lifedist/plotdisplay.cpp, lifedist/vyxaprm.cpp
// option readers: lifedist/vyxpprm.cpp, mcf/vyxcfpm.cpp, regression/options.cpp, mcffont, plotstate_start
// option readers: settings_stmtgone
struct plotopts {
    uint32_t plotcodes[2];      // NPINTERVALS and PINTERVALS codes (PC_* places)
    struct {
        uint8_t pupgiven, plowgiven, overlay, rotate, noplabel, nollabel, nogrid, mlgrid, fmcombine, pplot, pbonly,
            noinset, ismcf, mcfdiff, refstop, noppos;
        // display bytes of the plot statements (legend and pcttab hold 1 when NOPPLEGEND and
        // NOPCTILE are absent)
        uint8_t inborder, noframe, legend, noptick, noltick, nostick, noslabel, mpgrid, pcttab, pconfplt,
            ppout, cenbin, ccenbin, relplot, slowgiven, supgiven, layouth, layoutv, pbonesided;
        // the statement's own NOFITLINE (or FITTYPE=NONE) and NOCONF as read, which the group
        // fits change group by group in the working fields
        uint8_t stmtnoline, stmtnoconf;
        uint8_t more[13];
    } pflags;
    int32_t refopts[3];         // label positions of HREF, VREF, SREF (REFPOS_* places)
    char gfile[8];              // graphics output name, blank by default
    char multpos[8];            // position keyword of SHOWMULTIPLES, default "NW"
    struct {
        int32_t ncols, nrows, npct;
        double* pctlist;
        double* survtime;
    } panels;
    uint8_t cframe[2];          // CFRAME given; the frame's fill (CFR_* places)
    double pctopts[2];          // PCNTLLOWER and PCNTLUPPER divided by 100 (PCL_* places)
    uint8_t rplotopt;           // a relation-plot option
    uint8_t linaxis;            // the life axis is linear
    uint8_t lifebnd1;           // the life axis's boundaries lie only at the ticks
};

// Fields of plotopts used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   plotcodes    written in devgraph, lifedist; read in statgraph
//   pflags       written in devgraph, lifedist, main, mcf; read in statgraph
//   refopts      written in lifedist, mcf; read in devgraph
//   gfile        written in lifedist, mcf; read in devgraph
//   multpos      written in lifedist; read in devgraph
//   panels       written in framework, lifedist, mcf; read in devgraph, statgraph
//   cframe       written in lifedist, mcf; read in devgraph
//   pctopts      written in lifedist; read in devgraph
//   rplotopt     written in lifedist; read in devgraph, statgraph
//   linaxis      written in lifedist; read in devgraph
//   lifebnd1     written in lifedist; read in devgraph
