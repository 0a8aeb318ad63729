// Design columns of the default and the coded design, the crossings, and the values of
// the constructed effects.
#include "proc/effects/designcols.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include "proc/effects/effsvc.h"
#include "proc/effects/splines.h"
#include "proc/effects/workers.h"
#include "proc/framework/hostsvc.h"
#include "proc/numeric/vecops.h"

void zlevflr(const levclass* c, double* dest, int32_t level, int32_t w, double v) {
    if (w <= 0) return;
    std::memset(dest, 0, sizeof(double) * static_cast<size_t>(w));
    if (level < 0 || level >= c->nlev) return;   // no level: the vector stays zero
    const int r = c->reflev;
    switch (c->coding) {
        case CODE_EFFECT:
            if (level < r) dest[level] = v;
            else if (level == r)
                for (int j = 0; j < w; ++j) dest[j] = -v;
            else dest[level - 1] = v;
            break;
        case CODE_REF:
            if (level < r) dest[level] = v;
            else if (level > r) dest[level - 1] = v;
            break;
        case CODE_POLY: {
            const double x = levisnumeric(c) ? c->levval[level].num : level + 1.0;
            double p = 1.0;
            for (int j = 0; j < w; ++j) dest[j] = v * (p *= x);
            break;
        }
        case CODE_ORDINAL:
            for (int j = 0; j < level && j < w; ++j) dest[j] = v;
            break;
        case CODE_SPLIT: {
            const double n1 = w + 1.0;
            const double cc = v * std::sqrt(1.5 * n1 / (n1 * n1 - 1.0));
            for (int j = 0; j < w; ++j) dest[j] = j < level ? cc : -cc;
            break;
        }
        default:
            if (c->codemat)
                for (int j = 0; j < w; ++j) dest[j] = v * c->codemat[static_cast<size_t>(level) * w + j];
            break;
    }
}

void zlevCrossMultiply(double* a, int32_t w, const double* vec, int32_t n) {
    if (w <= 0 || n <= 0) return;
    for (int32_t i = w - 1; i >= 0; --i) {
        const double ai = a[i];
        for (int32_t k = n - 1; k >= 0; --k) a[static_cast<size_t>(i) * n + k] = ai * vec[k];
    }
}

void zlevEffCrossMultiply(double* a, int32_t w, const double* vec, int32_t n) {
    if (w <= 0 || n <= 0) return;
    for (int32_t j = n - 1; j >= 0; --j)
        for (int32_t i = w - 1; i >= 0; --i) a[static_cast<size_t>(j) * w + i] = a[i] * vec[j];
}

int32_t zlevpar(levctl* ctl, int32_t k, double* block) {
    levstate* ls = ctl->lstate;
    const leveffect* e = &ls->effects[k];
    const effcell& cell = ls->effcols[k];
    // default design: one column per level combination seen
    if (!(ls->lsflags & LS_CODED)) {
        if (cell.col < 0 || cell.col >= std::max(e->ncomb, 1)) return 0;
        block[cell.col] = cell.value;
        return 1;
    }
    // coded design: the nesting part is a mixed-radix offset, the last variable fastest
    int64_t offset = 0;
    for (int j = 0; j < e->nnest; ++j) {
        const levclass* c = &ls->classv[e->nestix[j]];
        const int32_t lv = ctl->levidx[e->nestix[j]];
        if (lv < 0) return 0;
        offset = offset * c->nlev + lv;
    }
    if (e->ncls == 0) {
        block[offset] = cell.value;
        return 1;
    }
    const bool full = k == 0 && (ls->lsflags & LS_NOINT);
    int64_t width = 1;
    for (int j = 0; j < e->ncls; ++j) {
        const int32_t nl = ls->classv[e->clsix[j]].nlev;
        width *= (j == 0 && full) ? nl : nl - 1;
    }
    if (width <= 0) return 0;
    double* sub = block + offset * width;
    const levclass* c0 = &ls->classv[e->clsix[0]];
    const int32_t l0 = ctl->levidx[e->clsix[0]];
    int32_t w = full ? c0->nlev : c0->nlev - 1;
    if (full) {
        std::memset(sub, 0, sizeof(double) * static_cast<size_t>(w));
        if (l0 >= 0 && l0 < c0->nlev) sub[l0] = cell.value;
    } else {
        zlevflr(c0, sub, l0, w, cell.value);
    }
    int32_t sofar = w;
    for (int j = 1; j < e->ncls; ++j) {
        const levclass* c = &ls->classv[e->clsix[j]];
        const int32_t wj = c->nlev - 1;
        std::memset(ctl->scratch, 0, sizeof(double) * static_cast<size_t>(std::max(ctl->nscratch, 1)));
        zlevflr(c, ctl->scratch, ctl->levidx[e->clsix[j]], wj, 1.0);
        zlevCrossMultiply(sub, sofar, ctl->scratch, wj);
        sofar *= wj;
    }
    return sofar;
}

