// Nonzero B-spline basis values at a point (Cox-de Boor recurrence).
//
// Algorithm: de Boor's BSPLVB (C. de Boor, A Practical Guide to Splines, 1978), the Cox-de
// Boor recurrence of the nonzero basis values.
#include "proc/numeric/bspline.h"

int zmaopb(double x, int k, int nk, int* j, const double* t, double* b, double* wr, double* wl) {
    const int last = nk - (k > 1 ? k : 1);
    while (*j < last && x >= t[*j]) ++*j;
    const int jj = *j;
    if (x > t[jj]) {
        for (int i = 0; i < k; ++i) b[i] = 0.0;
        if (k >= 0) b[k] = 1.0;
        return 1;
    }
    if (k < 0) return 0;  // no basis of negative degree: nothing to write
    if (k != 0 && x < t[k - 1]) {
        b[0] = 1.0;
        for (int i = 1; i <= k; ++i) b[i] = 0.0;
        return -1;
    }
    b[0] = 1.0;
    for (int i = 0; i < k; ++i) {
        wr[i] = t[jj + i] - x;
        wl[i] = x - t[jj - 1 - i];
        double saved = 0.0;
        for (int r = 0; r <= i; ++r) {
            const double den = wr[r] + wl[i - r];
            const double term = den == 0.0 ? 0.0 : b[r] / den;
            b[r] = saved + wr[r] * term;
            saved = wl[i - r] * term;
        }
        b[i + 1] = saved;
    }
    return 0;
}
