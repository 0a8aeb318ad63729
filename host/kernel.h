// The kernel instance (word 82 of the host instance, kept by the module as Exported_QXHandle):
// the services the effects library needs to run worker threads. Only the effects library's
// workers run concurrently; everything here is safe to call from any thread unless a line
// says otherwise.
//
// Events are manual-reset flags that carry a status: post sets the event and its status,
// reset clears it, test reads it without changing it, and wait blocks (without burning a
// core) until one of several events is set. Posting an event makes every write the poster
// did before visible to a thread that then finds the event set by test or wait.
#pragma once
#include <cstdint>
#include "host/pool.h"
#include "host/vec203_datasets.h"

struct kevent;
struct kthread;
struct kcontainer;
struct kassoc;
struct kfmthandle;

// Statuses a worker posts with its error event, and the wait failure.
constexpr int32_t KS_NOMEM = static_cast<int32_t>(0x803FC002u);    // out of memory
constexpr int32_t KS_NOWAIT = static_cast<int32_t>(0x803FC009u);   // no thread to wait with

// Pool allocation flag of the kernel pools: the block comes back zeroed.
constexpr uint32_t KP_ZERO = 0x80000000u;

// "qxeavl": containers of caller-owned nodes with a fixed-length byte key at a fixed offset.
// Insert returns the given node when its key was new, else the node already holding the
// key (the given one is then not kept). first/next walk the nodes in ascending byte order
// of their keys; a walk must not be mixed with inserts. One container is used by one thread
// at a time.
struct kavlext {
    kcontainer* (*create)(int keyoff, int keylen, int capacity);
    void (*destroy)(kcontainer* c);
    void* (*insert)(kcontainer* c, void* node);
    void* (*find)(kcontainer* c, const void* key);
    void* (*first)(kcontainer* c);
    void* (*next)(kcontainer* c, void* node);
    int64_t (*count)(const kcontainer* c);
};

// "qxeaa": associative arrays from byte keys to 32-bit values. lookup returns 0 when the
// key is present and points *value at the stored value.
struct kaaext {
    kassoc* (*create)();
    void (*destroy)(kassoc* a);
    int (*add)(kassoc* a, const int32_t* value, const void* key, int keylen);
    int (*lookup)(kassoc* a, const void* key, int keylen, int32_t** value);
};

// A host format handle: formats one value of one variable. The caller points `in` at the
// value (a double, or inlen bytes of text) and `out` at outcap bytes, then calls run; on
// success (0) the formatted text, left-aligned and blank padded to `width`, is in out and
// outlen holds its length. The kinds tell whether a text is wide (2, needing a transcoder)
// or bytes (1); the runtime's texts are always bytes.
struct kfmthandle {
    int32_t width;
    int32_t decimals;
    const void* in;
    int32_t inlen;
    char* out;
    int32_t outcap;
    int32_t zero;
    int32_t inkind;
    int32_t outkind;
    int (*run)(kfmthandle* h, int zero);
    int32_t outlen;
    int32_t numeric;       // the host's own: 1 numeric variable, 0 character
};

// "qxefmt": resolves and releases the format handles of data-set variables. A handle is
// used by one thread at a time; resolving and releasing happen in the procedure's thread.
struct kfmtext {
    int (*setup)(int zero);
    kfmthandle* (*xfrfilet)(dshandle ds, int32_t var, int32_t width);
    void (*xfrdel)(kfmthandle* h);
};

// The session encoding of the host: the name of its character set.
struct kencoding {
    const char* name;
};

struct kernelinst {
    // ---- events
    kevent* (*evcreate)();
    void (*evdestroy)(kevent* e);
    void (*evreset)(kevent* e);
    void (*evpost)(kevent* e, int32_t status);
    // Nonzero when the event is set; *status (when not null) the posted status.
    int (*evtest)(kevent* e, int32_t* status);
    // Blocks until one of the n events is set; *which is its position. 0, or KS_NOWAIT.
    int (*evwait)(int n, kevent* const* events, int* which);

    // ---- pools: arenas freed whole; a pool is used by one thread at a time
    poolobj* (*poolcreate)(const char* name);
    void (*pooldestroy)(poolobj* pool);

    // ---- threads: the routine runs with arg; when it returns, `ended` is posted.
    // thrdestroy waits for the thread to end, then releases it.
    kthread* (*thrcreate)(int (*routine)(void* arg), void* arg, kevent* ended);
    void (*thrdestroy)(kthread* t);

    // ---- named extensions: "qxeavl" (kavlext), "qxeaa" (kaaext), "qxefmt" (kfmtext);
    // null for any other name.
    const void* (*extension)(const char* name);
    // The session encoding, or null when it cannot be read.
    const kencoding* (*encoding)();

    // ---- options: "host.cpucount" (the processors of the machine); 0 when found.
    int (*optlookup)(const char* name, double* value);
    // The host's memory figure (wmrlmem): the memory a pass may use, in units of 256 bytes.
    int64_t (*wmrlmem)();
};
