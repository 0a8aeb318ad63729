// Simple bounds, linear constraints and the active set of the Newton-Raphson minimiser.
// Linear mode (bndmode 0): constraint i is row a_i of amat with right-hand side b_i, an
// equality a_i x = b_i for the first neq rows, an inequality a_i x >= b_i for the others;
// the active rows are factored as a product of Householder reflections. Bounds mode: pfree
// marks the free parameters and actlist lists the held ones in the order they were fixed.
// With no constraint every routine reduces to a copy. Each change of the active set resets
// the caller's ridge factor to 0.
#pragma once
#include "proc/numeric/optimizer.h"

// Bounds-mode start: nothing active, every parameter free. 0, or 5 when x is out of bounds.
int zbinit(nrctl* ctl, nrparm* blk);
// Linear-mode start: the equalities become active. 0, or 5 when x violates a constraint
// (beyond 1e-12 relative to max(1, |a x|)) or there are more equalities than parameters.
int zcinit(nrctl* ctl, nrparm* blk, double* ridge);
// Reduced Hessian onto the free directions into fact, packed, (n-nact)(n-nact+1)/2 values.
void zhproj(const nrctl* ctl, nrparm* blk);
// Newton direction d (n values) from grad and the factored fact; tmp holds n doubles.
// Also fills scratch (n - nact values).
void zgproj(const nrctl* ctl, nrparm* blk, double* d, double* tmp);
// Adds constraint k to the active set (linear: the constraint at position k; bounds:
// parameter k).
void zconadd(nrctl* ctl, nrparm* blk, int k, double* ridge);
// Releases it (linear: the active constraint at position k; bounds: parameter k). A
// constraint or parameter that is not active is left as it is.
void zcondrp(nrctl* ctl, nrparm* blk, int k, double* ridge);
// Copies row k of amat into the work row pfree, then, unless k equals nact, exchanges
// positions k and nact in amat, bvec and actlist.
void colswap(nrparm* blk, const nrctl* ctl, int k);

// The constraint or bound that first blocks a step along d from x: returns its number
// (-1 when none) and lowers *alphamax (start 10) to the step that meets it and *alphamin
// (start 1000 * 2^-53) to the smallest blocking step.
int zblockstep(const nrctl* ctl, const nrparm* blk, const double* d, double* alphamax,
               double* alphamin);
