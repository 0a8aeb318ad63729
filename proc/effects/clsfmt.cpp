// Format sets of the worker threads over the kernel's format handles ("qxefmt").
#include "proc/effects/clsfmt.h"

#include <algorithm>
#include <cstring>
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"

fmtrec* zhvnfmt(dshandle ds, const int32_t* vars, int nvars, int nsets, int* status, int truncate) {
    int dummy = 0;
    if (!status) status = &dummy;
    *status = FMT_OK;
    if (!vars || nvars < 1 || nsets < 1) {
        *status = FMT_BADARGS;
        return nullptr;
    }
    const kernelinst* k = qxkernel();
    poolobj* pool = k ? k->poolcreate("Format pool") : nullptr;
    if (!pool) {
        *status = FMT_NOMEM;
        return nullptr;
    }
    auto fail = [&](int st) -> fmtrec* {
        *status = st;
        k->pooldestroy(pool);
        return nullptr;
    };
    auto* r = poolget<fmtrec>(pool, 1, poolflag::zeroed_marked);
    if (!r) return fail(FMT_NOMEM);
    r->pool = pool;
    r->ds = ds;
    r->nsets = nsets;
    r->nvars = nvars;
    r->type = poolget<int32_t>(pool, nvars, poolflag::zeroed_marked);
    r->fmtw = poolget<int32_t>(pool, nvars, poolflag::zeroed_marked);
    r->fw = poolget<int32_t>(pool, nvars, poolflag::zeroed_marked);
    r->fd = poolget<int32_t>(pool, nvars, poolflag::zeroed_marked);
    r->varnum = poolget<int32_t>(pool, nvars, poolflag::zeroed_marked);
    r->sets = poolget<fmtset>(pool, nsets, poolflag::zeroed_marked);
    if (!r->type || !r->fmtw || !r->fw || !r->fd || !r->varnum || !r->sets) return fail(FMT_NOMEM);
    r->enc = k->encoding();
    if (!r->enc) return fail(FMT_NOENC);
    for (int i = 0; i < nvars; ++i) {
        vardesc d{};
        if (xvname(ds, vars[i], &d) != 0) return fail(FMT_NOMEM);
        r->varnum[i] = vars[i];
        r->type[i] = d.type;
        r->fw[i] = d.fmtwidth;
        int fmt, raw = d.length;
        if (truncate == -1) fmt = d.type == 2 ? d.length : d.fmtwidth;
        else if (truncate == -2) fmt = d.fmtwidth;
        else fmt = truncate == 0 ? 16 : truncate;
        r->fmtw[i] = fmt;
        r->maxfmt = std::max(r->maxfmt, fmt);
        r->maxraw = std::max(r->maxraw, std::max(raw, 8));
    }
    r->ext = static_cast<const kfmtext*>(k->extension("qxefmt"));
    if (!r->ext || r->ext->setup(0) != 0) return fail(FMT_NOMEM);
    bool anychar = false;
    for (int i = 0; i < nvars; ++i) anychar = anychar || r->type[i] == 2;
    for (int s = 0; s < nsets; ++s) {
        fmtset& set = r->sets[s];
        set.rec = r;
        set.handles = poolget<kfmthandle*>(pool, nvars, poolflag::zeroed_marked);
        if (!set.handles) return fail(FMT_NOMEM);
        for (int i = 0; i < nvars; ++i) {
            set.handles[i] = r->ext->xfrfilet(ds, r->varnum[i], r->fmtw[i]);
            if (!set.handles[i]) {
                zhvnftrm(&r);
                *status = FMT_NOMEM;
                return nullptr;
            }
        }
        set.value = static_cast<char*>(poolbytes(pool, r->maxraw + r->maxfmt + 8, poolflag::zeroed_marked));
        set.work = static_cast<char*>(poolbytes(pool, 4 * r->maxfmt, poolflag::zeroed_marked));
        if (anychar) set.work2 = static_cast<char*>(poolbytes(pool, 4 * std::max(r->maxraw, r->maxfmt), poolflag::zeroed_marked));
        if (!set.value || !set.work || (anychar && !set.work2)) {
            zhvnftrm(&r);
            *status = FMT_NOMEM;
            return nullptr;
        }
        set.out = set.value + r->maxraw;
    }
    return r;
}

int QXFormatToHVN(fmtset* set, int i) {
    if (!set || !set->rec) return 1;
    fmtrec* r = set->rec;
    if (i < 0 || i >= r->nvars) return 2;
    kfmthandle* h = set->handles[i];
    if (!h) return 3;
    if (h->inkind == 2 || h->outkind == 2) return 4;   // wide texts never occur in this runtime
    h->in = set->value;
    h->inlen = r->type[i] == 1 ? 8 : std::min(r->maxraw, h->inlen > 0 ? h->inlen : r->maxraw);
    h->out = set->out;
    h->outcap = r->maxfmt;
    h->zero = 0;
    if (h->run(h, 0) != 0) {
        set->outlen = 0;
        return 3;
    }
    set->outlen = h->outlen;
    return 0;
}

void zhvnftrm(fmtrec** rec) {
    if (!rec || !*rec) return;
    fmtrec* r = *rec;
    for (int s = 0; s < r->nsets; ++s) {
        fmtset& set = r->sets[s];
        if (!set.handles) continue;
        for (int i = 0; i < r->nvars; ++i)
            if (set.handles[i]) {
                if (r->ext) r->ext->xfrdel(set.handles[i]);
                set.handles[i] = nullptr;
            }
    }
    if (r->ext && r->ds)
        for (int i = 0; i < r->nvars; ++i) xffile(r->ds, FF_FORMATS, &r->varnum[i], 1);
    const kernelinst* k = qxkernel();
    poolobj* pool = r->pool;
    *rec = nullptr;
    if (k && pool) k->pooldestroy(pool);
}