namespace {

// Level of CLASS member k of a constructed effect, -1 for none.
int32_t memberlevel(const levctl* ctl, const efrec* r, int k) { return ctl->levidx[r->clsix[k]]; }

// The value of continuous variable j on the data's own scale (the spline knots lie there).
double rawvalue(const levstate* ls, const levctl* ctl, int j) {
    const double x = ctl->contval[j];
    if (ls->lsflags & LS_NOSTD) return x;
    const levclass* c = &ls->contv[j];
    return c->cscale > 0.0 ? x * c->cscale + c->cloc : c->cloc;
}

}  // namespace

void zlevGetEftVarCols(levctl* ctl, efrec* r) {
    if (r->ispiece) return;
    levstate* ls = ctl->lstate;
    if (r->values && r->buflen > 0) std::memset(r->values, 0, sizeof(double) * static_cast<size_t>(r->buflen));
    switch (r->kind) {
        case EF_MULTI: {
            double total = 0.0;
            for (int k = 0; k < r->ncls; ++k) {
                const int32_t lv = memberlevel(ctl, r, k);
                if (lv < 0) continue;
                const double wt = r->ncont > 0 ? ctl->contval[r->contix[k]] : 1.0;
                total += wt;
                const int32_t col = r->levmap && r->levmap[k] ? r->levmap[k][lv] : -1;
                if (col >= 0 && col < r->buflen) r->values[col] += wt;
            }
            if (r->divtotal && total != 0.0) {
                if (std::fabs(total) > 10000 * 1.1102230246251565e-16) zvscl11(r->values, r->values, r->buflen, 1.0 / total);
                else std::memset(r->values, 0, sizeof(double) * static_cast<size_t>(r->buflen));
            }
            break;
        }
        case EF_COLLECTION: {
            int at = 0;
            for (int j = 0; j < r->ncont; ++j) r->values[at++] = ctl->contval[r->contix[j]];
            const bool coded = ls->lsflags & LS_CODED;
            for (int k = 0; k < r->ncls; ++k) {
                const levclass* c = &ls->classv[r->clsix[k]];
                const int32_t lv = memberlevel(ctl, r, k);
                if (!coded) {
                    if (lv >= 0 && lv < c->nlev) r->values[at + lv] = 1.0;
                    at += c->nlev;
                } else {
                    zlevflr(c, r->values + at, lv, c->nlev - 1, 1.0);
                    at += c->nlev - 1;
                }
            }
            break;
        }
        case EF_SPLINE: {
            splinedesc* s = r->spline;
            if (!s) break;
            double* out = r->values;
            for (int k = 0; k < r->ncont; ++k) {
                const double x = rawvalue(ls, ctl, r->contix[k]);
                if (s->basis == 1) GetBSplineVals(s, k, out, x);
                else GetTPFSplineVals(s, k, out, x);
                out += s->colspervar;
            }
            break;
        }
        case EF_POLY: {
            polydesc* p = r->poly;
            if (!p) break;
            if (!p->keep) {
                GetPolyVals(p, r->ncont, r->contix, ctl->contval, r->values);
                break;
            }
            GetPolyVals(p, r->ncont, r->contix, ctl->contval, p->fullbuf);
            for (int q = 0; q < p->nterms; ++q) r->values[q] = p->fullbuf[p->keep[q]];
            break;
        }
        default:
            break;
    }
}

