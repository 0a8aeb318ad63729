// Options of the plot statements as the device-graphics drawing code reads them.
#include "proc/devgraph/devgraph_internal.h"

#include <cstring>

int optcount(const stmtrec* r, int slot) {
    const optslot* o = stmtslot(r, slot);
    if (!o) return 0;
    if (o->kind == SK_NAMELIST || o->kind == SK_NUMLIST || o->kind == SK_QSLIST) return o->count > 0 ? o->count : 0;
    return 1;
}

bool optname(const stmtrec* r, int slot, int k, char out[8]) {
    const optslot* o = stmtslot(r, slot);
    int n = optcount(r, slot);
    if (!o || n == 0) return false;
    if (k >= n) k = n - 1;
    std::memset(out, ' ', 8);
    const char* src = nullptr;
    size_t len = 0;
    if (o->kind == SK_NAME) {
        src = o->name, len = strnlen(o->name, 8);
    } else if (o->kind == SK_NAMELIST) {
        src = static_cast<const slname*>(o->ptr)[k].s, len = src ? std::strlen(src) : 0;
    } else if (o->kind == SK_QSLIST) {
        const slstring& e = static_cast<const slstring*>(o->ptr)[k];
        src = e.s, len = static_cast<size_t>(e.len);
    } else if (o->kind == SK_QSTRING || o->kind == SK_TEXT) {
        src = static_cast<const char*>(o->ptr), len = static_cast<size_t>(o->count);
    }
    if (src) std::memcpy(out, src, len < 8 ? len : 8);
    for (int i = 0; i < 8; ++i)
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    return true;
}

bool optnum(const stmtrec* r, int slot, int k, double* out) {
    const optslot* o = stmtslot(r, slot);
    int n = optcount(r, slot);
    if (!o || n == 0) return false;
    if (k >= n) k = n - 1;
    if (o->kind == SK_NUMLIST) {
        *out = static_cast<const double*>(o->ptr)[k];
        return true;
    }
    if (o->kind == SK_NUMBER) {
        *out = o->num;
        return true;
    }
    return false;
}

const char* opttext(const stmtrec* r, int slot, int* length) {
    const optslot* o = stmtslot(r, slot);
    *length = 0;
    if (!o) return nullptr;
    if (o->kind == SK_NAME) {
        *length = static_cast<int>(strnlen(o->name, 8));
        return o->name;
    }
    if ((o->kind == SK_QSTRING || o->kind == SK_TEXT) && o->ptr) {
        *length = o->count;
        return static_cast<const char*>(o->ptr);
    }
    return nullptr;
}
