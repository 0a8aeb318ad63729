// Bounds, linear constraints and the active set of the Newton-Raphson minimiser.
//
// Algorithm: the project's own active-set handling; the active constraint rows are factored
// by Householder reflections (the textbook QR factorisation).
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <utility>
#include "proc/numeric/bounds.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/vecops.h"

namespace {

constexpr double kEps = 1.1102230246251565e-16;  // 2^-53
constexpr double kStartTol = 1e-12;              // relative feasibility at the start

inline double* arow(const nrparm* blk, int n, int i) {
    return blk->amat + static_cast<std::ptrdiff_t>(i) * n;
}
// Reflection j keeps its n-j values from position j*n - j(j-1)/2 of hhvec.
inline double* hhv(const nrparm* blk, int n, int j) {
    return blk->hhvec + static_cast<std::ptrdiff_t>(j) * n - static_cast<std::ptrdiff_t>(j) * (j - 1) / 2;
}
// Applies H_0 ... H_(count-1) to the strided vector v.
void reflect_fwd(const nrparm* blk, int n, int count, double* v, int stride) {
    for (int j = 0; j < count; ++j) zhh2(v, hhv(blk, n, j), j, blk->hhbeta[j], stride, n);
}
// Copies the constraint at position j into the work row and builds reflection j from it.
void build_reflection(nrparm* blk, int n, int j) {
    double* w = blk->pfree;
    const double* a = arow(blk, n, j);
    for (int i = 0; i < n; ++i) w[i] = a[i];
    reflect_fwd(blk, n, j, w, 1);
    zhh1(w, hhv(blk, n, j), &blk->hhbeta[j], j, 1, n);
}

}  // namespace

int zbinit(nrctl* ctl, nrparm* blk) {
    const int n = ctl->npar;
    ctl->nact = 0;
    for (int i = 0; i < n; ++i) {
        blk->pfree[i] = 1.0;
        blk->actlist[i] = -1;
    }
    for (int i = 0; i < n; ++i)
        if (blk->x[i] < blk->lower[i] || blk->x[i] > blk->upper[i]) return 5;
    return 0;
}

int zcinit(nrctl* ctl, nrparm* blk, double* ridge) {
    const int n = ctl->npar;
    const int m = ctl->neq + ctl->nineq;
    ctl->nact = 0;
    for (int i = 0; i < m; ++i) blk->actlist[i] = i;
    // More equalities than parameters cannot all be held by reflections of length n.
    if (ctl->neq > n) return 5;
    for (int i = 0; i < ctl->neq; ++i) {
        const double v = zinner(arow(blk, n, i), blk->x, n);
        if (std::fabs(v - blk->bvec[i]) > kStartTol * std::fmax(1.0, std::fabs(v))) return 5;
        zconadd(ctl, blk, i, ridge);
    }
    ctl->nact = ctl->neq;
    for (int i = ctl->neq; i < m; ++i) {
        const double v = zinner(arow(blk, n, i), blk->x, n);
        if (blk->bvec[i] - kStartTol * std::fmax(1.0, std::fabs(v)) > v) return 5;
    }
    return 0;
}

void zhproj(const nrctl* ctl, nrparm* blk) {
    const int n = ctl->npar;
    const int nact = ctl->nact;
    const std::ptrdiff_t tri = static_cast<std::ptrdiff_t>(n) * (n + 1) / 2;
    if (nact == 0) {
        for (std::ptrdiff_t i = 0; i < tri; ++i) blk->fact[i] = blk->hess[i];
        return;
    }
    if (ctl->bndmode) {
        std::ptrdiff_t out = 0;
        for (int i = 0; i < n; ++i) {
            if (blk->pfree[i] == 0.0) continue;
            for (int j = 0; j <= i; ++j)
                if (blk->pfree[j] != 0.0) blk->fact[out++] = blk->hess[zisub(i, j)];
        }
        return;
    }
    double* sq = blk->fact;
    zmmovsr(blk->hess, sq, n);
    for (int c = 0; c < n; ++c) reflect_fwd(blk, n, nact, sq + c, n);   // Q H
    for (int r = nact; r < n; ++r) reflect_fwd(blk, n, nact, sq + static_cast<std::ptrdiff_t>(r) * n, 1);
    zmmovrs(sq, blk->fact, nact + 1, n, n);                               // Z'HZ
}

