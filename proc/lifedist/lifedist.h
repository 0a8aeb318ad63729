// The public header of the life-distribution statements (ANALYZE, PROBPLOT, RELATIONPLOT):
// what the main routine, the graphics, the MODEL and MCFPLOT call of proc/lifedist. Each
// routine takes the state block first; results are 0 on success, 1 after a logged message,
// or an exit code (RC_*). After the routines come the records and helpers the other folders
// use (curve rows, observation rows, failure modes, utility files, Turnbull, the ML fit, the
// row walk of a group), each with its own comment; what only the folder's own files use is
// in lifedist_internal.h.
#pragma once
#include <cstdint>
#include "proc/numeric/optimizer.h"
#include "host/vec320_output.h"
#include "host/vec39_files.h"
#include <cmath>
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/grpnode.h"
#include "proc/framework/statetypes.h"

struct vyxstate;
struct grpnode;
struct fitwork;

// ---- the statement ANALYZE and the option reader of the plots
int vyxanlz(vyxstate* s);                      // ANALYZE, called by the main routine
int vyxpprm(vyxstate* s);                      // options of PROBPLOT and RELATIONPLOT

// ---- BY-group input and its tables
// Observation counts (NObs; also MCFPLOT's, and MODEL's as ModNObs) from the nobsrow cells;
// the statement-label column only for a labelled statement of the life-data road.
int nobstbl(vyxstate* s, const char* name = "NObs", bool stmtlabel = true);

// ---- the analysis driver
int PPComp(vyxstate* s);                       // one statement in one BY group
void CleanUpDisk(vyxstate* s);                 // closes and deletes the statement's utility files

// ---- group data sorting and parameter reordering
void sort(double* rows, int n, int m, double* tmp);    // Shell sort by the first value
void vyxxpm(double* v, const char* flags, int n, double* packed);

// ---- stress transforms (strfn), which the MODEL's relations use too
double vyxsarr(double x);    // ARR: 1000 / (x + 273.15)
double vyxslin(double x);    // LINEAR
double vyxspow(double x);    // POW: ln x
double vyxsarr2(double x);   // ARR2: 11605 / (x + 273.15)
double vyxslgt(double x);    // LOGISTIC: ln(x / (1 - x))

// ---- the Weibayes bounds
// The confidence of the Weibayes bounds in percent, as it is printed.
double weibayespercent(const vyxstate* s);

// ---- maximum-likelihood fits and their tables
// The Newton-Raphson settings of every maximum-likelihood fit (the distributions' life.fit and
// the MODEL's mdl.fit): the fit's iteration limit and singularity criterion, the first trial
// step accepted, the ridge schedule.
nrctl newtonsettings(const fitwork& fit);
// The optimiser's arrays: work, Hessian and gradient from the fit's fitarr, the estimates x,
// and two spare vectors of the parameters' length.
nrparm newtonarrays(const fitwork& fit, double* x, double* scratch, double* xprev);

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

// The observation row of the life-distribution statements: one used observation as
// doubles, rows per buffer of them in a group's row buffer and, once the buffer has been
// full, in whole blocks on the group's utility file. A column is present only under its
// condition, in this order: time (or lower and upper end, or events and trials), censoring
// code, weight (FREQ), failure-mode index (FMODE COMBINE), NENTER value (READOUT).

// Response forms (rspkind): single time, time with censor list, lower/upper pair, READOUT,
// events(trials) or count(exposure).
enum : uint32_t { FORM_TIME = 0, FORM_CENSOR = 1, FORM_INTERVAL = 2, FORM_READOUT = 3, FORM_COUNTS = 4 };

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

// The weight column of a response form: 1 for forms 0 and 3, else 2.
inline int obsweightcol(uint32_t form) { return form == FORM_TIME || form == FORM_READOUT ? 1 : 2; }

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

// F(t) of the usable modes at t on the fitting scale, with logit-type limits from the
// delta method unless noconf is set (then the limit words are missing). A log hazard too
// large for exp logs 510/573 once and sets noconf. 0, or 1 when a kernel fails or there is
// no combined estimate.
int fmest(vyxstate* s, double t, double* rec);

