// The procedure state block: one per step, a local of the main routine, passed by
// address to almost every routine. Never allocated, copied or freed.
#pragma once
#include <cstdint>
#include "host/outobj.h"
#include "host/pool.h"
#include "host/stmtrec.h"
#include "host/vec203_datasets.h"
#include "host/vec320_output.h"
#include "host/vec39_files.h"
#include "proc/framework/bynotes.h"
#include "proc/framework/fitcodes.h"
#include "proc/framework/grpnode.h"
#include "proc/framework/levels.h"
#include "proc/devgraph/destctx.h"

struct plotlay;
struct insetrec;
struct ciblk;

// Routine pointers chosen by the option readers.
typedef double (*ppfn)(double atrisk, double rank, double n, double* carry, double failures);
typedef double (*qntfn)(double p);
typedef int (*qntfnx)(double* out, double p, const double* shape);
typedef double (*strfn)(double x);
typedef int (*kernfn)(int mode, const double* z, const double* shape, double* out);
typedef int (*shapefn)(double shape, double* block);

// One table object and the id of its binding to a template.
struct tabpair {
    obobject* obj;
    uint32_t tabid;
};

// Positions of the table objects in vyxstate::tabs.
enum : int {
    TAB_DATSUM, TAB_PARMEST, TAB_PARMOTHER, TAB_LAGRANGE, TAB_PCTEST, TAB_SURVEST, TAB_ITERPARMS,
    TAB_PROBEST, TAB_ITERLRPARM, TAB_ITERLRPER, TAB_TURNBULLGRAD, TAB_CONVSTATUS, TAB_SPARE,
    TAB_MCFSUM, TAB_MCFDSUM, TAB_MCFEST, TAB_MCFDEST, TAB_COUNT
};

// A fixed text with its 16-bit length (data-set name and label).
struct lentext256 {
    uint16_t len;
    char text[257];
};

// FMODE settings.
struct fmodesettings {
    int32_t nvars;             // 0 or 1
    vardesc desc;              // the FMODE variable
    uint8_t type;              // its type byte
    int32_t nvals;             // number of listed values
    char (*vals)[17];          // the value list, 17 characters each, NUL-terminated inside
    int32_t* lens;             // the values' lengths
    int32_t maxlen;            // the longest length
    char* buf;                 // a buffer of maxlen bytes
    int32_t mode;              // 1 ELIMINATE, 0 KEEP, 2 COMBINE
    int32_t curmode;           // current failure mode
    uint8_t plotmodes;         // PLOTMODES given (COMBINE only)
    uint8_t legend;            // PLOTMODES and not NOLEGEND
    uint8_t parm;              // PARM
    uint8_t cov;               // COV
};

// The MAKE block: the output environment and manager, for OutData.
struct makeblk {
    obobject* obenv;
    obobject* outmgr;
    void* reserved[2];
};

// Values of the current observation, written by the get lists.
struct obsvalues {
    char clsfmt[2][16];        // formatted class keys
    char clsraw[2][16];        // raw class keys
    double clsnum[2];          // numeric class keys
    double freq;
    double nenter;
    double rsp[4];             // time, or lower and upper values (response cells 1 to 4)
    char fmodefmt[16];
    char fmoderaw[16];
    double fmodenum;
    char unitraw[16];
    char unitfmt[16];
    double unitnum;
};

// Cells of one row of the observation-count table (NObs), bound by address.
struct nobscells {
    txthandle label;           // row label
    double n;                  // the row's value
    double nread;              // observations read
    double nused;              // observations used
    double sumread;            // total weight read
    double sumused;            // weight used
};

