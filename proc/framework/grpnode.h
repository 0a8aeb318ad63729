// The class-group node of the life-distribution statements: one per class level (or
// the root node, embedded in the state block, for the whole BY group).
#pragma once
#include <cstdint>
#include "host/vec39_files.h"

struct grpnode {
    grpnode* next;            // next node in tree order (list mode)
    grpnode* tleft;           // tree links while the node sits in a host or module tree
    grpnode* tright;
    int16_t tbal;
    xchandle ufile;           // utility file of the group's rows; null while every row is in memory
    xchandle ufile2;          // utility file of the nonparametric curve records
    char key[16];             // formatted class value, blank padded; the tree key
    char rawkey[16];          // raw character class value
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
    int32_t nother;           // weighted count of failures of another failure mode
    int32_t nblocks;          // blocks written to ufile
    int32_t ncens;            // censored observations, unweighted
    int32_t nsub;             // second-level nodes (root: first-level nodes)
    int32_t nrows;            // rows currently in rowbuf
    double* fitlines;         // 24-double records per PLOTFIT value
    double* pcttab;           // per PCTLIST value
    double* survtab;          // per SURVTIME value
    double* pcttab2;          // per PCTLIST value (second set)
    double mean, mode, median, sd;
    grpnode* subtree[3];      // second-level tree: head, spare node, current node

    // Work area of the class-level ordering: key length after left-justification,
    // and a word it clears in the root node.
    int32_t keylen;
    int32_t ordwork;

    // Further work areas (curve estimates, least squares, binomial and Poisson) are
    // added by the analyses that own them.
    void* crvwork;
    void* lswork;
    void* pbwork;
};
