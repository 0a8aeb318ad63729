// Profile-likelihood (likelihood-ratio) confidence limits of a linear combination c'theta
// of the model parameters: the extremes of c'theta on the boundary of the region
// -l(theta) = -l(theta_hat) + q/2, q the chi-square quantile with 1 degree of freedom at
// 1 - alpha. Newton iterations on the Lagrangian with a UDU' factored Hessian and a
// step-halving safeguard; the model is reached only through callbacks.
#pragma once
#include <cstdint>

// The limit-search block.
struct ciblk {
    uint8_t prtflag;   // nonzero: call the print callback after every likelihood evaluation
    int32_t npar;      // number of parameters p
    int32_t maxeval;   // largest number of likelihood evaluations per limit
    int32_t* evalcnt;  // the caller's evaluation counter: 0 at the start of each limit
    double* theta;     // point the callbacks evaluate at; the estimates on entry
    double* base;      // p doubles: the point the last Newton step was taken from
    double* cgrad;     // p doubles: gradient of minus the log-likelihood at theta
    double* chess;     // packed Hessian of minus the log-likelihood at theta (factored here)
    double* cvec;      // p coefficients c
    double* lowres;    // 1 + p: c'theta at the lower limit, then theta there
    double* uppres;    // 1 + p: the same for the upper limit
    double singtol;    // singularity criterion of the factorisation
    double convcrit;   // convergence criterion (at most 1/500 of q/2 is used: see prci.cpp)
    double negllmax;   // minus the maximum log-likelihood
    double alpha;      // the limits have confidence 1 - alpha
};

// Minus the log-likelihood at theta; DBL_MAX or *flag > 0 marks a failed evaluation.
using cilikfn = double (*)(void* context, int32_t* flag);
// Writes cgrad and chess at theta; 0 on success.
using cigradfn = int32_t (*)(void* context);
// Writes one iteration-history row.
using ciiterfn = void (*)(void* context);
// Optional hook called before each likelihood evaluation.
using ciextrafn = void (*)(void* context);

// Finds both limits (lower first). 0 both found; 1 the work storage could not be allocated
// from the host instance's pool (nothing else done); 2 at least one limit not found within
// maxeval evaluations, or no chi-square quantile for alpha (its value is then the host's
// missing value; theta follows it). Beyond the range of the chi-square quantile the square
// of the normal quantile at 1 - alpha/2 is used (one degree of freedom).
int32_t zprci(void* context, ciblk* blk, cilikfn lik, cigradfn gradhess, ciiterfn print,
              ciextrafn extra);

// Half the chi-square quantile with one degree of freedom at 1 - alpha (beyond that
// quantile's range the square of the normal quantile at 1 - alpha/2): the drop in the
// log-likelihood at which a limit lies; 0 when alpha gives none.
double zprcidrop(double alpha);

// Whether the limit search can find that drop below a log-likelihood of magnitude |loglik|:
// its criterion (at most 1/500 of the drop) must stand well clear of the log-likelihood's
// rounding, 2^-53 |loglik| for each term it sums. At a tiny confidence (a drop of 8e-13 at
// 1e-6) it does not, and a search would stop on rounding noise.
bool zprciresolves(double alpha, double loglik);
