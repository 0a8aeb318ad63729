// What the files of proc/lifedist share that no other folder uses; what other folders use is
// declared in the public header, lifedist.h, which this one includes.
#pragma once
#include "proc/lifedist/lifedist.h"

// ---- the option readers
int vyxaprm(vyxstate* s);                      // ANALYZE

// ---- BY-group input and its tables
int vyxin(vyxstate* s);                        // reads the BY group into group nodes and rows
int vyxbld(vyxstate* s, grpnode* g);           // gives a group its row buffer; 0 or 1016
int printmod(vyxstate* s);                     // model information list

// ---- the analysis driver
int vyxptbl(vyxstate* s);                      // fits and tables of every group; always 0
void setgrp(vyxstate* s, grpnode* g, int i, int j, int* counter);
grpnode* newgroup(vyxstate* s);                // a cleared group node of the statement (xmemmsg, null)
int vyxscl(vyxstate* s);                       // plotting positions per group, ranges and axis scales
void vyxpobj(vyxstate* s);                     // the statement's table objects
// The titles of ParmEst (slot TAB_PARMEST) or PctEst (TAB_PCTEST) where likelihood-ratio
// limits are asked for, before their first rows are bound: the kind of limits that group
// shows (lrshown), as lrtitle then records. Nothing once titled.
void estimatetitles(vyxstate* s, int slot);

// ---- group data sorting and parameter reordering
int vyxpdta(vyxstate* s, grpnode* g);          // sorts a group's rows by time, then its curve
void sort1(double* rows, int n, int m, double* tmp);   // ... equal first values: second value descending
void xchg(double* packed, int i, int j, int n);

// ---- plotting positions (ppfn)
double vyxxrnk(double a, double i, double n, double* carry, double d);   // EXPRANK
double vyxmrnk(double a, double i, double n, double* carry, double d);   // MEDRANK
double vyxmrk1(double a, double i, double n, double* carry, double d);   // MEDRANK1
double vyxkm(double a, double i, double n, double* carry, double d);     // KM
double vyxmkm(double a, double i, double n, double* carry, double d);    // MKM
double vyxna(double a, double i, double n, double* carry, double d);     // NA
// The adjusted-rank increment after a censored row of weight w with a units at risk before it
// (the row included): Johnson's (n + 1 - R) over one more than the units beyond the row,
// 1 + a - w, which is a itself for a row of one unit. A FREQ row of w units so gives the
// increment of its last unit written as a row of its own, whatever w is: a tiny censored weight
// leaves the ranks as if the row were not there, and a weight of 3 the ranks of three rows.
inline double rankstep(double n, double R, double a, double w) { return (n + 1 - R) / (1 + (a - w)); }

// ---- nonparametric estimates, least squares and the Turnbull estimate
int vyxcrv(vyxstate* s, grpnode* g);           // curve of one sorted group; 0 or a failure
int vyxem(vyxstate* s, grpnode* g);            // Turnbull estimate of a group of interval data
int vyxls(vyxstate* s, grpnode* g);            // probability estimates and least-squares fit; nonzero: no fit
void getfit(vyxstate* s, grpnode* g);          // the group's location and scale from the MODEL fit (FIT=MODEL)
// The confidence of the Weibayes bounds as a fraction (lifedist.h: weibayespercent).
double weibayesconf(const vyxstate* s);

// ---- maximum-likelihood fits and their tables
int vyxpfit(vyxstate* s, grpnode* g);          // fit of the whole data (no class variable)
int vyxdfit(vyxstate* s, grpnode* g);          // distribution fit of one group; nonzero: no fit
void vyxdsum(vyxstate* s, grpnode* g, int i, int j);   // data summary table of a group
void vyxpput(vyxstate* s, grpnode* g, int i, int j);   // estimate tables of a group
void fmput(vyxstate* s);                       // parameter table of the failure modes

// ---- binomial and Poisson analysis of ANALYZE
int vyxpb(vyxstate* s, grpnode* g);            // one class level, or the option counts (g null)
int vyxpbpr(vyxstate* s);                      // its tables

// ---- the curve records in memory (lifedist.h: the curve record)
// The most a group's curve records take in one buffer (87,381 records); larger curves go to
// the group's curve file, which the host keeps in memory as long as its files together fit.
constexpr int64_t CR_MEMBYTES = int64_t(16) << 20;

// ---- the observation rows (lifedist.h: the forms, codes and fixed columns)
// The response form as the statement wrote it: with FMODE a time alone is read as a time
// with censoring (fmresp), which is still the response of a MODEL statement of a time alone.
uint32_t writtenform(const vyxstate* s);

// Rows per buffer: a group of more rows spills to its utility file.
constexpr int OBS_ROWS_PER_BUFFER = 100;

// Where the optional columns of a layout lie (-1 when absent).
struct obscols {
    int ndoubles;      // doubles per row
    int weight;        // FREQ
    int fmidx;         // failure-mode index
    int nenter;        // NENTER value
};

