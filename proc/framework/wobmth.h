// The output-object call: look a numbered method up along an object's class chain.
#pragma once
#include <cstdint>
#include "host/hostdefs.h"
#include "host/outobj.h"

// class null means the object's own class. Returns the method's result, or
// OB_NOMETHOD (0x80008001) when no class on the chain has the method.
int32_t wobmth(obobject* object, obclass* cls, int method, int nitems, wobitem* items);

// Direct interface calls (no lookup) through a class record's pairs.
int32_t obinfocall(obobject* object, int nitems, wobitem* items);      // pair 4/5, operation 1
int32_t obquerycall(obobject* object, int nitems, wobitem* items);     // pair 6/7, operation 2
int32_t obrelease(obobject* object);                                   // pair 10/11, operation 4

// Item builders.
inline wobitem obitem(uint16_t key, uint16_t type) {
    wobitem it{};
    it.key = key;
    it.type = type;
    return it;
}
inline wobitem obint(uint16_t key, int32_t v) { wobitem it = obitem(key, 3); it.v.i = v; return it; }
inline wobitem obptr(uint16_t key, uint16_t type, void* p) { wobitem it = obitem(key, type); it.v.p = p; return it; }
inline wobitem obflag(uint16_t key, int32_t f) { wobitem it = obitem(key, 13); it.flag = f; return it; }
inline wobitem obdbl(uint16_t key, double d) { wobitem it = obitem(key, 5); it.v.d = d; return it; }
inline wobitem obchar(uint16_t key, char c) { wobitem it = obitem(key, 1); it.v.c = c; return it; }
inline wobitem obout(uint16_t key) { return obitem(key, 12); }
inline wobitem obobj(uint16_t key, void* object) { return obptr(key, 12, object); }
inline wobitem obtext(uint16_t key, void* handle) { return obptr(key, 66, handle); }
inline wobitem obcell(uint16_t key, void* cell) { return obptr(key, 17, cell); }
// A table id (type 12) as the bind call returns it.
inline uint32_t obid(const wobitem& it) { return static_cast<uint32_t>(it.v.i); }
inline wobitem obidin(uint32_t id) { wobitem it = obitem(0, 12); it.v.i = static_cast<int32_t>(id); return it; }
inline wobitem obstr(uint16_t key, const char* s, uint32_t n) {
    wobitem it = obitem(key, 20);
    it.v.p = const_cast<char*>(s);
    it.len = n;
    return it;
}
