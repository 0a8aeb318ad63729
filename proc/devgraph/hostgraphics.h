// Entry routines of the host's device-graphics services (vectors 116, 117 and 120): each
// clears the vector's flag byte and jumps through the service's slot, as in hostsvc.h.
#pragma once
#include "host/vec116_graphics.h"
#include "proc/framework/hostsvc.h"

// ---- vector 116: device graphics
inline int ggfname(const char* text, int length, char font[8]) { return hostvec<vec116>(VEC_GRAPHICS)->ggfname(text, length, font); }
