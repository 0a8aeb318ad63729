// Step-length search of the Newton-Raphson minimiser (internal to the optimiser).
#pragma once
#include "proc/numeric/optimizer.h"

// A decrease of the objective below this fraction of its size (1000 x 2^-53) is lost in its
// rounding: the null-step and no-descent threshold of the step-length searches.
constexpr double kNoGain = 1000.0 * 1.1102230246251565e-16;

// Searches along d from xprev (= x on entry) for a step of sufficient decrease, taking the
// blocking constraint or bound into account. Returns the accepted step length, with x,
// fval and fprev updated, or 0 for a null step (x back at xprev, the objective evaluated there
// once more, after a failed search; x possibly moved onto a blocking constraint that was added
// to the active set).
double znewstp(void* context, nrparm* blk, nrctl* ctl, double* ridge, const double* d,
               nrobjfn obj);

// Searches along the steepest-descent direction d (-gradient on the free directions) from xprev
// (= x on entry), where the Hessian gives no finite Newton direction: from one gradient, halved
// until the decrease is sufficient, then doubled while the objective keeps falling. Returns the
// accepted step length with x, fval and fprev updated (the objective evaluated at x last), or 0
// with x back at xprev and the objective evaluated there once more.
double zgradstp(void* context, nrparm* blk, nrctl* ctl, const double* d, nrobjfn obj);
