// The Turnbull self-consistency estimate of a group of interval data (vyxem is declared in
// lifedist.h): Turnbull intervals, masses by EM iterations, polishing, Lagrange
// multipliers, standard errors and limits of the cumulative probabilities.
//
// The incidence of an observation on the Turnbull intervals is a contiguous run of them
// (the intervals are disjoint and ordered, and an observation covers those that lie inside
// its range), so it is kept as the run's first and last index rather than as a row of m
// bytes; observations with the same run are handled together with their summed weight.
// The iterations are those of the byte matrix; sums come in another order.
#pragma once
#include <cstdint>

#include "proc/lifedist/lifedist.h"

// Arrays of grpnode.emtab, m doubles each.
enum : int {
    EMT_LEFT = 0,      // left end of interval k (-DBL_MAX when open)
    EMT_RIGHT = 1,     // right end (+DBL_MAX when open)
    EMT_CUM = 2,       // masses during the iterations; at the end the cumulative probability F_k
    EMT_GRAD = 3,      // gradient accumulator; at the end the reduced gradient
    EMT_MULT = 4,      // new masses; at the end the Lagrange multiplier
    EMT_PROB = 5,      // saved masses while polishing; at the end the probability q_k
    EMT_SE = 6,        // history probabilities; at the end the standard error of F_k
    EMT_LOWER = 7,     // masses at the start of an iteration; at the end the pointwise lower limit
    EMT_UPPER = 8,     // saved gradient while polishing; at the end the pointwise upper limit
    EMT_SIMLOWER = 9,  // simultaneous lower limit
    EMT_SIMUPPER = 10, // simultaneous upper limit
    EMT_ARRAYS = 11,
};

// The incidence of a group's observations: ngroups distinct runs [lo, hi] of Turnbull
// intervals with the summed weight of their observations. A run with lo > hi covers no
// interval.
struct emruns {
    int32_t ngroups;
    int32_t* lo;
    int32_t* hi;
    double* w;
};

// Set-up: the Turnbull intervals into grpnode.emtab (arrays 0 and 1), grpnode.nturn, the
// weighted mean and spread of the interval midpoints, and the runs. 0; 1020 after 510/22.
// Allocation failures end the step (xmemmsg, exit code 1016).
int vyxem0(vyxstate* s, grpnode* g, emruns* runs);
// Defines and binds the IterEM history table (ITPRINTEM) into curtab and curtabid. 0, or 1
// when the table object could not be made (the step has been ended).
int setupit(vyxstate* s, grpnode* g);
// A table object of the Turnbull estimate named name, with the group count appended in
// class modes; null when the call failed (the step has been ended).
struct obobject;
obobject* emtable(vyxstate* s, const char* name, int label, bool listed);
// Its Group (in class modes, when group) and Label columns.
void groupcolumns(vyxstate* s, obobject* t, bool group);
// EM iterations from the masses in array 2; 1 when they converged, else 0.
int emiter(vyxstate* s, grpnode* g, const emruns* runs);
// Standard errors of the cumulative probabilities (array 6) from the information matrix of
// the probabilities q in array 2.
void emstderr(vyxstate* s, grpnode* g, const emruns* runs);
// Cumulative probabilities into array 2, their pointwise limits (arrays 7, 8) with the
// normal quantile z and, with NPINTERVALS=SIMULTANEOUS, the monotone simultaneous limits
// (arrays 9, 10); the plot ranges and the means of the plotted points.
void emlimits(vyxstate* s, grpnode* g, double z);
// Starting masses, iterations, polishing, multipliers, status tables, information matrix,
// standard errors, limits and plot ranges. 0, or the negative result of a failing
// output-object call after the step was ended.
int vyxem1(vyxstate* s, grpnode* g, const emruns* runs);
