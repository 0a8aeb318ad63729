// Worker threads of the levelization and effect-combination passes. The procedure's thread
// reads the observations through the model's readers and copies what the workers need into
// one buffer per worker; each worker fills containers of its own, and the procedure's thread
// joins them when the data end. A buffer belongs to its worker from the post of the worker's
// `work` event until the worker posts `idle`; nothing else is shared while workers run.
// Waiting threads sleep on the kernel's events (no polling). Any failure to set the workers
// up, and any failure of a worker, makes the pass run (again) in the procedure's thread.
#pragma once
#include <cstdint>
#include "host/kernel.h"
#include "proc/effects/clsfmt.h"
#include "proc/effects/effects_internal.h"

// Test hook (levctl::thrhook; null outside tests). fault is called by a worker before each
// buffer it takes, from the worker's thread: 0 goes on, WF_NOMEM fails the worker as out of
// memory, WF_MATH + c raises math error c (0..12). mergefailat > 0 makes allocation number
// mergefailat of TreeMerge fail.
struct levthrhook {
    int (*fault)(void* ctx, int pass, int worker, int batch);
    void* ctx;
    int mergefailat;
};
enum : int { WF_NOMEM = 1, WF_MATH = 100 };
enum : int { PASS_LEVELS = 1, PASS_EFFECTS = 2 };

struct levworker;

// Buffer descriptor, one per worker, on cache lines of its own: the procedure's thread writes
// the count and position of one while other workers read theirs.
struct alignas(64) levbufd {
    int32_t count;             // records in the buffer
    int32_t capacity;
    int32_t batches;           // buffers handed to the worker
    int32_t worker;
    int32_t recsize;
    int32_t* nodesz;
    int32_t* rawsz;
    int32_t* recoff;
    int32_t* valw;
    char* start;
    char* pos;
    uint8_t* filter;           // per record one active byte per CLASS variable (with a filter)
    levstate* ls;
    levwork* lw;
};

// Thread control, one per levctl (kept for later models and BY groups).
struct levthreads {
    uint64_t obsno;
    uint8_t running;
    uint8_t wanteff;
    uint8_t ready;
    uint8_t started;
    uint8_t keepeff;
    uint8_t forceeff;
    int32_t recsize;
    int32_t errcode;           // message number of the shutdown message (1: set-up failed)
    int32_t nvars;
    int32_t nworkers;          // 0: single-threaded
    int32_t maxchr;
    int32_t querythr;          // take the worker count from THREADS/CPUCOUNT
    int32_t bufcap;
    int32_t* recoff;
    int32_t* nodesz;
    int32_t* rawsz;
    int32_t* valw;
    poolobj* kpool;            // "Levelize pool"
    kthread** thrs;
    const kavlext* eavl;
    const kaaext* eaa;
    levbufd* bufs;
    levworker* workers;
    fmtrec* fmth;
    // our own
    levctl* ctl;
    int32_t pass;              // PASS_LEVELS or PASS_EFFECTS while workers run
    uint8_t hasfilter;
    int32_t hdrsize;           // 8, or 16 with a frequency variable
    // Records read straight through the model's default reader (reclist): each record also
    // carries the continuous values with a variable (ncont of them, from contoff on, variable
    // contvar[k]), and the workers, not the reading thread, test completeness and widen the
    // continuous ranges. Every observation read then has a record.
    uint8_t wkcheck;
    int32_t ncont;
    int32_t contoff;
    int32_t* contvar;
    hgetlist* reclist;
    dshandle reclistds;        // the data set reclist reads
};

// The number of workers of a thread control (0 when none).
int zlevworkers(const levthreads* t);
// Prepares the levelization workers: 1 ready, 0 single-threaded (thrflag cleared).
int zlevrinit(levctl* ctl, levwork* w);
// The threaded level pass (called by zlevadd): 0 done and merged; nonzero when the workers
// or the merge failed (messages given, workers gone): the caller redoes the pass.
int zlevaddthreads(levwork* w, levstate* ls);
// Joins the workers' level containers into the level trees: 0, or 1 out of memory.
int TreeMerge(levwork* w, levstate* ls);
// Gives worker 0's raw-value nodes of CLASS variable i their final level indexes (zlevlls).
int zlevmapraw(levwork* w, levstate* ls, int i);
// Stops the levelization workers; not `full` keeps worker 0's raw-value containers and the
// kernel pool for the effect pass.
void CleanupLThreads(levthreads* t, levstate* ls, int full);
// Prepares the effect-combination workers: nonzero when ready.
int ThreadInit(levctl* ctl);
// The threaded combination pass: each effect's trees filled as the single-threaded pass
// does; 0 done, nonzero when the workers failed (the caller redoes the pass in this thread).
int zlevcombthreads(levctl* ctl, void** roots, poolobj* pool, int32_t nodesize);
void CleanupEThreads(levctl* ctl);
// Waits until one of the n events is set (*which its position): 0, or KS_NOWAIT without a
// kernel to wait with. The thread, flag and timeout are the host's (every wait is untimed).
int qxWait(kthread* thread, int n, kevent* const* events, int* which, int flag, int timeout);
// Math-error handler of a worker: records the code; returns 2.
int ZLEVMathError(levworker* worker, int code);
// Left-justifies a formatted value in its field.
void Stringjl(char* text, int length);
