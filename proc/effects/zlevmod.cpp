// The effect list of a model: level records of the CLASS and continuous variables and
// effect records of the parsed effects, the intercept first.
#include <algorithm>
#include <cstring>
#include <string>
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/framework/xinit.h"

namespace {

constexpr int32_t CODE_EXTRA_LAST = -9999999;     // -2 .. this: extra variables of the provider
constexpr int32_t CODE_CONSTRUCTED = -10000000;   // this and below: constructed effects

// The variable list of slot n of the PROC record (the head of the step's statements).
const optslot* proclist(int32_t slot) {
    if (slot < 0) return nullptr;
    modparse* mpb = curparse();
    const optslot* s = mpb ? stmtslot(mpb->head, slot) : nullptr;
    return s && s->count > 0 && s->ptr ? s : nullptr;
}

int nomem(int64_t bytes) {
    xmemmsg(bytes);
    return RC_NOMEM;
}

}  // namespace

int zlevglm(leveffect* e, const parsedeff* p) {
    poolobj* pool = effpool();
    e->parsedef = p;
    e->ncont = p->ncont;
    e->contix = nullptr;
    if (p->ncont > 0) {
        e->contix = poolget<int32_t>(pool, p->ncont, poolflag::zeroed_marked);
        if (!e->contix) return nomem(4 * p->ncont);
        std::memcpy(e->contix, p->cont, 4 * static_cast<size_t>(p->ncont));
    }
    e->ncls = p->ncls;
    e->nnest = p->nnest;
    e->nclsall = p->ncls + p->nnest;
    e->clsall = e->clsix = e->nestix = e->clswork = nullptr;
    if (e->nclsall > 0) {
        e->clsall = poolget<int32_t>(pool, 2 * e->nclsall, poolflag::zeroed_marked);
        if (!e->clsall) return nomem(8 * e->nclsall);
        if (p->ncls) std::memcpy(e->clsall, p->cls, 4 * static_cast<size_t>(p->ncls));
        if (p->nnest) std::memcpy(e->clsall + p->ncls, p->nest, 4 * static_cast<size_t>(p->nnest));
        e->clswork = e->clsall + e->nclsall;
        e->clsix = e->clsall;
        e->nestix = e->clsall + e->ncls;
    }
    const int n = p->name ? p->namelen : 0;
    if (n > 0 && wzstcmn(p->name, n, "Intercept", 9, 0) == 0) e->effname = pooltext(pool, "Intercept", 9);
    else e->effname = pooltext(pool, p->name, n);
    return e->effname ? 0 : nomem(n + 1);
}

