// Preconditions of the procedure's routines: VX_EXPECT(condition, message) at a subsystem's
// entry and around index arithmetic. In the sanitizer build (VITALYX_CHECKS) a condition that
// does not hold stops the program with the place, the condition and the message, as an
// assert does; in other builds the condition is not evaluated and costs nothing.
#pragma once

#if VITALYX_CHECKS
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void vxexpectfailed(const char* cond, const char* msg, const char* file, int line, const char* func) {
    std::fprintf(stderr, "%s:%d: %s: precondition failed: %s (%s)\n", file, line, func, msg, cond);
    std::abort();
}
#define VX_EXPECT(cond, msg) ((cond) ? void(0) : vxexpectfailed(#cond, msg, __FILE__, __LINE__, __func__))
#else
// Unevaluated: the names in the condition count as used, nothing runs.
#define VX_EXPECT(cond, msg) ((void)sizeof((cond) ? 1 : 0))
#endif
