// The design row of one observation, the lookup of its level combinations, and the small
// routines beside them.
#include <algorithm>
#include <cstring>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/rdlayout.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/textpad.h"

// ---------------------------------------------------------------- raw-value map

namespace {

// One slot per raw value met: its first 8 bytes (a numeric value's bits, or the head of a
// text, zero-filled when shorter) and its level index.
struct rawslot {
    uint64_t head;
    int32_t index;
    int32_t used;
};

struct rawtable {
    rawslot* s;
    const char** text;         // raw texts longer than 8 bytes: a copy per slot, else null
    uint32_t mask;
    uint32_t count;
    int32_t len;               // 8 for numeric variables, else the stored length
    int32_t shift;             // 64 - log2(slots)
    uint64_t headmask;         // the bytes of the head that belong to the value
};

constexpr uint32_t RAWMAP_MAX = 1u << 16;   // entries per variable; beyond it values are formatted
constexpr uint64_t GOLDEN = 0x9E3779B97F4A7C15ull;

// The keys are read where the reader left them: 8 bytes can be read at every value.
inline uint64_t headof(const rawtable& t, const char* key) {
    uint64_t h;
    std::memcpy(&h, key, 8);
    return h & t.headmask;
}

// The hash of a raw value: its head alone up to 8 bytes, else its 8-byte words (the last one
// overlapping the one before) folded in.
uint64_t rawhash(const char* key, int len, uint64_t head) {
    uint64_t h = head;
    if (len > 8) {
        for (int k = 8; k < len; k += 8) {
            uint64_t w;
            std::memcpy(&w, key + (k + 8 <= len ? k : len - 8), 8);
            h = ((h ^ (h >> 29)) + w) * GOLDEN;
        }
    }
    return h ^ (h >> 32);
}

uint32_t place(const rawtable& t, uint64_t h) { return static_cast<uint32_t>((h * GOLDEN) >> t.shift); }

bool sameraw(const rawtable& t, uint32_t k, const char* key, uint64_t head) {
    if (t.s[k].head != head) return false;
    return t.len <= 8 || std::memcmp(t.text[k] + 8, key + 8, static_cast<size_t>(t.len - 8)) == 0;
}

bool rawtablemake(poolobj* pool, rawtable& t, uint32_t n) {
    t.s = poolget<rawslot>(pool, n, poolflag::zeroed_marked);
    t.text = t.len > 8 ? poolget<const char*>(pool, n, poolflag::zeroed_marked) : nullptr;
    if (!t.s || (t.len > 8 && !t.text)) return false;
    t.mask = n - 1;
    t.shift = 64;
    for (uint32_t m = n; m > 1; m >>= 1) --t.shift;
    return true;
}

}  // namespace

struct levrawmap {
    poolobj* pool;
    rawtable* t;               // per CLASS variable
};

namespace {

inline int rawfind(void* ctx, int i, const char* key) {
    const rawtable& t = static_cast<levrawmap*>(ctx)->t[i];
    const uint64_t head = headof(t, key);
    for (uint32_t k = place(t, rawhash(key, t.len, head));; k = (k + 1) & t.mask) {
        if (!t.s[k].used) return -2;
        if (sameraw(t, k, key, head)) return t.s[k].index;
    }
}

void rawnote(void* ctx, int i, const char* key, int index) {
    auto* m = static_cast<levrawmap*>(ctx);
    rawtable& t = m->t[i];
    if (t.count >= RAWMAP_MAX) return;
    if ((t.count + 1) * 2 > t.mask + 1) {
        rawtable grown = t;
        if (!rawtablemake(m->pool, grown, (t.mask + 1) * 2)) return;
        for (uint32_t k = 0; k <= t.mask; ++k) {
            if (!t.s[k].used) continue;
            char head[8];
            std::memcpy(head, &t.s[k].head, 8);
            const char* old = t.len > 8 ? t.text[k] : head;
            uint32_t j = place(grown, rawhash(old, t.len, t.s[k].head));
            while (grown.s[j].used) j = (j + 1) & grown.mask;
            grown.s[j] = t.s[k];
            if (t.len > 8) grown.text[j] = t.text[k];
        }
        t = grown;
    }
    const uint64_t head = headof(t, key);
    uint32_t k = place(t, rawhash(key, t.len, head));
    for (; t.s[k].used; k = (k + 1) & t.mask)
        if (sameraw(t, k, key, head)) return;
    if (t.len > 8) {
        t.text[k] = pooltext(m->pool, key, t.len);
        if (!t.text[k]) return;
    }
    t.s[k] = rawslot{head, index, 1};
    ++t.count;
}

}  // namespace

