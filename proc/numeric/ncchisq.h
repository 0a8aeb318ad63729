// The noncentral chi-square distribution: tail probabilities, the log-scale request entry
// (log tails, log density, quantile), the log density, and the chi-square quantile
// through the log-scale entry.
#pragma once
#include <cstdint>

struct besblk;
struct quadblk;

// Request record of zlogcnc.
struct cncreq {
    double prob;        // target probability of a quantile request
    double x;           // the point; the result of a quantile request
    double df;          // degrees of freedom
    double ncp;         // noncentrality
    double logp;        // out: log lower tail
    double logq;        // out: log upper tail
    double logdens;     // out: log density
    double tol;         // relative tolerance
    int32_t fartail;    // 1 when x lies far in the lower tail
    uint32_t reqflags;  // LREQ_PROB, LREQ_DENS, LREQ_QUANT
    // Working fields.
    double nuhalf;      // (df - 2)/2, the order of the density's Bessel factor
    double nuquarter;   // (df - 2)/4
    double sqrtncp;     // sqrt(ncp)
    double upfac;       // bracket factors of the quantile search
    double downfac;
    quadblk* quad;      // the quadrature work block while one is in use
    double xfloor;      // lower bound of the quantile's step test
};

// Lower and upper tail at x. 0 ok; 1 invalid argument or no usable start (both outputs
// missing on an invalid argument, *q missing otherwise); -1 the sum did not settle.
int zplbcnc(double x, double df, double ncp, double* p, double* q);

// 0 ok, 1 refused or failed.
int zlogcnc(cncreq* r);

// Log density at x. 0 ok, else the Bessel routine's failure (1 also for x < 0).
int zldncnc(double x, double df, double ncp, double* logdens);

// log I_v(z) into b->result for the order b->nu (which may lie in (-2, 0): then from the
// orders v + 1 and v + 2 by I_v = I_(v+2) + (2(v+1)/z) I_(v+1)); the argument is b->x.
// The block's form is set to the log form. Returns zibess's result.
int zbess(besblk* b);

// Chi-square quantile at p with df degrees of freedom through zlogcnc. 0 ok; 1 failure
// (p < 0, p >= 1, df <= 0, or the search failed), *q untouched.
int zqcl(double p, double df, double* q);

// The two probability methods of zlogcnc for a noncentral request, exposed for their own
// tests: the Poisson-weighted series (ncp up to 500) and the quadrature of the density.
// Both set logp and logq; 0 ok, 1 failure.
int zsercnc(cncreq* r);
int zintcnc(cncreq* r);
