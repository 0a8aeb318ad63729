// The normal mixture distribution, the inverse Gaussian distribution function with mean
// one, and the normal probability between two points.
#pragma once
#include <cstdint>

// Request record of zmxnorm (the caller owns it and the three arrays).
struct mxnreq {
    uint32_t state;    // bit 0: components verified (and sorted); clear it after changing them
    uint32_t request;  // bit 1 (MXN_QUANTILE): quantile; otherwise probability and density
    uint32_t mode;     // quantile search: 1 lower tail, 2 interior, 3 upper tail
    double x;          // argument of a probability request; result of a quantile request
    double target;     // the log probability the quantile search matches
    double p;          // probability of a quantile request
    int32_t k;         // number of components
    double* weights;   // k weights in (0, 1], summing to one
    double* means;     // k means
    double* sds;       // k standard deviations, >= 0
    double logcdf;     // out
    double logsurv;    // out
    double logdens;    // out
};

enum : uint32_t { MXN_VERIFIED = 1, MXN_QUANTILE = 2 };

// 0 ok; k + i (weight i outside (0, 1]), 2k + i (sd i negative) or 10k (weights not
// summing to one within 10 * 2^-53) from the verification; 1 numerical failure; 1000 for
// an unknown search mode.
int zmxnorm(mxnreq* r);

// Pr(X <= x) for the inverse Gaussian distribution with mean 1 and shape lambda.
double zprbigs(double x, double lambda);

// Phi(a) - Phi(b) with c = a - b, accurate also when a and b are close.
double DiffNormal(double a, double b, double c);
