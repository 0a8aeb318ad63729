// Walking a group's MCF records in order: from its in-memory buffer, or block by block
// from its utility file, each block written back in place after use when asked (so that
// the estimators can store their results in the records).
#pragma once
#include <cstdint>
#include "host/vec39_files.h"
#include "proc/mcf/mcf.h"

struct vyxstate;
struct grpnode;

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
int mcfwalkstart(mcfwalk* w, grpnode* g, bool writeback);
// The next record, or null at the end; *rc becomes 1020 (after 510/22 or 510/15) when a
// block cannot be read or written back.
mcfrec* mcfwalknext(mcfwalk* w, int* rc);
// The record `ahead` places after the last one handed out, when it is already in memory
// (for fetching what it will need early); else null.
inline const mcfrec* mcfwalkpeek(const mcfwalk* w, int32_t ahead) {
    const int32_t at = w->at + ahead - 1;
    return at < w->inblock && w->done + ahead - 1 < w->total ? &w->buf[at] : nullptr;
}
// Writes the last block back (with writeback); 0 or 1020.
int mcfwalkend(mcfwalk* w);
