// The regularized incomplete gamma functions P(a, x), Q(a, x) and the gamma density.
#pragma once

// 0: *p = P(a, x), *q = Q(a, x), *dens = x^(a-1) e^-x / Gamma(a) (DBL_MAX when its log
// overflows). 1 (negative argument, or no convergence): *p = *q = -2.0, *dens = 0.0.
int zigamma(double x, double a, double* p, double* q, double* dens);

// The Wilson-Hilferty approximation with a second-order correction: returns P(a, x)
// and writes Q(a, x) through q.
double wilhil(double a, double x, double* q);
