// The public header of the MODEL regression (what other folders may include of
// proc/regression): the MODEL fit for a group of a plot statement (FITTYPE=MODEL and
// REGRESSION), the cell of its design rows, the statement's routine and what the relation
// plot reads of an observation; the rest is in regression_internal.h.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"
#include "host/vec320_output.h"
#include "proc/numeric/shapequant.h"

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

// The design rows of a MODEL fit: one row of 12-byte cells per usable observation, and the
// layout that says which design column each effect cell feeds (mdllayout,
// regression_internal.h). The data pass writes the rows and the layout; the likelihood, the
// starting values, the limits and the observation statistics read them without going back
// to the effect records.
// One cell: a value and a 32-bit index, 12 bytes without padding (the row file's format).
#pragma pack(push, 4)
struct descell {
    double value;
    int32_t col;
};
#pragma pack(pop)
static_assert(sizeof(descell) == 12, "a design cell is 12 bytes");

// The MODEL statement: a life distribution whose location is a linear function of effects
// (and whose log scale may be one too, LOGSCALE), fitted by maximum likelihood.
//
// Every routine takes the state block first. Results: 0 success; 1 after a logged message;
// or an exit code (1008 data or file, 1016 memory, 2000 the statement as written). A failing output-object
// call ends the step: the routine ends it (callfailed, proc/framework/stepend.h) and returns.
struct levctl;
struct leveffect;

// ---- driver, options and data pass
int vyxmod(vyxstate* s);
double transx(vyxstate* s);                 // 0.0, or the missing value when a relation transform fails
// The current observation's failure-mode value, left-justified in obsvals; false when it is
// missing (a numeric variable) or blank (a character one).
bool fmodevalue(vyxstate* s);
// Whether the current observation (its failure-mode value read by fmodevalue) is of another
// failure mode (KEEP: not listed; ELIMINATE: listed): the MODEL takes its exact failure as
// right-censored.
bool othermode(const vyxstate* s);
// The listed failure-mode value the current observation's mode matches (its index), or -1.
int listedmode(const vyxstate* s);

// ---- shared by the fit routines
// Counts of the parameter vector: design columns of MODEL and LOGSCALE, the total, p.
struct mdlcounts {
    int ncol, nls, ntot, ndist, p;
};
mdlcounts mdlsizes(const vyxstate* s);
