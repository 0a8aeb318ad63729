// Host pools: arenas that hand out blocks and are freed whole.
#pragma once
#include <cstdint>
#include "host/pool.h"

namespace rt::pool {
poolobj* create(int64_t initial, int64_t growth);
void destroy(poolobj* p);
// Bytes the pool holds from the system (for tests and the memory report).
int64_t footprint(const poolobj* p);
}  // namespace rt::pool
