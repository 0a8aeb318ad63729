// The plot statements' options and the life axis scales, read by both graphics roads.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct plotopts {
    uint32_t plotcodes[2];
    uint8_t axlog[2];
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
    int32_t refopts[3];
    struct {
        void* labels[5];        // label slots (optslot*) of VREF, HREF, PREF, LREF, SREF
        double* vals[5];        // their values (REF_* places)
        int32_t counts[5];
    } refs;
    char gfile[8];
    char multpos[8];
    struct {
        int32_t ncols, nrows, npct;
        double* pctlist;
        double* survtime;
    } panels;
    double axlim[8];
    double datarng[2];
    int32_t axopt[5];
    int32_t colors[18];
    char colornames[18][8];
    uint8_t cframe[2];
    double* lifeticks;
    double pctopts[2];
    double jitter;
    uint32_t tickinfo[3];
    uint8_t pageflags[7];
    uint8_t rplotopt;
    uint8_t linaxis;
    uint8_t lifebnd, lifebnd1;  // boundary array along the life axis; only at the ticks
    uint8_t lifelin;            // life axis linear (1) or in log decades (0)
    double lifescale[3];        // life axis: start, end, tick step
    double* lifetickv;          // life tick values (tickinfo[TI_NLIFETICKS] of them)
    int32_t* lifecounts;        // one counter per interval between the boundaries of lifeticks
    double nfailrng[2];         // smallest and largest failure weight of the groups
};