// Named places in the arrays of the state block.
enum : int {
    // axlim
    AX_PCTLOWER = 0, AX_PCTUPPER = 1, AX_LIFELOWER = 2, AX_LIFEUPPER = 3, AX_STRESSLOWER = 4, AX_STRESSUPPER = 5,
    // axlim, statistical graphics: the time data range of a probability plot (times as read)
    AX_DATALO = 6, AX_DATAHI = 7,
    // axopt
    AO_NTICK = 0, AO_NSTRESSTICK = 1, AO_NSURV = 4,
    // labels (40 characters each)
    LB_DIST = 0, LB_PARM1 = 1, LB_PARM2 = 2, LB_FITMETHOD = 3, LB_RELATION = 4,
    // MODEL: the second and third relation labels and the third parameter label (the shape)
    LB_RELATION2 = 5, LB_RELATION3 = 6, LB_PARM3 = 7,
    // givenparms and parmgiven/parmfree: location, scale, shape; fixedparms: the threshold
    GP_LOC = 0, GP_SCALE = 1, GP_SHAPE = 2, FP_THRESHOLD = 0,
    // fixedparms of the MODEL statement: INTERCEPT=, SCALE=, SHAPE=, LOGSCALE INTERCEPT=
    FP_INTERCEPT = 1, FP_SCALE = 2, FP_SHAPE = 3, FP_LSINTERCEPT = 4,
    // itopts
    IT_PSTABLE = 0, IT_TOLLIKE = 1, IT_TOLPROB = 2,
    // emmaxit
    EM_MAXIT = 0, EM_HISTSTEP = 1,
    // plotcodes: NPINTERVALS (1 simultaneous, 2 pointwise), PINTERVALS (3 percentiles, 4 probability, 5 likelihood)
    PC_NPINTERVALS = 0, PC_PINTERVALS = 1,
    // lrflags: LRCL, likelihood limits of percentiles; covprint: COVB, CORRB
    LR_PARMS = 0, LR_PERCENTILES = 1, CP_COVB = 0, CP_CORRB = 1,
    // emflags: polish (NOPOLISH absent), ITPRINTEM, PRINTPROBS
    EMF_POLISH = 0, EMF_ITPRINTEM = 1, EMF_PRINTPROBS = 2,
    // rspform: one byte per response form; RF_READOUT is form 3
    RF_TIME = 0, RF_CENSOR = 1, RF_INTERVAL = 2, RF_READOUT = 3,
    // tblflags: a statement label is given; the Lagrange-multiplier table is wanted
    TF_STMTLABEL = 0, TF_LAGRANGE = 3,
    // tblflags of the MODEL statement: OBSTATS given
    TF_OBSTATS = 1,
    // thrflags: THRESHOLD given; a MODEL statement ran in this BY group
    TH_GIVEN = 0, TH_MODELRAN = 1,
    // pageflags: the current panel starts a row of panels, ends a page (MCFPLOT), the byte
    // each ANALYZE clears, then the drawing bytes of the relation plot
    PG_START = 0, PG_END = 1, PG_STATEMENT = 2, PG_BOXES = 3, PG_DATA = 4, PG_FITLINES = 5, PG_MEDIANS = 6,
    // clsorder: the ordering code of each class variable, their copies, and "ordered by a count"
    CO_CODE = 0, CO_COPY = 2, CO_COUNTED = 4,
    // tickinfo: boundary count, life tick count, interval counters
    TI_NBOUNDS = 0, TI_NLIFETICKS = 1, TI_COUNTERS = 2,
    // refs (values, counts, label slots) and refopts (label positions)
    REF_VREF = 0, REF_HREF = 1, REF_PREF = 2, REF_LREF = 3, REF_SREF = 4,
    REFPOS_HREF = 0, REFPOS_VREF = 1, REFPOS_SREF = 2,
    // axlog: the horizontal and the vertical axis are logarithmic
    AXLOG_H = 0, AXLOG_V = 1,
};

// The derivative sums that a value pass of a fit's log-likelihood leaves for its point
// (group, t, sigma and the centring quantile), for the derivative pass that follows there.
struct likkept {
    grpnode* group;
    double t, sigma, quant;
    double sums[5];             // raw gradient and Hessian sums: g0, g1, h0, h1, h2
    uint8_t valid;
};

