// Class levelization in the procedure's thread: the level work block, the notes of one
// observation's levels, the ranges of the continuous variables and the lookup of a
// formatted value.
#include "proc/effects/effects_internal.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/keychars.h"
#include "proc/framework/textpad.h"

// Open-addressing table of a variable's level nodes keyed by their texts; each slot keeps the
// text's hash beside the node.
struct levtextslot {
    uint64_t hash;
    levnode* node;
};
struct levtexthash {
    levtextslot* slots;
    uint32_t mask;
    uint32_t count;
};

namespace {

uint64_t texthash(const char* s, int len) {
    uint64_t h = static_cast<uint64_t>(len) * 0x9E3779B97F4A7C15ull;
    int i = 0;
    for (; i + 8 <= len; i += 8) {
        uint64_t w;
        std::memcpy(&w, s + i, 8);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h = (h << 31) | (h >> 33);
    }
    if (i < len) {
        // the last 8 bytes (overlapping the words before), or the few bytes one by one
        uint64_t w = 0;
        if (len >= 8) std::memcpy(&w, s + len - 8, 8);
        else
            for (int k = i; k < len; ++k) w = (w << 8) | static_cast<unsigned char>(s[k]);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    }
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

bool sametext(const char* a, const char* b, int len) {
    if (len <= 16 && len >= 8) {
        uint64_t x0, y0, x1, y1;
        std::memcpy(&x0, a, 8);
        std::memcpy(&y0, b, 8);
        std::memcpy(&x1, a + len - 8, 8);
        std::memcpy(&y1, b + len - 8, 8);
        return x0 == y0 && x1 == y1;
    }
    return std::memcmp(a, b, static_cast<size_t>(len)) == 0;
}

levtextslot* hashslot(levtexthash* t, const char* text, int len, uint64_t h) {
    uint32_t i = static_cast<uint32_t>(h >> 32) & t->mask;
    for (;; i = (i + 1) & t->mask) {
        levtextslot& s = t->slots[i];
        if (!s.node || (s.hash == h && sametext(s.node->text, text, len))) return &s;
    }
}

bool hashgrow(poolobj* pool, levtexthash* t) {
    const uint32_t n = (t->mask + 1) * 2;
    auto* fresh = poolget<levtextslot>(pool, n, poolflag::zeroed_marked);
    if (!fresh) return false;
    const levtextslot* old = t->slots;
    const uint32_t oldn = t->mask + 1;
    t->slots = fresh;
    t->mask = n - 1;
    for (uint32_t i = 0; i < oldn; ++i) {
        if (!old[i].node) continue;
        uint32_t j = static_cast<uint32_t>(old[i].hash >> 32) & t->mask;
        while (t->slots[j].node) j = (j + 1) & t->mask;
        t->slots[j] = old[i];
    }
    return true;
}

// ---- default readers of the work block: straight from the data set in lwowner

dshandle ownerds(levwork* w) { return static_cast<dshandle>(w->lwowner); }

int defaultinit(levwork* w, levstate* ls) {
    dshandle ds = ownerds(w);
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass* c = &ls->classv[i];
        if (c->varinfo && c->varinfo->varnum > 0) xffile(ds, FF_FORMATS, &c->varinfo->varnum, 1);
    }
    return xbyrwnd(ds, 66) != 0 ? 1 : 0;
}

int defaultnext(levwork* w, levstate*) {
    dshandle ds = ownerds(w);
    return ds && hostvec<vec203>(VEC_DATASETS)->xybyget(ds) == 0 ? 1 : 0;
}

int defaultvals(levwork* w, levstate* ls) {
    dshandle ds = ownerds(w);
    const vec203* v = hostvec<vec203>(VEC_DATASETS);
    int ok = 1;
    for (int j = 0; j < ls->ncontv; ++j)
        if (ls->contv[j].varinfo && v->xvget1f(ds, ls->contv[j].varinfo->varnum, &w->lwcont[j]) != 0) ok = 0;
    int nn = 0, nc = 0;
    for (int i = 0; i < ls->nclassv; ++i) {
        levclass* c = &ls->classv[i];
        if (!c->varinfo) continue;
        const bool cut = levcut(c);
        if (cut && !c->wwarned) {
            c->wwarned = 1;
            if (c->wmsggrp && c->wmsgnum) xpmlog(c->wmsggrp, c->wmsgnum, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen);
            else xpmlog(172, W172_CLASS_FORMAT_SHORT, txtarg(levvarname(c), levvarnamelen(c)), c->fmtlen);
        }
        // a level text cut from a longer value: the whole value read, the text its first
        // fmtlen bytes, ending on a whole character when the value is UTF-8
        const int width = cut ? levformatwidth(c) : c->fmtlen;
        if (v->xvget1v(ds, c->varinfo->varnum, w->lwfmt[i], width) != 0) ok = 0;
        if (cut) wholecharsin(w->lwfmt[i], c->fmtlen, w->lwfmt[i], width);
        if (c->varinfo->d.type == 1) {
            if (v->xvget1f(ds, c->varinfo->varnum, &w->lwnumraw[nn++]) != 0) ok = 0;
        } else {
            levrawtext& r = w->lwchrraw[nc++];
            if (v->xvget1c(ds, c->varinfo->varnum, r.buf, r.len) != 0) ok = 0;
        }
    }
    if (ls->freqvar && ls->freqvar->varinfo && v->xvget1f(ds, ls->freqvar->varinfo->varnum, &ls->freqval) != 0) ok = 0;
    return ok;
}

}  // namespace

