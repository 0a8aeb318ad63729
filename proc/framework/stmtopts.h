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
