// The output-object call: a numbered method looked up along an object's class chain
// (wobmth.h).
#include "proc/framework/wobmth.h"

// The method is looked up in the given class, else the object's own, then along the
// parent chain: the bucket (mask AND method) holds a chain of entries told apart by
// their method numbers.
int32_t wobmth(obobject* object, obclass* cls, int method, int nitems, wobitem* items) {
    obclass* start = cls ? cls : (object ? object->cls : nullptr);
    for (obclass* c = start; c; c = c->parent) {
        if (!c->buckets) continue;
        for (obmethent* e = c->buckets[c->mask & static_cast<uint32_t>(method)]; e; e = e->next) {
            if (e->method == method && e->rec && e->rec->routine)
                return e->rec->routine(object, e->arg, e->rec->arg, nitems, items);
        }
    }
    return OB_NOMETHOD;
}

static int32_t direct(const obpair& pair, obobject* object, int op, int nitems, wobitem* items) {
    if (!pair.table || !pair.table[0]) return OB_NOMETHOD;
    return pair.table[0](object, pair.arg, op, nitems, items);
}

static int32_t directcall(obobject* object, obpair obclass::*which, int op, int nitems, wobitem* items) {
    if (!object || !object->cls) return OB_NOMETHOD;
    return direct(object->cls->*which, object, op, nitems, items);
}

int32_t obinfocall(obobject* object, int nitems, wobitem* items) { return directcall(object, &obclass::info, 1, nitems, items); }
int32_t obquerycall(obobject* object, int nitems, wobitem* items) { return directcall(object, &obclass::query, 2, nitems, items); }
int32_t obrelease(obobject* object) { return directcall(object, &obclass::release, 4, 0, nullptr); }
