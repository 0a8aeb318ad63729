// Utility files of the life-distribution statements: temporary host files written and read in
// whole blocks, closed with deletion after each statement (lifedist.h).
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"

#include "proc/framework/hostsvc.h"

int ufopen(xchandle* handle) {
    *handle = nullptr;
    int rc = xcopen(handle, XC_SCRATCH);
    if (rc != 0 || !*handle) return rc ? rc : 1;
    return xcpoint(*handle, 0);
}

int ufwrite(xchandle handle, const void* block, int64_t bytes) { return xcwrite(handle, block, bytes); }

void ufdrop(xchandle* handle) {
    if (!*handle) return;
    xcclose(*handle, 1);
    *handle = nullptr;
}
