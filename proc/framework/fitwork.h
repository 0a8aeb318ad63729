// The fit in progress, shared by the life-distribution fits and the MODEL fit.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

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
    double fixedparms[8];       // THRESHOLD and the MODEL statement's fixed values (FP_* places)
    double* estarr[4];          // previous estimates, second optimiser array, covariance copy
    double* itrow;              // iteration-history row
    double itopts[3];           // PSTABLE, TOLLIKE, TOLPROB
    parmcounts npar;            // parameter counts
    int32_t maxiter;            // MAXIT, default 50
    uint32_t itstatus[2];       // iteration number and convergence status (0 to 3)
    int32_t* parmmap;           // parameter index map
    int32_t optrc;              // optimiser return code
    void* optctl;               // optimiser control block
    itprflags itprflag;         // ITPRINT; converged
    uint8_t lrflags[2];         // LRCL; likelihood limits of percentiles (LR_* places)
    uint8_t covprint[2];        // COVB; CORRB (CP_* places)
    kernfn prob_fn[2];          // value kernel and derivative kernel
};

// Fields of fitwork used outside framework (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   parmnames    written in lifedist, regression
//   fitarr       written in lifedist, regression
//   loglik       written in lifedist, regression
//   fitcrit      written in lifedist, regression
//   fixedparms   written in lifedist, regression; read in devgraph, framework
//   estarr       written in lifedist, regression
//   itrow        written in lifedist, regression
//   itopts       written in lifedist, regression
//   npar         written in lifedist, regression
//   maxiter      written in lifedist, regression
//   itstatus     written in lifedist, regression
//   parmmap      written in regression; read in devgraph
//   optrc        written in lifedist, regression
//   optctl       written in lifedist, regression
//   itprflag     written in lifedist, regression
//   lrflags      written in lifedist, regression
//   covprint     written in lifedist, regression
//   prob_fn      written in lifedist, regression
