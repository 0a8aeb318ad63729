// Newton-Raphson minimiser with ridging. It works in caller-owned arrays, reaches the model
// only through three callbacks and reports by a return code; it never allocates, prints or
// issues messages.
#pragma once
#include <cstdint>

// Settings block.
struct nrctl {
    int32_t npar;      // number of parameters n
    int32_t nact;      // number of active constraints (set by the optimiser)
    int32_t neq;       // linear equality constraints (linear-constraint mode)
    int32_t nineq;     // linear inequality constraints (linear-constraint mode)
    int32_t bndmode;   // nonzero: simple bounds on single parameters; zero: linear constraints
    int32_t usedflt;   // nonzero: overwrite the seven settings below with the defaults
    int32_t maxiter;   // iteration limit (default 50)
    int32_t regrad;    // nonzero: evaluate the gradient again before the final check (default 0)
    int32_t firstok;   // 1: accept the first trial step of sufficient decrease (default 1)
    double singtol;    // singularity criterion (default 1e-6)
    double ridgemax;   // largest allowed ridge factor (default 1024)
    double ridgeinit;  // first nonzero ridge factor (default 0.3125)
    double ridgegrow;  // growth of the ridge factor on each further failure (default 4)
};

// Arrays and state. Pointers are the caller's unless the optimiser sets them (inside work).
struct nrparm {
    double* work;      // work array, partitioned by the optimiser (znewrap_worksize)
    double* hess;      // packed Hessian at x, n(n+1)/2, filled by the gradient callback
    double* grad;      // gradient at x, n, filled by the gradient callback
    double* scratch;   // n doubles overwritten every iteration
    double* xprev;     // estimates at the start of the current iteration
    double* x;         // start on entry, current point during the run, result on return
    double* amat;      // m x n constraint matrix, row-major, equalities first (reordered)
    double* bvec;      // m right-hand sides (reordered with the rows)
    double* fact;      // set: reduced Hessian, then its Cholesky factor, packed
    double* pfree;     // set: bounds mode 1.0 free / 0.0 held; linear mode a work row
    double* lower;     // n lower bounds (bounds mode); -DBL_MAX is no bound
    double* upper;     // n upper bounds (bounds mode); DBL_MAX is no bound
    double* hhvec;     // set: Householder vectors of the active constraints
    double* hhbeta;    // set: their m scalars
    double fval;       // objective at x
    double fprev;      // objective before the last step-length search
    int32_t* actlist;  // active constraints by position (linear) / held parameters (bounds)
};

using nrobjfn = double (*)(void* context);  // objective (minus the log-likelihood) at x
using nrgradfn = int (*)(void* context);    // writes grad and hess at x; result ignored
using nriterfn = int (*)(void* context);    // 0 converged, > 0 go on, -(k+1) release k

// Return codes.
enum : int {
    NR_CONVERGED = 0,   // converged
    NR_NOCONV = 1,      // iteration limit, or too many null steps in a row
    NR_NOTFINITE = 2,   // objective, gradient or Hessian not a number; x restored to xprev
    NR_RIDGEFAIL = 3,   // ridge factor would exceed ridgemax; x restored to xprev
    NR_NOTPOSDEF = 4,   // converged, but the Hessian at the solution is not positive definite
    NR_INFEASIBLE = 5,  // the start violates a bound or a constraint
    NR_NOESTIMATE = 6,  // never the optimiser's: set by a fit whose data have no maximum (the
                        // likelihood grows as the scale tends to 0), whatever the optimiser said
    NR_NOCURVE = 7,     // the Hessian gives no finite Newton direction and no step along the
                        // gradient decreased the objective; x restored to xprev, the objective
                        // evaluated there last
};

// Doubles of work the optimiser needs for these settings (the partition of work).
inline long znewrap_worksize(const nrctl* ctl) {
    const long n = ctl->npar;
    const long tri = n * (n + 1) / 2;
    if (ctl->bndmode) return tri + n + n + (n + 1) / 2 + n;
    const long m = static_cast<long>(ctl->neq) + ctl->nineq;
    const long fact = n * n > n + tri ? n * n : n + tri;
    return fact + n + n * m + m + n + (m + 1) / 2;
}

// Runs one minimisation from blk->x. The ridge factor lives with the caller: set to 0 at
// the start of each iteration and raised while ridging.
int znewrap(void* context, nrparm* blk, nrctl* ctl, double* ridge, nrobjfn obj, nrgradfn grad,
            nriterfn iter);
