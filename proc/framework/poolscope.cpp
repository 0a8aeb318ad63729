// The pools of the state block: making and deleting them, with every owner of fields
// clearing what pointed into a pool that goes (the owners as the main routine names them). In
// the sanitizer build a pointer into a deleted pool that no owner cleared stops the
// run at once, naming its place in the block.
#include "proc/framework/poolscope.h"

#include <cstddef>
#include <cstdint>

#include "proc/framework/expect.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"

#if defined(__SANITIZE_ADDRESS__) && defined(__x86_64__)
#include <sanitizer/asan_interface.h>
#include <cstdio>
#include <cstdlib>
#include <vector>
#define VYX_POOLWATCH 1
#endif

namespace {

#if VYX_POOLWATCH
// The words of the state area that point at memory in use before a pool is deleted and at
// freed memory after it: pointers into that pool that nobody cleared. The area is the block
// proper and the MODEL's level records beside it; only addresses of the upper application
// range (where the sanitizer's heap lies) are looked at, so no number is taken for one.
class poolwatch {
public:
    explicit poolwatch(const vyxstate* s) {
        add(s, sizeof *s, "vyxstate");
        if (const levctl* c = s->mdl.mdllev) {
            add(c, sizeof *c, "levctl");
            if (c->ldata) add(c->ldata, sizeof *c->ldata, "levdata");
            if (c->lstate) add(c->lstate, sizeof *c->lstate, "levstate");
        }
    }
    void check(const char* pool) const {
        bool stale = false;
        for (const word& w : words_) {
            const uintptr_t v = *reinterpret_cast<const uintptr_t*>(w.at);
            if (v != w.value || !__asan_address_is_poisoned(reinterpret_cast<void*>(v))) continue;
            std::fprintf(stderr, "stale pointer: offset %zu of the %s still points into the deleted %s\n", w.off,
                         w.region, pool);
            stale = true;
        }
        if (!stale) return;
        __sanitizer_print_stack_trace();
        std::abort();
    }

private:
    struct word {
        const char* at;
        uintptr_t value;
        size_t off;
        const char* region;
    };
    static bool inrange(uintptr_t v) { return v >= 0x10007fff8000ULL && v < 0x800000000000ULL; }
    void add(const void* base, size_t size, const char* region) {
        const char* b = static_cast<const char*>(base);
        for (size_t off = 0; off + sizeof(uintptr_t) <= size; off += sizeof(uintptr_t)) {
            const uintptr_t v = *reinterpret_cast<const uintptr_t*>(b + off);
            if (inrange(v) && !__asan_address_is_poisoned(reinterpret_cast<void*>(v))) words_.push_back({b + off, v, off, region});
        }
    }
    std::vector<word> words_;
};
#else
struct poolwatch {
    explicit poolwatch(const vyxstate*) {}
    void check(const char*) const {}
};
#endif

// The owners' routines, as the main routine named them.
const poolowners* owners = nullptr;

const poolowners& named() {
    VX_EXPECT(owners, "the owners of the state block's fields named before a pool goes");
    return *owners;
}

// Deletes a pool after its owners have cleared their pointers into it (gone), and in the
// sanitizer build checks that no word of the state block still points there.
void droppool(vyxstate* s, poolobj*& pool, void (*gone)(vyxstate*), const char* name) {
    if (!pool) return;
    gone(s);
    const poolwatch watch(s);
    xmpoold(pool);
    pool = nullptr;
    watch.check(name);
}

// A pool made afresh in place of the one dropped; false (with the message) when there is no memory.
bool renewpool(vyxstate* s, poolobj*& pool, void (*gone)(vyxstate*), const char* name) {
    droppool(s, pool, gone, name);
    pool = xmpoolc(8192, 8192, 4);
    if (!pool) {
        xpmlog(510, E510_POOL_FAILED);
        return false;
    }
    return true;
}

}  // namespace

void setpoolowners(const poolowners* o) { owners = o; }

bool newstmtpool(vyxstate* s) { return renewpool(s, s->pools.stmtpool, named().stmtgone, "statement pool"); }

void dropbypool(vyxstate* s) { droppool(s, s->pools.bypool, named().bygone, "BY-group pool"); }

bool newworkpool(vyxstate* s) { return renewpool(s, s->pools.workpool, named().workgone, "work pool"); }
