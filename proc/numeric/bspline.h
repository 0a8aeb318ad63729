// B-spline basis of spline effects.
#pragma once

// The k+1 nonzero B-spline basis values of degree k at x into b, with t the nk knots in
// ascending order and *j the knot-interval index the caller keeps between calls (advanced
// while x is at or beyond the next knot; never moved back). wr and wl are work vectors of
// k doubles. Returns 0 inside the knots; 1 beyond the last usable knot, b = (0, ..., 0, 1);
// -1 before the first usable knot, b = (1, 0, ..., 0). Needs nk >= 2k.
int zmaopb(double x, int k, int nk, int* j, const double* t, double* b, double* wr, double* wl);
