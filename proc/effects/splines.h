// Spline knots and bases of spline constructed effects: truncated power functions and
// B-splines. The knot routines run once per model after levelization, the value routines once
// per observation and variable.
#pragma once
#include <cstdint>
#include "proc/effects/efinfo.h"
#include "proc/effects/effects_internal.h"

// Knots of every variable of the spline effect r (range from its continuous record; method 5
// reads the sorted percentile files of pb). Sets the columns per variable, the basis buffer and
// r->ncols. 0, or 1 after message 174/63 (a listed knot outside the data; lsrc at least 112),
// or RC_NOMEM.
int zlevTPFSplineKnots(efrec* r, levstate* ls, poolobj* pool, const pctblock* pb);
int zlevBSplineKnots(efrec* r, levstate* ls, poolobj* pool, const pctblock* pb);
// The columns of variable k at x into out (columns per variable doubles). The B-spline writes
// only its degree + 1 nonzero values: the other columns must be zero already.
void GetTPFSplineVals(splinedesc* s, int k, double* out, double x);
void GetBSplineVals(splinedesc* s, int k, double* out, double x);
