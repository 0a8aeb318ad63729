// Graphics modules and device descriptions.
#include "proc/devgraph/devices.h"

#include <cstring>

#include "proc/framework/hostgraphics.h"
#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msghost.h"
#include "proc/framework/pools.h"

namespace {

constexpr int kFonts = 262412, kSubstitution = 262260, kGraphicsLib = 262262;
constexpr int kLibBlock = 84, kLibBody = 3532;

// The graphics library block kept in named storage.
struct libblock {
    void* body;                 // word 0: the 3532-byte block
    void* words[17];
    void* table;                // word 18: the table it was stored in
    int32_t rdx;                // word 19: made for __RDX_GSUBLIB
};

// A cached device description and the cache's head, kept under "__GCB_GRAPH".
struct devdesc {
    devdesc* next;
    devdesc* prev;
    char name[8];
    ggdevice body;
    uint16_t libidx;
    uint16_t uses;
    double date;
};
struct devcache {
    devdesc* head;
    int32_t count;
    int32_t open;
};

poolobj* hostpool() { return v_global_gcb_anchor->pool; }

void* lookup(const char* name, int page) {
    int32_t id = 0;
    void* value = nullptr;
    if (xytngl(nullptr, page, name, static_cast<int>(std::strlen(name)), &id, &value) != 0) return nullptr;
    return value;
}
// The clean-up of the library slot at the end of the run stops device graphics.
void stopgraphics(void*) { ggstop(); }
void endgraphics(void*) { ggterm(); }

// Allocates the library block and its body and stores it in slot id; -1 or 1 on failure.
int makeblock(int32_t id, bool rdx) {
    auto* b = static_cast<libblock*>(poolbytes(hostpool(), kLibBlock, poolflag::zeroed));
    if (!b) {
        xmemmsg(0);
        return -1;
    }
    b->body = poolbytes(hostpool(), kLibBody, poolflag::zeroed);
    if (!b->body) return 1;
    wtrsset(nullptr, id, b);
    b->table = nullptr;
    b->rdx = rdx ? 1 : 0;
    return 0;
}

}  // namespace

int ggsload(ggstate* gcb, int mode, int keep) {
    wiinstl(kFonts, "ZORCHT7 ", 2);
    bool made = false;
    bool found = lookup("__RDX_GSUBLIB", mode) || lookup("__GCB_GSUBLIB", mode);
    if (!found || keep) {
        const int how = mode == 2 ? 2 : 1;
        if (wiinstl(kSubstitution, "ZORXGSUB", how) != 0 || wiinstl(kGraphicsLib, "ZORXGGXL", how) != 0) {
            xpmlog(129, E129_GRAPHICS_MODULE);
            return 1;
        }
        // A run's first start-up makes the library block whatever the mode: without it the
        // start-up below would find no block and fail although every module loaded.
        if (keep) {
            int32_t id = 0;
            void* value = nullptr;
            if (xytngl(nullptr, 0, "__RDX_GSUBLIB", 13, &id, &value) != 0) {
                if (wtrscrt(nullptr, &id, 0, nullptr) < 0) return -1;
                xytnsl(nullptr, 1, "__RDX_GSUBLIB", 13, id);
            }
            if (int rc = makeblock(id, true)) return rc;
            made = true;
        } else if ((found = lookup("__RDX_GSUBLIB", mode) || lookup("__GCB_GSUBLIB", mode))) {
            ggxget(nullptr);
        } else {
            int32_t id = 0;
            void* value = nullptr;
            if (xytngl(nullptr, 0, "__GCB_GSUBLIB", 13, &id, &value) != 0) {
                void* entry = nullptr;
                if (vir2g(reinterpret_cast<void*>(&stopgraphics), &entry, nullptr, nullptr) != 0) return -1;
                if (wtrscrt(nullptr, &id, 0, reinterpret_cast<void (*)(void*)>(entry)) < 0) return -1;
                xytnsl(nullptr, 1, "__GCB_GSUBLIB", 13, id);
                void* exitentry = nullptr;
                if (vir2g(reinterpret_cast<void*>(&endgraphics), &exitentry, nullptr, nullptr) != 0) xexit(RC_SETUP, 0);
                if (xytexit(exitentry) != 0) xexit(RC_SETUP, 0);
            }
            if (int rc = makeblock(id, false)) return rc;
            made = true;
        }
    }
    if (gginit(gcb) != 0) return 1;
    if (found || made) return 0;
    if (lookup("__RDX_GSUBLIB", 0)) {
        ggzrst(255);
        return 0;
    }
    if (!lookup("__GCB_GSUBLIB", 0)) return 1;
    ggzrst(255);
    return 0;
}

const ggdevice* ggdvget(const char name[8]) {
    if (!name || name[0] == ' ' || name[0] == '\0') return nullptr;
    char key[8];
    for (int k = 0; k < 8; ++k) {
        char c = name[k] ? name[k] : ' ';
        key[k] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    int32_t id = 0;
    void* value = nullptr;
    if (xytngl(nullptr, 0, "__GCB_GRAPH", 11, &id, &value) != 0 || !value) {
        auto* cache = poolget<devcache>(hostpool(), 1, poolflag::zeroed);
        if (!cache) {
            xmemmsg(sizeof(devcache));
            return nullptr;
        }
        if (id == 0) {
            if (wtrscrt(nullptr, &id, 0, nullptr) < 0) return nullptr;
            xytnsl(nullptr, 0, "__GCB_GRAPH", 11, id);
        }
        wtrsset(nullptr, id, cache);
        value = cache;
    }
    auto* cache = static_cast<devcache*>(value);
    const ggdevice* current = ggdvfind(key);
    for (devdesc* d = cache->head; d; d = d->next)
        if (std::memcmp(d->name, key, 8) == 0 && d->date != 0 && current && current->date == d->date) {
            ++d->uses;
            return &d->body;
        }
    auto* d = poolget<devdesc>(hostpool(), 1, poolflag::zeroed);
    if (!d) {
        xmemmsg(0);
        return nullptr;
    }
    std::memcpy(d->name, key, 8);
    ggdinit();
    if (!current) return nullptr;
    d->body = *current;
    d->date = current->date;
    if (cache->open >= 4) ggdvdlt(0, 0);
    d->uses = 1;
    d->next = cache->head;
    if (cache->head) cache->head->prev = d;
    cache->head = d;
    ++cache->count;
    return &d->body;
}

int ggtdvmd(const char name[8]) {
    const ggdevice* d = ggdvfind(name);
    if (!d) return 0;
    return d->devtype ? d->devtype : 1;
}

void gpspnot() { xtanch(); }

void gmemget() {}
void gmemzer() {}
void gmemex() {}
void gmemfre() {}
void gmsize() {}
void gmemmsg() {}
void gmemdef() {}
void gmpoolc() {}
void gmalloc() {}
void gmpoold() {}
void gmrealc() {}
void gmfree() {}
void gymzer() {}
void gymfre() {}