struct vyxstate {
    // ---- output environment and table objects
    int32_t obrc;
    obobject* obenv;
    obobject* outmgr;
    obobject* curtab;
    uint32_t curtabid;
    obobject* panelobj;
    tabpair tabs[TAB_COUNT];
    destctx gdest;              // device destination context (proc/devgraph/destctx.h)
    txthandle segdesc;

    // ---- current output row (cells bound by address to table columns)
    char grplabel[256];
    char grplabel2[256];
    char rowtext[256];
    int32_t grplablen;
    double rowlead[3];
    txthandle convmsg;          // the convergence reason of the row being written (text handle)
    nobscells nobsrow;
    double rowvals[24];
    double survcells[10];       // S0..S9, right after rowvals

    // ---- input data set and variables
    dshandle dsin;
    dshandle annods;
    dshandle annolib;
    lentext256 dsname;
    lentext256 dslabel;
    void* parmnames;
    hgetlist** stmgets;         // per analysis statement, indexed by stmtidx
    hgetlist** stmclgets;
    hgetlist* fmodeget;
    hgetlist* procget;
    stmtrec* procstmt;
    stmtrec* curstmt;
    uint32_t stmtidx;
    uint32_t stmtkind;          // 0 ANALYZE, 1 PROBPLOT, 3 MCFPLOT, 4 RELATIONPLOT
    uint32_t mcftype;
    uint8_t rspform[4];
    uint8_t rsp3flag;
    vardesc* rspvars[3];
    vardesc procvars[5];        // FREQ, NENTER, (spare), FMODE, UNITID
    uint32_t annoflag;
    int32_t nunitid, nfreq, nnenter;
    void* rsplist;
    uint32_t rspkind;
    uint32_t mdlrspkind;
    int32_t ncensvals;
    double* censvals;
    int32_t nobscnt[3];         // skipped, used, read
    void* byline[2];
    uint32_t nbyvars;
    vardesc clsdesc[2];
    uint8_t unittype;           // type byte of the UNITID variable

    // ---- pools and files
    poolobj* bypool;
    poolobj* stmtpool;
    poolobj* workpool;
    xchandle utilfile;
    xchandle emfile;
    obsvalues obsvals;

    // ---- groups and class levels
    grpnode rootgrp;
    grpnode* grplist[3];        // head, scratch node, current node
    int32_t grplistw[2];
    grpnode* curgrp;
    grpnode* curfit;
    grpnode** grpgrid;
    int32_t nclass;
    int32_t ncells;
    int32_t clsvars[2];         // class variables
    uint8_t clsnumeric[2];      // class variable is numeric
    uint8_t clskeynum[2];       // key is numeric
    uint8_t clssort[2];         // sort bytes
    char clsnames[2][33];
    int32_t clsnamelen[2];
    uint8_t clslabgiven[2];
    int32_t clslablen[2];
    char clslabels[2][257];
    uint32_t nlev[2];           // levels of the second and of the first class variable
    char* levkeys[2];           // 16-character level texts of the first and second variable
    double* levvals[2];         // their numeric level values
    uint32_t grpcolw;
    fmodesettings fmodeset;

    // ---- device graphics and plot layout
    uint32_t gcatent;
    ggctx* gctx;                // graphics context of the device road (ggxget)
    double pwin[4];             // plot window x0, y0, x1, y1 (vyxgini)
    symrec* symarr;             // one record per plotted group: line attributes (vyxsymb)
    int32_t nsym;
    void* gstyles;
    char gpatterns[3][8];
    void* legends[3];
    float gldraw[12];
    uint8_t gstarted;
    plotlay* frame;
    insetrec* inset;
    // drawing records and counters of the device road (proc/devgraph/gplaces.h names places)
    symrec* symcomp;            // companions of symarr: point attributes of each group
    symrec* symcens;            // censored-mark attributes of each group
    symrec* fmstyles;           // one record per FMODE value (FMODE COMBINE)
    int32_t nstyles;            // records in gstyles (relation plot)
    uint8_t framefill;          // frame fill kind: 'S' solid, 'E' empty, 'N' none
    uint8_t gridsave;           // copy of the grid flag made at the start of a plot
    uint32_t nplotgrp;          // number of plotted groups
    uint32_t grpno[3];          // running group number and grid column of the panel being drawn
    void* gfilew[2];            // graphics-output words handed to vyxsgmt and ggplrdx

