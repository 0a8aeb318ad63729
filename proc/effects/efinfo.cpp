// The effect-information pass: constructed effects completed for the data at hand.
#include "proc/effects/efinfo.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>
#include "proc/effects/avltree.h"
#include "proc/effects/effects_internal.h"
#include "proc/effects/effsvc.h"
#include "proc/effects/splines.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msgeffects.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/sortwrap.h"
#include "proc/framework/textpad.h"

namespace {

// The value of continuous variable j on the data's own scale.
double rawvalue(const levctl* ctl, int j) {
    const levstate* ls = ctl->lstate;
    const double x = ctl->contval[j];
    if (ls->lsflags & LS_NOSTD) return x;
    const levclass* c = &ls->contv[j];
    return c->cscale > 0.0 ? x * c->cscale + c->cloc : c->cloc;
}

// One observation of the effect-information pass: usable when zlevrgd has no flag and the
// weight and frequency (when read) allow it; *f the frequency used.
bool usable(levctl* ctl, std::vector<double>& y, double* w, double* f, double minfreq) {
    const bool wread = ctl->haswgt != nullptr, fread = ctl->hasfreq != nullptr;
    *w = 1.0;
    *f = 1.0;
    const int32_t flags = zlevrgd(ctl, y.data(), wread ? w : nullptr, fread ? f : nullptr);
    if (flags != 0) return false;
    if (wread && !(*w > 0.0)) return false;
    if (fread) {
        if (ismissing(*f)) return false;
        *f = std::floor(*f);
        if (!(*f >= minfreq)) return false;
    }
    return true;
}

struct mmnode {
    avlnode head;
    int32_t column;
    char text[8];              // L bytes (allocated longer)
};
constexpr int MMKEY = static_cast<int>(offsetof(mmnode, text));

// Kind 1: the distinct level texts of the members, in byte order, are the columns.
int multimember(levctl* ctl, efrec* r) {
    levstate* ls = ctl->lstate;
    poolobj* pool = ctl->ldata->ldpool;
    int L = 1;
    for (int k = 0; k < r->ncls; ++k) L = std::max(L, ls->classv[r->clsix[k]].fmtlen);
    poolobj* tmp = xmpoolc(0, 1024, 4098);
    if (!tmp) return RC_NOMEM;
    void* root = nullptr;
    mmnode* spare = nullptr;
    const int64_t nodesize = MMKEY + L + 8;
    for (int k = 0; k < r->ncls; ++k) {
        const levclass* c = &ls->classv[r->clsix[k]];
        for (int lv = 0; lv < c->nlev; ++lv) {
            if (!spare) spare = static_cast<mmnode*>(poolbytes(tmp, nodesize, poolflag::zeroed_marked));
            if (!spare) {
                xmpoold(tmp);
                return RC_NOMEM;
            }
            std::memset(spare->text, ' ', static_cast<size_t>(L));
            std::memcpy(spare->text, c->levels[lv], static_cast<size_t>(std::min(L, c->fmtlen)));
            if (zavl_add_tchra(&root, spare, MMKEY, L) == spare) spare = nullptr;
        }
    }
    int n = 0;
    for (void* p = zavl_first_node(&root); p; p = zavl_next_node(p)) ++n;
    r->ncols = n;
    r->collabels = poolget<char*>(pool, std::max(n, 1), poolflag::zeroed_marked);
    r->lablens = poolget<int32_t>(pool, std::max(n, 1), poolflag::zeroed_marked);
    r->levmap = poolget<int32_t*>(pool, std::max(r->ncls, 1), poolflag::zeroed_marked);
    r->values = poolget<double>(pool, std::max(n, 1), poolflag::zeroed_marked);
    if (!r->collabels || !r->lablens || !r->levmap || !r->values) {
        xmpoold(tmp);
        return RC_NOMEM;
    }
    r->buflen = n;
    r->maxlab = 0;
    int col = 0;
    for (void* p = zavl_first_node(&root); p; p = zavl_next_node(p), ++col) {
        auto* nd = static_cast<mmnode*>(p);
        const int len = wzstrip(nd->text, L);
        r->lablens[col] = len;
        r->collabels[col] = pooltext(pool, nd->text, len);
        if (!r->collabels[col]) {
            xmpoold(tmp);
            return RC_NOMEM;
        }
        r->maxlab = std::max(r->maxlab, len);
        nd->column = col;
    }
    std::vector<char> key(static_cast<size_t>(L));
    for (int k = 0; k < r->ncls; ++k) {
        const levclass* c = &ls->classv[r->clsix[k]];
        r->levmap[k] = poolget<int32_t>(pool, std::max(c->nlev, 1), poolflag::zeroed_marked);
        if (!r->levmap[k]) {
            xmpoold(tmp);
            return RC_NOMEM;
        }
        for (int lv = 0; lv < c->nlev; ++lv) {
            std::fill(key.begin(), key.end(), ' ');
            std::memcpy(key.data(), c->levels[lv], static_cast<size_t>(std::min(L, c->fmtlen)));
            auto* nd = static_cast<mmnode*>(zavl_find_tchra(root, key.data(), MMKEY, L));
            r->levmap[k][lv] = nd ? nd->column : -1;
        }
    }
    xmpoold(tmp);
    return 0;
}

int polynomial(levctl* ctl, efrec* r) {
    levstate* ls = ctl->lstate;
    polydesc* p = r->poly;
    if (!p) return 0;
    const int n = r->ncont;
    if (p->stdsource == 3) {
        for (int k = 0; k < n; ++k) {
            const levclass* c = &ls->contv[r->contix[k]];
            if (p->centres) p->centres[k] = c->cloc;
            if (p->scales) p->scales[k] = c->cscale == 0.0 ? 1.0 : c->cscale;
        }
        return 0;
    }
    if (p->stdsource != 1 && p->stdsource != 2) return 0;
    const levmoments* mb = p->stdsource == 1 ? ls->usedcont : ls->usedcls;
    if (!mb) return 0;
    const int namelen = r->namelen;
    if (p->centres) {
        if (mb->wsum == 0.0) {
            xpmlog(174, E174_POLY_NOT_CENTRED, txtarg(r->name, namelen));
            return 1;
        }
        for (int k = 0; k < n; ++k) p->centres[k] = mb->sums[r->contix[k]] / mb->wsum;
    }
    if (p->scales) {
        if (mb->freqsum < 2.0) {
            xpmlog(174, E174_POLY_NOT_SCALED, txtarg(r->name, namelen));
            return 1;
        }
        for (int k = 0; k < n; ++k) {
            const double s = mb->sums[r->contix[k]], ss = mb->sumsq[r->contix[k]];
            double sc = std::sqrt((ss - s * s / mb->wsum) / (mb->freqsum - 1.0));
            if (sc == 0.0) sc = 1.0;
            p->scales[k] = sc;
        }
    }
    return 0;
}

}  // namespace