namespace {

// The block of effect k; linked: constructed effects marked so take their linked record's values.
int32_t effectblock(levctl* ctl, int32_t k, double* block, bool linked) {
    levstate* ls = ctl->lstate;
    const leveffect* e = &ls->effects[k];
    auto source = [&](int j) -> const efrec* {
        const efrec* r = &ls->efstmt[e->efref[j]];
        if (linked && r->uselinked && r->linked >= 0 && r->linked < ls->nefstmt) return &ls->efstmt[r->linked];
        return r;
    };
    int32_t width;
    int left = e->nefref;   // constructed effects still to cross in, from the last
    if (e->ncont == 0 && e->nclsall == 0 && e->nefref > 0) {
        const efrec* last = source(e->nefref - 1);
        std::memcpy(block, last->values, sizeof(double) * static_cast<size_t>(last->ncols));
        width = last->ncols;
        left = e->nefref - 1;
    } else {
        zlevpar(ctl, k, block);
        width = e->ncomb;
    }
    for (int j = left - 1; j >= 0; --j) {
        const efrec* r = source(j);
        zlevEffCrossMultiply(block, width, r->values, r->ncols);
        width *= r->ncols;
    }
    return width;
}

}  // namespace

int32_t zlevGetEfCols(levctl* ctl, int32_t k, double* block) { return effectblock(ctl, k, block, false); }
int32_t zlevGetEfNosepCols(levctl* ctl, int32_t k, double* block) { return effectblock(ctl, k, block, true); }

void zlevrgx(levctl* ctl, const double* contval, const int32_t* levidx, double* row) {
    levstate* ls = ctl->lstate;
    if (contval && contval != ctl->contval && ls->ncontv > 0)
        std::memcpy(ctl->contval, contval, sizeof(double) * static_cast<size_t>(ls->ncontv));
    if (levidx && levidx != ctl->levidx && ls->nclassv > 0)
        std::memcpy(ctl->levidx, levidx, sizeof(int32_t) * static_cast<size_t>(ls->nclassv));
    for (int i = 0; i < ls->nefstmt; ++i) zlevGetEftVarCols(ctl, &ls->efstmt[i]);
    if (ls->ncols > 0) std::memset(row, 0, sizeof(double) * static_cast<size_t>(ls->ncols));
    for (int k = 0; k < ls->neffect; ++k) zlevGetEfCols(ctl, k, row + ls->effects[k].firstcol);
}

int zlevscp(levctl* ctl, double w, const double* extra, int32_t nextra, double* xpx) {
    levstate* ls = ctl->lstate;
    if (ismissing(w) || w <= 0.0) return 0;
    const int n = ls->ncols + nextra;
    if (!(ls->lsflags & LS_CODED) && ls->nefstmt == 0) {
        // one nonzero per effect: column pairs of the effects' cells
        for (int i = 0; i < ls->neffect; ++i) {
            const effcell& ci = ls->effcols[i];
            if (ci.col < 0 || ismissing(ci.value)) return 0;
        }
        for (int i = 0; i < ls->neffect; ++i) {
            const int a = ls->effects[i].firstcol + ls->effcols[i].col;
            for (int j = 0; j <= i; ++j) {
                const int b = ls->effects[j].firstcol + ls->effcols[j].col;
                const int hi = std::max(a, b), lo = std::min(a, b);
                xpx[static_cast<size_t>(hi) * (hi + 1) / 2 + lo] += w * ls->effcols[i].value * ls->effcols[j].value;
            }
        }
        for (int r = 0; r < nextra; ++r) {
            const int p = ls->ncols + r;
            for (int i = 0; i < ls->neffect; ++i) {
                const int a = ls->effects[i].firstcol + ls->effcols[i].col;
                xpx[static_cast<size_t>(p) * (p + 1) / 2 + a] += w * extra[r] * ls->effcols[i].value;
            }
            for (int s = 0; s <= r; ++s) xpx[static_cast<size_t>(p) * (p + 1) / 2 + ls->ncols + s] += w * extra[r] * extra[s];
        }
        return 1;
    }
    auto* row = static_cast<double*>(poolbytes(ctl->ldata->ldpool, 8LL * std::max(n, 1), poolflag::raw_marked));
    if (!row) return 0;
    zlevrgx(ctl, nullptr, nullptr, row);
    for (int r = 0; r < nextra; ++r) row[ls->ncols + r] = extra[r];
    const int rc = zscp(row, n, w, xpx);
    poolput(ctl->ldata->ldpool, row);
    return rc;
}

