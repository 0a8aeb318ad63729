// The routines of the life-distribution statements (ANALYZE, PROBPLOT, RELATIONPLOT) that
// the analysis driver and its neighbours call. Each routine takes the state block first;
// results are 0 on success, 1 after a logged message, or an exit code (RC_*). This is the
// folder's public header: after the routines come the records and helpers the other folders
// use (curve rows, observation rows, failure modes, utility files, Turnbull, least squares,
// the ML fit, the row walk of a group), each with its own comment.
#pragma once
#include <cstdint>
#include "proc/numeric/optimizer.h"
#include "host/vec320_output.h"
#include "host/vec39_files.h"
#include <cmath>
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/grpnode.h"

struct vyxstate;
struct grpnode;

// ---- option readers
int vyxaprm(vyxstate* s);                      // ANALYZE
int vyxpprm(vyxstate* s);                      // PROBPLOT and RELATIONPLOT

// ---- BY-group input and its tables
int vyxin(vyxstate* s);                        // reads the BY group into group nodes and rows
int vyxbld(vyxstate* s, grpnode* g);           // gives a group its row buffer; 0 or 1016
int printmod(vyxstate* s);                     // model information list
// Observation counts (NObs; also MCFPLOT's, and MODEL's as ModNObs) from the nobsrow cells;
// the statement-label column only for a labelled statement of the life-data road.
int nobstbl(vyxstate* s, const char* name = "NObs", bool stmtlabel = true);

// ---- the analysis driver
int PPComp(vyxstate* s);                       // one statement in one BY group
int vyxptbl(vyxstate* s);                      // fits and tables of every group; always 0
void setgrp(vyxstate* s, grpnode* g, int i, int j, int* counter);
void CleanUpDisk(vyxstate* s);                 // closes and deletes the statement's utility files
grpnode* newgroup(vyxstate* s);                // a cleared group node of the statement (xmemmsg, null)
int vyxscl(vyxstate* s);                       // plotting positions per group, ranges and axis scales
void vyxpobj(vyxstate* s);                     // the statement's table objects

// ---- group data sorting and parameter reordering
int vyxpdta(vyxstate* s, grpnode* g);          // sorts a group's rows by time, then its curve
void sort(double* rows, int n, int m, double* tmp);    // Shell sort by the first value
void sort1(double* rows, int n, int m, double* tmp);   // ... equal first values: second value descending
void vyxxpm(double* v, const char* flags, int n, double* packed);
void xchg(double* packed, int i, int j, int n);

// ---- plotting positions (ppfn) and stress transforms (strfn)
double vyxxrnk(double a, double i, double n, double* carry, double d);   // EXPRANK
double vyxmrnk(double a, double i, double n, double* carry, double d);   // MEDRANK
double vyxmrk1(double a, double i, double n, double* carry, double d);   // MEDRANK1
double vyxkm(double a, double i, double n, double* carry, double d);     // KM
double vyxmkm(double a, double i, double n, double* carry, double d);    // MKM
double vyxna(double a, double i, double n, double* carry, double d);     // NA
double vyxsarr(double x);    // ARR: 1000 / (x + 273.15)
double vyxslin(double x);    // LINEAR
double vyxspow(double x);    // POW: ln x
double vyxsarr2(double x);   // ARR2: 11605 / (x + 273.15)
double vyxslgt(double x);    // LOGISTIC: ln(x / (1 - x))

// ---- nonparametric estimates, least squares and the Turnbull estimate
int vyxcrv(vyxstate* s, grpnode* g);           // curve of one sorted group; 0 or a failure
int vyxem(vyxstate* s, grpnode* g);            // Turnbull estimate of a group of interval data
int vyxls(vyxstate* s, grpnode* g);            // probability estimates and least-squares fit; nonzero: no fit
void getfit(vyxstate* s, grpnode* g);          // the group's location and scale from the MODEL fit
// The confidence of the Weibayes bounds: a fraction, and in percent as it is printed.
double weibayesconf(const vyxstate* s);
double weibayespercent(const vyxstate* s);

// ---- maximum-likelihood fits and their tables
// The Newton-Raphson settings of every maximum-likelihood fit (the distributions' and MODEL's):
// the state's iteration limit and singularity criterion, the first trial step accepted, the
// ridge schedule.
nrctl newtonsettings(const vyxstate* s);
// The optimiser's arrays: work, Hessian and gradient from fitarr, the estimates x, and two
// spare vectors of the parameters' length.
nrparm newtonarrays(vyxstate* s, double* x, double* scratch, double* xprev);
int vyxpfit(vyxstate* s, grpnode* g);          // fit of the whole data (no class variable)
int vyxdfit(vyxstate* s, grpnode* g);          // distribution fit of one group; nonzero: no fit
void vyxdsum(vyxstate* s, grpnode* g, int i, int j);   // data summary table of a group
void vyxpput(vyxstate* s, grpnode* g, int i, int j);   // estimate tables of a group
void fmput(vyxstate* s);                       // parameter table of the failure modes

