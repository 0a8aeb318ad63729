// The fit in progress, shared by the life-distribution fits and the MODEL fit.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct fitwork {
    void* parmnames;
    fitarrayset fitarr;           // estimates, gradient, packed Hessian, work
    loglikpair loglik;
    struct {
        double converge;        // default 0.001
        double convh;           // default 1e-4
        double singular;
        int32_t niter, neval;   // iterations and objective evaluations of the last fit
        double ridge;           // the optimiser's running ridge value (Ridge of the history)
    } fitcrit;
    double fixedparms[8];
    double* estarr[4];
    double* itrow;
    double itopts[3];           // PSTABLE, TOLLIKE, TOLPROB
    parmcounts npar;
    int32_t maxiter;
    uint32_t itstatus[2];
    int32_t* parmmap;
    int32_t optrc;
    void* optctl;
    itprflags itprflag;
    uint8_t lrflags[2];
    uint8_t covprint[2];
    kernfn prob_fn[2];
};

// Fields used outside framework (folders of proc/; "written" counts assignments and
// addresses taken):
//   parmnames    written in lifedist, regression
//   fitarr       written in lifedist, regression
//   loglik       written in lifedist, regression
//   fitcrit      written in lifedist, regression
//   fixedparms   written in lifedist, regression; read in devgraph, framework
//   estarr       written in regression; read in lifedist
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
