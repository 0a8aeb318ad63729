// Log gamma, log beta, log(1 + x) and their relatives.
#pragma once

// log Gamma(x) for x > 0; -99.0 when x is at or below DBL_MIN (zero and negative x).
double zlgamma(double x);

// The Stirling remainder log Gamma(x) - ((x - 0.5) log x - x + log sqrt(2 pi)),
// by its asymptotic series; meant for x >= 15.
double zlgbern(double x);

// log B(a, b); 99.0 when a or b is at or below 0.
double zlbeta(double a, double b);

// log(1 + x), accurate near 0.
double zln1px(double x);

// log(1 + u) with u = -1 mapped to -2^512 rather than minus infinity: the other tail's log,
// log(1 - e^l), taken with u = -e^l by the log-scale gamma and beta schemes.
double SpecialLog1PlusX(double u);

// log(e^a + e^b) without overflow.
double zlnSumOfExp(double a, double b);

// Multivariate log gamma log Gamma_p(x). 0 ok; 1 failure (x - (p-1)/2 <= 0 or p <= 0),
// with *out = the missing value.
int zlgammaMV(double x, int p, double* out);

// Multivariate log beta log Gamma_p(a) + log Gamma_p(b) - log Gamma_p(a + b).
// 0 ok; 1 failure (a or b <= (p-1)/2, or p <= 0) with *out untouched.
int zlbetaMV(double a, double b, int p, double* out);
