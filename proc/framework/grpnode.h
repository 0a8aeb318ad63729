// The class-group node of the life-distribution statements: one per class level or grid
// cell (or the root node, embedded in the state block, for the whole BY group). The BY-group
// input (vyxin) makes the nodes and fills the counts; the work areas below belong to the
// routines named beside them. A node comes from the statement pool cleared, so every field
// starts at zero unless its comment says otherwise.
//
// Some routines describe these fields under other names; they are the same fields:
//   wtot = totw; weighted failures = wfail; nright = wright; nleft = wleft; nint = wint;
//   tmean, tsd = wmean, wsd; pctval = pctl; pctp = prob; pctq = quant;
//   pposlo, pposhi = pmin, pmax; pposlo2, pposhi2 = pmin2, pmax2;
//   xlo, xhi (plotted time range) = ptmin, ptmax; xlo2, xhi2 (every row's times) = tmin, tmax;
//   tickrecs = pcttab; fitrecs = fitlines; survrecs = survtab; boxstat = ppcslot;
//   othrecs[0..3] first values = mean, mode, median, sd.
// Note that nfail counts exact failures unweighted; their weight is wfail.
#pragma once
#include <cstdint>
#include "host/vec39_files.h"
#include "proc/framework/pooledkeys.h"

struct symrec;
struct grpnode;

// A tree of group nodes as the data pass builds it: its head, a spare node ready for the next
// insertion, and the node of the last observation (which answers a run of equal keys at once).
struct grptree {
    grpnode* head;
    grpnode* spare;
    grpnode* current;
};

struct grpnode {
    grpnode* next;            // next node in tree order (list mode)
    grpnode* tleft;           // tree links while the node sits in a host or module tree
    grpnode* tright;
    int16_t tbal;
    xchandle ufile;           // utility file of the group's rows; null while every row is in memory
    xchandle ufile2;          // utility file of the nonparametric curve records
    char key[16];             // formatted class value, blank padded; the tree key
    char rawkey[16];          // raw character class value
    keyvals whole;            // the whole values the key stands for (pooledkeys.h)
    double ordkey;            // ordering key of the level
    double numkey;            // raw numeric class value
    double loglik;            // log-likelihood of the group's fit
    double loc, scale;        // fitted location and scale
    double parm3[2];          // further parameters of the fit (shape, threshold)
    double* parmcov;          // the group's copy of the fit's parameter block
    double* rowbuf;           // row buffer: rows per buffer x doubles per row
    double prob, quant;       // centring probability of the fit and its standardized quantile
    double totw;              // total weight of the used observations
    double wfail;             // weight of exact failures
    double nfail;             // number of exact failures, unweighted
    double wright;            // weight of right-censored observations
    double wint;              // weight of interval-censored observations
    double wleft;             // weight of left-censored observations
    int32_t nobs;             // used observations
    double nother;            // weight of failures of another failure mode (fractional weights kept whole)
    int32_t nblocks;          // blocks written to ufile
    int32_t ncens;            // censored observations, unweighted
    int32_t nsub;             // second-level nodes (root: first-level nodes)
    int32_t nrows;            // rows currently in rowbuf
    double* fitlines;         // 24-double records per PLOTFIT value
    double* pcttab;           // per probability tick (PCTLIST) value: percentile records
    double* survtab;          // per SURVTIME value
    double* pcttab2;          // per PCTLIST value (second set)
    double mean, mode, median, sd;   // of the fitted distribution
    grptree subtree;          // second-level tree: head, spare node, current node

    // Work area of the class-level ordering: key length after left-justification,
    // and a word it clears in the root node.
    int32_t keylen;
    int32_t ordwork;

