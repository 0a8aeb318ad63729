// The fit in progress, shared by the life-distribution fits and the MODEL fit.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"

struct fitwork {
    void* parmnames;
    double* fitarr[4];
    double loglik[2];
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
    int32_t npar[3];
    int32_t maxiter;
    uint32_t itstatus[2];
    int32_t* parmmap;
    int32_t optrc;
    void* optctl;
    uint8_t itprflag[2];
    uint8_t lrflags[2];
    uint8_t covprint[2];
    kernfn prob_fn[2];
};
