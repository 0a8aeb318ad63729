// Host pools: arenas of chunks that hand out blocks and are freed whole; the pools of a step
// are tracked and reclaimed at its end.
#include "runtime/supervisor/pools.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/util/bigmem.h"

namespace rt::pool {
namespace {

// A chunk of the arena; blocks are carved from its tail end upwards.
struct Chunk {
    Chunk* next;
    int64_t size;
    int64_t used;
    alignas(16) unsigned char data[1];
};

struct Arena {
    poolobj head;          // must stay first: the procedure reads the routine table here
    Chunk* chunks;
    int64_t growth;
    int64_t footprint;
    Arena* prev;           // tracked pools: a doubly linked list
    Arena* next;
};

Arena* g_tracked = nullptr;

constexpr int64_t kAlign = 16;
constexpr int64_t kHeader = offsetof(Chunk, data);

Chunk* newchunk(Arena* a, int64_t size) {
    // A large block (a per-unit array of a million units) is visited at random: huge pages,
    // but first the pages of large buffers given back (a sort's keys), which need no clearing.
    const bool large = size >= (int64_t(8) << 20);
    void* mem = large ? rt::util::bigalloc(static_cast<size_t>(kHeader + size)) : std::malloc(static_cast<size_t>(kHeader + size));
    if (!mem) return nullptr;
    Chunk* c = static_cast<Chunk*>(mem);
    c->size = size;
    c->used = 0;
    c->next = a->chunks;
    a->chunks = c;
    a->footprint += kHeader + size;
    return c;
}

void* alloc(poolobj* p, int64_t size, int flags) {
    Arena* a = reinterpret_cast<Arena*>(p);
    if (size < 0) return nullptr;
    int64_t need = (size + kAlign - 1) / kAlign * kAlign;
    if (need == 0) need = kAlign;
    Chunk* c = a->chunks;
    if (!c || c->size - c->used < need) {
        // Large blocks get a chunk of their own behind the current one, so the
        // current chunk's free tail is not wasted.
        int64_t size2 = need > a->growth ? need : a->growth;
        Chunk* cur = a->chunks;
        c = newchunk(a, size2);
        if (!c) return nullptr;
        if (cur && need > a->growth && cur->size - cur->used >= kAlign) {
            a->chunks = cur;
            c->next = cur->next;
            cur->next = c;
        }
    }
    unsigned char* block = c->data + c->used;
    c->used += need;
    if (flags & POOL_ZERO) std::memset(block, 0, static_cast<size_t>(size));
    return block;
}

// Blocks are reclaimed when the pool is deleted.
void release(poolobj*, void*, int64_t, int) {}

}  // namespace

poolobj* create(int64_t initial, int64_t growth) {
    Arena* a = static_cast<Arena*>(std::calloc(1, sizeof(Arena)));
    if (!a) return nullptr;
    a->head.fns.alloc = alloc;
    a->head.fns.free = release;
    a->growth = growth > 4096 ? growth : 4096;
    if (initial > 0 && !newchunk(a, initial)) {
        std::free(a);
        return nullptr;
    }
    return &a->head;
}

void destroy(poolobj* p) {
    if (!p) return;
    Arena* a = reinterpret_cast<Arena*>(p);
    for (Chunk* c = a->chunks; c;) {
        Chunk* n = c->next;
        rt::util::bigfree(c);   // a chunk from malloc goes back to it
        c = n;
    }
    std::free(a);
}

int64_t footprint(const poolobj* p) { return p ? reinterpret_cast<const Arena*>(p)->footprint : 0; }

poolobj* createtracked(int64_t initial, int64_t growth) {
    poolobj* p = create(initial, growth);
    if (!p) return nullptr;
    Arena* a = reinterpret_cast<Arena*>(p);
    a->next = g_tracked;
    if (g_tracked) g_tracked->prev = a;
    g_tracked = a;
    return p;
}

void destroytracked(poolobj* p) {
    if (!p) return;
    Arena* a = reinterpret_cast<Arena*>(p);
    if (a->prev) a->prev->next = a->next;
    else if (g_tracked == a) g_tracked = a->next;
    if (a->next) a->next->prev = a->prev;
    destroy(p);
}

int reclaim() {
    int n = 0;
    while (g_tracked) {
        destroytracked(&g_tracked->head);
        ++n;
    }
    return n;
}

}  // namespace rt::pool
