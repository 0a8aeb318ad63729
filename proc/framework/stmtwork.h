// The working fields of the statement: settings that the statement readers set and that
// other routines change while the statement runs (each field says which), so that they are
// not part of the read-only settings (opts, popt). Their names are the settings' names.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct vyxstate;

// Who writes these settings: the initialisation, the statement readers (with the routines of
// their files) and the per-statement defaults:
// option readers: main/vyxinit.cpp, lifedist/optread.cpp, lifedist/plotdisplay.cpp, lifedist/vyxaprm.cpp
// option readers: lifedist/vyxpprm.cpp, mcf/vyxcfpm.cpp, regression/options.cpp, plotstate_start
// option readers: fitstate_start, settings_stmtgone
// The other routines that change a working field while the statement runs, by field:
//   the group fits: a failing fit shows no fit and no line, a fit of held parameters is one of
//   given values (vyxptbl's group step fitgroup, vyxpfit and its FMODE COMBINE road vyxpfitfm,
//   vyxdfit); the device plot takes each group's method and line flag (vyxpplt's takefit and
//   overlaygrid), the statistical plot each class level's for its inset (sginset's groupinset)
//   fitmethod writers: fitgroup, vyxpfit, vyxpfitfm, vyxdfit, takefit, overlaygrid, groupinset
//   nofitline writers: fitgroup, vyxpfit, vyxpfitfm, takefit, overlaygrid, groupinset
//   no limits without a free parameter (vyxfit); around the combined failure-mode estimate
//   (fmest, fmode, and the reference lines hcross and PPlotRefLines)
//   noconf writers: vyxfit, fmest, fmode, hcross, PPlotRefLines
//   the censored marks only with a censoring variable (vyxpplt); the relation plot's pages
//   clear the marks and the boundaries for their grid and give them back (regplt, vyxrplt)
//   nocenplot writers: vyxpplt, regplt, ~GridBytes, vyxrplt
//   lifebnd writers: regplt, ~GridBytes, vyxrplt
//   showmult writers: regplt
//   refstop2 writers: regpage, vyxrplt
//   the percentile legend goes when no level line is drawn
//   rellegend writers: vyxpplt
//   the life and stress scales (lifescl, stressscl): limits they drop, tick counts they make,
//   the stress ends and the SREF values on the stress scale
//   llowgiven writers: lifescl
//   lupgiven writers: lifescl
//   ntickset writers: linaxisticks
//   nstickset writers: stressscl
//   axopt writers: lifescl, linaxisticks, stressscl
//   refs writers: stressscl
//   axlim writers: stressscl
//   the time data range of the statistical probability plots
//   axlim writers: vyxpog, curvepoint, intervalpoints, probphantom
//   the inset header of failure modes combined and of MCF differences
//   defhdr writers: vyxpfitfm, defh
//   the MODEL's Lagrange table byte (vyxmcov); the main routine clears the byte of the MODEL
//   run in the BY group (rungroup)
//   tblflags writers: vyxmcov
//   thrflags writers: rungroup
//   the page flags of the page loops, the table byte cleared by each ANALYZE and statistical
//   plot, the data byte of a REGRESSION relation plot
//   pageflags writers: devgraph/vyxpplt.cpp, regpage, mcf/mcfpages.cpp, run, vyxanlz, vyxpog, vyxcog
//   pageflags writers: vyxrog
struct stmtwork {
    // FITTYPE (FIT_*); a group fit that fails shows no fit (method 3), and a fit with every
    // parameter held is one of given values (4); the device plot takes each group's method
    uint32_t fitmethod;
    // the fitted line of a group is not drawn (NOFITLINE; a failed group fit sets it)
    uint8_t nofitline;
    // no confidence limits (NOCONF, a fit without covariance or without a free parameter;
    // set for a while around the combined failure-mode estimate)
    uint8_t noconf;
    uint8_t nocenplot;          // censored observations are marked one by one (NOCENPLOT absent)
    uint8_t showmult;           // SHOWMULTIPLES; dropped when the plot rows cannot be sorted
    uint8_t refstop2;           // VREF and PREF lines stop at the curve; the relation plot clears it
    uint8_t rellegend;          // legend of the percentile lines; dropped when no level line is drawn
    // LIFELOWER, LIFEUPPER, NTICK and NSTRESSTICK given; the life scale drops a limit it
    // cannot show and takes 4 ticks when no nice scale is found
    uint8_t llowgiven, lupgiven, ntickset, nstickset;
    uint8_t lifebnd;            // boundaries along the life axis (CENBIN); the relation plot clears it
    uint8_t tblflags[4];        // label given, OBSTATS, (spare), Lagrange table wanted (TF_* places)
    uint8_t thrflags[2];        // THRESHOLD given; a MODEL statement ran in this BY group (TH_* places)
    struct {
        int32_t len;
        uint8_t given;
        char text[80];
    } defhdr;                   // the inset header of failure modes combined and of MCF differences
    // axis limits and, under statistical graphics, the data range (AX_* places); the stress
    // scale puts its ends in place of STRESSLOWER and STRESSUPPER
    double axlim[8];
    // NTICK, NSTRESSTICK, ..., number of SURVTIME values (AO_* places); the scales write back
    // the tick counts they made
    int32_t axopt[5];
    // the reference lines: label slots (optslot*) of VREF, HREF, PREF, LREF, SREF, their
    // values (REF_* places, the statement's copies, which the stress scale transforms) and counts
    struct {
        void* labels[5];
        double* vals[5];
        int32_t counts[5];
    } refs;
    // page flags of the plot pages and tables, and the PLOTDATA bytes (the relation plot's
    // statistical graphics draw the data of a REGRESSION fit)
    pageflagset pageflags;
};

// Fields of stmtwork used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   fitmethod    written in devgraph, lifedist, statgraph
//   nofitline    written in devgraph, lifedist, statgraph
//   noconf       written in devgraph, lifedist, mcf, statgraph
//   nocenplot    written in devgraph, lifedist, mcf; read in statgraph
//   showmult     written in devgraph, lifedist
//   refstop2     written in devgraph, lifedist, mcf; read in statgraph
//   rellegend    written in devgraph, lifedist
//   llowgiven    written in devgraph, lifedist, mcf; read in statgraph
//   lupgiven     written in devgraph, lifedist, mcf; read in statgraph
//   ntickset     written in devgraph, lifedist
//   nstickset    written in devgraph, lifedist
//   lifebnd      written in devgraph, lifedist
//   tblflags     written in lifedist, main, regression; read in mcf
//   thrflags     written in lifedist, main, regression; read in devgraph, framework, statgraph
//   defhdr       written in devgraph, lifedist, mcf
//   axlim        written in devgraph, lifedist, mcf, statgraph
//   axopt        written in devgraph, lifedist
//   refs         written in devgraph, framework, lifedist, mcf; read in statgraph
//   pageflags    written in devgraph, lifedist, mcf, statgraph

// The statement's settings when the statement pool goes: the reference lists, the percentile
// list and the response variables that the readers keep there.
void settings_stmtgone(vyxstate* s);
