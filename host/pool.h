// Host pools: arenas reached through the two routines at the head of each pool object.
#pragma once
#include <cstdint>

struct poolobj;

// Allocation flags: 0x0002 set returns the block zeroed.
enum : int { POOL_ZERO = 0x0002 };

// `poolfns`: word 0 the allocate routine, word 1 the free routine.
struct poolfns {
    void* (*alloc)(poolobj* pool, int64_t size, int flags);
    void (*free)(poolobj* pool, void* block, int64_t size, int flags);
};

// A pool object begins with its routine table; the rest belongs to the host.
struct poolobj {
    poolfns fns;
};