// The layout of the current statement, from the response form and the FREQ, NENTER and
// FMODE COMBINE settings the option reader left in the state block.
obscols obslayout(const vyxstate* s);

// ---- failure modes combined (lifedist.h: the curve words, fmest, fmcdf, fmint)
// The fits of the listed modes of group g (the whole data), then the combined estimate
// (fmode). 0; nonzero when no mode could be fitted or fmode failed (the data are then shown
// without a fit: fitmethod 3, no fitted line); 1020 when the group's rows end early.
int vyxpfitfm(vyxstate* s, grpnode* g);

// Starting values (maximum likelihood) or the estimates (least squares, Weibayes, given
// values, the MODEL fit) of the mode fmodeset.curmode of group g; the group's failure
// weight becomes the mode's own. 0; 1 after 510/692, 510/903, 510/9030 or 510/524 (no fit
// of this mode); 1020 after 510/22.
int vyxfmi(vyxstate* s, grpnode* g);

// Whether there is a combined estimate: the statement fits (FITTYPE is not NONE) and at
// least one listed mode could be fitted. Without one the plots show the plotting positions
// only: no combined curve, no reference-line crossings with it.
bool fmcombined(const vyxstate* s);

// The SurvEst table of the combined estimate at the SURVTIME values. 0, or 1 when fmest fails.
int fmode(vyxstate* s);

// Ends the rows of a failure-mode table (ParmEst, SurvEst) as the group loop needs and
// publishes it.
void fmclose(vyxstate* s, tabpair& tab);

// ---- utility files (lifedist.h: ufopen, ufdrop)
// Writes one block of bytes; 0 or the host's status.
int ufwrite(xchandle handle, const void* block, int64_t bytes);

// ---- the Turnbull estimate: Turnbull intervals, masses by EM iterations, polishing,
// Lagrange multipliers, standard errors and limits of the cumulative probabilities (vyxem;
// lifedist.h: the arrays of grpnode.emtab).
//
// The incidence of an observation on the Turnbull intervals is a contiguous run of them
// (the intervals are disjoint and ordered, and an observation covers those that lie inside
// its range), so it is kept as the run's first and last index rather than as a row of m
// bytes; observations with the same run are handled together with their summed weight.
// The iterations are those of the byte matrix; sums come in another order.
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

// ---- the tables of a group's probability estimates
// ProbabilityEstimates: bind the table, append a row from a 24-double curve record with
// the two time cells, end the group's rows and publish.
void probtable_begin(vyxstate* s);
void probrow(vyxstate* s, const double* rec, double lower, double upper);
void probtable_end(vyxstate* s);
// The rows of the Turnbull estimate, between its intervals.
void turnbullprobrows(vyxstate* s, const grpnode* g);
// TurnbullGrad: one row per Turnbull interval (ends, probability, gradient, multiplier).
void turnbullgradtable(vyxstate* s, const grpnode* g);

// ---- maximum-likelihood fits of the location-scale life distributions, group by group: the
// fit and its optimiser callbacks, the log-likelihood, the covariance and convergence
// status, Wald and likelihood-ratio limits, percentiles and survival probabilities, the
// fit summary and the estimate tables.
//
// Every routine takes the state block first and reads the group being fitted from
// vyxstate::curfit. Results go to the group node and to the state (parmvec, parmlim,
// lrlim, lagstat, itstatus). Failures of the output system end the step: the routine
// reports the code and ends the step (callfailed, endstep) and returns; as vyxfit and the
// routines without a result cannot return it, their callers stop on stepend.
// The fit (optimiser callbacks take the state block as their context).
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
// true when the likelihood of curfit has no maximum because every observation is consistent
// with one value: every exact value is that value, every censored observation contains it
// (the ends of an interval included). The likelihood then grows without end (to 1 with no
// exact value, without bound with them) as the scale tends to 0 at that value, which no
// finite scale reaches; the scale must be free (and a fixed location that value). Data
// censored on one side only (every observation right-censored, say) are left to the fit: there
// the location runs away. Observations are taken as the likelihood takes them, on the
// analysis scale.
bool noestimate(vyxstate* s, grpnode* g);

// ---- covariance, convergence status (ConvergenceStatus table) and Lagrange statistics
void vyxcov(vyxstate* s);
// The design rows of the group for the MODEL fit (FITTYPE=MODEL and REGRESSION) into
// x[0..2m-1]: the derivatives of the group's location (first m) and of its scale (second m)
// in the m parameters of the MODEL fit. false when the MODEL fit gives the group no values.
bool modeldesign(vyxstate* s, double* x, int m);

// ---- limits
void vyxconf(vyxstate* s, grpnode* g);
double lfentry(void* s, int32_t* flag);   // limit-search callbacks
int32_t lghntry(void* s);
void ithist(void* s);

// ---- percentiles
void vyxpper(vyxstate* s, grpnode* g);

// ---- fit summary
void putparms(vyxstate* s, double* wscale, double* wshape, double* var_wscale, double* cov_ws, double* var_wshape);