    // ---- codes and settings
    uint8_t clsorder[6];
    uint32_t ordercode;
    uint32_t rowlay[2];         // rows per buffer, doubles per row
    uint32_t distcode;
    uint32_t pposcode;
    uint32_t plotcodes[2];
    uint8_t spilled;
    uint8_t rdxgraph;
    uint8_t logscale[2];
    uint8_t axlog[2];
    struct {
        uint8_t pupgiven, plowgiven, llowgiven, lupgiven, overlay, rotate, nofitline, noconf, noplabel,
            nollabel, nogrid, nocenplot, mlgrid, fmcombine, pplot, pbonly, noinset, ismcf, mcfdiff, refstop,
            refstop2, haslogscl, showmult, noppos;
        // display bytes of the plot statements (legend and pcttab hold 1 when NOPPLEGEND and
        // NOPCTILE are absent)
        uint8_t inborder, noframe, legend, noptick, noltick, nostick, noslabel, mpgrid, pcttab, pconfplt,
            ppout, cenbin, ccenbin, relplot, rellegend, ntickset, slowgiven, supgiven, nstickset, layouth,
            layoutv, pbonesided;
        uint8_t more[15];
    } pflags;
    int32_t refopts[3];
    struct {
        void* labels[5];        // label slots (optslot*) of VREF, HREF, PREF, LREF, SREF
        double* vals[5];        // their values (REF_* places)
        int32_t counts[5];
    } refs;
    char gfile[8];
    void* annoout;
    char multpos[8];
    struct {
        int32_t ncols, nrows, npct;
        double* pctlist;
        double* survtime;
    } panels;
    double axlim[8];
    double liferng[2];
    double datarng[2];
    int32_t axopt[5];
    double refrow[2];
    char refrowlab[2][40];
    int32_t colors[18];
    char colornames[18][8];
    uint8_t cframe[2];
    void* sortdesc[2];

    // ---- routine pointers chosen by the option readers
    ppfn ppos_fn;
    qntfn quant_fn;
    strfn stress_fn;
    strfn mtrans_fn[3];
    qntfnx quantst_fn;

    // ---- fit
    double* fitarr[4];
    double loglik[2];
    struct {
        double converge;        // default 0.001
        double convh;           // default 1e-4
        double singular;
        int32_t niter, neval;   // iterations and objective evaluations of the last fit
        double ridge;           // the optimiser's running ridge value (Ridge of the history)
    } fitcrit;
    double givenparms[6];
    double* parmvec[3];
    double alpha;
    double* pctvals;
    uint32_t pctcount;
    double fixedparms[8];
    double* estarr[4];
    double wsums[2];
    double wbconf;
    double* lifeticks;
    double* itrow;
    double itopts[3];           // PSTABLE, TOLLIKE, TOLPROB
    double* stressvals[3];
    double pctopts[2];
    double* ppcarr[7];
    double jitter;
    double* fmcurve;
    levctl* mdllev;
    levctl* logslev;
    void* logscl;
    uint32_t mdlvarids[3];
    int32_t npoints;
    int32_t npar[3];
    int32_t maxiter;
    uint32_t fitmethod;
    uint32_t itstatus[2];
    uint32_t stressrel;
    int32_t* parmmap;
    uint32_t tickinfo[3];
    uint32_t mdleffinfo[2];
    uint32_t grpcount[3];
    int32_t emmaxit[2];
    int32_t optrc;
    uint32_t clswidth;
    void* optctl;
    uint8_t itprflag[2];
    uint8_t lrflags[2];
    uint8_t covprint[2];
    char* parmstat;             // MODEL parameter status, one character per parameter (npar + 1)
    const char* stmtlabel;
    uint8_t tblflags[4];
    uint8_t pageflags[7];
    uint8_t thrflags[2];
    uint8_t rplotopt;
    struct {
        int32_t len;
        uint8_t given;
        char text[80];
    } defhdr;
    char labels[8][40];
    void* regpstate;
    kernfn prob_fn[2];
    shapefn shape_fn;

