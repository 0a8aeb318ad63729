// The runtime's kernel instance: events, pools, threads, containers, associative arrays,
// format handles and the options the effects library's worker threads need (host/kernel.h).
#pragma once
#include "host/kernel.h"

namespace rt::kern {

// The one kernel instance of the runtime (it keeps no per-step state).
const kernelinst* instance();

// Byte hash shared by the containers and the associative arrays.
uint64_t hashbytes(const void* key, int len);

// The extensions, one file each.
const kavlext* containers();
const kaaext* assocarrays();
const kfmtext* formats();

}  // namespace rt::kern