int zlevSortForPercentiles(levctl* ctl, pctblock* pb) {
    levstate* ls = ctl->lstate;
    poolobj* pool = effpool();
    *pb = pctblock{};
    std::vector<int> mark(static_cast<size_t>(ls->ncontv), 0);
    bool any = false;
    for (int i = 0; i < ls->nefstmt; ++i) {
        const efrec* r = &ls->efstmt[i];
        if (r->kind != EF_SPLINE || !r->spline || r->ispiece) continue;
        if (r->spline->knotmethod != 5 || !(r->spline->needpct || r->needpct)) continue;
        for (int k = 0; k < r->ncont; ++k) mark[static_cast<size_t>(r->contix[k])] = 1;
        any = r->ncont > 0 || any;
    }
    if (!any) return 0;
    pb->pos = poolget<int32_t>(pool, ls->ncontv, poolflag::zeroed_marked);
    pb->vars = poolget<int32_t>(pool, ls->ncontv, poolflag::zeroed_marked);
    pb->unsorted = poolget<xchandle>(pool, ls->ncontv, poolflag::zeroed_marked);
    pb->sorted = poolget<xchandle>(pool, ls->ncontv, poolflag::zeroed_marked);
    if (!pb->pos || !pb->vars || !pb->unsorted || !pb->sorted) {
        xmemmsg(32LL * ls->ncontv);
        return RC_NOMEM;
    }
    for (int j = 0; j < ls->ncontv; ++j) {
        pb->pos[j] = -1;
        if (!mark[static_cast<size_t>(j)]) continue;
        pb->pos[j] = pb->nvars;
        pb->vars[pb->nvars++] = j;
    }
    pb->reclen = ctl->hasfreq ? 16 : 8;
    for (int q = 0; q < pb->nvars; ++q) {
        int rc = xcopen(&pb->unsorted[q], XC_SCRATCH);
        if (rc >= 0) rc = xcopen(&pb->sorted[q], XC_SCRATCH);
        if (rc < 0) {
            pb->rc = rc;
            zlevSortForPercentilesTerm(pb);
            return RC_READ;
        }
    }
    // the data pass
    std::vector<double> y(static_cast<size_t>(std::max(ctl->nresp, 1)));
    double w, f;
    if (ctl->rdrewind(ctl) == 0)
        while (ctl->rdnext(ctl)) {
            if (!usable(ctl, y, &w, &f, 1.0)) continue;
            pb->nobs += 1.0;
            if (ctl->hasfreq) pb->freqsum += f;
            for (int q = 0; q < pb->nvars; ++q) {
                const double rec[2] = {rawvalue(ctl, pb->vars[q]), f};
                const int rc = xcwrite(pb->unsorted[q], rec, pb->reclen);
                if (rc < 0) {
                    pb->rc = rc;
                    zlevSortForPercentilesTerm(pb);
                    return RC_READ;
                }
            }
        }
    if (ctl->rdfail) return RC_INPUT;
    // each file sorted by its leading double
    const int64_t n = static_cast<int64_t>(pb->nobs);
    const int64_t cap = std::max<int64_t>(1, std::min<int64_t>(n, 10000));
    void* work = poolbytes(pool, cap * pb->reclen, poolflag::raw_marked);
    for (int q = 0; q < pb->nvars; ++q) {
        xcpoint(pb->unsorted[q], 0);
        xcpoint(pb->sorted[q], 0);
        sortkey key = {0, 8, SORTK_NUM, SORTO_ASC, 0};
        sortctl c{};
        c.keys = &key;
        c.nkeys = 1;
        c.reclen = pb->reclen;
        c.nrecs = n;
        c.workcap = work ? cap : -1;
        c.workbuf = work;
        c.infile = pb->unsorted[q];
        c.outfile = pb->sorted[q];
        c.start = zsorxci();
        c.compare = zsorxct();
        c.exits[SORTX_GET] = zxcget();
        c.exits[SORTX_PUT] = zxcput();
        c.exits[SORTX_END] = zxcrtn();
        c.pool = pool;
        const int rc = zsort(&c);
        if (rc < 0) {
            pb->rc = rc;
            zlevSortForPercentilesTerm(pb);
            return RC_READ;
        }
    }
    if (work) poolput(pool, work);
    return 0;
}

