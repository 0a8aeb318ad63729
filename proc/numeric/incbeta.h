// The regularized incomplete beta function I_x(a, b) and the beta density.
#pragma once

// 0: *prob = I_x(a, b) in [0, 1], *dens = the beta(a, b) density at x (0 where not formed).
// 1: a or b above 2147483647; neither output is written.
// -1: x outside [0, 1], a <= 0, b <= 0, or no convergence; *prob = -1.0, *dens = 0.0.
int zibeta(double x, double a, double b, double* prob, double* dens);
