// The host instance the runtime hands to the procedure module: one for the whole program,
// with per-step parts (pools, parse record) renewed for every step.
#pragma once
#include "host/instance.h"

namespace rt {

struct HostInstance {
    hostinst inst{};
    void* vectors[VEC_COUNT]{};
    uint8_t vflags[VEC_COUNT]{};
    sessblk session{};
    parserec step{};
};

HostInstance* makehost();
void freehost(HostInstance* h);
// Pools and parse record of a new step; false when a pool cannot be made.
bool beginstep(HostInstance* h);
void endstep(HostInstance* h);

}  // namespace rt
