// The table of service vectors of the runtime host.
#pragma once

namespace rt {
// Fills table[0..VEC_COUNT) with the runtime's service vectors (null where none).
void fillvectors(void** table);
}
