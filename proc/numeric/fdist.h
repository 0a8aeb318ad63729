// The F distribution function and the one-sided limit searches on it.
#pragma once

// Pr(F <= x) for F with df1, df2 degrees of freedom and noncentrality nc (0: central).
// *P = 0 on entry. 0 ok; 1 failure or refused argument.
int zplbfnc(double x, double df1, double df2, double nc, double* P);

// Solves zplbfnc(r x, n, 2x, 0) = p for x > 0. 0 ok (*x set); 1 failure or refused
// arguments (n < 1, r outside (1e-5, 1e5), p == 0, p > 1 - 1e-7).
int zconf1h(double p, double n, double* x, double r);

// Solves zplbfnc(r/(1 + x), 2x + 2, n, 0) = p for x >= 0. 0 ok (*x set; 0 when p equals
// the value at x = 0); 1 failure or refused arguments; 2 when p is above the value at
// x = 0 (*x = 0).
int zconf1l(double p, double* x, double n, double r);
