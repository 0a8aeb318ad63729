// The data-time driver of a model.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>
#include "proc/framework/expect.h"
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/efinfo.h"
#include "proc/effects/fitif.h"
#include "proc/effects/names.h"
#include "proc/effects/workers.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/trees.h"

// ---------------------------------------------------------------- driver

int32_t zlevedf(levstate* ls, int32_t k) {
    leveffect* e = &ls->effects[k];
    int64_t base;
    if (!(ls->lsflags & LS_CODED)) {
        base = e->nseen;
    } else {
        base = 1;
        for (int j = 0; j < e->ncls; ++j) {
            const int32_t nl = ls->classv[e->clsix[j]].nlev;
            base *= (j == 0 && k == 0 && (ls->lsflags & LS_NOINT)) ? nl : nl - 1;
        }
        for (int j = 0; j < e->nnest; ++j) base *= ls->classv[e->nestix[j]].nlev;
    }
    e->ncomb = static_cast<int32_t>(base);
    int64_t cols = base;
    for (int j = 0; j < e->nefref; ++j) cols *= ls->efstmt[e->efref[j]].ncols;
    return static_cast<int32_t>(cols);
}

namespace {

// The first-guess multipliers of the row lookup: walking the CLASS variables from the last to
// the first, crossed then nesting, each takes the running product of the level counts after it.
void strides(levstate* ls, leveffect* e) {
    if (!e->clswork || e->nclsall == 0) return;
    int64_t prod = 1;
    auto step = [&](int j) {
        const int32_t nl = ls->classv[e->clsall[j]].nlev;
        const int64_t lim = prod < 1 ? 2147483646 : 2147483647 / prod - 1;
        if (nl > lim) return false;
        e->clswork[j] = static_cast<int32_t>(prod);
        prod *= nl;
        return true;
    };
    for (int j = e->ncls - 1; j >= 0; --j)
        if (!step(j)) {
            e->clswork = nullptr;
            return;
        }
    for (int j = e->nclsall - 1; j >= e->ncls; --j)
        if (!step(j)) {
            e->clswork = nullptr;
            return;
        }
}

constexpr int COMBKEYOFF = static_cast<int>(sizeof(trenode));

// The key of an effect's level combination: nesting levels, then crossed levels. False when
// a level is negative.
bool combkey(const leveffect* e, const int32_t* levidx, int32_t* key) {
    bool ok = true;
    for (int j = 0; j < e->nnest; ++j) ok &= (key[j] = levidx[e->nestix[j]]) >= 0;
    for (int j = 0; j < e->ncls; ++j) ok &= (key[e->nnest + j] = levidx[e->clsix[j]]) >= 0;
    return ok;
}

// The keys met so far of one effect, in front of its tree so that a repeated combination
// does not walk the tree: an open-addressing table of the tree's nodes.
struct keyslot {
    uint64_t hash;
    void* node;
};
struct keytable {
    keyslot* slots;
    uint32_t mask, count;
};

uint64_t keyhash(const int32_t* key, int n) {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < n; ++i) {
        h ^= static_cast<uint32_t>(key[i]);
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h ^ (h >> 29);
}

keyslot* keyfind(keytable& t, const int32_t* key, int n, uint64_t h) {
    for (uint32_t i = static_cast<uint32_t>(h) & t.mask;; i = (i + 1) & t.mask) {
        keyslot& s = t.slots[i];
        if (!s.node) return &s;
        if (s.hash == h &&
            std::memcmp(static_cast<const char*>(s.node) + COMBKEYOFF, key, 4 * static_cast<size_t>(n)) == 0)
            return &s;
    }
}

bool keyadd(poolobj* pool, keytable& t, keyslot* at, uint64_t h, void* node) {
    *at = keyslot{h, node};
    if (++t.count * 2 <= t.mask + 1) return true;
    const uint32_t n = (t.mask + 1) * 2;
    auto* fresh = poolget<keyslot>(pool, n, poolflag::zeroed_marked);
    if (!fresh) return false;
    for (uint32_t i = 0; i <= t.mask; ++i) {
        if (!t.slots[i].node) continue;
        uint32_t j = static_cast<uint32_t>(t.slots[i].hash) & (n - 1);
        while (fresh[j].node) j = (j + 1) & (n - 1);
        fresh[j] = t.slots[i];
    }
    t.slots = fresh;
    t.mask = n - 1;
    return true;
}

// The combination pass in this thread: every usable observation's key into each effect's tree.
int combpass(levctl* ctl, void** roots, poolobj* pool, int32_t nodesize) {
    levstate* ls = ctl->lstate;
    const bool own = !(ls->lsflags & LS_CALLERRESP);
    std::vector<double> y(static_cast<size_t>(std::max(ctl->nresp, 1)));
    double wv = 0, fv = 0;
    void* spare = nullptr;
    std::vector<keytable> seen(static_cast<size_t>(ls->neffect));
    for (auto& t : seen) {
        t.mask = 63;
        t.slots = poolget<keyslot>(pool, 64, poolflag::zeroed_marked);
        if (!t.slots) {
            xmemmsg(1024);
            return RC_NOMEM;
        }
    }
    if (ctl->rdrewind(ctl) != 0) return 0;
    while (ctl->rdnext(ctl)) {
        const int32_t flags = own ? zlevrgd(ctl, y.data(), &wv, &fv) : zlevrgd(ctl, nullptr, nullptr, nullptr);
        if (flags & LEVF_READFAIL) return RC_INPUT;
        if ((flags & ~(LEVF_NOLEVEL | LEVF_ALLMISS)) && !(ls->lsflags2 & LS2_KEEPINC)) continue;
        for (int k = 0; k < ls->neffect; ++k) {
            leveffect* e = &ls->effects[k];
            if (e->nclsall == 0) continue;
            if (!spare) {
                spare = poolbytes(pool, nodesize, poolflag::zeroed_marked);
                if (!spare) {
                    xmemmsg(nodesize);
                    return RC_NOMEM;
                }
            }
            auto* key = reinterpret_cast<int32_t*>(static_cast<char*>(spare) + COMBKEYOFF);
            if (!combkey(e, ctl->levidx, key) && (ls->lsflags2 & LS2_KEEPINC)) continue;
            const uint64_t h = keyhash(key, e->nclsall);
            keyslot* at = keyfind(seen[static_cast<size_t>(k)], key, e->nclsall, h);
            if (at->node) continue;
            void* got = ztrebdf(&roots[2 * k], spare, 4 * e->nclsall, COMBKEYOFF, Compare);
            if (!keyadd(pool, seen[static_cast<size_t>(k)], at, h, got)) {
                xmemmsg(1024);
                return RC_NOMEM;
            }
            if (got == spare) {
                ++e->nseen;
                spare = nullptr;
            }
        }
    }
    return 0;
}

// Each effect's tree into its sorted combination table (crossed levels first in a row).
int combtables(levctl* ctl, void** roots) {
    levstate* ls = ctl->lstate;
    poolobj* pool = ctl->ldata->ldpool;
    for (int k = 0; k < ls->neffect; ++k) {
        leveffect* e = &ls->effects[k];
        if (e->nclsall == 0) continue;
        e->combs = nullptr;
        if (e->nseen == 0) {
            e->combs = poolget<int32_t>(pool, e->nclsall, poolflag::zeroed_marked);   // an empty table, not a missing one
            continue;
        }
        e->combs = poolget<int32_t>(pool, static_cast<int64_t>(e->nseen) * e->nclsall, poolflag::zeroed_marked);
        if (!e->combs) {
            xmemmsg(4LL * e->nseen * e->nclsall);
            return RC_NOMEM;
        }
        ztrelst(&roots[2 * k]);
        int32_t r = 0;
        for (auto* p = static_cast<trenode*>(roots[2 * k]); p && r < e->nseen; p = p->next, ++r) {
            const auto* key = reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(p) + COMBKEYOFF);
            int32_t* row = e->combs + static_cast<size_t>(r) * e->nclsall;
            for (int j = 0; j < e->ncls; ++j) row[j] = key[e->nnest + j];
            for (int j = 0; j < e->nnest; ++j) row[e->ncls + j] = key[j];
        }
    }
    return 0;
}

