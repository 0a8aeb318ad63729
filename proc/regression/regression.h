// The public header of the MODEL regression (what other folders may include of
// proc/regression): the MODEL fit for a group of a plot statement (FITTYPE=MODEL and
// REGRESSION).
#pragma once

struct vyxstate;
struct grpnode;
struct levstate;

// Makes the group's class levels and stress values the MODEL's current observation (a class
// variable of the statement takes the group's level and, when it is a continuous MODEL
// variable, its value; every other CLASS variable its first level and every other continuous
// variable its mean over the MODEL's rows), applies the relations, and gives the location and
// scale the fit predicts. xloc and xscl (optional, npar[2] doubles each, cleared by the caller)
// receive the derivatives of the location and of the scale in the MODEL parameters. false
// when no MODEL fit is there, a level of the group is not one of the MODEL's, or a relation
// refuses the stress value.
bool mdlgroupfit(vyxstate* s, const grpnode* g, double* loc, double* scl, double* xloc, double* xscl);

// The linear predictor of a control block's effect cells (the current observation) with the
// estimates on the data's scale; row (optional) receives the design values at their columns,
// offset by off (the LOGSCALE block's columns follow the MODEL's).
double mdllinear(const vyxstate* s, const levstate* ls, int off, double* row);