    // ---- life-distribution statements: option readers (vyxaprm, vyxpprm)
    uint32_t rspvarid[2];       // first and second response variable numbers
    vardesc rspdesc[2];         // their descriptors (rspvars points here)
    char stmtlabcell[8];        // the statement label, or blanks: the cell of the Label columns
    uint8_t fmresp;             // form 1 implied by FMODE without a censoring variable
    uint8_t parmgiven[3];       // location, scale, shape given
    char parmfree[4];           // their status: '1' estimated, 'C' held at the given value
    uint8_t clsmissing[2];      // MISSING1, MISSING2
    uint8_t clsdropmiss[2];     // drop observations with a missing class value (the inverses)
    int32_t maxlablen;          // longest distribution or parameter label
    double npbounds[2];         // NPINTERVALS bounds
    uint8_t emflags[3];         // EMF_*
    uint8_t linaxis;
    uint8_t ppcflag1, ppcflag2; // per-level arrays wanted
    uint8_t stressax;           // a stress axis is scaled (relation plot)
    uint8_t cenflag2;
    uint8_t lifebnd, lifebnd1;  // boundary array along the life axis; only at the ticks
    uint8_t lifelin;            // life axis linear (1) or in log decades (0)
    double lifescale[3];        // life axis: start, end, tick step
    double* lifetickv;          // life tick values (tickinfo[TI_NLIFETICKS] of them)
    int32_t* lifecounts;        // one counter per interval between the boundaries of lifeticks

    // ---- life-distribution statements: input, driver and scales
    grpnode* stmtnodes;         // every group node of the statement (newgroup)
    struct readtimes* rtimes;   // times as read, for the rows of PPOUT and ITPRINTEM (readtimes.h)
    uint8_t lastgrp;            // the group being written is the last one
    uint8_t pgflag0;
    int32_t grprowix, grpcolix; // grid row and column of the group being written
    double* sortrow;            // one row of scratch for the group sort
    double ptrange[2];          // life range in time units
    double allrange[2];         // censored-inclusive range in time units (missing when no group set one)
    double vaxrng[2], haxrng[2];// vertical and horizontal axis ranges
    double nfailrng[2];         // smallest and largest failure weight of the groups
    double* emgrad;             // Turnbull gradient row: left, right, probability, gradient, multiplier
    char fmlabel[17];           // failure-mode text of the row being written
    uint32_t pendingnoted;      // pieces not available yet already noted for this statement
    double plotfit50;           // the one PLOTFIT percentile (50) when none is given
    uint32_t distcode0;         // the DISTRIBUTION statement's code, restored for every statement
    uint8_t distsaved;

    // ---- binomial and Poisson analysis (counts read by vyxaprm)
    double pbaccum;             // running chi-square total over the class levels
    double pbcount;             // COUNT: events or count
    double pbtrials;            // COUNT: trials (second value)
    double pbexposure;          // EXPOSURE=, default 1
    double pbpredict;           // PREDICT=, default missing
    uint8_t pbpredgiven;
    double pbtolval;            // TOLERANCE=, default 0
    uint8_t pbtolgiven;
    double* pbpooled;           // pooled estimate block
    double* pbpoolpred;         // pooled prediction block
    int32_t pbbadrows;          // rows of the BY group whose counts could not be used

