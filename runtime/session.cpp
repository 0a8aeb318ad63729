// The current session of the runtime.
#include "runtime/session.h"

namespace rt {
namespace {
Session* g_current = nullptr;
}
Session* current() { return g_current; }
void setcurrent(Session* s) { g_current = s; }
}  // namespace rt
