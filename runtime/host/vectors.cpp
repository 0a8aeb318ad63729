#include "runtime/host/vectors.h"
#include "host/instance.h"
#include "runtime/datasets/library.h"
#include "runtime/files/utilfile.h"
#include "runtime/host/register.h"
#include "runtime/output/output.h"
#include "runtime/supervisor/supervisor.h"

// Each service family of the runtime exposes its vector through a services() routine;
// one line per vector below.
namespace rt {
void fillvectors(void** table) {
    for (int i = 0; i < VEC_COUNT; ++i) table[i] = nullptr;
    table[VEC_REGISTER] = const_cast<vec0*>(reg::services());
    table[VEC_SUPERVISOR] = const_cast<vec30*>(sup::services());
    table[VEC_FILES] = const_cast<vec39*>(files::services());
    table[VEC_DATASETS] = const_cast<vec203*>(ds::services());
    table[VEC_OUTPUT] = const_cast<vec320*>(out::services());
}
}  // namespace rt
