// The life-distribution statements: option readers, input, fits, limits, counts analyses and failure modes.
// One record of the procedure state block (proc/vyxstate.h), zeroed with it at the start of
// the step; see docs/architecture.md for who writes and who reads each field.
#pragma once
#include "proc/framework/statetypes.h"
#include "proc/framework/fitwork.h"

// Named places in the arrays of the life-distribution record.
enum : int {
    // sortdesc: the sort keys and the sort control
    SD_KEYS = 0, SD_CTL = 1,
    // wsums: the weighted events or counts, and the weighted trials or exposure
    WS_COUNT = 0, WS_TRIALS = 1,
    // rspvarid and rspdesc: the first and the second response variable
    RVAR_FIRST = 0, RVAR_SECOND = 1,
    // ranges (ptrange, allrange, vaxrng, haxrng, datarng, nfailrng) and npbounds: the lower and the upper end
    RG_LO = 0, RG_HI = 1,
    // ppcarr: per level, the largest time, upper quartile, median, lower quartile, smallest time, failure weight, mean
    PPC_LARGEST = 0, PPC_UPPERQ = 1, PPC_MEDIAN = 2, PPC_LOWERQ = 3, PPC_SMALLEST = 4, PPC_NFAIL = 5, PPC_MEAN = 6,
    // emgrad: the Turnbull gradient row's left end, right end, probability, gradient, multiplier
    EG_LEFT = 0, EG_RIGHT = 1, EG_PROB = 2, EG_GRAD = 3, EG_MULT = 4,
    // parmlim, fmlims, lrlim: the lower and upper limits of the location, the scale and (lrlim) the shape
    PL_LOCLOWER = 0, PL_LOCUPPER = 1, PL_SCALELOWER = 2, PL_SCALEUPPER = 3, PL_SHAPELOWER = 4, PL_SHAPEUPPER = 5,
    // lrtitle: the kind of limits the title of ParmEst or PctEst names; pending until the first
    // group's rows are bound when likelihood-ratio limits are asked for
    LRT_WALD = 0, LRT_LR = 1, LRT_PENDING = 2,
};

