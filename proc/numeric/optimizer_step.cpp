// Step-length search of the Newton-Raphson minimiser: blocking constraint, then a trial at
// the blocking step, then backtracking by halving from the full Newton step.
//
// Algorithm: the project's own.
#include <algorithm>
#include <cmath>
#include "proc/numeric/bounds.h"
#include "proc/numeric/optimizer_step.h"
#include "proc/numeric/vecops.h"

namespace {

constexpr double kTiny = kNoGain;                // null-step and no-descent threshold
constexpr double kBlockNow = 1e-05;              // a blocking step this short is taken as 0
constexpr int kLonger = 64;                      // doublings of a step along the gradient

// Accepts step alpha with objective f.
double accept(nrparm* blk, int n, const double* d, double alpha, double f) {
    zvz111(blk->x, blk->xprev, d, n, alpha);
    blk->fprev = blk->fval;
    blk->fval = f;
    return alpha;
}

// Objective at xprev + alpha d (x is moved there).
double trial(void* context, nrparm* blk, int n, const double* d, double alpha, nrobjfn obj) {
    zvz111(blk->x, blk->xprev, d, n, alpha);
    return obj(context);
}

// Back to the start of the iteration, with the objective evaluated there (what the callbacks
// keep of the last evaluation belongs to the estimates).
double nullstep(void* context, nrparm* blk, int n, nrobjfn obj) {
    std::copy(blk->xprev, blk->xprev + n, blk->x);
    obj(context);
    return 0.0;
}

}  // namespace

double znewstp(void* context, nrparm* blk, nrctl* ctl, double* ridge, const double* d,
               nrobjfn obj) {
    const int n = ctl->npar;
    if (zvenorm(n, 1, d) <= kTiny * zvenorm(n, 1, blk->x)) {
        blk->fprev = blk->fval;
        return 0.0;
    }
    double alphamax = 10.0;
    double alphamin = kTiny;
    const int block = zblockstep(ctl, blk, d, &alphamax, &alphamin);
    const double f0 = blk->fval;
    const double a1 = std::fmin(alphamax, 2.0);
    const double decrease = -0.05 * zinner(blk->grad, d, n);  // required decrease per unit step
    if (decrease < kTiny * std::fabs(f0)) return 0.0;

    if (block >= 0) {
        zvz111(blk->x, blk->xprev, d, n, alphamax);
        if (alphamax <= kBlockNow) {
            zconadd(ctl, blk, block, ridge);
            return 0.0;
        }
        const double f1 = obj(context);
        const double a2 = a1 / 2.0;
        const double f2 = trial(context, blk, n, d, a2, obj);
        double ab = a2, fb = f2;
        if (f1 < f2) { ab = alphamax; fb = f1; }
        if (f0 - fb > ab * decrease) {
            if (ab == alphamax) {
                fb = trial(context, blk, n, d, alphamax, obj);
                zconadd(ctl, blk, block, ridge);
            }
            return accept(blk, n, d, ab, fb);
        }
    }

    double alpha = a1 / 2.0;  // the full Newton step when nothing blocks
    while (alpha > alphamin) {
        const double f = trial(context, blk, n, d, alpha, obj);
        if (alpha * decrease <= f0 - f) {
            if (ctl->firstok) return accept(blk, n, d, alpha, f);
            // Expansion: longer steps while each one gains more than alpha * decrease over
            // the last accepted one; it stops short of the blocking step.
            double best = alpha, fbest = f;
            for (double next = alpha * 1.2; next < alphamax; next *= 1.2) {
                const double fn = trial(context, blk, n, d, next, obj);
                if (!(fbest - fn > alpha * decrease)) break;
                best = next;
                fbest = fn;
            }
            return accept(blk, n, d, best, fbest);
        }
        alpha /= 2.0;
    }
    // No step length gave the decrease: the estimates stay where the iteration began, and the
    // objective is evaluated there again so that what the callbacks keep of the last evaluation
    // (the log-likelihood the fit reports) belongs to them. The last trial point lies only
    // 2 alphamin along d, but where the Hessian is nearly singular d is huge (1e30 on a flat
    // logistic likelihood) and that point would be far from any estimate.
    return nullstep(context, blk, n, obj);
}

double zgradstp(void* context, nrparm* blk, nrctl* ctl, const double* d, nrobjfn obj) {
    const int n = ctl->npar;
    const double f0 = blk->fval;
    const double decrease = -0.05 * zinner(blk->grad, d, n);  // required decrease per unit step
    if (!(decrease >= kTiny * std::fabs(f0))) return 0.0;       // nothing evaluated: x is xprev
    // A bound or constraint caps the step; none is added to the active set here.
    double alphamax = HUGE_VAL;
    double alphamin = kTiny;
    zblockstep(ctl, blk, d, &alphamax, &alphamin);
    double alpha = std::fmin(1.0, alphamax / 2.0);
    double f = trial(context, blk, n, d, alpha, obj);
    while (!(alpha * decrease <= f0 - f)) {
        alpha /= 2.0;
        if (!(alpha > alphamin)) return nullstep(context, blk, n, obj);
        f = trial(context, blk, n, d, alpha, obj);
    }
    // Far from the data the objective can be nearly linear for many gradients' lengths.
    for (int i = 0; i < kLonger; ++i) {
        const double next = alpha * 2.0;
        if (!(next < alphamax)) break;
        const double fn = trial(context, blk, n, d, next, obj);
        if (!(fn < f)) {
            f = trial(context, blk, n, d, alpha, obj);   // the last evaluation at the step taken
            break;
        }
        alpha = next;
        f = fn;
    }
    return accept(blk, n, d, alpha, f);
}