levwork* zlevini(dshandle dsh, levstate* ls) {
    poolobj* pool = xmpoolc(0, 1024, 4102);
    if (!pool) return nullptr;
    auto* w = poolget<levwork>(pool, 1, poolflag::zeroed_marked);
    if (!w) {
        xmpoold(pool);
        return nullptr;
    }
    w->lwpool = pool;
    const int nc = ls->nclassv, nk = ls->ncontv;
    // formatted lengths and their offsets
    ls->fmttot = 0;
    ls->fmtmax = 0;
    for (int i = 0; i < nc; ++i) {
        levclass* c = &ls->classv[i];
        if (c->fmtlen == 0) c->fmtlen = 16;
        else if (c->fmtlen < 0) c->fmtlen = levhasformat(c) ? c->varinfo->fmtw : (c->varinfo ? c->varinfo->d.length : 16);
        c->fmtoff = ls->fmttot;
        ls->fmttot += c->fmtlen;
        ls->fmtmax = std::max(ls->fmtmax, c->fmtlen);
        if (c->varinfo && c->varinfo->d.type == 1) ++w->lwnnum;
        else ++w->lwnchr;
    }
    w->lwkeyoff = LEVNODE_KEYOFF;
    w->lwnodesz = static_cast<int32_t>((LEVNODE_KEYOFF + std::max(ls->fmtmax, 8) + 7) / 8 * 8);
    bool ok = true;
    auto get = [&](auto*& p, int64_t n) {
        using T = std::remove_reference_t<decltype(*p)>;
        p = n > 0 ? poolget<T>(pool, n, poolflag::zeroed_marked) : nullptr;
        if (n > 0 && !p) ok = false;
    };
    get(w->lwcount, nc);
    get(w->lwroot, 2 * nc);
    get(w->lwmin, nk);
    get(w->lwmax, nk);
    get(w->lwnumix, w->lwnnum);
    get(w->lwchrix, w->lwnchr);
    get(w->lwactive, nc);
    get(w->lwcont, nk);
    get(w->lwfmt, nc);
    get(w->lwnumraw, w->lwnnum);
    get(w->lwchrraw, w->lwnchr);
    get(w->lwhash, nc);
    if (!ok) {
        xmpoold(pool);
        return nullptr;
    }
    for (int j = 0; j < nk; ++j) {
        w->lwmin[j] = DBL_MAX;
        w->lwmax[j] = -DBL_MAX;
    }
    int a = 0, b = 0;
    for (int i = 0; i < nc; ++i) {
        const levclass* c = &ls->classv[i];
        w->lwactive[i] = 1;
        // room for the whole formatted value where the level text is cut from it
        const int room = c->varinfo ? std::max(c->fmtlen, levformatwidth(c)) : c->fmtlen;
        w->lwfmt[i] = static_cast<char*>(poolbytes(pool, room + 1, poolflag::raw_marked));
        if (!w->lwfmt[i]) ok = false;
        else std::memset(w->lwfmt[i], ' ', static_cast<size_t>(c->fmtlen));
        if (c->varinfo && c->varinfo->d.type == 1) {
            w->lwnumix[a++] = i;
        } else {
            levrawtext& r = w->lwchrraw[b];
            w->lwchrix[b++] = i;
            r.len = c->varinfo ? std::max<int32_t>(1, c->varinfo->d.length) : 1;
            r.buf = static_cast<char*>(poolbytes(pool, r.len + 1, poolflag::raw_marked));
            if (!r.buf) ok = false;
            else std::memset(r.buf, ' ', static_cast<size_t>(r.len));
        }
        levtexthash& h = w->lwhash[i];
        h.mask = 63;
        h.slots = poolget<levtextslot>(pool, 64, poolflag::zeroed_marked);
        if (!h.slots) ok = false;
    }
    if (!ok) {
        xmpoold(pool);
        return nullptr;
    }
    w->lwowner = dsh;
    w->lwinit = defaultinit;
    w->lwnext = defaultnext;
    w->lwvals = defaultvals;
    return w;
}

