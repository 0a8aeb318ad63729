// The MODEL statement: its reader, design rows, fit and results.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"
#include "proc/framework/fitwork.h"
#include "proc/effects/effects.h"

// Named places in the arrays of modelstate.
enum : int {
    // estarr: the previous estimates, the optimiser's second array, the copy of the covariance
    EA_PREV = 0, EA_SCRATCH = 1, EA_COV = 2,
    // liferng and liferngm: the low and the high end
    MR_LOW = 0, MR_HIGH = 1,
    // stressvals: the continuous variables' means, maxima and minima
    SV_MEAN = 0, SV_MAX = 1, SV_MIN = 2,
    // mdleffinfo and mdlvarids: the one effect's continuous and CLASS variables (counts, first ids)
    ME_CONT = 0, ME_CLASS = 1,
    // ninit and initvals: INITIAL= of the MODEL and of the LOGSCALE statement
    IV_MODEL = 0, IV_LOGSCALE = 1,
    // mdlcnt: values dropped on a log scale; right, left, interval censored; other-mode failures
    MCNT_DROPPED = 0, MCNT_RIGHT = 1, MCNT_LEFT = 2, MCNT_INTERVAL = 3, MCNT_OTHERMODE = 4,
    // sumwt: the total frequency of the rows, the frequency of the exact failures
    MSW_ALL = 0, MSW_EXACT = 1,
    // ystat: weighted mean and standard deviation of the response
    YS_MEAN = 0, YS_SD = 1,
    // lagmult: the score statistics of the fixed intercept, scale, shape and LOGSCALE intercept
    LM_INTERCEPT = 0, LM_SCALE = 1, LM_SHAPE = 2, LM_LSINTERCEPT = 3,
};

