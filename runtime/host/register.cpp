// Vector 0 of the runtime: routine registration.
#include "runtime/host/register.h"

namespace rt::reg {
namespace {
// The runtime calls procedure routines directly, so the callable entry is the routine itself.
int vir2g(void* routine, void** slot, void*, void*) {
    if (!slot) return 1;
    *slot = routine;
    return 0;
}
const vec0 table = {vir2g};
}  // namespace
const vec0* services() { return &table; }
}  // namespace rt::reg