// fmcurve: npoints + 1 curve records of the combined estimate over the life axis, for the
// statistical graphics (from the data range) or the device plot (from the drawn axis);
// null without a combined estimate. 0, or 1 when fmest fails.
int fmcdf(vyxstate* s);

// Linear interpolation in n >= 2 curve records (abscissa FM_X, ordinate FM_F): mode 0 *y
// from *x, mode 1 *x from *y, other modes nothing (0). -1 below the first point (its other
// value given), 0 inside, 1 at or beyond the last point (its other value given), 2 when
// there is no curve (recs null).
int fmint(vyxstate* s, double* x, double* y, const double* recs, int n, int mode);

// Utility files of the life-distribution statements: temporary host files of one request
// form, written and read in whole blocks, closed with deletion after each statement.
// Opens a new utility file and rewinds it; 0, or the host's status (nothing logged).
int ufopen(xchandle* handle);
// Closes with deletion and clears the handle, when one is set.
void ufdrop(xchandle* handle);

// The Turnbull self-consistency estimate of a group of interval data (its routines are in
// lifedist_internal.h): the arrays of grpnode.emtab, m doubles each, that the plots read.
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

// Right-censored observations of group g counted per interval of the life axis boundaries
// (lifeticks) into lifecounts, for a plot that draws them as counts (CENBIN). 0, or a
// failure after its message.
int censoredcounts(vyxstate* s, grpnode* g);

// What other folders use of the maximum-likelihood fits (the fits themselves are in
// lifedist_internal.h). Words of a percentile or probability record (24 doubles).
enum : int { PCT_EST = 0, PCT_SE = 3, PCT_UPPER = 8, PCT_LOWER = 9, PCT_TIME = 14, PCT_WORDS = 24 };

// ---- covariance, convergence status (ConvergenceStatus table) and Lagrange statistics
void zerosym(double* packed, int i, int n);   // zeroes row and column i
void misssym(double* packed, int i, int n);   // row and column i missing (no variance computed)
// A log-likelihood that an evaluation could not compute: minus the largest double (the value
// a failed evaluation stores) or a value that is not a finite number. Tables show it missing.
inline bool likfailed(double ll) { return !(std::isfinite(ll) && ll != -1.7976931348623157e308); }

// ---- limits
// Survival S(t) = 1 - F(t) at the time t (taken to the analysis scale inside) with its
// Wald limits: rec[PCT_EST] survival, rec[PCT_LOWER] and rec[PCT_UPPER] its limits.
int sflim(vyxstate* s, grpnode* g, double t, double* rec);
// Wald standard error and limits of the percentile at p whose estimate is in rec[PCT_EST].
void cflim(vyxstate* s, double p, double* rec);
// Whether likelihood-ratio limits at the statement's confidence can be searched for below a
// maximum log-likelihood loglik: false, after the note that Wald limits are shown (510/2224,
// naming the group: the class level too with withclass), when the drop in the log-likelihood
// they need is not well above the log-likelihood's rounding (a confidence of about 1e-5 and
// below), where a search would stop on rounding noise.
bool lrresolved(vyxstate* s, double loglik, bool withclass);

// ---- percentiles
void pctl(vyxstate* s, double p, double* out);   // mu + sigma q(p) on the analysis scale

// ---- fit summary and tables
// The element callback of a matrix table: the correlation of the fit's packed covariance, or
// the MODEL's last gradient and Hessian while it shows them (mdlgradhess).
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
    const int64_t dpr = s->opts.rowlay[RL_ROWLEN];
    const int32_t nobs = g->nobs;
    if (!g->ufile) {
        const double* r = g->rowbuf;
        for (int32_t i = 0; i < nobs; ++i, r += dpr)
            if (int rc = f(r)) return rc;
        return 0;
    }
    const int64_t rpb = s->opts.rowlay[RL_BUFROWS];
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
