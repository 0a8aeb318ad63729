// The host instance: what the procedure finds behind v_global_gcb_anchor.
#pragma once
#include <cstdint>
#include "host/pool.h"

struct stmtrec;

// Service vector numbers.
enum : int {
    VEC_REGISTER = 0,     // routine registration (vir2g)
    VEC_TEXTEXT = 4,      // string extension: locale items, offsets, upper case, collation
    VEC_TREES = 10,       // balanced trees
    VEC_SWEEP = 11,       // sweep of packed symmetric matrices
    VEC_SUPERVISOR = 30,  // pools, exit, messages, printing, options
    VEC_STATEMENTS = 31,  // statement parser
    VEC_FILES = 39,       // catalogs and utility files
    VEC_GRAPHICS = 116,   // device graphics
    VEC_GRAPHICS2 = 117,
    VEC_ANNOTATE = 120,
    VEC_DATES = 155,
    VEC_DATASETS = 203,
    VEC_OUTPUT = 320,
    VEC_SORT = 472,
    VEC_COUNT = 512
};

// Module parse block: allocated by xinit, kept in the step's parse record.
struct modparse {
    stmtrec* head;          // parsed statements in the order written
    int32_t error;          // the parser's error word (non-zero: the step does not run)
    void* effentry;         // the effect parser's routine
    void* effstate;         // the effect parser's state (effect-parse record)
    void* parser;           // the parser block (parse-control block and friends)
    void* logdest;          // destinations of the log, print, output and messages
    void* printdest;
    void* outdest;
    void* msgdest;
    uint8_t syntrace;       // DEBUG=SYN: syntax trace
    uint8_t semtrace;       // DEBUG=SEM: semantic trace
};

// The step's parse record, reached from the session block.
struct parserec {
    modparse* mpb;
};

struct sessblk {
    void* printh;           // print handle given to the print services
    parserec* step;         // the step being run
};

struct hostinst {
    void* const* vectors;   // word 0: service vectors, indexed by vector number
    uint8_t* vflags;        // word 1: per-vector flag bytes
    sessblk* session;       // word 4
    poolobj* pool;          // word 5: the instance's pool
    poolobj* effpool;       // word 19: pool of the effect parser and the tree iterators
    void* kernel;           // word 82: the kernel instance
    double missing;         // the host's missing value
    int32_t exitcode;       // the first code given to xexit in this step; 0 while the step goes on
};