// ---- binomial and Poisson analysis of ANALYZE
int vyxpb(vyxstate* s, grpnode* g);            // one class level, or the option counts (g null)
int vyxpbpr(vyxstate* s);                      // its tables

// The nonparametric curve record: 24 doubles per curve point, kept in a group's curve
// buffer or written in blocks of 1000 records to the group's second utility file.
enum : int {
    CR_PPOS = 0,       // plotting position (READOUT: the life-table estimate)
    CR_F = 2,          // product-limit (or life-table) estimate of the distribution function
    CR_SE = 3,         // its standard error
    CR_UPPER = 8,      // pointwise upper limit
    CR_LOWER = 9,      // pointwise lower limit
    CR_SIMUPPER = 12,  // simultaneous upper limit
    CR_SIMLOWER = 13,  // simultaneous lower limit
    CR_TIME = 14,      // time on the stored scale
    CR_WEIGHT = 20,    // weight of the row
    CR_CUMHAZ = 21,    // Nelson-Aalen cumulative hazard
    CR_CUMHAZSD = 22,  // its standard deviation
    CR_WORDS = 24,
};

constexpr int64_t CR_BYTES = CR_WORDS * 8;
constexpr int32_t CR_PERBLOCK = 1000;                       // records per utility-file block
constexpr int64_t CR_BLOCKBYTES = CR_PERBLOCK * CR_BYTES;   // 192000
// The most a group's curve records take in one buffer (87,381 records); larger curves go to
// the group's curve file, which the host keeps in memory as long as its files together fit.
constexpr int64_t CR_MEMBYTES = int64_t(16) << 20;

// The observation row of the life-distribution statements: one used observation as
// doubles, rows per buffer of them in a group's row buffer and, once the buffer has been
// full, in whole blocks on the group's utility file. A column is present only under its
// condition, in this order: time (or lower and upper end, or events and trials), censoring
// code, weight (FREQ), failure-mode index (FMODE COMBINE), NENTER value (READOUT).

// Response forms (rspkind): single time, time with censor list, lower/upper pair, READOUT,
// events(trials) or count(exposure).
enum : uint32_t { FORM_TIME = 0, FORM_CENSOR = 1, FORM_INTERVAL = 2, FORM_READOUT = 3, FORM_COUNTS = 4 };

// The response form as the statement wrote it: with FMODE a time alone is read as a time
// with censoring (fmresp), which is still the response of a MODEL statement of a time alone.
uint32_t writtenform(const vyxstate* s);

// Censoring codes of a row; CENS_OTHERMODE only while reading (stored as CENS_RIGHT).
enum : int { CENS_EXACT = 0, CENS_RIGHT = -1, CENS_LEFT = -2, CENS_INTERVAL = -3, CENS_OTHERMODE = -4 };

// Fixed columns.
enum : int {
    OBS_TIME = 0,      // time on the analysis scale (ln, log10 or as read)
    OBS_LOWER = 0,     // lower end of a lower/upper pair (missing: left-censored at the upper end)
    OBS_EVENTS = 0,    // events or count
    OBS_CENS = 1,      // censoring code (time with censor list)
    OBS_UPPER = 1,     // upper end (missing: right-censored at the lower end)
    OBS_TRIALS = 1,    // trials or exposure
};

// Rows per buffer: a group of more rows spills to its utility file.
constexpr int OBS_ROWS_PER_BUFFER = 100;

// Where the optional columns of a layout lie (-1 when absent).
struct obscols {
    int ndoubles;      // doubles per row
    int weight;        // FREQ
    int fmidx;         // failure-mode index
    int nenter;        // NENTER value
};

// The weight column of a response form: 1 for forms 0 and 3, else 2.
inline int obsweightcol(uint32_t form) { return form == FORM_TIME || form == FORM_READOUT ? 1 : 2; }

// The layout of the current statement, from the response form and the FREQ, NENTER and
// FMODE COMBINE settings the option reader left in the state block.
obscols obslayout(const vyxstate* s);

// Failure modes combined as competing risks (FMODE COMBINE): each listed mode is fitted by
// itself, the failures of the other modes counting as censored, and the unit survives t
// only if it survives every usable mode: S(t) = product of the modes' S_i(t), F = 1 - S.
//
// The fits of the modes live in the state block (fmloc, fmscale, fmcov, fmused; the mode
// being fitted is fmodeset.curmode). Curve records are 24 doubles with the words below.
struct tabpair;

enum : int {
    FM_F = 0,        // the combined distribution function F(t)
    FM_SPREAD = 3,   // sqrt(V S), V the delta-method variance of -ln S(t); not the standard error of F
    FM_UPPER = 8,    // upper limit of F
    FM_LOWER = 9,    // lower limit of F
    FM_X = 14,       // abscissa of a curve point
    FM_WORDS = 24,
};

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

