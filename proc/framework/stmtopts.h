// The settings the statement readers leave for every subsystem: distribution, fit method, confidence, labels, percentiles.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct stmtopts {
    uint32_t rowlay[2];         // rows per buffer, doubles per row
    uint32_t distcode;
    uint8_t spilled;
    uint8_t rdxgraph;
    uint8_t logscale[2];
    qntfn quant_fn;
    strfn stress_fn;
    double alpha;
    double* pctvals;
    uint32_t pctcount;
    int32_t npoints;
    uint32_t fitmethod;
    uint32_t stressrel;
    const char* stmtlabel;
    uint8_t tblflags[4];
    uint8_t thrflags[2];
    struct {
        int32_t len;
        uint8_t given;
        char text[80];
    } defhdr;
    char labels[8][40];
};

// Fields used outside framework (folders of proc/; "written" counts assignments and
// addresses taken):
//   rowlay       written in lifedist, mcf; read in devgraph
//   distcode     written in framework, lifedist; read in devgraph, regression, statgraph
//   spilled      written in lifedist, mcf
//   rdxgraph     written in framework; read in devgraph, lifedist, mcf
//   logscale     written in lifedist, mcf, regression; read in devgraph, statgraph
//   quant_fn     written in lifedist, regression; read in devgraph, statgraph
//   stress_fn    written in lifedist; read in devgraph, statgraph
//   alpha        written in lifedist, mcf, regression; read in devgraph, statgraph
//   pctvals      written in lifedist; read in devgraph, statgraph
//   pctcount     written in lifedist; read in devgraph, statgraph
//   npoints      written in lifedist; read in devgraph, statgraph
//   fitmethod    written in devgraph, lifedist; read in statgraph
//   stressrel    written in lifedist; read in devgraph, statgraph
//   stmtlabel    written in lifedist, mcf
//   tblflags     written in framework, lifedist, regression; read in mcf
//   thrflags     written in framework, lifedist, regression; read in devgraph, statgraph
//   defhdr       written in lifedist, mcf; read in devgraph
//   labels       written in lifedist, regression; read in devgraph, statgraph
