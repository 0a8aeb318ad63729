// The standard normal distribution: distribution function, error function and its
// complement, log tail probabilities, and the quantile.
#pragma once

// Phi(x).
double zprbnrm(double x);

// erf(x) and erfc(x) = 1 - erf(x).
double zferf(double x);
double zferfc(double x);

// Cody's rational approximations: *result = erf(x) for jint 0, erfc(x) otherwise.
void calerf(double x, int jint, double* result);

// log Phi(x), log(1 - Phi(x)) and log phi(x). 0 success; 1 when the Mills ratio failed
// (only *logpdf is written then). The three pointers must be valid and distinct.
int zlognrm(double x, double* logcdf, double* logsurv, double* logpdf);

// The quantile z with Phi(z) = p. zprobit(0) is about -37.6403, zprobit(1) = 7.941345326170997.
double zprobit(double p);

// The quantile z with upper tail 1 - Phi(z) = q: -zprobit(q) for q up to 1/2, so that a tail
// probability far below the rounding of 1 (alpha / 2 of a confidence of 1 - 1e-16) keeps its
// digits, which zprobit(1 - q) loses.
double zprobitq(double q);

// The quantile in the extreme lower tail 0 < p < 1e-16 (Newton steps on log Phi);
// about -37.5178 when the iteration fails. Called by zprobit.
double szprobit(double p);
