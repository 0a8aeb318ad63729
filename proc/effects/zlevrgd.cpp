// The design row of one observation, the lookup of its level combinations, and the small
// routines beside them.
#include <cstring>
#include "proc/effects/designrow.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/levdrive.h"
#include "proc/effects/levelize.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"

// ---------------------------------------------------------------- raw-value map

namespace {

struct rawentry {
    uint64_t hash;
    const char* text;          // character variables: a copy of the raw text
    double num;
    int32_t index;
    int32_t used;
};

struct rawtable {
    rawentry* e;
    uint32_t mask;
    uint32_t count;
    int32_t len;               // 8 for numeric variables, else the stored length
    uint8_t numeric;
};

constexpr uint32_t RAWMAP_MAX = 1u << 16;   // entries per variable; beyond it values are formatted

uint64_t mix(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

uint64_t rawhash(double num, const levrawtext* chr) {
    uint64_t h;
    if (!chr) {
        std::memcpy(&h, &num, 8);
        return mix(h);
    }
    h = 0xCBF29CE484222325ull;
    for (int k = 0; k < chr->len; ++k) h = (h ^ static_cast<unsigned char>(chr->buf[k])) * 0x100000001B3ull;
    return mix(h);
}

bool rawsame(const rawentry& e, uint64_t h, double num, const levrawtext* chr, int len) {
    if (e.hash != h) return false;
    if (!chr) return std::memcmp(&e.num, &num, 8) == 0;
    return std::memcmp(e.text, chr->buf, static_cast<size_t>(len)) == 0;
}

}  // namespace

struct levrawmap {
    poolobj* pool;
    int32_t nnum, nchr;
    double* num;               // raw value per numeric CLASS variable (role u)
    levrawtext* chr;           // raw text per character CLASS variable (role b)
    int32_t* pos;              // per CLASS variable its place among the numeric or character ones
    rawtable* t;               // per CLASS variable
};

namespace {

int rawfind(void* ctx, int i, double num, const levrawtext* chr) {
    auto* m = static_cast<levrawmap*>(ctx);
    rawtable& t = m->t[i];
    const uint64_t h = rawhash(num, chr);
    for (uint32_t k = static_cast<uint32_t>(h) & t.mask;; k = (k + 1) & t.mask) {
        const rawentry& e = t.e[k];
        if (!e.used) return -2;
        if (rawsame(e, h, num, chr, t.len)) return e.index;
    }
}

void rawnote(void* ctx, int i, double num, const levrawtext* chr, int index) {
    auto* m = static_cast<levrawmap*>(ctx);
    rawtable& t = m->t[i];
    if (t.count >= RAWMAP_MAX) return;
    if ((t.count + 1) * 2 > t.mask + 1) {
        const uint32_t n = (t.mask + 1) * 2;
        auto* fresh = poolget<rawentry>(m->pool, n);
        if (!fresh) return;
        for (uint32_t k = 0; k <= t.mask; ++k) {
            if (!t.e[k].used) continue;
            uint32_t j = static_cast<uint32_t>(t.e[k].hash) & (n - 1);
            while (fresh[j].used) j = (j + 1) & (n - 1);
            fresh[j] = t.e[k];
        }
        t.e = fresh;
        t.mask = n - 1;
    }
    const uint64_t h = rawhash(num, chr);
    uint32_t k = static_cast<uint32_t>(h) & t.mask;
    while (t.e[k].used) {
        if (rawsame(t.e[k], h, num, chr, t.len)) return;
        k = (k + 1) & t.mask;
    }
    rawentry& e = t.e[k];
    if (chr) {
        e.text = pooltext(m->pool, chr->buf, t.len);
        if (!e.text) return;
    }
    e.hash = h;
    e.num = num;
    e.index = index;
    e.used = 1;
    ++t.count;
}

}  // namespace

levrawmap* zlevrawmapmake(levctl* ctl) {
    if (ctl->rdvals != GetVals) return nullptr;
    levstate* ls = ctl->lstate;
    poolobj* pool = ctl->ldata->ldpool;
    const int nc = ls->nclassv;
    if (nc < 1) return nullptr;
    auto* m = poolget<levrawmap>(pool, 1);
    if (!m) return nullptr;
    m->pool = pool;
    m->pos = poolget<int32_t>(pool, nc);
    m->t = poolget<rawtable>(pool, nc);
    if (!m->pos || !m->t) return nullptr;
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        if (!c->varinfo) return nullptr;   // every variable must read a raw value
        if (c->varinfo->d.type == 1) m->pos[i] = m->nnum++;
        else m->pos[i] = m->nchr++;
    }
    m->num = poolget<double>(pool, m->nnum);
    m->chr = poolget<levrawtext>(pool, m->nchr);
    if ((m->nnum && !m->num) || (m->nchr && !m->chr)) return nullptr;
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        rawtable& t = m->t[i];
        t.numeric = c->varinfo->d.type == 1;
        t.len = t.numeric ? 8 : std::max<int32_t>(1, c->varinfo->d.length);
        t.mask = 63;
        t.e = poolget<rawentry>(pool, 64);
        if (!t.e) return nullptr;
        if (!t.numeric) {
            levrawtext& r = m->chr[m->pos[i]];
            r.len = t.len;
            r.buf = static_cast<char*>(vmalcp_handler(pool, t.len + 1, 0x3006));
            if (!r.buf) return nullptr;
        }
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

int eCompare(const leveffect* e, int32_t k, const int32_t* levidx) {
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
    if (eCompare(e, gi, levidx) == 0) return gi;
    if (eCompare(e, 0, levidx) == 0) return 0;
    if (gi - 1 <= 0) return nseen;
    int32_t lo = 0, hi = gi;
    while (lo < hi - 1) {
        const int32_t mid = (lo + hi) / 2;
        const int c = eCompare(e, mid, levidx);
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

int32_t zlevrgdfrom(levctl* ctl, double* y, double* w, double* f, const rgdsource* src) {
    levstate* ls = ctl->lstate;
    levrawmap* m = src ? ctl->rawmap : nullptr;
    int32_t flags = 0;
    // 1. values
    int ok;
    if (src && m) ok = ctl->rdvals(ctl, "zubywf", ctl->contval, m->num, m->chr, y, w, f);
    else ok = ctl->rdvals(ctl, "zcywf", ctl->contval, ctl->fmtbuf, y, w, f);
    if (!ok) return LEVF_UNUSABLE | LEVF_READFAIL;
    // 2. the caller's filter
    int32_t* active = nullptr;
    if (ls->nclassv > 0 && ctl->rdfilter) {
        active = poolget<int32_t>(ctl->ldata->ldpool, ls->nclassv);
        if (active) {
            for (int i = 0; i < ls->nclassv; ++i) active[i] = 1;
            ctl->rdfilter(ctl, active, ls->rdfarg);
        }
    }
    // 3. levels
    bool fmtread = !(src && m);
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (!c->varinfo) continue;
        int idx;
        if (!fmtread) {
            const bool num = c->varinfo->d.type == 1;
            const double nv = num ? m->num[m->pos[i]] : 0.0;
            const levrawtext* cv = num ? nullptr : &m->chr[m->pos[i]];
            idx = src->find(src->ctx, i, nv, cv);
            if (idx == -2) {
                if (!ctl->rdvals(ctl, "c", ctl->fmtbuf)) return LEVF_UNUSABLE | LEVF_READFAIL;
                fmtread = true;
                // the formatted values of every variable are read now; look up the rest by text
                idx = levlookup(c, ctl->fmtbuf[i]);
                if (src->note) src->note(src->ctx, i, nv, cv, idx);
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
    // 10.
    if (active) vmfree_handler(ctl->ldata->ldpool, active, -1, 4);
    return flags;
}

int32_t zlevrgd(levctl* ctl, double* y, double* w, double* f) {
    if (ctl->rawmap) {
        const rgdsource src{rawfind, rawnote, ctl->rawmap};
        return zlevrgdfrom(ctl, y, w, f, &src);
    }
    return zlevrgdfrom(ctl, y, w, f, nullptr);
}

int FitGetY(levctl* ctl, double* y) { return zlevrgd(ctl, y, nullptr, nullptr) == 0 ? 1 : 0; }
int FitGetW(levctl* ctl, double* w) { return zlevrgd(ctl, nullptr, w, nullptr) == 0 ? 1 : 0; }

int zlevchk(levctl* ctl) {
    const levstate* ls = ctl->lstate;
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (c->nlev != 1) continue;
        xpmlog(172, 398, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen, txtarg(c->levels[0], c->fmtlen));
    }
    return 0;
}
