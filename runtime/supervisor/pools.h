// Host pools: arenas that hand out blocks and are freed whole.
#pragma once
#include <cstdint>
#include "host/pool.h"

namespace rt::pool {
poolobj* create(int64_t initial, int64_t growth);
void destroy(poolobj* p);
// Bytes the pool holds from the system (for tests and the memory report).
int64_t footprint(const poolobj* p);

// Pools made for a step (xmpoolc) are tracked: whatever the step leaves is reclaimed
// when it ends, as the procedure expects of its host.
poolobj* createtracked(int64_t initial, int64_t growth);
void destroytracked(poolobj* p);
// Deletes every tracked pool still alive; returns how many there were.
int reclaim();
}  // namespace rt::pool