// F(t) of the usable modes at t on the fitting scale, with logit-type limits from the
// delta method unless noconf is set (then the limit words are missing). A log hazard too
// large for exp logs 510/573 once and sets noconf. 0, or 1 when a kernel fails or there is
// no combined estimate.
int fmest(vyxstate* s, double t, double* rec);

// The SurvEst table of the combined estimate at the SURVTIME values. 0, or 1 when fmest fails.
int fmode(vyxstate* s);

// fmcurve: npoints + 1 curve records of the combined estimate over the life axis, for the
// statistical graphics (from the data range) or the device plot (from the drawn axis);
// null without a combined estimate. 0, or 1 when fmest fails.
int fmcdf(vyxstate* s);

// Ends the rows of a failure-mode table (ParmEst, SurvEst) as the group loop needs and
// publishes it.
void fmclose(vyxstate* s, tabpair& tab);

// Linear interpolation in n >= 2 curve records (abscissa FM_X, ordinate FM_F): mode 0 *y
// from *x, mode 1 *x from *y, other modes nothing (0). -1 below the first point (its other
// value given), 0 inside, 1 at or beyond the last point (its other value given), 2 when
// there is no curve (recs null).
int fmint(vyxstate* s, double* x, double* y, const double* recs, int n, int mode);

// Utility files of the life-distribution statements: temporary host files of one request
// form, written and read in whole blocks, closed with deletion after each statement.
// Opens a new utility file and rewinds it; 0, or the host's status (nothing logged).
int ufopen(xchandle* handle);
// Writes one block of bytes; 0 or the host's status.
int ufwrite(xchandle handle, const void* block, int64_t bytes);
// Closes with deletion and clears the handle, when one is set.
void ufdrop(xchandle* handle);

// The Turnbull self-consistency estimate of a group of interval data (vyxem is declared in
// lifedist.h): Turnbull intervals, masses by EM iterations, polishing, Lagrange
// multipliers, standard errors and limits of the cumulative probabilities.
//
// The incidence of an observation on the Turnbull intervals is a contiguous run of them
// (the intervals are disjoint and ordered, and an observation covers those that lie inside
// its range), so it is kept as the run's first and last index rather than as a row of m
// bytes; observations with the same run are handled together with their summed weight.
// The iterations are those of the byte matrix; sums come in another order.
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

// The least-squares fit on probability paper and the tables of a group's probability
// estimates (vyxls and getfit are declared in lifedist.h).
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

// Maximum-likelihood fits of the location-scale life distributions, group by group: the
// fit and its optimiser callbacks, the log-likelihood, the covariance and convergence
// status, Wald and likelihood-ratio limits, percentiles and survival probabilities, the
// fit summary and the estimate tables.
//
// Every routine takes the state block first and reads the group being fitted from
// vyxstate::curfit. Results go to the group node and to the state (parmvec, parmlim,
// lrlim, lagstat, itstatus). Failures of the output system end the step: the routine
// reports the code and ends the step (callfailed, endstep) and returns; as vyxfit and the
// routines without a result cannot return it, their callers stop on stepend.
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

// ---- what the fits and the MODEL fit share of the output-object calls (fitshared.cpp)
namespace fitx {
// The result of an output-object call: true when it may go on; a failed call (negative
// result) has ended the step (callfailed, proc/framework/stepend.h).
bool obok(vyxstate* s, int32_t rc);
// A matrix table (the fits' and the MODEL's covariance and correlation tables): the packed
// symmetric n x n matrix m under template path and table name, with its row and column names,
// format, title and label; a failing call ends the step (false).
bool matrix(vyxstate* s, const char* path, const char* name, double* m, int n, int32_t* format, txthandle* names,
            txthandle title, txthandle label);
}  // namespace fitx

// The observation rows of one group, in order: from the row buffer when every row is in
// memory, else block by block from the group's utility file into the row buffer.
// Calls f(row) for each of the group's nobs rows (row: doubles per row doubles); a
// non-zero result of f stops the walk and is returned. Returns 0, or 1020 after message
// 510/22 when the file ends (or cannot be read) early.
// (State is vyxstate, a parameter so that the walk stays inline with the state declared only.)
template <class State, class F>
int eachrow(State* s, grpnode* g, F&& f) {
    const int64_t dpr = s->opts.rowlay[1];
    const int32_t nobs = g->nobs;
    if (!g->ufile) {
        const double* r = g->rowbuf;
        for (int32_t i = 0; i < nobs; ++i, r += dpr)
            if (int rc = f(r)) return rc;
        return 0;
    }
    const int64_t rpb = s->opts.rowlay[0];
    xcpoint(g->ufile, 0);
    int32_t done = 0;
    while (done < nobs) {
        if (xcread(g->ufile, g->rowbuf, rpb * dpr * 8) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            return RC_READ;
        }
        const int32_t n = nobs - done < rpb ? nobs - done : static_cast<int32_t>(rpb);
        const double* r = g->rowbuf;
        for (int32_t i = 0; i < n; ++i, r += dpr)
            if (int rc = f(r)) return rc;
        done += n;
    }
    return 0;
}
