// The procedure's call of the host sort: the caller's start, compare and exit routines made
// callable for the host around the call (sortwrap.h).
#include "proc/framework/sortwrap.h"

#include "proc/framework/hostsvc_util.h"

namespace {

// Registers routine with the host and returns its callable entry (null on failure).
template <class F>
F callable(F routine) {
    void* entry = nullptr;
    if (vir2g(reinterpret_cast<void*>(routine), &entry, v_global_gcb_anchor->session, v_global_pidb_anchor) != 0)
        return nullptr;
    return reinterpret_cast<F>(entry);
}

}  // namespace

int init_wrapper(sortctl* c, void*) {
    sortexit start = c->startcopy;
    c->start = nullptr;
    int rc = start ? start(c, nullptr) : 0;
    for (int i = 0; i < SORTX_COUNT; ++i)
        if (c->exits[i]) c->exitentries[i] = callable(c->exits[i]);
    return rc;
}

void wrapper_cleanup(sortexit* entries) {
    for (int i = 0; i < SORTX_COUNT; ++i)
        if (entries[i]) entries[i] = nullptr;
}

int zsort(sortctl* c) {
    c->startcopy = c->start;
    c->startentry = callable<sortexit>(init_wrapper);
    if (c->compare) c->compareentry = callable(c->compare);
    int rc = zsortap(c);
    wrapper_cleanup(c->exitentries);
    return rc;
}
