// The plot statements' options and the life axis scales, read by both graphics roads.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct plotopts {
    uint32_t plotcodes[2];      // NPINTERVALS and PINTERVALS codes (PC_* places)
    uint8_t axlog[2];           // horizontal / vertical axis logarithmic (AXLOG_* places)
    struct {
        uint8_t pupgiven, plowgiven, llowgiven, lupgiven, overlay, rotate, nofitline, noconf, noplabel,
            nollabel, nogrid, nocenplot, mlgrid, fmcombine, pplot, pbonly, noinset, ismcf, mcfdiff, refstop,
            refstop2, haslogscl, showmult, noppos;
        // display bytes of the plot statements (legend and pcttab hold 1 when NOPPLEGEND and
        // NOPCTILE are absent)
        uint8_t inborder, noframe, legend, noptick, noltick, nostick, noslabel, mpgrid, pcttab, pconfplt,
            ppout, cenbin, ccenbin, relplot, rellegend, ntickset, slowgiven, supgiven, nstickset, layouth,
            layoutv, pbonesided;
        uint8_t more[15];
    } pflags;
    int32_t refopts[3];         // label positions of HREF, VREF, SREF (REFPOS_* places)
    struct {
        void* labels[5];        // label slots (optslot*) of VREF, HREF, PREF, LREF, SREF
        double* vals[5];        // their values (REF_* places)
        int32_t counts[5];
    } refs;
    char gfile[8];              // graphics output name, blank by default
    char multpos[8];            // position keyword of SHOWMULTIPLES, default "NW"
    struct {
        int32_t ncols, nrows, npct;
        double* pctlist;
        double* survtime;
    } panels;
    double axlim[8];            // axis limits and the data range (AX_* places)
    double datarng[2];          // overall data range
    int32_t axopt[5];           // NTICK, NSTRESSTICK, ..., number of SURVTIME values (AO_* places)
    int32_t colors[18];         // colour numbers by role (GC_* places)
    char colornames[18][8];     // 8-character colour names by role
    uint8_t cframe[2];          // CFRAME given
    double* lifeticks;          // tick array of the life axis
    double pctopts[2];          // PCNTLUPPER and PCNTLLOWER divided by 100
    double jitter;              // JITTER
    uint32_t tickinfo[3];       // axis tick counts (TI_* places)
    pageflagset pageflags;      // page and drawing flags of plot pages
    uint8_t rplotopt;           // a relation-plot option
    uint8_t linaxis;            // the life axis is linear
    uint8_t lifebnd, lifebnd1;  // boundary array along the life axis; only at the ticks
    uint8_t lifelin;            // life axis linear (1) or in log decades (0)
    double lifescale[3];        // life axis: start, end, tick step
    double* lifetickv;          // life tick values (tickinfo[TI_NLIFETICKS] of them)
    int32_t* lifecounts;        // one counter per interval between the boundaries of lifeticks
    double nfailrng[2];         // smallest and largest failure weight of the groups
};

// Fields of plotopts used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   plotcodes    written in devgraph, lifedist; read in statgraph
//   axlog        written in devgraph, lifedist, mcf
//   pflags       written in devgraph, lifedist, main, mcf, regression, statgraph
//   refopts      written in lifedist, mcf; read in devgraph
//   refs         written in devgraph, lifedist, mcf; read in statgraph
//   gfile        written in lifedist, mcf; read in devgraph
//   multpos      written in lifedist; read in devgraph
//   panels       written in devgraph, lifedist, mcf; read in statgraph
//   axlim        written in devgraph, lifedist, mcf, statgraph
//   datarng      written in lifedist, statgraph
//   axopt        written in devgraph, lifedist
//   colors       written in devgraph; read in mcf
//   colornames   written in devgraph
//   cframe       written in lifedist, mcf; read in devgraph
//   lifeticks    written in devgraph, mcf; read in lifedist
//   pctopts      written in lifedist; read in devgraph
//   jitter       written in devgraph; read in mcf
//   tickinfo     written in devgraph, mcf; read in lifedist
//   pageflags    written in devgraph, lifedist, mcf, statgraph
//   rplotopt     written in lifedist; read in devgraph, statgraph
//   linaxis      written in lifedist, mcf; read in devgraph
//   lifebnd      written in devgraph, lifedist
//   lifebnd1     written in lifedist; read in devgraph
//   lifelin      written in devgraph
//   lifescale    written in devgraph; read in lifedist, statgraph
//   lifetickv    written in devgraph; read in lifedist
//   lifecounts   written in devgraph, mcf; read in lifedist
//   nfailrng     written in lifedist; read in devgraph
