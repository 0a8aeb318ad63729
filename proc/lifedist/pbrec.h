// The binomial and Poisson analysis of ANALYZE (DISTRIBUTION=BINOMIAL or POISSON): a
// proportion of events in trials or a rate of counts per exposure, with exact limits, a
// prediction for a future number of trials or amount of exposure, and each class level's
// chi-square distance from the pooled value.
//
// Estimate and prediction blocks (pbrec) are 24 doubles; the words used are named here.
#pragma once
#include <cstdint>

struct vyxstate;

enum : int {
    PB_EST = 0,      // estimate (proportion or rate); prediction block: the predicted count
    PB_CHISQ = 3,    // chi-square contribution of a level; pooled block: the total
    PB_UPPER = 8,    // upper confidence or prediction limit
    PB_LOWER = 9,    // lower confidence or prediction limit
    PB_WORDS = 24,
};

// The counts of one estimate: x events of n trials (binomial) or x counts in exposure n.
struct pbcounts {
    bool binomial;
    double x, n;
};

// Each limit's tail probability: alpha/2, or the whole alpha when one-sided limits are asked for.
double pbaprime(const vyxstate* s);

// Whether the counts can be estimated: binomial 0 <= x <= n, n > 0; Poisson x >= 0, n > 0.
bool pbvalid(const pbcounts& c);

// Words PB_EST, PB_LOWER and PB_UPPER of an estimate block: the estimate with its exact
// (Clopper-Pearson or Garwood) limits, each limit in tail ap; every word missing when the
// counts are not valid, a limit missing when its quantile cannot be had. false when valid
// counts got a missing limit (the caller says so).
bool pbestimate(const pbcounts& c, double ap, double* rec);

// Words PB_EST, PB_LOWER and PB_UPPER of a prediction block for m future trials (or m
// units of exposure), from the estimate est of the same counts. Missing words when m <= 0
// or est is missing; zeros instead for the pooled binomial block (zeroblock). false when a
// prediction limit could not be computed (the limit searches refuse a future amount more
// than about 1e5 times larger or smaller than the one observed).
bool pbpredict(const pbcounts& c, double m, double est, double ap, double* pred, bool zeroblock);

// Chi-square contribution of one level against the pooled value rbar; missing when it
// cannot be formed (a pooled proportion of 0 or 1, a pooled rate of 0, invalid counts).
double pbchisq(const pbcounts& c, double rbar);

// Sample size (trials, or exposure) that estimates the proportion p (or the rate) within
// +- tol at the two-sided confidence level of alpha; missing when est is missing.
double pbtolsize(bool binomial, double est, double tol, double alpha);
