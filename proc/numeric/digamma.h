// Digamma, trigamma, exp(x) - 1 and the Mills ratio of the standard normal distribution.
#pragma once

// psi(x). 0 with *out = psi(x); 1 with *out = the missing value at a pole
// (x within 1e-12*max(1,|x|) of 0, -1, -2, ...) or for x < -2147483647.
int zdigama(double x, double* out);

// psi'(x). *rc = 0, or *rc = 1 with the result -1e35 at a pole (x = 0, -1, -2, ...).
double ztigama(double x, int* rc);

// exp(x) - 1, by a short series for |x| <= 0.01.
double zexpm1(double x);

// The Mills ratio (1 - Phi(x))/phi(x). 0 with *out set; 1 when the continued fraction
// used for x >= 5 did not converge (*out then holds its last convergent).
int zmillsr(double x, double* out);

// The continued fraction 1/(x + 1/(x + 2/(x + 3/(x + ...)))) behind zmillsr for x >= 5;
// same result convention as zmillsr.
int zcnfmill(double x, double* out);

// For x >= 5, the excess of the inverse Mills ratio over x, 1/R(x) - x = 1/(x + 2/(x + 3/(x +
// ...))), about 1/x, without the cancellation of forming 1/R(x) and subtracting x; same result
// convention as zmillsr.
int zcnfmillx(double x, double* out);
