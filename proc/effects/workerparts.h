// The parts of the worker threads' code that its three files share (private to proc/effects):
// the workers' records and the nodes of their containers, and the routines each file calls in
// another. workers.cpp is the workers' side (the loop of a worker thread and what it does with
// a buffer), workerfeed.cpp the procedure's thread (filling the buffers, merging what the
// workers found, the effect pass), workersetup.cpp setting the workers up and cleaning up.
#pragma once
#include <algorithm>
#include <cstdint>
#include "proc/effects/effsvc.h"
#include "proc/effects/workers.h"

// Node of a worker's level container: first observation, smallest raw value, weighted count,
// then the formatted text (the key) and, for a character variable, the smallest raw text.
struct wlevnode {
    int64_t first;
    double raw;
    int32_t count;
    int32_t pad;
};
constexpr int WLEV_TEXT = sizeof(wlevnode);
// Node of a worker's raw-value container: final level index (set by zlevmapraw), the level
// node, then the raw value (the key) and the formatted text.
struct wrawnode {
    int32_t finalidx;
    int32_t pad;
    wlevnode* lev;
};
constexpr int WRAW_KEY = sizeof(wrawnode);

// A worker's memo of the raw values it met, per CLASS variable whose raw value fits in 8 bytes:
// direct-mapped by the value's bytes as a word, in front of the raw-value container.
struct wmemo {
    uint64_t key;
    void* node;                // the raw-value node, null: empty
};
constexpr int WMEMO_BITS = 12;

// What a worker needs of a CLASS variable for each record.
struct wvar {
    int32_t off;               // place in the record
    int32_t rl;                // raw length
    int32_t fl;                // formatted length
    uint8_t num;
    uint8_t missok;            // a missing value is a level
    uint8_t count;             // the order needs the counts
    uint8_t keepjst;
    uint8_t cut;               // the format is wider than fl: a text cut back to a whole character (cutlevel)
    wmemo* memo;               // null: the value is longer than 8 bytes
};

struct levworker {
    levbufd* buf;
    fmtset* fmt;
    levthreads* tc;
    int32_t index;
    kcontainer** levc;         // per CLASS variable
    kcontainer** rawc;
    poolobj** lpool;           // per CLASS variable: level nodes
    poolobj** rpool;           // raw-value nodes
    kevent* work;
    kevent* error;
    kevent* ended;
    kevent* quit;
    kevent* idle;              // our own: set while the worker waits for a buffer
    kthread* thr;
    int32_t mathcode;          // code of the last math error plus 1
    char* text;                // a formatted value being looked up
    // continuous ranges of the records the worker took (records read straight, tc->wkcheck),
    // per continuous value of a record, with the observation that set each first (0: none)
    double* cmin;
    double* cmax;
    uint64_t* cminobs;
    uint64_t* cmaxobs;
    wvar* vars;                // per CLASS variable
    // effect pass
    kcontainer** effc;         // per effect
    poolobj* epool;
    int32_t* scratch;
};

namespace levwk {

inline const kernelinst* K() { return qxkernel(); }

inline bool needscount(char k) { return k == 'F' || k == 'X' || k == 'Y' || k == 'Z'; }
inline bool validorder(char k) { return k == 'M' || k == 'F' || k == 'D' || k == 'X' || k == 'Y' || k == 'Z' || k == 'I'; }

inline int rawlenof(const levclass* c) { return c->varinfo->d.type == 1 ? 8 : std::max<int32_t>(1, c->varinfo->d.length); }

// The workers' side (workers.cpp): the thread routines of the level and effect passes.
int ThProcessBuffer(void* arg);
int ThProcessEffectsBuffer(void* arg);

// Setting up and cleaning up (workersetup.cpp): the workers' threads started with routine,
// and stopped (with the shutdown messages).
bool startworkers(levthreads* tc, int (*routine)(void*));
void stopworkers(levthreads* tc, levstate* ls);

}  // namespace levwk
