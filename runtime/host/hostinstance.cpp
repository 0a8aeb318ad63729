// The host instance: its vectors, session block and kernel, and the pools and parse record
// of each step.
#include "runtime/host/hostinstance.h"

#include "host/hostdefs.h"
#include "runtime/host/vectors.h"
#include "runtime/output/graphs.h"
#include "runtime/sgraph/render.h"
#include "runtime/supervisor/pools.h"
#include "runtime/threads/kernel.h"
#include "runtime/util/bigmem.h"

namespace rt {

HostInstance* makehost() {
    HostInstance* h = new HostInstance;
    fillvectors(h->vectors);
    h->inst.vectors = h->vectors;
    h->inst.vflags = h->vflags;
    h->inst.session = &h->session;
    h->session.step = &h->step;
    h->inst.missing = hostmissing();
    h->inst.kernel = const_cast<kernelinst*>(kern::instance());
    // The output draws statistical graphs through the renderer, which lies above it.
    out::setgraphrenderer(&sgr::render);
    return h;
}

void freehost(HostInstance* h) {
    if (!h) return;
    endstep(h);
    delete h;
}

bool beginstep(HostInstance* h) {
    endstep(h);
    h->inst.pool = pool::create(65536, 65536);
    h->inst.effpool = pool::create(8192, 8192);
    h->step.mpb = nullptr;
    h->inst.exitcode = 0;
    return h->inst.pool && h->inst.effpool;
}

void endstep(HostInstance* h) {
    pool::reclaim();   // the pools the step left
    util::bigtrim();   // the pages kept for large buffers
    pool::destroy(h->inst.pool);
    pool::destroy(h->inst.effpool);
    h->inst.pool = nullptr;
    h->inst.effpool = nullptr;
    h->step.mpb = nullptr;
}

}  // namespace rt
