// The least-squares fit on probability paper and the tables of a group's probability
// estimates (vyxls and getfit are declared in lifedist.h).
#pragma once
#include "proc/lifedist/lifedist.h"

// A time of the stored scale in time units (exp on the ln scale, 10^x on the log10 scale),
// shifted by the THRESHOLD value when one was given; open ends (+-DBL_MAX) and missing
// values give the missing value.
double timeunits(const vyxstate* s, double x);

// ProbabilityEstimates: bind the table, append a row from a 24-double curve record with
// the two time cells, end the group's rows and publish.
void probtable_begin(vyxstate* s);
void probrow(vyxstate* s, const double* rec, double lower, double upper);
void probtable_end(vyxstate* s);
// The rows of the Turnbull estimate, between its intervals.
void turnbullprobrows(vyxstate* s, const grpnode* g);
// TurnbullGrad: one row per Turnbull interval (ends, probability, gradient, multiplier).
void turnbullgradtable(vyxstate* s, const grpnode* g);

// Right-censored observations of group g counted per interval of the life axis boundaries
// (lifeticks) into lifecounts, for a plot that draws them as counts (CENBIN). 0, or a
// failure after its message.
int censoredcounts(vyxstate* s, grpnode* g);

// The group's location and scale from the MODEL fit (FIT=MODEL).
void getfit(vyxstate* s, grpnode* g);
