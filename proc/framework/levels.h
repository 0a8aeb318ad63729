// Levelization records of the MODEL statement, owned by the effects library; the state
// block carries one set for MODEL. The effects library fills in the rest of their fields.
#pragma once
#include <cstdint>
#include "host/pool.h"
#include "host/vec203_datasets.h"

struct levclass;
struct leveffect;

// Level-state block.
struct levstate {
    int32_t ncols;             // design column count
    int32_t nclass;
    levclass* classes;         // level records of the classification variables
    int32_t neffects;
    leveffect* effects;        // effect records
    int32_t order;             // the ORDER code
    void* work[8];
};

// Data block of a levctl: input data set and pool of the levelization.
struct levdata {
    dshandle ds;
    poolobj* pool;
    void* reserved;
};

// Level control block, one per model (MODEL, and LOGSCALE when present).
struct levctl {
    levdata* data;             // first word: the data block
    uint32_t flags;
    levstate* state;           // the level-state block
    void* threads;             // thread control
    int32_t* levindex;         // level index per classification variable
    void* readers[8];          // reader callbacks
};
