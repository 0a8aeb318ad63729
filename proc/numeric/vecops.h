// Vector kernels on doubles. n is the element count; n < 1 does nothing and sums return 0.
// Element i of a strided vector x with stride s is x[i*s]. A NaN is treated as a number,
// so it propagates into sums, norms and maxima.
#pragma once

double zinner(const double* x, const double* y, int n);            // sum x_i y_i
double zvdotj1(const double* x, int s, const double* y, int n);    // sum x_(i s) y_i
double zvsum(const double* x, int n);                              // sum x_i

// out_i = a x_i + y_i; out may be y. a = 0 copies y (nothing when out is y).
void zvaxpy(double* out, const double* y, const double* x, int n, double a);
// out_i = x0_i + a d_i; a = 0 copies x0.
void zvz111(double* out, const double* x0, const double* d, int n, double a);
// y_(i s) += a x_i; nothing when a = 0.
void zvxayj1(double* y, int s, const double* x, int n, double a);
// y_i += a x_(i s); nothing when a = 0.
void zvxay1j(double* y, const double* x, int s, int n, double a);
// out_i = c in_i; out may be in.
void zvscl11(double* out, const double* in, int n, double c);

double zvamx(const double* x, int n);          // max |x_i|
double zvamxj(const double* x, int s, int n);  // max |x_(i s)|

// Euclidean norm of the strided vector, scaled by its largest magnitude so that it
// neither overflows nor underflows; terms too small to change the sum are skipped.
double zvenorm(int n, int s, const double* x);

// ap += w x x' on the packed lower triangle. Returns 1, or 0 with ap unchanged when any
// x_i is missing, w is missing or w is 0 (a negative w is added).
int zscp(const double* x, int n, double w, double* ap);