int levnoteone(levwork* w, levstate* ls, int i, const char* text, double raw, const char* rawtext, int rawlen,
               int32_t count, int64_t first) {
    const levclass* c = &ls->classv[i];
    const int fl = c->fmtlen;
    levtexthash* h = &w->lwhash[i];
    const uint64_t hv = texthash(text, fl);
    levtextslot* slot = hashslot(h, text, fl, hv);
    levnode* nd = slot->node;
    if (!nd) {
        nd = w->lwspare;
        if (!nd) {
            nd = static_cast<levnode*>(poolbytes(w->lwpool, w->lwnodesz, poolflag::zeroed_marked));
            if (!nd) return 1;
        }
        std::memcpy(nd->text, text, static_cast<size_t>(fl));
        void* got = ztrebld(&w->lwroot[2 * i], nd, fl, LEVNODE_KEYOFF);
        if (!got) return 1;
        if (got == nd) {
            w->lwspare = nullptr;
            nd->raw = raw;
            if (rawtext) {
                nd->rawtext = static_cast<char*>(poolbytes(w->lwpool, rawlen + 1, poolflag::raw_marked));
                if (!nd->rawtext) return 1;
                std::memcpy(nd->rawtext, rawtext, static_cast<size_t>(rawlen));
                nd->rawlen = rawlen;
            }
            nd->count = count;
            nd->first = first >= 0 ? first : w->lwcount[i];
            ++w->lwcount[i];
            *slot = levtextslot{hv, nd};
            if (++h->count * 2 > h->mask + 1 && !hashgrow(w->lwpool, h)) return 1;
            return 0;
        }
        w->lwspare = nd;   // the text was in the tree but not in the table: should not happen
        nd = static_cast<levnode*>(got);
        *slot = levtextslot{hv, nd};
        if (++h->count * 2 > h->mask + 1 && !hashgrow(w->lwpool, h)) return 1;
    }
    nd->count += count;
    if (!rawtext) {
        if (ismissing(raw) || (!ismissing(nd->raw) && raw < nd->raw)) nd->raw = raw;
    } else if (std::memcmp(rawtext, nd->rawtext, static_cast<size_t>(std::min(rawlen, nd->rawlen))) < 0) {
        std::memcpy(nd->rawtext, rawtext, static_cast<size_t>(std::min(rawlen, nd->rawlen)));
    }
    if (first >= 0 && first < nd->first) nd->first = first;
    return 0;
}