void zgproj(const nrctl* ctl, nrparm* blk, double* d, double* tmp) {
    const int n = ctl->npar;
    const int nact = ctl->nact;
    const int k = n - nact;
    if (ctl->bndmode) {
        int j = 0;
        for (int i = 0; i < n; ++i)
            if (blk->pfree[i] != 0.0) tmp[j++] = blk->grad[i];
        for (int i = 0; i < k; ++i) blk->scratch[i] = tmp[i];
        zchol2(k, blk->fact, tmp);
        zbaksub(k, blk->fact, tmp);
        j = 0;
        for (int i = 0; i < n; ++i) d[i] = blk->pfree[i] != 0.0 ? -tmp[j++] : 0.0;
        return;
    }
    for (int i = 0; i < n; ++i) tmp[i] = blk->grad[i];
    reflect_fwd(blk, n, nact, tmp, 1);
    for (int i = 0; i < nact; ++i) tmp[i] = 0.0;
    zchol2(k, blk->fact, tmp + nact);
    zbaksub(k, blk->fact, tmp + nact);
    for (int i = 0; i < k; ++i) blk->scratch[i] = tmp[nact + i];
    for (int j = nact - 1; j >= 0; --j) zhh2(tmp, hhv(blk, n, j), j, blk->hhbeta[j], 1, n);
    for (int i = 0; i < n; ++i) d[i] = -tmp[i];
}

void colswap(nrparm* blk, const nrctl* ctl, int k) {
    const int n = ctl->npar;
    const int nact = ctl->nact;
    double* a = arow(blk, n, k);
    for (int i = 0; i < n; ++i) blk->pfree[i] = a[i];
    if (k == nact) return;
    double* b = arow(blk, n, nact);
    for (int i = 0; i < n; ++i) std::swap(a[i], b[i]);
    std::swap(blk->bvec[k], blk->bvec[nact]);
    std::swap(blk->actlist[k], blk->actlist[nact]);
}

void zconadd(nrctl* ctl, nrparm* blk, int k, double* ridge) {
    const int n = ctl->npar;
    if (ctl->bndmode) {
        blk->pfree[k] = 0.0;
        blk->actlist[ctl->nact] = k;
        ctl->nact += 1;
        *ridge = 0.0;
        return;
    }
    colswap(blk, ctl, k);
    const int p = ctl->nact;
    reflect_fwd(blk, n, p, blk->pfree, 1);
    zhh1(blk->pfree, hhv(blk, n, p), &blk->hhbeta[p], p, 1, n);
    *ridge = 0.0;
    ctl->nact += 1;
}

void zcondrp(nrctl* ctl, nrparm* blk, int k, double* ridge) {
    const int n = ctl->npar;
    if (ctl->bndmode) {
        // Only a held parameter can be released; anything else would drop another
        // parameter from the list while it stays held.
        int pos = -1;
        for (int p = 0; p < ctl->nact; ++p)
            if (blk->actlist[p] == k) { pos = p; break; }
        if (pos < 0) return;
        for (int p = pos; p + 1 < ctl->nact; ++p) blk->actlist[p] = blk->actlist[p + 1];
        ctl->nact -= 1;
        blk->actlist[ctl->nact] = -1;
        blk->pfree[k] = 1.0;
        *ridge = 0.0;
        return;
    }
    if (k < 0 || k >= ctl->nact) return;
    ctl->nact -= 1;
    *ridge = 0.0;
    colswap(blk, ctl, k);
    for (int j = k; j < ctl->nact; ++j) build_reflection(blk, n, j);
}

int zblockstep(const nrctl* ctl, const nrparm* blk, const double* d, double* alphamax,
               double* alphamin) {
    const int n = ctl->npar;
    int block = -1;
    if (ctl->bndmode) {
        for (int i = 0; i < n; ++i) {
            if (blk->pfree[i] == 0.0) continue;  // held at a bound
            const double t = -d[i];
            const bool nolow = blk->lower[i] == -DBL_MAX;
            const bool noup = blk->upper[i] == DBL_MAX;
            if (std::fabs(t) < kEps || (nolow && noup) || (t < 0 && noup) || (t > 0 && nolow)) continue;
            const double r = t < 0 ? (blk->x[i] - blk->upper[i]) / t : (blk->x[i] - blk->lower[i]) / t;
            if (r <= *alphamax) {
                *alphamax = std::fmax(r, 0.0);
                block = i;
                *alphamin = std::fmin(*alphamin, *alphamax);
            }
        }
        return block;
    }
    const int m = ctl->neq + ctl->nineq;
    for (int j = ctl->nact; j < m; ++j) {
        const double* a = arow(blk, n, j);
        const double s = -zinner(a, d, n);
        if (!(s > 0.0)) continue;
        const double r = (zinner(a, blk->x, n) - blk->bvec[j]) / s;
        if (r <= *alphamax) {
            *alphamax = r;
            block = j;
            *alphamin = std::fmin(*alphamin, r);
        }
    }
    return block;
}
