// Pool handlers: every allocation of the procedure goes through the routines at the
// head of a host pool object.
#pragma once
#include <cstdint>
#include "host/pool.h"

// Allocates size bytes from pool (flags: 0x0002 returns the block zeroed); null on failure.
inline void* vmalcp_handler(poolobj* pool, int64_t size, int flags) { return pool->fns.alloc(pool, size, flags); }
inline void* vmalloc_handler(poolobj* pool, int64_t size, int flags) { return pool->fns.alloc(pool, size, flags); }
// Frees a block; callers pass size -1 and flags 4.
inline void vmfree_handler(poolobj* pool, void* block, int64_t size, int flags) { pool->fns.free(pool, block, size, flags); }
