// The fit in progress: what the Newton-Raphson optimiser and its callbacks work on, and the
// fit's own options. Each subsystem that fits keeps one: the life-distribution fits in
// life.fit (proc/lifedist/fitstate.h), the MODEL fit in mdl.fit (proc/regression/modelstate.h).
// Routines that both use (the optimiser's settings and arrays, lifedist.h) take the record;
// what FITTYPE=MODEL reads of the MODEL's fit it reads from mdl.fit, without writing it.
#pragma once
#include "proc/framework/statetypes.h"

// Named places in the arrays of a fit.
enum : int {
    // itstatus: the iteration number and the convergence status
    ITS_ITER = 0, ITS_STATUS = 1,
    // itrow: the iteration-history row's iteration, ridge and log-likelihood cells, then one cell per parameter
    IH_ITER = 0, IH_RIDGE = 1, IH_LOGLIK = 2, IH_PARMS = 3,
    // prob_fn: the value kernel and the derivative kernel
    KN_VALUE = 0, KN_DERIV = 1,
};

struct fitwork {
    void* parmnames;            // parameter-name table of the fit
    fitarrayset fitarr;         // estimates, gradient, packed Hessian, work
    loglikpair loglik;          // current and final log-likelihood
    struct {
        double converge;        // default 0.001
        double convh;           // default 1e-4
        double singular;
        int32_t niter, neval;   // iterations and objective evaluations of the last fit
        double ridge;           // the optimiser's running ridge value (Ridge of the history)
    } fitcrit;
    double* itrow;              // iteration-history row (IH_* places)
    double itopts[3];           // PSTABLE, TOLLIKE, TOLPROB (IT_* places)
    parmcounts npar;            // parameter counts (model: the parameter count of the MODEL fit)
    int32_t maxiter;            // MAXIT, default 50
    uint32_t itstatus[2];       // iteration number and convergence status (0 to 3) (ITS_* places)
    int32_t optrc;              // optimiser return code
    void* optctl;               // optimiser control block
    itprflags itprflag;         // ITPRINT; converged
    uint8_t lrflags[2];         // LRCL; likelihood limits of percentiles (LR_* places)
    uint8_t covprint[2];        // COVB; CORRB (CP_* places)
    kernfn prob_fn[2];          // value kernel and derivative kernel (KN_* places)
};