// Routines outside proc/regression that write these fields, by field:
//   mdllev writers: zorduvex
struct modelstate {
    fitwork fit;                // the MODEL fit in progress; FITTYPE=MODEL reads its covariance order
    double* estarr[4];          // previous estimates, optimiser scratch, covariance copy (FITTYPE=MODEL reads it) (EA_* places)
    int32_t* parmmap;           // parameter index map of the design columns
    uint8_t rsp3flag;           // READOUT given on the MODEL statement
    void* rsplist;              // the response variable list of the statement
    uint32_t mdlrspkind;        // response form of the MODEL statement
    uint32_t ordercode;         // ORDER letter of the MODEL statement: 'D', 'M', 'F' or 'I'
    double liferng[2];          // range of the MODEL response values (MR_* places)
    strfn mtrans_fn[3];         // one transform per MODEL relation variable
    qntfnx quantst_fn;          // standardized quantile with a shape
    double* stressvals[3];      // design effects and stress values of the MODEL rows (SV_* places)
    levctl* mdllev;             // MODEL level control (the appended levctl of the area)
    levctl* logslev;            // LOGSCALE level control (from bypool)
    void* logscl;               // LOGSCALE effect table
    uint32_t mdlvarids[3];      // ids of the MODEL statement's variables (ME_* places)
    uint32_t mdleffinfo[2];     // values from the MODEL statement's effect records (ME_* places)
    char* parmstat;             // MODEL parameter status, one character per parameter (npar + 1)
    shapefn shape_fn;           // gamma shape routine
    struct mdllayout* mdllay;   // cells of the design rows and their design columns
    uint8_t waldcl, nocsflag, xcenter; // WALDCL; NOCS; centre the design columns
    uint8_t haslogscl;          // a LOGSCALE statement is present (the second linear predictor, logslev)
    uint8_t intfix, scalefix, shapefix, lsintfix; // INTERCEPT=, SCALE=, SHAPE=, LOGSCALE INTERCEPT= held fixed
    uint8_t gammafam;           // the log-gamma family (a shape parameter)
    uint8_t mdlinmem;           // every design row is in mdlrowbuf
    uint8_t likfail;            // a derivative evaluation met a scale it cannot use
    uint8_t mdlgradhess;        // MatElem serves the last gradient and Hessian of the MODEL fit
    int32_t ndistp;             // distribution parameters: 1, 2 with the shape
    int32_t ninit[2];           // INITIAL= counts of MODEL and LOGSCALE (IV_* places)
    double* initvals[2];        // their values (the value pointers of fixedparms) (IV_* places)
    uint32_t relcodes[3];       // RELATION= codes of the three relations (0: none)
    int32_t relvarids[3];       // their variables (-1: none)
    vardesc relvardesc[3];      // their descriptors
    uint32_t mdlrspids[3];      // the MODEL statement's response variables (its rspvarids),
                                // kept apart from the plot readers' rspvarid
    int32_t mdlnresp;           // and their number
    int64_t mdlrows;            // design rows
    double mdlcnt[5];           // dropped on a log scale; right, left, interval, other-mode counts (MCNT_* places)
    double sumwt[2];            // total frequency of the rows; frequency of the exact failures (MSW_* places)
    double ystat[2];            // weighted mean and standard deviation of the response cell (YS_* places)
    double liferngm[2];         // smallest lower and largest upper end before the logarithm (MR_* places)
    double* colstd;             // design-column centres, then scales (MODEL columns first)
    char* mdlrowbuf;            // the block buffer of the utility file (rows not in memory)
    int32_t mdlblkrows;         // rows per block of the utility file
    char** mdlchunks;           // rows in memory: chunks of mdlchunkrows rows each
    int32_t mdlnchunks;         // chunks in mdlchunks
    int32_t mdlchunkrows;       // rows per chunk
    double shiftq;              // standardized quantile at PSTABLE carried by the intercept
    double* estfit;             // fitted estimates in the fit's own parameterisation
    double* estdata;            // estimates on the data's scale
    double* stderrs;            // standard errors of the estimates
    double* covsave;            // copy of the covariance matrix
    double* climits;            // lower and upper limit per parameter
    int32_t clparm;             // parameter of the likelihood-ratio search in progress
    double lagmult[4];          // score statistics: intercept, scale, shape, LOGSCALE intercept (LM_* places)
    long double* liksum;        // extended-precision sums of a likelihood pass (gradient, Hessian)
    double* likpart;            // their partial sums over a run of rows
    double* mlikcache;          // gradient, Hessian and the point of the last value pass
    uint8_t mlikcached;         // mlikcache holds them
};

struct vyxstate;
enum class StmtKind;

// When a pool goes, the fields of this record that point into it are cleared (called by
// newstmtpool and dropbypool; no field points into the work pool); each statement starts from
// the defaults modelstate_start sets (called by startstatement).
void modelstate_stmtgone(vyxstate* s);
void modelstate_bygone(vyxstate* s);
void modelstate_start(vyxstate* s, StmtKind kind);

// Fields of modelstate used outside regression (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   fit          written in regression; read in lifedist
//   estarr       written in regression; read in lifedist
//   parmmap      written in regression; read in devgraph
//   rsp3flag     written in regression; read in lifedist
//   mdlrspkind   written in regression; read in devgraph, lifedist
//   ordercode    written in regression; read in lifedist
//   liferng      written in regression; read in devgraph
//   stressvals   written in regression; read in devgraph
//   mdllev       written in main; read in devgraph, framework, lifedist, regression, statgraph
//   logslev      written in regression; read in devgraph
//   logscl       written in regression; read in devgraph
//   mdlvarids    written in regression; read in lifedist
//   mdleffinfo   written in regression; read in devgraph, lifedist
//   mdllay       written in regression; read in devgraph
//   haslogscl    written in regression; read in devgraph
//   mdlgradhess  written in regression; read in lifedist
//   relcodes     written in regression; read in devgraph
//   mdlrspids    written in regression; read in lifedist
//   mdlnresp     written in regression; read in lifedist
//   estdata      written in regression; read in devgraph, lifedist