bool levcomplete(const levwork* w, const levstate* ls) {
    for (int b = 0; b < w->lwnchr; ++b) {
        const levclass* c = &ls->classv[w->lwchrix[b]];
        if (c->lvoptb == 0 && c->lvmiss == 0 && blanktext(w->lwchrraw[b].buf, w->lwchrraw[b].len)) return false;
    }
    for (int a = 0; a < w->lwnnum; ++a) {
        const levclass* c = &ls->classv[w->lwnumix[a]];
        if (c->lvoptb == 0 && c->lvmiss == 0 && ismissing(w->lwnumraw[a])) return false;
    }
    for (int j = 0; j < ls->ncontv; ++j)
        if (ls->contv[j].varinfo && ismissing(w->lwcont[j])) return false;
    return true;
}

void levranges(levwork* w, const levstate* ls, const double* cont) {
    for (int j = 0; j < ls->ncontv; ++j) {
        const double x = cont[j];
        if (!ls->contv[j].varinfo || ismissing(x)) continue;
        if (x < w->lwmin[j]) w->lwmin[j] = x;
        if (x > w->lwmax[j]) w->lwmax[j] = x;
    }
}

int zlevad1(levwork* w, levstate* ls) {
    if (!w->lwvals(w, ls)) return 1;
    if (w->lwfilt && w->lwfilt(w) == 0) return 0;
    if (!(ls->lsflags2 & LS2_KEEPINC) && !levcomplete(w, ls)) return 0;
    const int32_t count = ls->freqvar ? levfreqcount(ls->freqval) : 1;
    int rc = 0;
    for (int b = 0; b < w->lwnchr; ++b) {
        const int i = w->lwchrix[b];
        const levclass* c = &ls->classv[i];
        if (!w->lwactive[i] || !c->varinfo) continue;
        const levrawtext& r = w->lwchrraw[b];
        if (blanktext(r.buf, r.len) && !(c->lvoptb && !c->lvmiss)) continue;
        rc |= levnoteone(w, ls, i, w->lwfmt[i], 0.0, r.buf, r.len, count, -1);
    }
    for (int a = 0; a < w->lwnnum; ++a) {
        const int i = w->lwnumix[a];
        const levclass* c = &ls->classv[i];
        if (!w->lwactive[i] || !c->varinfo) continue;
        if (ismissing(w->lwnumraw[a]) && !(c->lvoptb && !c->lvmiss)) continue;
        rc |= levnoteone(w, ls, i, w->lwfmt[i], w->lwnumraw[a], nullptr, 0, count, -1);
    }
    levranges(w, ls, w->lwcont);
    return rc;
}

void levresettrees(levwork* w, levstate* ls) {
    for (int i = 0; i < ls->nclassv; ++i) {
        w->lwroot[2 * i] = nullptr;
        w->lwcount[i] = 0;
        levtexthash& h = w->lwhash[i];
        std::memset(h.slots, 0, sizeof(levtextslot) * (h.mask + 1));
        h.count = 0;
    }
    for (int j = 0; j < ls->ncontv; ++j) {
        w->lwmin[j] = DBL_MAX;
        w->lwmax[j] = -DBL_MAX;
    }
}

int zlevllm(poolobj*, levwork* w, levstate* ls, int j) {
    levclass* c = &ls->contv[j];
    if (w->lwmin[j] == DBL_MAX && w->lwmax[j] == -DBL_MAX) return CONT_NONE;
    c->cloc = (w->lwmax[j] + w->lwmin[j]) / 2.0;
    c->cscale = (w->lwmax[j] - w->lwmin[j]) / 2.0;
    c->status = c->cscale == 0.0 ? CONT_CONSTANT : CONT_VARYING;
    return c->status;
}

int levlookup(const levclass* c, char* text) {
    const int fl = c->fmtlen;
    if (!c->keepjst) leftjust(text, fl);
    int lo = 0, hi = c->nlev - 1;
    while (hi - lo > 5) {
        const int mid = (lo + hi) / 2;
        const int r = std::memcmp(text, c->srtlev[mid], static_cast<size_t>(fl));
        if (r == 0) return c->srtidx[mid];
        if (r < 0) hi = mid;
        else lo = mid;
    }
    for (int k = lo; k <= hi; ++k)
        if (std::memcmp(text, c->srtlev[k], static_cast<size_t>(fl)) == 0) return c->srtidx[k];
    return -1;
}

int zlevlwh(levwork*, const levclass* c, char* text) { return levlookup(c, text); }
