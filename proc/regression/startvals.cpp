// Starting values of the MODEL fit: a weighted least-squares regression of the response on
// the design columns, swept column by column (a column that cannot be swept is dropped), then
// the scale, the shape, the given and initial values, the parameter status and the names.
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/lifedist/lifedist.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/linalg.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/rowfile.h"

using namespace mfit;

namespace {

inline long tri(int k) { return static_cast<long>(k) * (k + 1) / 2; }

// Runs the derivative pass of the likelihood under the substitute kernels over the first
// `order` parameters, every design column kept and every row read as one exact response:
// X'WX into the packed Hessian and X'Wy into the gradient.
void crossproducts(vyxstate* s, int order) {
    const int32_t np = s->mdl.fit.npar.total, nf = s->mdl.fit.npar.free, ndist = s->mdl.ndistp;
    const uint32_t kind = s->inwork.rspkind;
    const kernfn k0 = s->mdl.fit.prob_fn[KN_VALUE], k1 = s->mdl.fit.prob_fn[KN_DERIV];
    const uint8_t logscl = s->mdl.haslogscl;
    s->mdl.fit.npar.total = s->mdl.fit.npar.free = order;
    s->inwork.rspkind = 0;
    s->mdl.ndistp = 0;
    s->mdl.fit.prob_fn[KN_VALUE] = zlnull;
    s->mdl.fit.prob_fn[KN_DERIV] = zwnull;
    s->mdl.haslogscl = 0;
    loglike0(s, 1);
    s->mdl.haslogscl = logscl;
    s->mdl.fit.npar.total = np;
    s->mdl.fit.npar.free = nf;
    s->inwork.rspkind = kind;
    s->mdl.ndistp = ndist;
    s->mdl.fit.prob_fn[KN_VALUE] = k0;
    s->mdl.fit.prob_fn[KN_DERIV] = k1;
}

// With LOGSCALE: the cross products U'WU of the LOGSCALE columns, added into the packed
// matrix at their own rows (numbered from ncol), so that the sweep finds the LOGSCALE columns
// that depend on earlier ones. The MODEL and LOGSCALE blocks stay apart.
void scalecrossproducts(vyxstate* s, double* H) {
    const mdllayout* L = s->mdl.mdllay;
    const int ne = L->ne, nl = L->nl;
    int col[64];
    double u[64];
    forblocks(s, [&](char* rows, int64_t count) {
        for (int64_t k = 0; k < count; ++k) {
            const descell* r = desrowat(rows, L, k);
            const double w = L->hasfreq ? r[L->freq()].value : 1.0;
            int n = 0;
            for (int i = ne; i < ne + nl && n < 64; ++i) {
                col[n] = L->firstcol[i] + r[i].col;
                u[n++] = L->hascont[i] ? r[i].value : 1.0;
            }
            for (int a = 0; a < n; ++a)
                for (int b = 0; b <= a; ++b) H[zisub(col[a], col[b])] += w * u[a] * u[b];
        }
        return true;
    });
}

// The least-squares fit over the first `order` design columns (the MODEL columns, or with
// LOGSCALE the MODEL and LOGSCALE columns): sweeps the augmented matrix, drops the columns
// that cannot be swept, fills parmmap and the column estimates, and returns the number of
// columns kept. *rss receives the residual sum of squares, *floor its lower bound.
int leastsquares(vyxstate* s, int order, bool withscale, double* rss, double* floorv) {
    double* b = s->mdl.fit.fitarr.est;
    double* g = s->mdl.fit.fitarr.grad;
    double* H = s->mdl.fit.fitarr.hess;
    char* st = s->mdl.parmstat;
    const int ncol = s->mdl.mdllay->ncol;

    crossproducts(s, ncol);
    if (withscale) {
        // The MODEL pass filled only the first ncol rows; the LOGSCALE rows start empty.
        for (long k = tri(ncol); k < tri(order); ++k) H[k] = 0.0;
        for (int j = ncol; j < order; ++j) g[j] = 0.0;
        scalecrossproducts(s, H);
    }
    // Border row: X'Wy (0 for the LOGSCALE columns); the gradient array becomes the tolerances.
    double* border = H + tri(order);
    for (int j = 0; j < order; ++j) border[j] = g[j];
    for (int j = 0; j < order; ++j) {
        const double d = H[zisub(j, j)];
        g[j] = (std::isnan(d) || d < 0.0625 ? 0.0625 : d) * s->mdl.fit.fitcrit.singular;
    }
    // Total sum of squares in the corner.
    const double sd = s->mdl.ystat[YS_SD], mean = s->mdl.ystat[YS_MEAN];
    double tss = sd * sd * (s->mdl.mdlrows < 2 ? 1.0 : static_cast<double>(s->mdl.mdlrows - 1));
    if (!s->mdl.intfix) tss += s->mdl.sumwt[MSW_ALL] * mean * mean;
    border[order] = tss;
    *floorv = tss * EPS53;

    for (int j = 0; j <= order; ++j) st[j] = '0';
    if (s->mdl.intfix) st[0] = '*';
    if (withscale && s->mdl.lsintfix) st[ncol] = '*';
    for (int j = 0; j < order; ++j)
        if (st[j] == '0') zsweep(H, j, order + 1, st, b, g[j]);
    int k = 0;
    for (int j = 0; j < order; ++j) {
        if (st[j] == '0') {
            st[j] = '*';
            s->mdl.parmmap[j] = -1;
        } else {
            s->mdl.parmmap[j] = k++;
        }
    }
    for (int j = 0; j < order; ++j) b[j] = s->mdl.parmmap[j] < 0 || st[j] == '*' ? 0.0 : border[j];
    // A fixed intercept (preset '*') is kept but not estimated here.
    *rss = border[order];
    return k;
}

// The scale start from the residual sum of squares: never 0, the given SCALE= when there is one.
double scalestart(const vyxstate* s, double rss, double floorv, int kept) {
    if (rss < floorv) rss = floorv * 100000.0;
    const double given = s->opts.fixedparms[FP_SCALE];
    if (!ismiss(given)) return given;
    const double W = s->mdl.sumwt[MSW_ALL];
    const double d = kept + 1 < W ? W - kept : 1.0;
    return std::sqrt(rss / d);
}

// INITIAL= values of one model's effects after its intercept: value number c - first - 1
// goes to design column c (times the column's scale) when it is given and the column kept.
void initialvalues(vyxstate* s, int which, int effrom, int efto, int first) {
    const mdllayout* L = s->mdl.mdllay;
    const int n = s->mdl.ninit[which];
    const double* v = s->mdl.initvals[which];
    if (n <= 0 || !v) return;
    double* b = s->mdl.fit.fitarr.est;
    for (int e = effrom + 1; e < efto; ++e) {
        for (int c = L->firstcol[e]; c < L->firstcol[e] + L->effcols[e]; ++c) {
            if (s->mdl.parmstat[c] == '*') continue;
            // Value number c - first - 1; a value beyond the list is not there.
            const int idx = c - first - 1;
            if (idx < 0 || idx >= n) continue;
            if (!ismiss(v[idx])) b[c] = v[idx] * scale(s, c);
        }
    }
}

// The intercept of one model from its given value: the value, plus, when the intercept is
// estimated, the centring of the columns of the effects without CLASS variables.
double givenintercept(const vyxstate* s, double given, bool fixed, int effrom, int efto) {
    if (fixed) return given;
    const mdllayout* L = s->mdl.mdllay;
    const double* b = s->mdl.fit.fitarr.est;
    double sum = given;
    for (int e = effrom + 1; e < efto; ++e) {
        if (L->hascls[e]) continue;
        for (int c = L->firstcol[e]; c < L->firstcol[e] + L->effcols[e]; ++c)
            if (s->mdl.parmmap[c] >= 0) sum += b[c] * centre(s, c) / scale(s, c);
    }
    return sum;
}

void names(vyxstate* s) {
    auto* h = static_cast<txthandle*>(s->mdl.fit.parmnames);
    int k = 0;
    for (int j = 0; j < s->mdl.fit.npar.total; ++j)
        if (s->mdl.parmmap[j] >= 0) h[k++] = rdxtxts("Prm%d", -1, j + 1);
}

double pstable(const vyxstate* s) {
    double p = s->mdl.fit.itopts[IT_PSTABLE];
    if (!ismiss(p)) return p;
    // Half the observed fraction of failures.
    const double W = s->mdl.sumwt[MSW_ALL];
    return W > 0.0 ? (s->mdl.mdlcnt[MCNT_LEFT] + s->mdl.mdlcnt[MCNT_INTERVAL] + s->mdl.sumwt[MSW_EXACT]) / W * 0.5 : 0.5;
}

}  // namespace

