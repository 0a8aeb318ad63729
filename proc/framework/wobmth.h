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
inline wobitem obstr(uint16_t key, const char* s, uint32_t n) {
    wobitem it = obitem(key, 20);
    it.v.p = const_cast<char*>(s);
    it.len = n;
    return it;
}
