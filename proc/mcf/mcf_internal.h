// What the files of MCFPLOT share that no other folder uses.
#pragma once
#include <cfloat>

#include "host/vec10_trees.h"
#include "proc/framework/grpnode.h"
#include "proc/framework/pooledkeys.h"
#include "proc/mcf/mcf.h"

// The group's extremes of the MCF, its limits, the event times and the end times, cleared
// before its records are walked.
inline void mcfextremes(grpnode* g) {
    g->mcf.mcfmax = g->mcf.uppmax = g->mcf.evtmax = g->mcf.endmax = -DBL_MAX;
    g->mcf.mcfmin = g->mcf.lowmin = g->mcf.evtmin = g->mcf.endmin = DBL_MAX;
}

// Interval data: the same 48 bytes as an event record (mcfrec).
struct mcfivl {
    double end;       // interval end
    double start;     // interval start
    double mcf;
    double se;
    double events;    // events in the interval
    double removals;  // units removed in the interval
};
static_assert(sizeof(mcfivl) == 48, "an MCF record is 48 bytes");

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
    keyvals whole;        // the whole ids the 16-byte id stands for (pooledkeys.h)
    keyvalue endid;       // which of them the end record has
    keyvalue lastid;      // which of them the latest event has
};

// A time up to this far past a unit's end is its end time made inexact by rounding.
constexpr double MCF_ENDSLACK = 1000 * 1.110223024625157e-16;
// Limits on the log scale need an estimate above this, and a half-width w below the second.
constexpr double MCF_LOGMIN = 1.110223024625157e-16;
constexpr double MCF_LOGWMAX = 709.782712893384;

// The response forms of the statement.
enum : uint32_t { MCF_EXACT = 1, MCF_INTERVAL = 2 };

// A unit's id as the data hold it, for messages: the current record's (key: its 16-byte
// formatted id, whole: unitwhole), or one of the ids a unit met (id: which, as the unit keeps
// it: its end's or its latest event's).
void unitshown(const char* key, const wholecell& whole, char* out, int len);
void keptunitshown(const vyxstate* s, const mcfunit* u, const keyvalue& id, char* out, int len);

// ---- the statement's routines (return codes as in host/hostdefs.h)
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

// The record `ahead` places after the last one handed out, when it is already in memory
// (for fetching what it will need early); else null.
inline const mcfrec* mcfwalkpeek(const mcfwalk* w, int32_t ahead) {
    const int32_t at = w->at + ahead - 1;
    return at < w->inblock && w->done + ahead - 1 < w->total ? &w->buf[at] : nullptr;
}
// Writes the last block back (with writeback); 0 or 1020.
int mcfwalkend(mcfwalk* w);
