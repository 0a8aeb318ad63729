// Pool blocks: every allocation of the procedure goes through the routines at the head of a
// host pool object, asked for with one of the named requests below and never a bare number.
#pragma once
#include <cstdint>
#include "host/pool.h"

// The request a block is asked for with. The host honours one bit of it, POOL_ZERO (0x0002:
// the block comes back cleared); the other bits are part of the request as the host's
// interface fixes it for each block and are passed on unread: 0x2000 is set in every request,
// 0x1000 ("marked") in the requests of the parse-time records, the effects library's blocks
// and some result blocks, and 0x0004 in every request but those of the naming and parse
// records ("record").
enum class poolflag : int {
    zeroed = 0x2006,                 // cleared
    raw = 0x2004,                    // as the pool has it
    zeroed_marked = 0x3006,
    raw_marked = 0x3004,
    zeroed_record = 0x2002,
    zeroed_record_marked = 0x3002,
};

// Allocates size bytes from pool; null on failure. The host's names for its allocate routine.
inline void* vmalcp_handler(poolobj* pool, int64_t size, poolflag flags) {
    return pool->fns.alloc(pool, size, static_cast<int>(flags));
}
inline void* vmalloc_handler(poolobj* pool, int64_t size, poolflag flags) {
    return pool->fns.alloc(pool, size, static_cast<int>(flags));
}
// Frees a block; callers pass size -1 and flags 4 (poolput does).
inline void vmfree_handler(poolobj* pool, void* block, int64_t size, int flags) { pool->fns.free(pool, block, size, flags); }

// A block of bytes (for blocks the host's interface measures in bytes); null on failure.
inline void* poolbytes(poolobj* pool, int64_t bytes, poolflag flags) { return vmalcp_handler(pool, bytes, flags); }

// n objects of type T; null when the pool refuses, or when there is no pool or n < 1.
template <class T>
inline T* poolget(poolobj* pool, int64_t n, poolflag flags) {
    if (!pool || n < 1) return nullptr;
    return static_cast<T*>(vmalcp_handler(pool, n * static_cast<int64_t>(sizeof(T)), flags));
}

// Gives a block back to its pool (the free routine with size -1 and flags 4: a single block).
inline void poolput(poolobj* pool, void* block) { vmfree_handler(pool, block, -1, 4); }
