#include "proc/framework/bynotes.h"

#include <cstdio>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"

bool bynotefresh(vyxstate* s, int32_t msg, uint32_t var1, uint32_t var2, double value) {
    bynoterec& r = s->bynotes;
    for (int i = 0; i < r.n; ++i) {
        const bynotekey& k = r.k[i];
        if (k.msg == msg && k.var[0] == var1 && k.var[1] == var2 && k.value == value) return false;
    }
    // A full record forgets nothing it holds: later notes are logged each time.
    if (r.n < static_cast<int32_t>(sizeof r.k / sizeof r.k[0])) r.k[r.n++] = bynotekey{msg, {var1, var2}, value};
    return true;
}

const char* bygrouptext(const vyxstate* s, char* out, int len) {
    if (len <= 0) return out;
    out[0] = '\0';
    if (!s->dsin || s->nbyvars == 0) return out;
    char line[480] = "";
    hostvec<vec203>(VEC_DATASETS)->xbyline(s->dsin, line, sizeof line);
    if (line[0]) std::snprintf(out, static_cast<size_t>(len), " in the BY group %s", line);
    return out;
}