    // ---- nonparametric curve (vyxcrv) and group sorting (vyxpdta)
    uint8_t crvdone;          // the curve of this group has been computed
    uint8_t crvinmem;         // every curve record is in crvbuf (else on ufile2)
    double tmin, tmax;        // smallest and largest time of all rows (censored ones too)
    double ptmin, ptmax;      // time range of the plotted points
    double pmin, pmax;        // probability range of the plotted points and limits (reset to 1, 0)
    double pmin2, pmax2;      // copies of pmin and pmax
    double wmean, wsd;        // weighted mean and standard deviation of the times (Turnbull: midpoints)
    double lsxbar, lsqbar;    // means of times and quantiles of the least-squares points
    double wbloc;             // Weibayes location divided by the scale
    double rdsurv, rdlater, rdfirst;   // READOUT: never failed, later failures, first-readout failures
    double rdontest;          // READOUT: units on test at the first readout
    int32_t ncurve;           // curve records written
    double* crvbuf;           // curve buffer

    // ---- least-squares fit and starting values
    double rsq;               // R-square of the least-squares line, missing when not computed
    double pctl;              // percentile used as the location parameter of the ML fit
    uint8_t lsok;             // cleared when the least-squares fit is impossible

    // ---- fit of the group (driver and fit routines)
    double wbscale, wbshape;  // Weibull scale exp(mu) and shape 1/sigma
    uint32_t fitmeth;         // fit method used for this group
    int32_t fitrc;            // result of the group's fit, 0 = fitted
    uint8_t nofit;            // no fitted line for this group
    uint8_t noest;            // the maximum-likelihood fit has no estimate (its data have no maximum)
    uint8_t drawflag;         // drawn (set by the Turnbull estimate, cleared by failing fits)
    double* ppcslot[7];       // this group's element of each per-level array (ppcarr; PPC_* places)

    // ---- Turnbull estimate of interval data (vyxem)
    double xmean;             // mean plotted time of the Turnbull points
    double qmean;             // mean standardized quantile of their cumulative probabilities
    double* emwts;            // 4n doubles of the set-up; the first n end as observation weights
    double* emtab;            // interval table: 11 arrays of nturn doubles
    int32_t nturn;            // number of Turnbull intervals

    grpnode* stmtnext;        // chain of every node of the statement (newgroup), for CleanUpDisk

    // ---- binomial and Poisson analysis
    double* pbest;            // estimate block (24 doubles)
    double* pbpred;           // prediction block (24 doubles)

    // ---- recurrence data (MCFPLOT). The node's rowbuf holds its event records, nrows the
    // records in it, nblocks the buffers written to ufile, ncens the number of units
    // (end-of-observation records), key/ordkey/subtree/nsub as for every statement.
    struct mcfdata {
        int32_t nrec;         // records of the group (root after differences: difference records)
        double nunits;        // weighted number of units; interval data: removals or the NRISK value
        double nobs;          // weighted number of events; interval data: the sum of events
        double nexact;        // number of event records; interval data: the sum of events
        double mcfmax, mcfmin;    // extremes of the estimates
        double uppmax, lowmin;    // extremes of the confidence limits
        double evtmax, evtmin;    // extremes of the event times (interval data: interval ends)
        double endmax, endmin;    // extremes of the end-of-observation times
        void* units[3];       // unit tree: root word, spare unit node, current unit
        double* unitwts;      // per-unit weights by unit index (FREQ with LAWLESS)
        void** unitseq;       // unit nodes by order of first appearance (set by the sorting)
        int32_t nunitseq;     // units seen (order numbers 0 .. nunitseq - 1)
        uint8_t clamped;      // an event just past its unit's end was met (within rounding)
        double nunita, nunitb;    // root after differences: units of the two groups
        double nevta, nevtb;      // root after differences: events of the two groups
    } mcf;

    // ---- device graphics: the group's styles (vyxsymb, the drivers)
    symrec* sym[2];           // line attributes (a record of symarr) and point attributes
    symrec* censtyle;         // attributes of the group's censored-observation marks
    uint8_t nocurve;          // the group has no percentile curves
};