int zlevtrm(levctl* ctl, int32_t mask) {
    levstate* ls = ctl->lstate;
    if (mask & 1)
        for (int k = 0; k < ls->neffect; ++k) {
            leveffect* e = &ls->effects[k];
            e->combs = e->nscombs = e->usecombs = nullptr;
            e->nseen = 0;
        }
    if (mask & 2) {
        ctl->levidx = nullptr;
        ctl->contval = nullptr;
        ctl->scratch = nullptr;
        ctl->fmtbuf = nullptr;
        ctl->rawmap = nullptr;
    }
    if (mask & 4) {
        ctl->rdrewind = nullptr;
        ctl->rdnext = nullptr;
        ctl->rdvals = nullptr;
        ctl->fitgety = ctl->fitgetw = nullptr;
        for (void*& s : ctl->fitslots) s = nullptr;
    }
    if (mask & 8) {
        ctl->nscratch = 0;
        ctl->fitblk.rows = 0;
    }
    if (mask & 16) {
        ctl->ldata->glcls = ctl->ldata->glraw = nullptr;   // the host frees get lists with the data set
        ctl->ldata->bufcls = ctl->ldata->bufraw = nullptr;
        ctl->rdlay[0] = ctl->rdlay[1] = nullptr;
        ctl->lastobs[0] = ctl->lastobs[1] = 0;
    }
    if ((mask & 32) && ctl->ldata->ldpool) {
        xmpoold(ctl->ldata->ldpool);
        ctl->ldata->ldpool = nullptr;
    }
    if (mask & 64) CleanupEThreads(ctl);
    return 0;
}

int zlevEfClassLevelTrue(levctl* ctl, int32_t k, char** texts) {
    const levstate* ls = ctl->lstate;
    const leveffect* e = &ls->effects[k];
    for (int j = 0; j < e->nclsall; ++j) {
        const levclass* c = &ls->classv[e->clsall[j]];
        const int32_t lv = ctl->levidx[e->clsall[j]];
        const int cd = c->coding;
        if (cd == CODE_POLY || cd == CODE_OEFF || cd == CODE_OREF || cd == CODE_OPOLY || cd == CODE_OORD || cd == CODE_OBATH)
            std::snprintf(texts[j], static_cast<size_t>(c->fmtlen) + 1, "%d", lv + 1);
        else if (lv >= 0 && lv < c->nlev) {
            std::memcpy(texts[j], c->levels[lv], static_cast<size_t>(c->fmtlen));
            texts[j][c->fmtlen] = '\0';
        } else {
            texts[j][0] = '\0';
        }
    }
    return e->nclsall;
}

int zlevLenLevelLabel(const levstate* ls, int32_t k, const int32_t* comb) {
    const leveffect* e = &ls->effects[k];
    int len = 0;
    for (int j = 0; j < e->nclsall; ++j) {
        const levclass* c = &ls->classv[e->clsall[j]];
        const int32_t lv = comb[j];
        const int cd = c->coding;
        if (cd == CODE_POLY || cd == CODE_OEFF || cd == CODE_OREF || cd == CODE_OPOLY || cd == CODE_OORD || cd == CODE_OBATH)
            len += static_cast<int>(std::floor(std::log10(lv + 1.5))) + 1;
        else if (lv >= 0 && lv < c->nlev)
            len += striplen(c->levels[lv], c->fmtlen);
        if (j > 0) ++len;
    }
    return len;
}

int zlevMapEftLevInverse(levstate* ls, poolobj* pool, int32_t*** maps) {
    *maps = ls->nefstmt > 0 ? poolget<int32_t*>(pool, ls->nefstmt, poolflag::zeroed_marked) : nullptr;
    if (ls->nefstmt > 0 && !*maps) return RC_NOMEM;
    for (int i = 0; i < ls->nefstmt; ++i) {
        const efrec* r = &ls->efstmt[i];
        if (r->kind != EF_MULTI || r->ncols < 1) continue;
        // per column, per member: the member's level that maps there, -1 where none
        int32_t* m = poolget<int32_t>(pool, static_cast<int64_t>(r->ncols) * std::max(r->ncls, 1), poolflag::zeroed_marked);
        if (!m) return RC_NOMEM;
        for (int64_t q = 0; q < static_cast<int64_t>(r->ncols) * std::max(r->ncls, 1); ++q) m[q] = -1;
        for (int k = 0; k < r->ncls; ++k) {
            const levclass* c = &ls->classv[r->clsix[k]];
            for (int lv = 0; lv < c->nlev; ++lv) {
                const int32_t col = r->levmap && r->levmap[k] ? r->levmap[k][lv] : -1;
                if (col >= 0 && col < r->ncols) m[static_cast<size_t>(col) * r->ncls + k] = lv;
            }
        }
        (*maps)[i] = m;
    }
    return 0;
}
