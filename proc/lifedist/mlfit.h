// Maximum-likelihood fits of the location-scale life distributions, group by group: the
// fit and its optimiser callbacks, the log-likelihood, the covariance and convergence
// status, Wald and likelihood-ratio limits, percentiles and survival probabilities, the
// fit summary and the estimate tables.
//
// Every routine takes the state block first and reads the group being fitted from
// vyxstate::curfit. Results go to the group node and to the state (parmvec, parmlim,
// lrlim, lagstat, itstatus). Failures of the output system end the step: the routine
// reports the code, calls xexit, sets vyxstate::stepend and returns; callers stop on it.
#pragma once
#include <cmath>
#include <cstdint>
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist.h"

// Words of a percentile or probability record (24 doubles).
enum : int { PCT_EST = 0, PCT_SE = 3, PCT_UPPER = 8, PCT_LOWER = 9, PCT_TIME = 14, PCT_WORDS = 24 };

// ---- the fit (optimiser callbacks take the state block as their context)
int vyxfit(vyxstate* s, grpnode* g);   // always 0; see optrc, itprflag.converged
double fentry(void* s);                // minus the log-likelihood at the current estimates
int gentry(void* s);                   // gradient and packed Hessian at the current estimates
int centry(void* s);                   // history row, then 1 go on, 0 converged
void itprint(vyxstate* s);             // fills the iteration-history row itrow
double DMatElem(void* s, int row, int col);  // rows: parameters, gradient, Hessian rows

// ---- log-likelihood of curfit at the current estimates (t, sigma): deriv 0 the value
// into loglik.current; deriv 1 the gradient and packed Hessian of minus the log-likelihood
// into fitarr. 0, or 1020 after 510/22 when the group's rows end early; a failing
// derivative kernel ends the step (510/913, code 1008).
int vyxlik(vyxstate* s, int deriv);

// ---- covariance, convergence status (ConvergenceStatus table) and Lagrange statistics
void vyxcov(vyxstate* s);
void zerosym(double* packed, int i, int n);   // zeroes row and column i
void misssym(double* packed, int i, int n);   // row and column i missing (no variance computed)
// A log-likelihood that an evaluation could not compute: minus the largest double (the value
// a failed evaluation stores) or a value that is not a finite number. Tables show it missing.
inline bool likfailed(double ll) { return !(std::isfinite(ll) && ll != -1.7976931348623157e308); }
// The design rows of the group for the MODEL fit (FITTYPE=MODEL and REGRESSION) into
// x[0..2m-1]: the derivatives of the group's location (first m) and of its scale (second m)
// in the m parameters of the MODEL fit. false when the MODEL fit gives the group no values.
bool modeldesign(vyxstate* s, double* x, int m);

// ---- limits
void vyxconf(vyxstate* s, grpnode* g);
// Survival S(t) = 1 - F(t) at the time t (taken to the analysis scale inside) with its
// Wald limits: rec[PCT_EST] survival, rec[PCT_LOWER] and rec[PCT_UPPER] its limits.
int sflim(vyxstate* s, grpnode* g, double t, double* rec);
// Wald standard error and limits of the percentile at p whose estimate is in rec[PCT_EST].
void cflim(vyxstate* s, double p, double* rec);
double lfentry(void* s, int32_t* flag);   // limit-search callbacks
int32_t lghntry(void* s);
void ithist(void* s);

// ---- percentiles
void pctl(vyxstate* s, double p, double* out);   // mu + sigma q(p) on the analysis scale
void vyxpper(vyxstate* s, grpnode* g);

// ---- fit summary, group driver and tables (vyxdfit, vyxpfit, vyxdsum, vyxpput: lifedist.h)
void putparms(vyxstate* s, double* wscale, double* wshape, double* var_wscale, double* cov_ws, double* var_wshape);
double MatElem(vyxstate* s, int i, int j);
