// The variable lists of a model: the description of a variable from its number, and the
// lists of variable numbers checked against and added to the CLASS and continuous records.
#include <cstring>

#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"

levvarinfo* levdescribevar(dshandle ds, int32_t var) {
    auto* vi = poolget<levvarinfo>(effpool(), 1, poolflag::zeroed_marked);
    if (!vi) return nullptr;
    xvname(ds, var, &vi->d);
    vi->varnum = var;
    return vi;
}

namespace {
int classpos(const levstate* ls, int32_t var) {
    for (int i = 0; i < ls->nclassv; ++i)
        if (ls->classv[i].varinfo && ls->classv[i].varinfo->varnum == var) return i;
    return -1;
}
}  // namespace

int zlevIsOnClassList(const levstate* ls, int n, const int32_t* list) {
    for (int i = 0; i < n; ++i)
        if (classpos(ls, list[i]) >= 0) return 1;
    return 0;
}

int zlevMapClassVars(const levstate* ls, int n, int32_t* list) {
    int found = 0;
    for (int i = 0; i < n; ++i) {
        const int k = classpos(ls, list[i]);
        if (k >= 0) {
            list[i] = -k;
            ++found;
        }
    }
    return found;
}

int zlevValidateClassList(const levstate* ls, int n, int32_t* list, int32_t* index) {
    int bad = 0;
    for (int i = 0; i < n; ++i) {
        const int k = classpos(ls, list[i]);
        if (k < 0) {
            list[i] = -list[i];
            bad = 1;
        } else if (index) {
            index[i] = k;
        }
    }
    return bad;
}

int zlevAddContVars(dshandle ds, levstate* ls, int n, int32_t* list, int32_t* index) {
    int bad = 0, added = 0;
    // positions first, so that the array grows once
    for (int i = 0; i < n; ++i) {
        if (list[i] <= 0) continue;
        int k = -1;
        for (int j = 0; j < ls->ncontv; ++j)
            if (ls->contv[j].varinfo && ls->contv[j].varinfo->varnum == list[i]) k = j;
        if (k >= 0) {
            list[i] = 0;
            if (index) index[i] = k;
        } else {
            ++added;
        }
    }
    if (added == 0) return 0;
    levclass* grown = poolget<levclass>(effpool(), ls->ncontv + added, poolflag::zeroed_marked);
    if (!grown) {
        xmemmsg(static_cast<int64_t>(sizeof(levclass)) * (ls->ncontv + added));
        return RC_NOMEM;
    }
    if (ls->ncontv) std::memcpy(grown, ls->contv, sizeof(levclass) * static_cast<size_t>(ls->ncontv));
    if (ls->contv) poolput(effpool(), ls->contv);
    ls->contv = grown;
    int run = 0;
    for (int i = 0; i < n; ++i) {
        if (list[i] <= 0) continue;
        levclass* c = &ls->contv[ls->ncontv + run];
        if (index) index[i] = ls->ncontv + run;
        ++run;
        c->varinfo = levdescribevar(ds, list[i]);
        if (!c->varinfo) {
            xmemmsg(sizeof(levvarinfo));
            return RC_NOMEM;
        }
        if (c->varinfo->d.type == 1) list[i] = 0;
        else bad = 1;
    }
    ls->ncontv += added;
    return bad;
}