int zlevMakeEffectName(levstate* ls, leveffect* e) {
    std::string s;
    for (int i = 0; i < e->ncont; ++i) {
        const levclass* c = &ls->contv[e->contix[i]];
        s.append(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
        s += '*';
    }
    for (int j = 0; j < e->nefref; ++j) {
        const efrec* r = &ls->efstmt[e->efref[j]];
        if (r->label) s.append(r->label, static_cast<size_t>(r->labellen));
        s += '*';
    }
    for (int i = 0; i < e->ncls; ++i) {
        const levclass* c = &ls->classv[e->clsix[i]];
        s.append(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
        s += '*';
    }
    if (e->nnest > 0) {
        if (!s.empty()) s.back() = '(';
        else s += '(';
        for (int i = 0; i < e->nnest; ++i) {
            const levclass* c = &ls->classv[e->nestix[i]];
            s.append(levvarname(c), static_cast<size_t>(levvarnamelen(c)));
            s += '*';
        }
        s.back() = ')';
    } else if (!s.empty()) {
        s.pop_back();
    }
    if (ls->namelen > 0 && static_cast<int>(s.size()) > ls->namelen) s.resize(static_cast<size_t>(ls->namelen));
    e->effname = pooltext(effpool(), s.data(), static_cast<int>(s.size()));
    return e->effname ? 0 : nomem(static_cast<int64_t>(s.size()) + 1);
}

int zlevSeparate(levstate* ls, leveffect* first, int n) {
    const int m = first->nefref;
    if (m < 1) return 0;
    int32_t s[64], t[64], base[64];
    if (m > 64) return RC_EFFECTS;
    for (int j = 0; j < m; ++j) {
        base[j] = first->efref[j];
        s[j] = std::max(1, ls->efstmt[base[j]].npieces);
    }
    t[m - 1] = 1;
    for (int j = m - 1; j > 0; --j) t[j - 1] = t[j] * s[j];
    for (int k = 0; k < n; ++k) {
        leveffect* e = first + k;
        for (int j = 0; j < m; ++j) e->efref[j] = base[j] + (k / t[j]) % s[j];
        if (int rc = zlevMakeEffectName(ls, e)) return rc;
    }
    return 0;
}

int zlevNef(levstate* ls, const parsedeff* list, int32_t count, const int32_t* efstlist) {
    ls->nglmeff = count;
    ls->glmsplit = count > 0 ? poolget<int32_t>(effpool(), count, poolflag::zeroed_marked) : nullptr;
    if (count > 0 && !ls->glmsplit) return nomem(4 * count);
    ls->neffect = 0;
    const parsedeff* p = list;
    for (int i = 0; i < count && p; ++i, p = p->next) {
        int32_t split = 1;
        for (int k = 0; k < p->ncls; ++k)
            if (p->cls[k] <= CODE_CONSTRUCTED && efstlist) split *= std::max(1, efstlist[2 * (-p->cls[k] + CODE_CONSTRUCTED) + 1]);
        ls->glmsplit[i] = split;
        ls->neffect += split;
    }
    return 0;
}

int zlevmod(levstate* ls, dshandle ds, int32_t contslot, int32_t classslot, stmtrec* stmt, int32_t effslot,
            int32_t nointercept, int32_t nonsingular) {
    poolobj* pool = effpool();
    // 1. settings
    modparse* mpb = curparse();
    const auto* eff = mpb ? static_cast<const effprsrec*>(mpb->effstate) : nullptr;
    ls->namelen = eff ? eff->limit : 20;
    ls->ordcode = 'M';
    ls->refdef = REF_LAST;
    ls->lsrc = 0;
    ls->codingdef = CODE_EFFECT;
    ls->lvdefb = 0;
    ls->levsep = ' ';
    ls->descdef = 0;

    // 2. continuous variables
    const levxvarsrc* xs = ls->xvarsrc;
    const optslot* cl = proclist(contslot);
    const int32_t ncstmt = cl ? cl->count : 0;
    ls->ncontv = (xs ? xs->ncont : 0) + ncstmt;
    ls->contv = poolget<levclass>(pool, ls->ncontv, poolflag::zeroed_marked);
    if (ls->ncontv > 0 && !ls->contv) return nomem(static_cast<int64_t>(sizeof(levclass)) * ls->ncontv);
    int counter = 0;
    for (int k = 0; k < ls->ncontv; ++k) {
        levclass* c = &ls->contv[k];
        if (k < ncstmt) {
            c->varinfo = levdescribevar(ds, static_cast<const int32_t*>(cl->ptr)[k]);
            if (!c->varinfo) return nomem(sizeof(levvarinfo));
        } else {
            xs->describe(xs->contctx, ds, c, &counter);
        }
    }

    // 3. CLASS variables
    const optslot* kl = proclist(classslot);
    const int32_t nkstmt = kl ? kl->count : 0;
    if (nkstmt > 0) xffile(ds, FF_FORMATS, static_cast<const int32_t*>(kl->ptr), nkstmt);
    ls->nclassv = (xs ? xs->ncls : 0) + nkstmt;
    ls->classv = poolget<levclass>(pool, ls->nclassv, poolflag::zeroed_marked);
    if (ls->nclassv > 0 && !ls->classv) return nomem(static_cast<int64_t>(sizeof(levclass)) * ls->nclassv);
    ls->fmttot = 0;
    ls->fmtmax = 0;
    counter = 0;
    for (int k = 0; k < ls->nclassv; ++k) {
        levclass* c = &ls->classv[k];
        c->ordkey = 'U';
        c->coding = ls->codingdef;
        c->lvoptb = ls->lvdefb;
        c->reflev = ls->refdef;
        c->descflag = ls->descdef;
        c->cprefix = c->lprefix = -1;
        if (k < nkstmt) {
            c->varinfo = levdescribevar(ds, static_cast<const int32_t*>(kl->ptr)[k]);
            if (!c->varinfo) return nomem(sizeof(levvarinfo));
        } else {
            xs->describe(xs->clsctx, ds, c, &counter);
        }
        if (ls->truncln == 0) c->fmtlen = 16;
        else if (ls->truncln > 0) c->fmtlen = ls->truncln;
        else if (levhasformat(c)) c->fmtlen = c->varinfo->fmtw > 0 ? c->varinfo->fmtw : c->varinfo->d.fmtwidth;
        else if (c->varinfo && c->varinfo->d.type == 2) c->fmtlen = c->varinfo->d.length;
        else c->fmtlen = 12;
        c->fmtoff = ls->fmttot;
        ls->fmttot += c->fmtlen;
        ls->fmtmax = std::max(ls->fmtmax, c->fmtlen);
    }

    // 4. EFFECT statements
    int32_t* efstlist = nullptr;
    if (int rc = zlevProcessEffectStatements(ls, ds, &efstlist)) return rc;

    // 5. The effects parsed from the MODEL (or LOGSCALE) statement; none: nothing more to set up.
    if (effslot < 0) return 0;
    const optslot* es = stmtslot(stmt, effslot);
    const parsedeff* list = es ? static_cast<const parsedeff*>(es->ptr) : nullptr;
    const int32_t nparsed = list ? es->count : 0;

    // 6. counts
    if (int rc = zlevNef(ls, list, nparsed, efstlist)) return rc;

    // 7. records, the first kept for the intercept
    leveffect* block = poolget<leveffect>(pool, ls->neffect + 1, poolflag::zeroed_marked);
    if (!block) return nomem(static_cast<int64_t>(sizeof(leveffect)) * (ls->neffect + 1));
    ls->effects = block + 1;

    // 8. one record (or a group of pieces) per parsed effect
    int next = 0;
    const parsedeff* p = list;
    for (int i = 0; i < nparsed && p; ++i, p = p->next) {
        leveffect* r = &ls->effects[next];
        if (int rc = zlevglm(r, p)) return rc;
        r->levback = ls;
        if (xs && xs->ncont > 0) {
            auto remap = [&](int32_t* a, int n) {
                for (int k = 0; k < n; ++k)
                    if (a[k] <= -2 && a[k] >= CODE_EXTRA_LAST) a[k] = ncstmt + (-a[k] - 2);
            };
            remap(r->contix, r->ncont);
            remap(r->clsall, r->nclsall);
        }
        // constructed-effect references leave the CLASS list
        int nref = 0;
        for (int k = 0; k < r->nclsall; ++k)
            if (r->clsall[k] <= CODE_CONSTRUCTED) ++nref;
        if (nref > 0) {
            r->nefref = nref;
            r->efref = poolget<int32_t>(pool, nref, poolflag::zeroed_marked);
            if (!r->efref) return nomem(4 * nref);
            int a = 0, b = 0, crossedleft = 0;
            for (int k = 0; k < r->nclsall; ++k) {
                if (r->clsall[k] <= CODE_CONSTRUCTED) {
                    r->efref[a++] = -r->clsall[k] + CODE_CONSTRUCTED;
                } else {
                    if (k < r->ncls) ++crossedleft;
                    r->clsall[b++] = r->clsall[k];
                }
            }
            r->nclsall -= nref;
            r->ncls = crossedleft;
            if (r->nclsall == 0) {
                poolput(pool, r->clsall);
                r->clsall = r->clsix = r->nestix = r->clswork = nullptr;
            } else {
                r->clsix = r->clsall;
                r->nestix = r->clsall + r->ncls;
            }
            for (int j = 0; j < nref; ++j) r->efref[j] = efstlist ? efstlist[2 * r->efref[j]] : r->efref[j];
            r->nefstptr = &ls->nefstmt;
        }
        r->glmname = r->effname;
        const int32_t split = ls->glmsplit[i];
        if (split > 1) {
            r->effname = nullptr;
            for (int k = 1; k < split; ++k) {
                leveffect* c = r + k;
                *c = *r;
                c->efref = poolget<int32_t>(pool, r->nefref, poolflag::zeroed_marked);
                if (!c->efref) return nomem(4 * r->nefref);
                std::memcpy(c->efref, r->efref, 4 * static_cast<size_t>(r->nefref));
                c->piececopy = 1;
            }
            if (int rc = zlevSeparate(ls, r, split)) return rc;
        } else if (r->nefref > 0) {
            if (int rc = zlevMakeEffectName(ls, r)) return rc;
        }
        next += split;
    }

    // 9. flags
    ls->lsflags = static_cast<uint8_t>((ls->lsflags & ~(LS_NOINT | LS_CODED)) | (nointercept ? LS_NOINT : 0) |
                                       (nonsingular ? LS_CODED : 0));
    // 10. the intercept record
    if (!(ls->lsflags & LS_NOINT)) {
        ls->effects -= 1;
        leveffect* e = &ls->effects[0];
        *e = leveffect{};
        e->effname = pooltext(pool, "Intercept", 9);
        e->glmname = e->effname;
        e->levback = ls;
        if (!e->effname) return nomem(10);
        ls->neffect += 1;
    }
    // 11. cells
    ls->effcols = ls->neffect > 0 ? poolget<effcell>(pool, ls->neffect, poolflag::zeroed_marked) : nullptr;
    if (ls->neffect > 0 && !ls->effcols) return nomem(static_cast<int64_t>(sizeof(effcell)) * ls->neffect);
    return 0;
}

// ---------------------------------------------------------------- uncalled matching

int zlevEqualGlmEfs(const parsedeff* a, const parsedeff* b) {
    if (a->ncont != b->ncont || a->ncls != b->ncls || a->nnest != b->nnest || a->nother != b->nother) return 0;
    auto same = [](const int32_t* x, const int32_t* y, int n) {
        return n == 0 || std::memcmp(x, y, 4 * static_cast<size_t>(n)) == 0;
    };
    return same(a->cont, b->cont, a->ncont) && same(a->cls, b->cls, a->ncls) && same(a->nest, b->nest, a->nnest) &&
           same(a->other, b->other, a->nother);
}

int zlevMatchGLMEfToEf(const parsedeff* p, const levstate* ls, int32_t* first, int32_t* count) {
    *first = -1;
    *count = 0;
    int found = 0;
    for (int i = 0; i < ls->neffect; ++i) {
        const leveffect* e = &ls->effects[i];
        bool match;
        if (e->parsedef) {
            match = zlevEqualGlmEfs(e->parsedef, p) != 0;
        } else {
            const char* nm = e->glmname ? e->glmname : e->effname;
            match = nm && p->name && static_cast<int>(std::strlen(nm)) == p->namelen &&
                    std::memcmp(nm, p->name, static_cast<size_t>(p->namelen)) == 0;
        }
        if (!match) {
            if (found) break;   // matches are adjacent
            continue;
        }
        if (!e->piececopy) {
            if (found) return 1;   // a second record that is not a piece copy
            *first = i;
            found = 1;
        }
        if (found) ++*count;
    }
    return found;
}