levrawmap* zlevrawmapmake(levctl* ctl) {
    if (!levdefaultvals(ctl)) return nullptr;
    levstate* ls = ctl->lstate;
    poolobj* pool = ctl->ldata->ldpool;
    const int nc = ls->nclassv;
    if (nc < 1) return nullptr;
    auto* m = poolget<levrawmap>(pool, 1, poolflag::zeroed_marked);
    if (!m) return nullptr;
    m->pool = pool;
    m->t = poolget<rawtable>(pool, nc, poolflag::zeroed_marked);
    if (!m->t) return nullptr;
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        if (!c->varinfo) return nullptr;   // every variable must read a raw value
        rawtable& t = m->t[i];
        t.len = c->varinfo->d.type == 1 ? 8 : std::max<int32_t>(1, c->varinfo->d.length);
        unsigned char keep[8] = {};
        std::memset(keep, 0xFF, static_cast<size_t>(std::min(t.len, 8)));
        std::memcpy(&t.headmask, keep, 8);
        if (!rawtablemake(pool, t, 64)) return nullptr;
    }
    return m;
}

// ---------------------------------------------------------------- comparisons

int Compare(const void* a, const void* b, int32_t keylen, int32_t keyoff) {
    const char* pa = static_cast<const char*>(a) + keyoff;
    const char* pb = static_cast<const char*>(b) + keyoff;
    for (int32_t k = 0; k < keylen / 4; ++k) {
        int32_t x, y;
        std::memcpy(&x, pa + 4 * k, 4);
        std::memcpy(&y, pb + 4 * k, 4);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

int clcmp(const void* a, const void* b, int32_t, int32_t off) {
    const char* sa = static_cast<const char*>(a) + off;
    const char* sb = static_cast<const char*>(b) + off;
    const int r = wzstcom(sa, wzstlen(sa), sb, wzstlen(sb));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

inline int rowcompare(const leveffect* e, int32_t k, const int32_t* levidx) {
    const int32_t* row = e->combs + static_cast<size_t>(k) * e->nclsall;
    for (int j = 0; j < e->nnest; ++j) {
        const int32_t r = row[e->ncls + j], o = levidx[e->nestix[j]];
        if (r != o) return r < o ? -1 : 1;
    }
    for (int j = 0; j < e->ncls; ++j) {
        const int32_t r = row[j], o = levidx[e->clsix[j]];
        if (r != o) return r < o ? -1 : 1;
    }
    return 0;
}

}  // namespace

int eCompare(const leveffect* e, int32_t k, const int32_t* levidx) { return rowcompare(e, k, levidx); }

int32_t zlevwel(const leveffect* e, const int32_t* levidx) {
    if (e->nclsall == 0) return 0;
    if (!e->combs) return -1;
    const int32_t nseen = e->nseen;
    if (nseen < 1) return nseen;
    int64_t g;
    if (!e->clswork) {
        g = nseen - 1;
    } else {
        g = 0;
        for (int j = 0; j < e->nclsall; ++j) {
            g += static_cast<int64_t>(e->clswork[j]) * levidx[e->clsall[j]];
            if (g > nseen - 1) g = nseen - 1;
        }
        // a CLASS value without level (-1) can pull the guess below the table
        if (g < 0) return nseen;
    }
    const int32_t gi = static_cast<int32_t>(g);
    if (rowcompare(e, gi, levidx) == 0) return gi;
    if (rowcompare(e, 0, levidx) == 0) return 0;
    if (gi - 1 <= 0) return nseen;
    int32_t lo = 0, hi = gi;
    while (lo < hi - 1) {
        const int32_t mid = (lo + hi) / 2;
        const int c = rowcompare(e, mid, levidx);
        if (c == 0) return mid;
        if (c < 0) lo = mid;
        else hi = mid;
    }
    return nseen;
}

// ---------------------------------------------------------------- constructed-effect check

int zlevCheckEftEXMISS(int32_t* flags, levctl* ctl, levstate* ls, int32_t effect) {
    if (*flags & LEVF_EFFECT) return 0;
    leveffect* e = &ls->effects[effect];
    e->exmhit = 0;
    for (int j = 0; j < e->nefref; ++j) {
        const efrec* r = &ls->efstmt[e->efref[j]];
        bool fail = false;
        if (r->kind == EF_MULTI) {
            bool all = r->ncls > 0;
            for (int k = 0; k < r->ncls; ++k)
                if (ctl->levidx[r->clsix[k]] != -1) all = false;
            if (all) {
                if (r->allmissok) {
                    *flags |= LEVF_ALLMISS;
                    e->exmhit = 1;
                } else {
                    fail = true;
                }
            }
        } else if (r->kind == EF_COLLECTION) {
            for (int k = 0; k < r->ncls; ++k)
                if (ctl->levidx[r->clsix[k]] == -1) fail = true;
        }
        if (fail) {
            *flags |= LEVF_UNUSABLE | LEVF_EFFECT;
            return 0;
        }
    }
    return 1;
}

// ---------------------------------------------------------------- the row

namespace {

// The row, with the level of a raw value found by find(i, key) (-2: not known) and a looked-up
// level noted by note(i, key, index); without a raw-value source (useraw false) by formatted
// value only.
template <class Find, class Note>
inline int32_t rowof(levctl* ctl, double* y, double* w, double* f, bool useraw, Find&& find, Note&& note) {
    levstate* ls = ctl->lstate;
    int32_t flags = 0;
    // 1. values: with a raw-value source, straight from the default reader's buffer
    const char* raw = nullptr;
    const levrdlayout* lay = nullptr;
    if (useraw && ctl->rawmap && levdefaultvals(ctl)) {
        raw = levreadobs(ctl, ctl->wantcls != 0, &lay);
        if (!raw) return LEVF_UNUSABLE | LEVF_READFAIL;
        levcopyvalues(ctl, lay, raw, ctl->contval, y, w, f);
    } else if (!ctl->rdvals(ctl, "zcywf", ctl->contval, ctl->fmtbuf, y, w, f)) {
        return LEVF_UNUSABLE | LEVF_READFAIL;
    }
    // 2. the caller's filter
    int32_t* active = nullptr;
    if (ls->nclassv > 0 && ctl->rdfilter) {
        active = poolget<int32_t>(ctl->ldata->ldpool, ls->nclassv, poolflag::zeroed_marked);
        if (active) {
            for (int i = 0; i < ls->nclassv; ++i) active[i] = 1;
            ctl->rdfilter(ctl, active, ls->rdfarg);
        }
    }
    // 3. levels
    bool fmtread = raw == nullptr;
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (!c->varinfo) continue;
        int idx;
        if (!fmtread) {
            const char* key = raw + lay->rawoff[i];
            idx = find(i, key);
            if (idx == -2) {
                if (!ctl->rdvals(ctl, "c", ctl->fmtbuf)) return LEVF_UNUSABLE | LEVF_READFAIL;
                fmtread = true;
                // the formatted values of every variable are read now; look up the rest by text
                idx = levlookup(c, ctl->fmtbuf[i]);
                note(i, key, idx);
            }
        } else {
            idx = levlookup(c, ctl->fmtbuf[i]);
        }
        ctl->levidx[i] = idx;
        if (idx < 0 && !(active && active[i] == 0)) flags |= LEVF_UNUSABLE | LEVF_NOLEVEL;
    }
    // 4. withdrawal of flag 2 in models with constructed effects
    if ((flags & LEVF_UNUSABLE) && ls->nefstmt > 0) {
        bool pass = true;
        for (int k = 0; k < ls->neffect && pass; ++k) {
            const leveffect* e = &ls->effects[k];
            if (e->nefref > 0) {
                int32_t probe = flags & ~LEVF_EFFECT;
                if (!zlevCheckEftEXMISS(&probe, ctl, ls, k)) pass = false;
                else flags |= probe & LEVF_ALLMISS;
            }
            for (int j = 0; j < e->nclsall && pass; ++j)
                if (ctl->levidx[e->clsall[j]] == -1) pass = false;
        }
        if (ls->neffect < 1 || pass) flags &= ~LEVF_UNUSABLE;
    }
    // 5. continuous values
    for (int j = 0; j < ls->ncontv; ++j) {
        const levclass* c = &ls->contv[j];
        if (!c->varinfo) continue;
        double& x = ctl->contval[j];
        if (ismissing(x)) {
            flags |= LEVF_UNUSABLE | LEVF_CONTMISS;
        } else if (!(ls->lsflags & LS_NOSTD)) {
            x = c->cscale > 0.0 ? (x - c->cloc) / c->cscale : 0.0;
        }
    }
    // 6. responses
    if (y)
        for (int r = 0; r < ctl->nresp; ++r)
            if (ismissing(y[r])) flags |= LEVF_RESPONSE;
    // 7. weight and frequency
    auto badweight = [&](double v) {
        if (ismissing(v)) return true;
        return (ls->lsflags2 & LS2_ZEROWT) ? v < 0.0 : v <= 0.0;
    };
    if (w && ctl->haswgt && badweight(*w)) flags |= LEVF_WEIGHT;
    if (f && ctl->hasfreq && badweight(*f)) flags |= LEVF_WEIGHT;
    // 8. products of the continuous values
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect* e = &ls->effects[k];
        double v = 1.0;
        for (int j = 0; j < e->ncont; ++j) {
            if (!ls->contv[e->contix[j]].varinfo) continue;
            const double x = ctl->contval[e->contix[j]];
            if (ismissing(v) || ismissing(x)) v = hostmissing();
            else v *= x;
        }
        ls->effcols[k].value = v;
        if (ismissing(v)) flags |= LEVF_EFFECT;
    }
    // 9. columns of the level combinations
    if (!(ls->lsflags & LS_CODED)) {
        for (int k = 0; k < ls->neffect; ++k) {
            leveffect* e = &ls->effects[k];
            if (e->nefref > 0) {
                int32_t probe = flags;
                zlevCheckEftEXMISS(&probe, ctl, ls, k);
                flags = probe;
            }
            const int32_t col = zlevwel(e, ctl->levidx);
            ls->effcols[k].col = col;
            if (col >= e->nseen) flags |= LEVF_UNUSABLE | LEVF_EFFECT;
        }
    }
    // 10. The list of active CLASS variables given back to the pool.
    if (active) poolput(ctl->ldata->ldpool, active);
    return flags;
}

}  // namespace