void vyxmls(vyxstate* s) {
    if (s->mdl.haslogscl) init1(s);
    else init0(s);
}

void init0(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const int ncol = n.ncol, p = n.p;
    double* b = s->mdl.fit.fitarr.est;
    s->mdl.shiftq = 0.0;
    const uint8_t gam = s->mdl.gammafam;
    s->mdl.gammafam = 0;
    for (int j = 0; j < p; ++j) {
        b[j] = 0.0;
        s->mdl.parmmap[j] = 0;
    }
    if (n.ndist > 0) b[ncol] = 1.0;

    double rss = 0.0, floorv = 0.0;
    const int k = leastsquares(s, ncol, false, &rss, &floorv);
    s->mdl.gammafam = gam;
    s->mdl.fit.npar.free = k + n.ndist;
    for (int i = 0; i < n.ndist; ++i) {
        s->mdl.parmstat[ncol + i] = '1';
        s->mdl.parmmap[ncol + i] = k + i;
    }
    s->mdl.parmstat[p] = '\0';
    for (int j = 0; j < ncol; ++j)
        if (s->mdl.parmstat[j] != '*') s->mdl.parmstat[j] = '1';
    if (s->mdl.intfix) s->mdl.parmstat[0] = '*';
    if (n.ndist > 0) b[ncol] = scalestart(s, rss, floorv, k);
    names(s);
    const double ps = pstable(s);

    if (!s->mdl.intfix && !s->mdl.scalefix) {
        // The shape block of the shape estimate as it stands here (0, the normal limit).
        double shape[GSH_SIZE] = {};
        bool ok = true;
        if (s->mdl.gammafam) ok = s->mdl.shape_fn && s->mdl.shape_fn(b[ncol + 1], shape) == 0;
        double q[2] = {0.0, 0.0};
        if (ok && s->mdl.quantst_fn && s->mdl.quantst_fn(q, ps, shape) == 0 && std::isfinite(q[0])) s->mdl.shiftq = q[0];
    }

    const mdllayout* L = s->mdl.mdllay;
    initialvalues(s, IV_MODEL, 0, L->ne, 0);
    if (s->mdl.intfix) b[0] = 0.0;
    const double given = s->opts.fixedparms[FP_INTERCEPT];
    if (!ismiss(given)) b[0] = givenintercept(s, given, s->mdl.intfix, 0, L->ne);
    if (n.ndist > 1) b[ncol + 1] = !ismiss(s->opts.fixedparms[FP_SHAPE]) ? s->opts.fixedparms[FP_SHAPE] : 1.0;
    if (!s->mdl.intfix && n.ndist > 0) b[0] += s->mdl.shiftq * b[ncol];

    if (s->mdl.intfix) {
        s->mdl.parmstat[0] = 'C';
        --s->mdl.fit.npar.free;
    }
    if (s->mdl.scalefix && n.ndist > 0) {
        s->mdl.parmstat[ncol] = 'C';
        --s->mdl.fit.npar.free;
    }
    if (s->mdl.shapefix && n.ndist > 1) {
        s->mdl.parmstat[ncol + 1] = 'C';
        --s->mdl.fit.npar.free;
    }
    droppednotes(s);
    if (s->mdl.fit.npar.free != p) vyxxpm(b, s->mdl.parmstat, p, nullptr);
}