    // ---- nonparametric curves, their bands and the Turnbull estimate
    double simfactor;           // factor of the last simultaneous band, 1 when it could not be
                                // computed (the Turnbull estimate calls it bandfact)

    // ---- maximum-likelihood fit of one group: its limits, Lagrange statistics and search block
    double parmlim[4];          // Wald limits: location lower, upper; scale lower, upper
    double lrlim[6];            // likelihood-ratio limits, lower and upper per parameter
    double lagstat[2];          // Lagrange statistics of a held location and a held scale
    ciblk* ciptr;               // the limit-search block (lives for the step)
    likkept likcache;           // derivative sums of the last value pass
    uint8_t stepend;            // a routine ended the step with xexit: every loop stops at once

    // ---- MCFPLOT: options, table cells and group counters (proc/mcf)
    struct {
        uint8_t varindinc;      // variance by independent increments (INDINC)
        uint8_t varlawless;     // robust per-unit variance (LAWLESS, VARMETHOD2)
        uint8_t varpoisson;     // Poisson variance (POISSON)
        uint8_t wantlims;       // standard errors and limits computed (NOVARIANCE absent)
        uint8_t nocenprt;       // NOCENPRINT: end-of-observation rows left out of MCFEst
        uint8_t loglims;        // LOGINTERVALS (not with MCFDIFF): limits on the log scale
        uint8_t legendon;       // OVERLAY without NOLEGEND
        uint8_t novtick, nohtick;   // NOVTICK, NOHTICK
        uint8_t axscaled;       // the axes have been scaled (set by the axis ranges)
        uint8_t topstrip;       // one-line level strip above each panel (row strip)
        uint8_t sidestrip;      // level strip beside each panel (column strip)
        uint8_t square;         // SQUARE
        int32_t mcfvars[2];     // interval data: variables of the events and the removals
        int32_t nriskv;         // NRISK: number of values
        double* nriskvals;      // NRISK values (initial risk set per group, in group order)
        uint32_t unitwidth;     // longest unit id (ID column width)
        int32_t ntick[2];       // NHTICK, NVTICK (default 4)
        uint8_t ntickgiven[2];
        dshandle annods;        // ANNOTATE= data set of the statement
    } mcfopt;
    char rowvalue[256];         // value cell of the current row (follows the row label)
    double sevalue;             // standard-error cell of the current MCF row
    uint32_t lastrow;           // the row being added is the last of its table
    obobject* grpobj;           // output group of the current class level, null when none

    // ---- failure modes combined as competing risks (FMODE COMBINE)
    double* fmloc;              // location of each listed mode's fit
    double* fmscale;            // scale of each mode's fit (the same block, after the locations)
    double** fmcov;             // per mode: the packed covariance of its parameters
    int32_t* fmused;            // per mode: 1 when its fit is usable
    double* fmrecs;             // the combined estimate at each SURVTIME value (24 doubles each)
    double fmlims[4];           // the mode's limits in the parameter table: location lower, upper; scale lower, upper