// Level combinations of every effect: on the workers when they served the level pass, else
// (and again after a failure of the workers) in this thread.
int combinations(levctl* ctl) {
    levstate* ls = ctl->lstate;
    int maxcls = 0;
    for (int k = 0; k < ls->neffect; ++k) {
        leveffect* e = &ls->effects[k];
        e->nseen = e->nclsall == 0 ? 1 : 0;
        maxcls = std::max(maxcls, e->nclsall);
    }
    if (ls->nclassv == 0 || maxcls == 0) return 0;
    poolobj* pool = xmpoolc(0, 1024, 4102);
    if (!pool) {
        xmemmsg(1024);
        return RC_NOMEM;
    }
    const int32_t nodesize = COMBKEYOFF + 4 * maxcls;
    auto* roots = poolget<void*>(pool, 2 * ls->neffect, poolflag::zeroed_marked);
    int rc = roots ? 0 : RC_NOMEM;
    bool done = false;
    if (rc == 0 && ctl->thrflag && ThreadInit(ctl)) {
        rc = zlevcombthreads(ctl, roots, pool, nodesize);
        CleanupEThreads(ctl);
        if (rc == 0) {
            done = true;
        } else if (rc != RC_NOMEM && rc != RC_INPUT) {
            // the workers failed: the pass is redone here from the first observation
            std::memset(roots, 0, sizeof(void*) * 2 * static_cast<size_t>(ls->neffect));
            for (int k = 0; k < ls->neffect; ++k) ls->effects[k].nseen = ls->effects[k].nclsall == 0 ? 1 : 0;
            rc = 0;
        }
    }
    if (rc == 0 && !done) rc = combpass(ctl, roots, pool, nodesize);
    if (rc == 0) rc = combtables(ctl, roots);
    xmpoold(pool);
    return rc;
}

}  // namespace

