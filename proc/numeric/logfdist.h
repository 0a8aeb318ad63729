// The (noncentral) F distribution on the log scale: log distribution and survival
// functions far into both tails, log density and quantile through one request record.
#pragma once
#include <cstdint>

// Request record of zlogfnc (the caller owns it).
struct fncreq {
    double x;           // argument; result of a quantile request
    double df1;         // numerator degrees of freedom, in (2^-10, 2^31 - 1)
    double df2;         // denominator degrees of freedom, in (2^-10, 2^31 - 1)
    double nc;          // noncentrality, >= 0
    double logcdf;      // out
    double logsurv;     // out
    double logdens;     // out
    double tol;         // relative tolerance of the series, at least 8 * 2^-53
    int32_t lowertail;  // set when the cube-root normal deviate is at most -2
    uint32_t request;   // LREQ_PROB, LREQ_DENS, LREQ_QUANT (logbetagamma.h)
    double upfac;       // bracket factors of the quantile search (1.5 and 0.7)
    double downfac;
    double p;           // probability of a quantile request
    int32_t moments;    // mean and sd computed
    double mean;        // the distribution's mean (missing unless df2 > 2)
    double sd;          // its standard deviation (missing unless df2 > 4)
    double eps;         // 2^-53
    double lowerbound;  // at least 2^-26.5: the smallest start of the quantile search
};

// 0 ok, 1 refused or failed (results of a refused request are not written). A quantile
// below the smallest double fails: with df1 < 2 the distribution function grows like
// x^(df1/2) near 0, so that with df1 = 0.5 the quantile of 1e-100 lies near 1e-393.
int zlogfnc(fncreq* r);

// Log density of the (noncentral) F distribution. 0 ok (the missing value where the
// density is not finite); 1 refused (x < 0, df1 or df2 not positive, nc < 0) or failed.
int zldnfnc(double x, double df1, double df2, double nc, double* logdens);

// Log cdf and log survival for any degrees of freedom: zlogfnc, else the chi-square
// limits for a huge df2 or df1, else the normal limit. 0 ok, 1234567 refused, otherwise
// the result of the last approximation tried.
int zlogFNCApproxLarge(double x, double df1, double df2, double nc, double* logcdf, double* logsurv);

// The two noncentral probability methods of zlogfnc, exposed for their own tests: the
// Poisson-weighted series of incomplete beta functions and the quadrature. 0 ok, 1 failure.
int zserfnc(fncreq* r);
int zintfnc(fncreq* r);
