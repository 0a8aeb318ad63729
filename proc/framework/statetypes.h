// The types of the state block's records: codes, named places, the cells and settings
// records that several owners share, and the routine pointers the option readers choose.
#pragma once
#include "proc/framework/statearrays.h"
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
    char clsfmt[2][16];        // formatted class keys (CV_* places)
    char clsraw[2][16];        // raw class keys (CV_* places)
    double clsnum[2];          // numeric class keys (CV_* places)
    double freq;
    double nenter;
    double rsp[4];             // response cells: the first and second response, MCF events and removals (RSP_* places)
    char fmodefmt[16];
    char fmoderaw[16];
    double fmodenum;
    char unitraw[16];
    char unitfmt[16];
    double unitnum;
    // The whole formatted texts of the character variables longer than 16 characters, whose
    // first 16 the cells above hold (null when no variable of the place is that long); each
    // is as wide as the longest such variable of its place, and a reader takes its own
    // variable's length (vardesc.length) of it.
    char* clswhole[2];         // (CV_* places)
    char* fmodewhole;
    char* unitwhole;
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
    // clsorder: the ordering codes of the first and the second class variable, their copies, and
    // "ordered by a count"
    CO_CODE = 0, CO_CODE2 = 1, CO_COPY = 2, CO_COUNTED = 4,
    // tickinfo: boundary count, life tick count, interval counters
    TI_NBOUNDS = 0, TI_NLIFETICKS = 1, TI_COUNTERS = 2,
    // refs (values, counts, label slots) and refopts (label positions)
    REF_VREF = 0, REF_HREF = 1, REF_PREF = 2, REF_LREF = 3, REF_SREF = 4,
    REFPOS_HREF = 0, REFPOS_VREF = 1, REFPOS_SREF = 2,
    // axlog: the horizontal and the vertical axis are logarithmic
    AXLOG_H = 0, AXLOG_V = 1,
    // logscale: the response is taken on the ln scale, on the log10 scale
    LSC_LN = 0, LSC_LOG10 = 1,
    // rowlay: the rows of an observation buffer, the doubles of a row
    RL_BUFROWS = 0, RL_ROWLEN = 1,
    // nobscnt: observations skipped, used, read
    NOB_SKIPPED = 0, NOB_USED = 1, NOB_READ = 2,
    // obsvals.rsp: the first response (time, lower end, start, events) and the second (censoring
    // value, upper end, end, trials); an MCF interval's numbers of events and of removals
    RSP_FIRST = 0, RSP_SECOND = 1, RSP_EVENTS = 2, RSP_REMOVALS = 3,
    // cframe: CFRAME given (2 frames the relation plot without it); the fill (2 leaves the frame unfilled)
    CFR_GIVEN = 0, CFR_FILL = 1,
    // pctopts: PCNTLLOWER and PCNTLUPPER divided by 100
    PCL_LOWER = 0, PCL_UPPER = 1,
    // likkept.sums: the raw gradient sums g0, g1 and Hessian sums h0, h1, h2
    LKS_G0 = 0, LKS_G1 = 1, LKS_H0 = 2, LKS_H1 = 3, LKS_H2 = 4,
};

// The derivative sums that a value pass of a fit's log-likelihood leaves for its point
// (group, t, sigma and the centring quantile), for the derivative pass that follows there.
struct likkept {
    grpnode* group;
    double t, sigma, quant;
    double sums[5];             // raw gradient and Hessian sums: g0, g1, h0, h1, h2 (LKS_* places)
    uint8_t valid;
};
