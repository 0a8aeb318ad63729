// Newton-Raphson minimiser with ridging: each iteration factors the Hessian reduced to the
// free directions, adding a growing multiple of its norm to the diagonal until the Cholesky
// factorisation succeeds, and follows the Newton direction with a step-length search.
//
// Algorithm: the project's own Newton-Raphson with ridging.
#include <cmath>
#include <cstddef>
#include "proc/numeric/bounds.h"
#include "proc/numeric/linalg.h"
#include "proc/numeric/optimizer.h"
#include "proc/numeric/optimizer_step.h"
#include "proc/numeric/vecops.h"

namespace {

inline std::ptrdiff_t tri(int k) { return static_cast<std::ptrdiff_t>(k) * (k + 1) / 2; }

// Carves the work array; returns the direction vector and sets *tmp to the temporary
// vector of the direction solve.
double* partition(const nrctl* ctl, nrparm* blk, double** tmp) {
    const std::ptrdiff_t n = ctl->npar;
    double* w = blk->work;
    blk->fact = w;
    if (ctl->bndmode) {
        w += tri(ctl->npar);
        double* d = w;
        w += n;
        blk->pfree = w;
        w += n;
        if (!blk->actlist) {
            blk->actlist = reinterpret_cast<int32_t*>(w);
            w += (n + 1) / 2;  // n 32-bit integers, rounded up to whole doubles
        }
        *tmp = w;
        return d;
    }
    const std::ptrdiff_t m = static_cast<std::ptrdiff_t>(ctl->neq) + ctl->nineq;
    const std::ptrdiff_t sq = n * n;
    const std::ptrdiff_t fact = sq > n + tri(ctl->npar) ? sq : n + tri(ctl->npar);
    *tmp = w + tri(ctl->npar);  // the solve's vector lies inside the fact area
    w += fact;
    double* d = w;
    w += n;
    blk->hhvec = w;
    w += n * m;
    blk->hhbeta = w;
    w += m;
    blk->pfree = w;
    w += n;
    blk->actlist = reinterpret_cast<int32_t*>(w);
    return d;
}

// Adds the ridge to the diagonal of the packed k x k matrix; returns the pivot tolerance.
double zridgit(double* fact, int k, double ridge, double singtol) {
    const std::ptrdiff_t len = tri(k);
    double delta = 0.0;
    if (ridge > 0.0) {
        double ss = 0.0;
        for (std::ptrdiff_t i = 0; i < len; ++i) ss += fact[i] * fact[i];
        delta = ridge * std::sqrt(ss) / static_cast<double>(len);
        if (delta < singtol) delta = 1.0;
    }
    double dmax = 0.0;
    for (int i = 0; i < k; ++i) {
        double& di = fact[tri(i) + i];
        di += delta;
        if (di > dmax) dmax = di;
    }
    return singtol * dmax;
}

// Raises the ridge factor after a failed factorisation; false when it may not grow further.
// A factor that does not grow (ridgeinit <= 0, ridgegrow <= 1) also fails, or ridging would
// repeat the same failing factorisation for ever.
bool bigger(const nrctl* ctl, double* ridge) {
    const double old = *ridge;
    const double next = old == 0.0 ? ctl->ridgeinit : old * ctl->ridgegrow;
    if (!(next > old) || !(next <= ctl->ridgemax)) return false;
    *ridge = next;
    return true;
}

bool allfinite(const double* v, int n) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

void copy(double* to, const double* from, int n) {
    for (int i = 0; i < n; ++i) to[i] = from[i];
}

// The steepest-descent direction: the Newton direction with the reduced Hessian taken as the
// identity (its factor overwritten), so that it is -gradient on the free directions. false
// when it is not finite either.
bool gradientdirection(const nrctl* ctl, nrparm* blk, double* d, double* tmp) {
    const int k = ctl->npar - ctl->nact;
    for (std::ptrdiff_t i = 0; i < tri(k); ++i) blk->fact[i] = 0.0;
    for (int i = 0; i < k; ++i) blk->fact[tri(i) + i] = 1.0;
    zgproj(ctl, blk, d, tmp);
    return allfinite(d, ctl->npar);
}

// After convergence of a ridged iteration: is the unridged Hessian positive definite?
int finalcheck(void* context, nrparm* blk, const nrctl* ctl, double ridge, double tol,
               nrgradfn grad) {
    if (!(ridge > 0.0)) return NR_CONVERGED;
    const int n = ctl->npar;
    if (ctl->regrad) grad(context);
    for (std::ptrdiff_t i = 0; i < tri(n); ++i) blk->fact[i] = blk->hess[i];
    int rc = NR_CONVERGED;
    for (int i = 0; i < n; ++i) {
        zchol(i, blk->fact, tol);
        // A NaN diagonal is no evidence of a positive definite Hessian either.
        if (!(blk->fact[tri(i) + i] >= tol)) rc = NR_NOTPOSDEF;
    }
    return rc;
}

}  // namespace

