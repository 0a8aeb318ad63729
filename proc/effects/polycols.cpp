// Polynomial columns: every monomial of the (standardised) variables up to the degree.
#include "proc/effects/designcols.h"

void GetPolyVals(polydesc* p, int32_t n, const int32_t* vars, const double* contval, double* out) {
    double* x = p->work;
    for (int k = 0; k < n; ++k) {
        const double v = contval[vars[k]];
        switch (p->stdmode) {
            case 1: x[k] = v - p->centres[k]; break;
            case 2: x[k] = v / p->scales[k]; break;
            case 3: x[k] = (v - p->centres[k]) / p->scales[k]; break;
            default: x[k] = v;
        }
        out[k] = x[k];
    }
    int at = n;
    for (int d = 1; d < p->degree; ++d)
        for (int k = 0; k < n; ++k)
            for (int t = p->startidx[(d - 1) * n + k]; t < p->degbounds[d]; ++t) out[at++] = out[t] * x[k];
}
