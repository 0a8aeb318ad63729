// The least-squares fit interface of a model: crossproducts of the design rows and
// responses, their Cholesky factor, estimates, error and total sums of squares and tests of
// linear hypotheses, computed on demand and cached per model (zlevfit).
#pragma once
#include <cstdint>
#include "proc/effects/effects.h"

// Cache kinds and requests of zlevfit.
enum : int32_t {
    FIT_XPX = 0, FIT_SWEPT = 1, FIT_BETA = 2, FIT_FREE = 3, FIT_CHOL = 4, FIT_INV = 5,
    FIT_SSE = 6, FIT_SST = 7, FIT_SSDIFF = 8, FIT_TEST = 9, FIT_STORE = 10, FIT_SWEPT2 = 12,
};

// A linear hypothesis: k rows of P coefficients, row-major.
struct levhypo {
    int32_t reserved;
    int32_t k;
    const double* L;
};
struct levtest {
    double* ss;                // packed sums of squares, order r
    int32_t df;
    int32_t nelem;
    double* est;               // L b, k x r
    double* cov;               // packed V = L G L'
};

// Makes the six entries callable and stores them in ctl->fitslots.
int zlevfx(levctl* ctl);
double* GetXpX(levctl* ctl);
double* GetR(levctl* ctl);
double* GetBeta(levctl* ctl);
double* GetSSE(levctl* ctl);
double* GetSST(levctl* ctl);
levtest* Test(levctl* ctl, const levhypo* h, int m, const char* letters);
// The cached block of a kind (computed on first request); request FIT_FREE empties the cache,
// FIT_STORE stores block under kind, FIT_TEST runs Test. Response r offsets kind 2.
void* zlevfit(levctl* ctl, int32_t kind, int32_t r = 0, void* block = nullptr, const levhypo* h = nullptr,
              int m = -1, const char* letters = nullptr);
int zlevswp(double* a, int k, int n, char* status, double* work, double tol, double* record);
int invlo(double* a, int n, double* work, double tol);
