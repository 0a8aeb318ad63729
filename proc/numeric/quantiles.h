// Beta, chi-square and F quantiles, chi-square tail probabilities, the gamma function
// and packed quadratic forms. Pure functions: no state, no allocation.
#pragma once

// Beta(a, b) quantile at p. 0 ok; 1 failure (*x = -1 once the iteration has started).
int zprobin(double p, double a, double b, double* x);

// Chi-square quantile at p with df degrees of freedom. 0 ok; 1 failure (*q untouched).
// Refuses p < 0, p >= 1 - 1e-13, df <= 0 and df >= 1e14.
int zqc(double p, double df, double* q);

// Chi-square quantile with upper tail a (the quantile at 1 - a), for a tail far below the
// rounding of 1 too: zqc(1 - a) while a >= 1e-6, else the root of the upper tail probability.
// 0 ok; 1 failure (*q untouched): a outside (0, 1), df as zqc refuses it.
int zqcq(double a, double df, double* q);

// Quantile of the F distribution with df1, df2 degrees of freedom and noncentrality nc.
// 0 ok; 1 failure (*q untouched). Refuses p < 0, p >= 1 - 1e-6, df1 <= 0.4, df2 <= 0.9, nc < 0.
int zqfnc(double p, double df1, double df2, double nc, double* q);

// Upper tail Q(x; df) of the chi-square distribution; the missing value on failure.
double zpgx2(double x, int df);
double zpgx2f(double x, double df);
// The same for one degree of freedom; 1.0 when x is at or below DBL_MIN.
double zpgx2DF1(double x);

// Gamma(x). 0 ok; 1 on overflow or at (or next to) a pole, with *g = the missing value.
int zgamma(double x, double* g);

// Quadratic forms X'AX with A symmetric n x n, stored as a packed lower triangle, and
// X holding k vectors of n doubles one after the other. k = 1: out[0] = x'Ax; k > 1:
// out receives the packed lower triangle of X'AX row by row, work holds n doubles.
// With add non-zero the forms are added to out. The result carries no status (0).
int zqform(const double* A, int n, const double* X, int k, double* out, double* work, int add);
