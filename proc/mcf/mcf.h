// MCFPLOT: mean cumulative functions of recurrence data. The public header: the statement
// (vyxcf, called by the main routine), the event record and the walk over a group's records,
// which the statistical graphics read; the rest of the statement is in mcf_internal.h.
#pragma once
#include <cstdint>
#include "host/vec39_files.h"

struct vyxstate;
struct grpnode;

// One event record (48 bytes), the same in memory and in the group's utility file.
// Exact recurrence times:
struct mcfrec {
    double time;      // time of the event or of the end of observation
    double value;     // what the event adds to the MCF; missing on an end-of-observation record
    double mcf;       // the MCF after this record (the estimator; on an end record the MCF
                      // at that age); before that, the reader keeps the unit's order number
                      // here (mcfunit::seq), so that the estimator finds the unit at once
    double se;        // its standard error (when limits are wanted)
    char unit[16];    // unit id, left-justified, blank padded
};
static_assert(sizeof(mcfrec) == 48, "an MCF record is 48 bytes");

// Records per in-memory buffer and bytes per record.
enum : int { MCF_BUFRECS = 200, MCF_RECLEN = 48 };

// ---- the statement's routines (return codes as in host/hostdefs.h)
int vyxcf(vyxstate* s);

// Walking a group's MCF records in order: from its in-memory buffer, or block by block
// from its utility file, each block written back in place after use when asked (so that
// the estimators can store their results in the records).

struct mcfwalk {
    xchandle file = nullptr;   // the group's file, or null for the buffer
    mcfrec* buf = nullptr;
    int32_t total = 0;         // records to walk
    int32_t done = 0;          // records handed out
    int32_t inblock = 0;       // records in the current block
    int32_t at = 0;            // next record of the block
    int32_t perblock = MCF_BUFRECS;   // records per file record
    int64_t noted = 0;         // where the current block starts in the file
    bool writeback = false;
};

// Starts a walk over the group's records (grpnode.mcf.nrec of them). 0, or 1020 after
// message 510/22 when the file cannot be read.
int mcfwalkstart(mcfwalk* w, const grpnode* g, bool writeback);
// The next record, or null at the end; *rc becomes 1020 (after 510/22 or 510/15) when a
// block cannot be read or written back.
mcfrec* mcfwalknext(mcfwalk* w, int* rc);
