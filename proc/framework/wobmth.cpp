#include "proc/framework/wobmth.h"

int32_t wobmth(obobject* object, obclass* cls, int method, int nitems, wobitem* items) {
    for (obclass* c = cls ? cls : object->cls; c; c = c->parent) {
        if (!c->buckets) continue;
        for (obmethent* e = c->buckets[c->mask & static_cast<uint32_t>(method)]; e; e = e->next) {
            if (e->method == method) return e->rec->routine(object, e->arg, e->rec->arg, nitems, items);
        }
    }
    return OB_NOMETHOD;
}

static int32_t direct(const obpair& pair, obobject* object, int op, int nitems, wobitem* items) {
    if (!pair.table || !pair.table[0]) return OB_NOMETHOD;
    return pair.table[0](object, pair.arg, op, nitems, items);
}

int32_t obinfocall(obobject* object, int nitems, wobitem* items) { return direct(object->cls->info, object, 1, nitems, items); }
int32_t obquerycall(obobject* object, int nitems, wobitem* items) { return direct(object->cls->query, object, 2, nitems, items); }
int32_t obrelease(obobject* object) { return direct(object->cls->release, object, 4, 0, nullptr); }