void zlevSortForPercentilesTerm(pctblock* pb) {
    for (int q = 0; q < pb->nvars; ++q) {
        if (pb->unsorted && pb->unsorted[q]) xcclose(pb->unsorted[q], 1);
        if (pb->sorted && pb->sorted[q]) xcclose(pb->sorted[q], 1);
        if (pb->unsorted) pb->unsorted[q] = nullptr;
        if (pb->sorted) pb->sorted[q] = nullptr;
    }
    if (pb->rc < 0) {
        xprrlog(0, pb->rc);
        xexit(RC_READ, 0);
    }
}

int zlevStddizeForPolynomials(levctl* ctl) {
    levstate* ls = ctl->lstate;
    levmoments* un = ls->usedcont;
    levmoments* wt = ls->usedcls;
    std::vector<double> y(static_cast<size_t>(std::max(ctl->nresp, 1)));
    double w, f, freqsum = 0.0, nobs = 0.0;
    if (ctl->rdrewind(ctl) != 0) return 0;
    while (ctl->rdnext(ctl)) {
        if (!usable(ctl, y, &w, &f, 1.0)) continue;
        freqsum += f;
        nobs += 1.0;
        if (un) {
            for (int q = 0; q < un->nvars; ++q) {
                const double x = ctl->contval[un->vars[q]];
                un->sums[un->vars[q]] += f * x;
                un->sumsq[un->vars[q]] += f * x * x;
            }
            un->freqsum = un->wsum = freqsum;
            un->nobs = nobs;
        }
        if (wt) {
            const double fw = f * (ctl->haswgt ? w : 1.0);
            wt->wsum += fw;
            for (int q = 0; q < wt->nvars; ++q) {
                const double x = ctl->contval[wt->vars[q]];
                wt->sums[wt->vars[q]] += fw * x;
                wt->sumsq[wt->vars[q]] += fw * x * x;
            }
            wt->freqsum = freqsum;
            wt->nobs = nobs;
        }
    }
    return ctl->rdfail ? RC_INPUT : 0;
}

