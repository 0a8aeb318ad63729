// MCFPLOT: mean cumulative functions of recurrence data. The event record, the unit node,
// and the routines of the statement from its options to its tables; its public header, with
// the files of the MCF rows that the statistical graphics read.
#pragma once
#include <cstdint>
#include "host/vec10_trees.h"
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
// Interval data: the same 48 bytes.
struct mcfivl {
    double end;       // interval end
    double start;     // interval start
    double mcf;
    double se;
    double events;    // events in the interval
    double removals;  // units removed in the interval
};
static_assert(sizeof(mcfrec) == 48 && sizeof(mcfivl) == 48, "an MCF record is 48 bytes");

// One unit of a group (exact data), from the statement pool; a node of the group's unit tree.
struct mcfunit {
    trenode link;
    uint8_t ended;        // its end-of-observation record has been read
    char id[16];          // the tree key
    double endtime;
    double lastevt;       // latest event time (-DBL_MAX while none)
    int32_t index;        // 0 .. units - 1, by decreasing end time (set by vyxcfst)
    int32_t seq;          // order of first appearance within the group
    double weight;        // FREQ value of its end record (1 without FREQ)
};

// Records per in-memory buffer and bytes per record.
enum : int { MCF_BUFRECS = 200, MCF_RECLEN = 48 };
// A time up to this far past a unit's end is its end time made inexact by rounding.
constexpr double MCF_ENDSLACK = 1000 * 1.110223024625157e-16;
// Limits on the log scale need an estimate above this, and a half-width w below the second.
constexpr double MCF_LOGMIN = 1.110223024625157e-16;
constexpr double MCF_LOGWMAX = 709.782712893384;

// The response forms of the statement.
enum : uint32_t { MCF_EXACT = 1, MCF_INTERVAL = 2 };

// ---- the statement's routines (return codes as in host/hostdefs.h)
int vyxcf(vyxstate* s);
void cfgrp(vyxstate* s, grpnode* g, int i, int j, int* counter);
int vyxcfpm(vyxstate* s);
int vyxcfin(vyxstate* s);
int cfbld(vyxstate* s, grpnode* g);
int vyxcfst(vyxstate* s, grpnode* g);
int vyxcfmv(vyxstate* s, grpnode* g);
int vyxcfmv1(vyxstate* s, grpnode* g);
int vyxcfmv2(vyxstate* s, grpnode* g);
int vyxcfdf(vyxstate* s);
int vyxcfdf1(vyxstate* s);
int vyxcfdf2(vyxstate* s);
void defh(vyxstate* s, char* keya, char* keyb);
int vyxcfob(vyxstate* s);
int vyxcfpr(vyxstate* s, grpnode* g);
int vyxcfpd(vyxstate* s);

// Confidence limits of an estimate m with standard error se: normal, or on the log scale
// (both missing when m is too small or the half-width too large).
void mcflimits(double m, double se, double z, bool loglims, double* lower, double* upper);

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
