// The ordered level list of a CLASS variable after the level pass (zlevlls): its level
// texts and values in order, the lookup table sorted by text, and the workers' raw map.
#include <algorithm>
#include <cstring>
#include <vector>

#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/workers.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/textpad.h"

namespace {

// The lookup table: the level texts sorted by byte value with their indexes (Shell sort).
void SortLevels(levclass* c) {
    const int n = c->nlev;
    for (int k = 0; k < n; ++k) {
        c->srtlev[k] = c->levels[k];
        c->srtidx[k] = k;
    }
    for (int g = n / 2; g >= 1; g /= 2)
        for (int j = g; j < n; ++j)
            for (int k = j - g; k >= 0 && wzbcoff(c->srtlev[k], c->srtlev[k + g], c->fmtlen, 0) > 0; k -= g) {
                std::swap(c->srtlev[k], c->srtlev[k + g]);
                std::swap(c->srtidx[k], c->srtidx[k + g]);
            }
}

}  // namespace

int zlevlls(poolobj* pool, levwork* w, levstate* ls, int i) {
    levclass* c = &ls->classv[i];
    ztrelst(&w->lwroot[2 * i]);
    std::vector<levnode*> nodes;
    for (auto* p = reinterpret_cast<trenode*>(w->lwroot[2 * i]); p; p = p->next) nodes.push_back(reinterpret_cast<levnode*>(p));
    const int n = static_cast<int>(nodes.size());
    const int fl = c->fmtlen;
    c->nlev = n;
    c->levels = poolget<char*>(pool, n, poolflag::zeroed_marked);
    c->srtlev = poolget<char*>(pool, n, poolflag::zeroed_marked);
    c->srtidx = poolget<int32_t>(pool, n, poolflag::zeroed_marked);
    c->levval = poolget<levvalue>(pool, n, poolflag::zeroed_marked);
    char* texts = n > 0 ? static_cast<char*>(poolbytes(pool, static_cast<int64_t>(n) * (fl + 1), poolflag::raw_marked)) : nullptr;
    if (n > 0 && (!c->levels || !c->srtlev || !c->srtidx || !c->levval || !texts)) {
        xmemmsg(static_cast<int64_t>(n) * (fl + 40));
        return -RC_NOMEM;
    }
    for (int k = 0; k < n; ++k) {
        char* t = texts + static_cast<size_t>(k) * (fl + 1);
        std::memcpy(t, nodes[static_cast<size_t>(k)]->text, static_cast<size_t>(fl));
        t[fl] = '\0';
        if (!c->keepjst) leftjust(t, fl);
        c->levels[k] = t;
        const levnode* nd = nodes[static_cast<size_t>(k)];
        if (levisnumeric(c)) {
            c->levval[k].num = nd->raw;
        } else {
            c->levval[k].text = pooltext(pool, nd->rawtext, nd->rawlen);
            c->levval[k].len = nd->rawlen;
            if (!c->levval[k].text) {
                xmemmsg(nd->rawlen + 1);
                return -RC_NOMEM;
            }
        }
    }
    if (const int rc = zlevror(pool, w, ls, i, nodes.data(), 'L')) return -rc;
    if (w->lwthr && zlevmapraw(w, ls, i) != 0) {
        xmemmsg(1024);
        return -RC_NOMEM;
    }
    SortLevels(c);
    return n;
}