// Routines outside proc/lifedist that write these fields, by field:
//   datarng writers: pcntlphantom
//   parmvec writers: ParmPair::ParmPair, ParmPair::~ParmPair, PlotCurves
//   rspdesc writers: vyxmprm
//   stmtnodes writers: levelnode
struct fitstate {
    fitwork fit;                // the fit in progress of the life-distribution fits
    uint32_t pposcode;          // plotting positions: 0 EXPRANK, 1 MEDRANK, 2 MEDRANK1, 3 KM, 4 MKM, 5 NA
    void* sortdesc[2];          // sort descriptor and sort control of the probability-plot data (SD_* places)
    ppfn ppos_fn;               // plotting-position routine
    double givenparms[6];       // LOCATION, SCALE, SHAPE given on the statement (GP_* places)
    parmvecs parmvec;           // the parameter block: estimates, standard errors, covariance (parmview)
    double wsums[2];            // weighted sums of the binomial and Poisson analyses (WS_* places)
    double wbconf;              // Weibayes confidence as -ln(1 - confidence) (weibayesconf)
    double* ppcarr[7];          // per-level arrays of the probability-plot computation (PPC_* places)
    double* fmcurve;            // failure-mode curve points
    int32_t emmaxit[2];         // MAXITEM: EM maximum iterations and history step (EM_* places)
    uint32_t rspvarid[2];       // first and second response variable numbers (RVAR_* places)
    vardesc rspdesc[2];         // their descriptors (rspvars points here) (RVAR_* places)
    char stmtlabcell[8];        // the statement label, or blanks: the cell of the Label columns
    uint8_t fmresp;             // form 1 implied by FMODE without a censoring variable
    uint8_t parmgiven[3];       // location, scale, shape given (GP_* places)
    char parmfree[4];           // their status: '1' estimated, 'C' held at the given value (GP_* places)
    int32_t maxlablen;          // longest distribution or parameter label
    double npbounds[2];         // NPINTERVALS bounds (RG_* places)
    uint8_t emflags[3];         // polish, ITPRINTEM, PRINTPROBS (EMF_* places)
    uint8_t ppcflag1, ppcflag2; // per-level arrays wanted
    uint8_t stressax;           // a stress axis is scaled (relation plot)
    uint8_t cenflag2;           // censored marks wanted (second flag)
    grpnode* stmtnodes;         // every group node of the statement (newgroup)
    struct readtimes* rtimes;   // times as read, for the rows of PPOUT and ITPRINTEM (readtimes.h)
    uint8_t pgflag0;            // a page flag of the life-distribution plots
    double* sortrow;            // one row of scratch for the group sort
    double ptrange[2];          // life range in time units (RG_* places)
    double allrange[2];         // censored-inclusive range in time units (missing when no group set one) (RG_* places)
    double vaxrng[2], haxrng[2];// vertical and horizontal axis ranges (RG_* places)
    double datarng[2];          // overall data range of the groups' plotted times (stored scale) (RG_* places)
    double nfailrng[2];         // smallest and largest failure weight of the groups (RG_* places)
    double* emgrad;             // Turnbull gradient row: left, right, probability, gradient, multiplier (EG_* places)
    char fmlabel[17];           // failure-mode text of the row being written
    uint32_t pendingnoted;      // pieces not available yet already noted for this statement
    double plotfit50;           // the one PLOTFIT percentile (50) when none is given
    uint32_t distcode0;         // the DISTRIBUTION statement's code, restored for every statement
    uint8_t distsaved;          // distcode0 holds the DISTRIBUTION statement's code
    double pbaccum;             // running chi-square total over the class levels
    double pbcount;             // COUNT: events or count
    double pbtrials;            // COUNT: trials (second value)
    double pbexposure;          // EXPOSURE=, default 1
    double pbpredict;           // PREDICT=, default missing
    uint8_t pbpredgiven;        // PREDICT= given
    double pbtolval;            // TOLERANCE=, default 0
    uint8_t pbtolgiven;         // TOLERANCE= given
    double* pbpooled;           // pooled estimate block
    double* pbpoolpred;         // pooled prediction block
    int32_t pbbadrows;          // rows of the BY group whose counts could not be used
    double simfactor;           // factor of the last simultaneous band, 1 when it could not be
                                // computed (the Turnbull estimate calls it bandfact)
    double parmlim[4];          // Wald limits: location lower, upper; scale lower, upper (PL_* places)
    double lrlim[6];            // likelihood-ratio limits, lower and upper per parameter (PL_* places)
    uint8_t lrshown[2];         // the group just fitted shows likelihood-ratio limits of the parameters, percentiles (LR_* places)
    uint8_t lrtitle[2];         // what the titles of ParmEst and PctEst name: LRT_WALD, LRT_LR, LRT_PENDING (LR_* places)
    double lagstat[2];          // Lagrange statistics of a held location and a held scale (GP_* places)
    ciblk* ciptr;               // the limit-search block (lives for the step)
    likkept likcache;           // derivative sums of the last value pass
    double* fmloc;              // location of each listed mode's fit
    double* fmscale;            // scale of each mode's fit (the same block, after the locations)
    double** fmcov;             // per mode: the packed covariance of its parameters
    int32_t* fmused;            // per mode: 1 when its fit is usable
    double* fmrecs;             // the combined estimate at each SURVTIME value (24 doubles each)
    double fmlims[4];           // the mode's limits in the parameter table: location lower, upper; scale lower, upper (PL_* places)
};

struct vyxstate;
enum class StmtKind;

// When a pool goes, the fields of this record that point into it are cleared, with the counts
// and flags that describe them (called by newstmtpool, newworkpool and dropbypool); each
// statement starts from the defaults fitstate_start sets (called by startstatement).
void fitstate_stmtgone(vyxstate* s);
void fitstate_bygone(vyxstate* s);
void fitstate_workgone(vyxstate* s);
void fitstate_start(vyxstate* s, StmtKind kind);

// Fields of fitstate used outside lifedist (folders of proc/, from scripts/fieldtable; "written"
// counts assignments, ++ and --, addresses taken, non-const references bound and copies into):
//   parmvec      written in devgraph, lifedist, statgraph
//   ppcarr       written in lifedist; read in devgraph
//   fmcurve      written in lifedist; read in devgraph, statgraph
//   rspdesc      written in lifedist, regression
//   stmtnodes    written in lifedist, mcf
//   datarng      written in lifedist, statgraph
//   nfailrng     written in lifedist; read in devgraph
//   fmloc        written in lifedist; read in devgraph, statgraph
//   fmscale      written in lifedist; read in devgraph, statgraph
//   fmused       written in lifedist; read in devgraph, statgraph
