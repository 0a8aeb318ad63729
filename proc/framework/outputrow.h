// The cells of the current output row, bound by address to table columns (kept contiguous, in this order).
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

// Routines outside proc/framework that write these fields, by field:
//   convmsg writers: status, statustable, vyxpobj
//   grplabel writers: cfgrp, gridcells, gridlabel, group, groupcell, groupcolumns, grouplabel, pbest
//   grplabel writers: pbpredtol, pcntlphantom, probphantom, setgrp, SGPobj, vyxcog, vyxdsum, vyxpog
//   grplabel2 writers: gridcells, SGPobj
//   grplablen writers: gridlabel, grouplabel, setgrp
//   nobsrow writers: nobstbl, passcounts, vyxcfin, vyxin
//   rowlead writers: estrow, fmode, probrow, vyxcfob, vyxdsum, vyxpobj, vyxpput
//   rowtext writers: desctable, estrow, fmcurves, fmput, gridcells, label510, lrpercentiles, parmrow
//   rowtext writers: pcntlphantom, probphantom, row, rowlabel, setcl, SGPobj, summaryrow, vyxcog, vyxdsum
//   rowtext writers: vyxmcl, vyxpobj, vyxpog, vyxpput
//   rowvals writers: columns, curvepoint, curvepoints, desctable, endrow, estimates, estrow, fmcurves, fmode
//   rowvals writers: fmput, GetMCF, intervalpoints, parmrow, pbest, pbpredtol, PlotCurves, PlotPoints
//   rowvals writers: PPlotRefLines, probphantom, probrow, resetcells, resetrow, row, SGPobj, vyxcfob, vyxpobj
//   rowvals writers: vyxpput
//   survcells writers: fmode, vyxpobj, vyxpput
struct outputrow {
    char grplabel[256];         // label of the current group, blank-filled: the Group / Group1 column
    char grplabel2[256];        // the Group2 column (level of the second class variable)
    char rowtext[256];          // text cell of the row (parameter or row label; the OverlayGroup column)
    int32_t grplablen;          // length of grplabel
    double rowlead[3];          // first numeric cells of a table row
    txthandle convmsg;          // the convergence reason of the row being written (text handle)
    nobscells nobsrow;          // row of the observation-count table
    double rowvals[24];         // numeric cells: Yvalue, Yvalue2, Plabel, PYval, Pupper, Plower, ... Freq, Censor
    double survcells[10];       // S0..S9, right after rowvals
};

// Fields of outputrow used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   grplabel     written in lifedist, mcf, statgraph; read in framework
//   grplabel2    written in statgraph
//   rowtext      written in lifedist, mcf, regression, statgraph
//   grplablen    written in lifedist; read in framework
//   rowlead      written in lifedist, mcf
//   convmsg      written in lifedist
//   nobsrow      written in lifedist, mcf, regression
//   rowvals      written in lifedist, mcf, statgraph
//   survcells    written in lifedist