    // ---- MODEL statement (regression models for life data). The fit uses the shared fields
    // above too: npar (p in words 0 and 2, the free count in word 1), fitarr (estimates 0,
    // gradient 1, packed Hessian 2, optimiser work 3), estarr (previous estimates 0, second
    // optimiser array 1, covariance copy 2), fitcrit (its ridge is the fit's ridgeval),
    // loglik (current, final), parmmap, parmstat, itrow, optrc, optctl, fixedparms (FP_*).
    struct mdllayout* mdllay;   // cells of the design rows and their design columns
    uint8_t waldcl, nocsflag, xcenter;
    uint8_t intfix, scalefix, shapefix, lsintfix;
    uint8_t gammafam;           // the log-gamma family (a shape parameter)
    uint8_t mdlinmem;           // every design row is in mdlrowbuf
    uint8_t likfail;            // a derivative evaluation met a scale it cannot use
    uint8_t mdlgradhess;        // MatElem serves the last gradient and Hessian of the MODEL fit
    int32_t ndistp;             // distribution parameters: 1, 2 with the shape
    int32_t ninit[2];           // INITIAL= counts of MODEL and LOGSCALE
    double* initvals[2];        // their values (the value pointers of fixedparms)
    uint32_t relcodes[3];       // RELATION= codes of the three relations (0: none)
    int32_t relvarids[3];       // their variables (-1: none)
    vardesc relvardesc[3];
    uint32_t mdlrspids[3];      // the MODEL statement's response variables (its rspvarids),
                                // kept apart from the plot readers' rspvarid
    int32_t mdlnresp;           // and their number
    int64_t mdlrows;            // design rows
    double mdlcnt[5];           // dropped on a log scale; right, left, interval, other-mode counts
    double sumwt[2];            // total frequency of the rows; frequency of the exact failures
    double ystat[2];            // weighted mean and standard deviation of the response cell
    double liferngm[2];         // smallest lower and largest upper end before the logarithm
    double* colstd;             // design-column centres, then scales (MODEL columns first)
    char* mdlrowbuf;            // the block buffer of the utility file (rows not in memory)
    int32_t mdlblkrows;         // rows per block of the utility file
    char** mdlchunks;           // rows in memory: chunks of mdlchunkrows rows each
    int32_t mdlnchunks;
    int32_t mdlchunkrows;
    double shiftq;              // standardized quantile at PSTABLE carried by the intercept
    double* estfit;             // fitted estimates in the fit's own parameterisation
    double* estdata;            // estimates on the data's scale
    double* stderrs;
    double* covsave;            // copy of the covariance matrix
    double* climits;            // lower and upper limit per parameter
    int32_t clparm;             // parameter of the likelihood-ratio search in progress
    double lagmult[4];          // score statistics: intercept, scale, shape, LOGSCALE intercept
    long double* liksum;        // extended-precision sums of a likelihood pass (gradient, Hessian)
    double* likpart;            // their partial sums over a run of rows
    double* mlikcache;          // gradient, Hessian and the point of the last value pass
    uint8_t mlikcached;         // mlikcache holds them

    // ---- statistical graphics (proc/statgraph): the phantom objects' references, the cells
    // of the Index column and of the stress reference lines
    uint32_t phantomlist[4];    // data-object references handed to a graph request, in order
    int32_t grpindex;           // the Index column: 1 for the first group, one more for each next
    double srefcell;            // SRef of the relation plot's stress reference lines
    char sreflabel[17];         // SRefLabel

    // ---- probability, relation and MCF plots on the device road (proc/devgraph, proc/mcf)
    double* linepts;            // point buffer of the line or curve being drawn
    double* lvlpct;             // per level j and PLOTFIT value i (index j x pctcount + i) a copy
                                // of the level's 24-double percentile record (relation panel)
    double* boxpos;             // transformed stress positions of the levels (vyxbox)
    int32_t boxlev[2];          // first and last level index drawn by vyxbox
    int32_t lvlrange[2];        // first and last stress level inside the stress axis (vyxrax)
    double lifeaxis[3];         // copy of lifescale for the axis routines (relation plot)
    double* pctlines;           // the relation plot's percentile lines, (stress, life) pairs (regper)

    // ---- notes about the current BY group's data, each logged once per BY group (bynotes.h)
    bynoterec bynotes;

    // ---- statement counts (vyxinit)
    int32_t nanalysis;
    int32_t nplots;
    makeblk* make;
};

// The whole step area: the preface, the block proper, the appended level control
// and its data block, zeroed and linked by the main routine.
struct vyxarea {
    levstate pre;
    vyxstate s;
    levctl lev;
    levdata levd;
};