void init1(vyxstate* s) {
    const mdlcounts n = mdlsizes(s);
    const int ncol = n.ncol, ntot = n.ntot, p = n.p;
    double* b = s->mdl.fit.fitarr.est;
    s->mdl.shiftq = 0.0;
    const uint8_t gam = s->mdl.gammafam;
    s->mdl.gammafam = 0;
    for (int j = 0; j < p; ++j) {
        b[j] = 0.0;
        s->mdl.parmmap[j] = 0;
    }

    double rss = 0.0, floorv = 0.0;
    const int k = leastsquares(s, ntot, true, &rss, &floorv);
    s->mdl.gammafam = gam;
    s->mdl.fit.npar.free = k - 1 + n.ndist;
    for (int i = 0; i < s->mdl.fit.npar.free - k; ++i) {
        s->mdl.parmstat[ntot + i] = '1';
        s->mdl.parmmap[ntot + i] = k + i;
    }
    s->mdl.parmstat[p] = '\0';
    for (int j = 0; j < ntot; ++j)
        if (s->mdl.parmstat[j] != '*') s->mdl.parmstat[j] = '1';
    if (s->mdl.intfix) s->mdl.parmstat[0] = '*';
    if (s->mdl.lsintfix) s->mdl.parmstat[ncol] = '*';
    for (int j = ncol; j < ntot; ++j) b[j] = 0.0;
    const double sc = scalestart(s, rss, floorv, k);
    b[ncol] = sc > 0.0 ? std::log(sc) : sc;
    names(s);

    const mdllayout* L = s->mdl.mdllay;
    initialvalues(s, IV_MODEL, 0, L->ne, 0);
    initialvalues(s, IV_LOGSCALE, L->ne, L->ne + L->nl, ncol);
    if (s->mdl.intfix) b[0] = 0.0;
    const double given = s->opts.fixedparms[FP_INTERCEPT];
    if (!ismiss(given)) b[0] = givenintercept(s, given, s->mdl.intfix, 0, L->ne);
    if (s->mdl.lsintfix) b[ncol] = 0.0;
    const double lgiven = s->opts.fixedparms[FP_LSINTERCEPT];
    if (!ismiss(lgiven)) b[ncol] = givenintercept(s, lgiven, s->mdl.lsintfix, L->ne, L->ne + L->nl);
    if (n.ndist > 1) b[ntot] = !ismiss(s->opts.fixedparms[FP_SHAPE]) ? s->opts.fixedparms[FP_SHAPE] : 1.0;

    if (s->mdl.intfix) {
        s->mdl.parmstat[0] = 'C';
        --s->mdl.fit.npar.free;
    }
    if (s->mdl.lsintfix) {
        s->mdl.parmstat[ncol] = 'C';
        --s->mdl.fit.npar.free;
    }
    if (s->mdl.shapefix && n.ndist > 1) {
        s->mdl.parmstat[ntot] = 'C';
        --s->mdl.fit.npar.free;
    }
    droppednotes(s);
    if (s->mdl.fit.npar.free != p) vyxxpm(b, s->mdl.parmstat, p, nullptr);
}