int zlevrgi(levctl* ctl) {
    VX_EXPECT(ctl && ctl->lstate && ctl->ldata, "a reader with its effects' state and data");
    levstate* ls = ctl->lstate;
    levdata* d = ctl->ldata;
    poolobj* ldpool = d->ldpool;
    // 1. moment blocks of the constructed effects
    for (levmoments* mb : {ls->usedcont, ls->usedcls}) {
        if (!mb) continue;
        if (mb->sums) std::memset(mb->sums, 0, sizeof(double) * static_cast<size_t>(ls->ncontv));
        if (mb->sumsq) std::memset(mb->sumsq, 0, sizeof(double) * static_cast<size_t>(ls->ncontv));
        mb->freqsum = mb->nobs = mb->wsum = 0.0;
    }
    // 2. frequency and weights
    if (ctl->hasfreq && !ls->freqvar) ls->freqvar = ctl->hasfreq;
    if (ctl->haswgt && ctl->nwgt == 0) ctl->nwgt = 1;
    if (!ctl->haswgt) ctl->nwgt = 0;
    // 3. default readers
    void* sess = v_global_gcb_anchor ? v_global_gcb_anchor->session : nullptr;
    auto install = [&](auto& slot, auto routine) {
        if (slot) return;
        void* entry = nullptr;
        if (vir2g(reinterpret_cast<void*>(routine), &entry, sess, v_global_pidb_anchor) == 0 && entry)
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(entry);
        else
            slot = routine;
    };
    const bool across = ls->lsflags & LS_ACROSSBY;
    install(ctl->rdrewind, across ? GetInitAcrossBy : GetInit);
    install(ctl->rdnext, across ? GetNextAcrossBy : GetNext);
    install(ctl->rdvals, GetVals);
    // 4. The runtime's variable numbers do not change between BY groups: nothing to look up again.

    // 5. the level pass
    const bool needlevels = (ls->nclassv > 0 && ls->classv[0].nlev == 0) || (ls->ncontv > 0 && ls->contv[0].status == 0);
    if (needlevels) {
        levwork* w = zlevini(d->dsh, ls);
        if (!w) {
            xmemmsg(1024);
            return RC_NOMEM;
        }
        w->lwinit = LevGetInit;
        w->lwnext = LevGetNext;
        w->lwvals = LevGetVals;
        if (ctl->rdfilter) w->lwfilt = LevGetLevIndex;
        w->lwowner = ctl;
        const int t = ztestthread("zlev", 4);
        if (t == 0 || t == 1) ctl->thrflag = t;
        bool workers = false;
        if (ctl->thrflag) workers = zlevrinit(ctl, w) == 1;
        if (!workers)
            for (int i = 0; i < ls->nclassv; ++i) {
                const levclass* c = &ls->classv[i];
                if (c->varinfo && c->varinfo->varnum > 0) xffile(d->dsh, FF_FORMATS, &c->varinfo->varnum, 1);
            }
        zlevadd(d->dsh, w, ls);
        ctl->wantcls = 0;   // later reads fetch the formatted values only when asked
        if (!w->lwthr || zlevworkers(w->lwthr) == 0) ctl->thrflag = 0;
        if (ctl->rdfail) {
            xmpoold(w->lwpool);
            return RC_INPUT;
        }
        // reference levels: every BY group starts from the statement's code
        for (int i = 0; i < ls->nclassv; ++i) {
            levclass* c = &ls->classv[i];
            if (!c->refsaved) {
                c->refsave = c->reflev;
                c->refsaved = 1;
            }
            c->reflev = c->refsave;
            if (c->reflev != REF_VALUE || w->lwcount[i] == 0) continue;
            const char* rv = c->refval ? c->refval : "";
            std::vector<char> want(static_cast<size_t>(c->fmtlen) + std::strlen(rv) + 1, ' ');
            std::memcpy(want.data(), rv, std::strlen(rv));
            if (!c->keepjst) leftjust(want.data(), static_cast<int>(want.size()) - 1);
            const int wl = striplen(want.data(), static_cast<int>(want.size()) - 1);
            bool found = false;
            std::vector<char> t(static_cast<size_t>(c->fmtlen));
            for (void* p = ztreord(&w->lwroot[2 * i]); p; p = ztreord(&w->lwroot[2 * i])) {
                std::memcpy(t.data(), static_cast<levnode*>(p)->text, t.size());
                if (!c->keepjst) leftjust(t.data(), c->fmtlen);
                const int tl = striplen(t.data(), c->fmtlen);
                if (tl == wl && std::memcmp(t.data(), want.data(), static_cast<size_t>(tl)) == 0) {
                    found = true;
                    ztreofx(&w->lwroot[2 * i]);
                    break;
                }
            }
            if (!found) {
                xpmlog(172, E172_REF_LEVEL_UNKNOWN, txtarg(levvarname(c), levvarnamelen(c)));
                ls->lsrc = std::max(ls->lsrc, 112);
                if (w->lwthr) CleanupLThreads(w->lwthr, ls, 1);
                xmpoold(w->lwpool);
                return 2;
            }
        }
        // ordered level lists and continuous ranges
        int rc = 0;
        for (int i = 0; i < ls->nclassv && rc == 0; ++i)
            if (w->lwcount[i] > 0) {
                const int n = zlevlls(ldpool, w, ls, i);
                if (n < 0) rc = -n;
            }
        for (int j = 0; j < ls->ncontv; ++j) {
            ls->contv[j].cloc = hostmissing();
            ls->contv[j].status = zlevllm(ldpool, w, ls, j);
        }
        xmpoold(w->lwpool);
        if (rc) {
            if (ctl->thrctl) CleanupLThreads(ctl->thrctl, ls, 1);
            return rc;
        }
    }
    // 6. every variable must have levels or values
    if (!(ls->lsflags2 & LS2_KEEPINC)) {
        bool bad = false;
        if (!ctl->rdfilter)
            for (int i = 0; i < ls->nclassv; ++i) bad |= ls->classv[i].nlev == 0;
        for (int j = 0; j < ls->ncontv; ++j) bad |= ls->contv[j].varinfo && ismissing(ls->contv[j].cloc);
        if (bad) {
            if (ctl->thrctl) CleanupLThreads(ctl->thrctl, ls, 1);
            return 1;
        }
    }
    // 7. arrays of the current observation
    bool ok = true;
    auto get = [&](auto*& p, int64_t n) {
        using T = std::remove_reference_t<decltype(*p)>;
        p = n > 0 ? poolget<T>(ldpool, n, poolflag::zeroed_marked) : nullptr;
        ok &= n <= 0 || p != nullptr;
    };
    get(ctl->contval, ls->ncontv);
    get(ctl->levidx, ls->nclassv);
    get(ctl->fmtbuf, ls->nclassv);
    ctl->nscratch = 0;
    for (int i = 0; i < ls->nclassv; ++i) ctl->nscratch = std::max(ctl->nscratch, ls->classv[i].nlev);
    get(ctl->scratch, ctl->nscratch);
    for (int i = 0; ok && i < ls->nclassv; ++i) {
        ctl->fmtbuf[i] = static_cast<char*>(poolbytes(ldpool, ls->classv[i].fmtlen + 1, poolflag::raw_marked));
        ok &= ctl->fmtbuf[i] != nullptr;
    }
    if (!ok) {
        xmemmsg(1024);
        if (ctl->thrctl) CleanupLThreads(ctl->thrctl, ls, 1);
        return RC_NOMEM;
    }
    ctl->rawmap = zlevrawmapmake(ctl);
    for (int k = 0; k < ls->neffect; ++k) strides(ls, &ls->effects[k]);
    // 8. level combinations
    if (!(ls->lsflags & LS_CODED)) {
        const int rc = combinations(ctl);
        if (ctl->thrctl) CleanupLThreads(ctl->thrctl, ls, 1);
        if (rc) return rc;
    } else if (ctl->thrctl) {
        CleanupLThreads(ctl->thrctl, ls, 1);
    }
    // 9. level-text widths
    for (int i = 0; i < ls->nclassv; ++i) {
        levclass* c = &ls->classv[i];
        c->namew = c->labw = 0;
        const int cd = c->coding;
        if (cd == CODE_OEFF || cd == CODE_OREF || cd == CODE_POLY || cd == CODE_OPOLY || cd == CODE_OORD || cd == CODE_OBATH) {
            c->namew = static_cast<int32_t>(std::trunc(std::log10(c->nlev + 0.5) + 5.0));
        } else if (!levisnumeric(c)) {
            for (int k = 0; k < c->nlev; ++k) {
                c->namew = std::max(c->namew, striplen(c->levels[k], c->fmtlen));
                c->labw = std::max(c->labw, c->levval[k].len);
            }
        }
    }
    // 10. constructed effects
    if (int rc = zlevefti(ctl)) return rc;
    if (ctl->rdfail) return RC_INPUT;
    // 11. design columns
    ls->ncols = 0;
    for (int k = 0; k < ls->neffect; ++k) {
        leveffect* e = &ls->effects[k];
        e->firstcol = ls->ncols;
        e->ncol = zlevedf(ls, k);
        ls->ncols += e->ncol;
    }
    // 12. names
    if (!(ls->lsflags & LS_NONAMES))
        if (int rc = zlevnames(ctl)) return rc;
    // 13. the fit interface
    install(ctl->fitgety, FitGetY);
    install(ctl->fitgetw, FitGetW);
    ctl->fitblk.rows = 0;
    ctl->fitblk.nresp = ctl->nresp;
    ctl->fitblk.yvals = ctl->nresp > 0 ? poolget<double>(ldpool, ctl->nresp, poolflag::zeroed_marked) : nullptr;
    if (ctl->nresp > 0 && !ctl->fitblk.yvals) {
        xmemmsg(8LL * ctl->nresp);
        return RC_NOMEM;
    }
    return zlevfx(ctl);
}
