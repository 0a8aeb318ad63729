#include "runtime/host/vectors.h"
#include "host/instance.h"

// Each service family of the runtime exposes its vector through a services() routine;
// one line per vector below.
namespace rt {
void fillvectors(void** table) {
    for (int i = 0; i < VEC_COUNT; ++i) table[i] = nullptr;
}
}  // namespace rt