int32_t zlevrgdfrom(levctl* ctl, double* y, double* w, double* f, const rgdsource* src) {
    if (!src) return rowof(ctl, y, w, f, false, [](int, const char*) { return -2; }, [](int, const char*, int) {});
    return rowof(
        ctl, y, w, f, true, [src](int i, const char* key) { return src->find(src->ctx, i, key); },
        [src](int i, const char* key, int idx) {
            if (src->note) src->note(src->ctx, i, key, idx);
        });
}

int32_t zlevrgd(levctl* ctl, double* y, double* w, double* f) {
    levrawmap* m = ctl->rawmap;
    if (!m) return zlevrgdfrom(ctl, y, w, f, nullptr);
    return rowof(
        ctl, y, w, f, true, [m](int i, const char* key) { return rawfind(m, i, key); },
        [m](int i, const char* key, int idx) { rawnote(m, i, key, idx); });
}

int FitGetY(levctl* ctl, double* y) { return zlevrgd(ctl, y, nullptr, nullptr) == 0 ? 1 : 0; }
int FitGetW(levctl* ctl, double* w) { return zlevrgd(ctl, nullptr, w, nullptr) == 0 ? 1 : 0; }

int zlevchk(levctl* ctl) {
    const levstate* ls = ctl->lstate;
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (c->nlev != 1) continue;
        xpmlog(172, W172_CLASS_ONE_LEVEL, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen, txtarg(c->levels[0], c->fmtlen));
    }
    return 0;
}