int znewrap(void* context, nrparm* blk, nrctl* ctl, double* ridge, nrobjfn obj, nrgradfn grad,
            nriterfn iter) {
    if (ctl->usedflt) {
        ctl->singtol = 1e-06;
        ctl->ridgemax = 1024.0;
        ctl->ridgeinit = 0.3125;
        ctl->ridgegrow = 4.0;
        ctl->maxiter = 50;
        ctl->regrad = 0;
        ctl->firstok = 1;
    }
    const int n = ctl->npar;
    blk->fval = obj(context);
    grad(context);
    double* tmp = nullptr;
    double* d = partition(ctl, blk, &tmp);
    const int start = ctl->bndmode ? zbinit(ctl, blk) : zcinit(ctl, blk, ridge);
    if (start > 0) return start;
    if (ctl->maxiter <= 0) return NR_NOCONV;
    // A start where the objective is not a number cannot be improved on: every trial
    // comparison would fail and the caller's test would see no change as convergence.
    if (!std::isfinite(blk->fval)) return NR_NOTFINITE;

    int nulls = 0;
    double tol = 0.0;
    bool gradsteps = false;  // a step along the gradient has been taken
    bool confirming = false; // the caller's test was met after gradient steps
    for (int it = 0; it < ctl->maxiter; ++it) {
        *ridge = 0.0;
        const int k = n - ctl->nact;
        for (;;) {
            copy(blk->xprev, blk->x, n);
            zhproj(ctl, blk);
            tol = zridgit(blk->fact, k, *ridge, ctl->singtol);
            bool ok = true;
            for (int i = 0; i < k && ok; ++i) {
                const double pivot = zchol(i, blk->fact, tol);
                if (!(pivot > tol) && !std::isnan(pivot)) ok = false;
            }
            if (ok) break;
            if (!bigger(ctl, ridge)) {
                copy(blk->x, blk->xprev, n);
                return NR_RIDGEFAIL;
            }
        }
        zgproj(ctl, blk, d, tmp);
        const int nact = ctl->nact;
        double alpha;
        if (confirming && *ridge == 0.0 && allfinite(d, n) &&
            !(-0.5 * zinner(blk->grad, d, n) > kNoGain * std::fabs(blk->fval)))
            return finalcheck(context, blk, ctl, *ridge, tol, grad);
        if (allfinite(d, n)) {
            alpha = znewstp(context, blk, ctl, ridge, d, obj);
            if (alpha == 0.0 && confirming) return finalcheck(context, blk, ctl, *ridge, tol, grad);
            // Once the fit has stepped along the gradient, a Newton direction that gains
            // nothing (finite, but from a curvature of 1e-75 on a likelihood still nearly
            // linear) gives way to a step along the gradient as well.
            if (alpha == 0.0 && gradsteps && ctl->nact == nact && gradientdirection(ctl, blk, d, tmp))
                alpha = zgradstp(context, blk, ctl, d, obj);
        } else {
            // No finite Newton direction. Where the gradient is finite, the curvature is what
            // failed (far from the data it underflows, and a pivot of 1e-317 passes the test
            // relative to itself): a step along the gradient, lengthened while the objective
            // falls; the next iteration takes Newton's step again where it can. A gradient
            // that is not a number gives no direction to follow.
            if (!gradientdirection(ctl, blk, d, tmp)) {
                copy(blk->x, blk->xprev, n);
                return NR_NOTFINITE;
            }
            alpha = zgradstp(context, blk, ctl, d, obj);
            if (alpha == 0.0) return NR_NOCURVE;
            gradsteps = true;
        }
        if (alpha == 0.0) {
            if (nulls > n) return NR_NOCONV;
            ++nulls;
            if (ctl->nact > nact) continue;  // a constraint was added: no callbacks
        } else {
            nulls = 0;
        }
        grad(context);
        const int rc = iter(context);
        if (rc == 0) {
            // A fit that came along the gradient crossed a likelihood nearly linear, where
            // Newton's steps are cut short by the curvature rising towards the maximum: a step
            // small against the size of the estimates is then no sign of being near it (a
            // logistic fit 0.1 wide would stop 1.7 standard errors short). It goes on with
            // Newton's steps until the gain they predict, half of g'H^-1 g, is lost in the
            // rounding of the objective.
            if (!gradsteps) return finalcheck(context, blk, ctl, *ridge, tol, grad);
            confirming = true;
        }
        if (rc < 0) zcondrp(ctl, blk, -rc - 1, ridge);
    }
    if (confirming) return finalcheck(context, blk, ctl, *ridge, tol, grad);
    return NR_NOCONV;
}