int zlevefti(levctl* ctl) {
    levstate* ls = ctl->lstate;
    if (ls->nefstmt == 0) return 0;
    poolobj* pool = ctl->ldata->ldpool;
    pctblock pb{};
    if (int rc = zlevSortForPercentiles(ctl, &pb)) return rc;
    if (ls->usedcont || ls->usedcls)
        if (int rc = zlevStddizeForPolynomials(ctl)) return rc;
    int result = 0;
    for (int i = 0; i < ls->nefstmt && result == 0; ++i) {
        efrec* r = &ls->efstmt[i];
        switch (r->kind) {
            case EF_MULTI:
                if (multimember(ctl, r) != 0) {
                    xmemmsg(1024);
                    result = RC_NOMEM;
                }
                break;
            case EF_COLLECTION: {
                int n = r->ncont;
                for (int k = 0; k < r->ncls; ++k) n += ls->classv[r->clsix[k]].nlev - ((ls->lsflags & LS_CODED) ? 1 : 0);
                r->ncols = n;
                r->buflen = n;
                r->values = poolget<double>(pool, std::max(n, 1), poolflag::zeroed_marked);
                if (!r->values) result = RC_NOMEM;
                break;
            }
            case EF_SPLINE: {
                if (r->ispiece || !r->spline) break;
                const int rc = r->spline->basis == 1 ? zlevBSplineKnots(r, ls, pool, &pb) : zlevTPFSplineKnots(r, ls, pool, &pb);
                if (rc == 1) {
                    result = 3;
                    break;
                }
                if (rc != 0) {
                    result = rc;
                    break;
                }
                const int total = r->ncols;
                r->buflen = total;
                r->values = poolget<double>(pool, std::max(total, 1), poolflag::zeroed_marked);
                if (!r->values) {
                    result = RC_NOMEM;
                    break;
                }
                if (r->spline->separate) {
                    r->ncols = 1;
                    for (int p = 1; p < total && i + p < ls->nefstmt && ls->efstmt[i + p].ispiece; ++p) {
                        efrec* piece = &ls->efstmt[i + p];
                        piece->ncols = 1;
                        piece->buflen = 0;
                        piece->values = r->values + p;
                    }
                }
                break;
            }
            case EF_POLY: {
                if (r->ispiece || !r->poly) break;
                result = polynomial(ctl, r);
                if (result != 0) break;
                const int terms = r->poly->nterms;
                r->buflen = terms;
                r->values = poolget<double>(pool, std::max(terms, 1), poolflag::zeroed_marked);
                if (!r->values) {
                    result = RC_NOMEM;
                    break;
                }
                // one constructed effect per term: each piece reads its term from the base
                r->ncols = r->poly->collection ? terms : 1;
                if (!r->poly->collection)
                    for (int p = 1; p < terms && i + p < ls->nefstmt && ls->efstmt[i + p].ispiece; ++p) {
                        efrec* piece = &ls->efstmt[i + p];
                        piece->ncols = 1;
                        piece->buflen = 0;
                        piece->values = r->values + p;
                    }
                break;
            }
            default:
                break;
        }
    }
    if (pb.nvars > 0) zlevSortForPercentilesTerm(&pb);
    if (result == RC_NOMEM) xmemmsg(1024);
    return result;
}
