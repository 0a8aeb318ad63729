#include "runtime/sweep/sweep.h"

#include <cstddef>

// Goodnight's sweep, kept on the packed lower triangle. After some pivots are swept the full
// matrix G is no longer symmetric: G(j, i) = -G(i, j) when exactly one of i and j is swept.
// The packed element (j, i), i <= j, holds G(i, j); the status bytes give the signs of the
// other half. Sweeping a pivot twice gives the matrix back.
namespace rt::sweep {
namespace {

inline size_t row(int i) { return static_cast<size_t>(i) * (static_cast<size_t>(i) + 1) / 2; }

int sweep(double* a, int k, int n, char* status, double* work, double tol) {
    if (!a || !status || !work || k < 0 || k >= n) return 1;
    const bool sk = status[k] == '1';
    const size_t rk = row(k);
    const double d = a[rk + k];
    if (!sk && !(d > tol)) return 0;          // singular: not swept
    if (sk && !(d != 0.0)) return 0;          // cannot be undone
    // work[j] = G(k, j), the pivot row of the full matrix; sign[j] = the sign that turns it
    // into the pivot column G(j, k).
    auto flip = [&](int j) { return (status[j] == '1') != sk; };
    for (int j = 0; j < k; ++j) work[j] = flip(j) ? -a[rk + j] : a[rk + j];
    for (int j = k + 1; j < n; ++j) work[j] = a[row(j) + k];
    const double inv = 1.0 / d;
    for (int j = 0; j < n; ++j) {
        if (j == k) continue;
        const double wj = work[j] * inv;
        double* rj = a + row(j);
        for (int i = 0; i <= j; ++i) {
            if (i == k) continue;
            const double gik = flip(i) ? -work[i] : work[i];
            rj[i] -= gik * wj;
        }
    }
    for (int j = 0; j < k; ++j) a[rk + j] = -(flip(j) ? -work[j] : work[j]) * inv;
    for (int j = k + 1; j < n; ++j) a[row(j) + k] = work[j] * inv;
    a[rk + k] = inv;
    status[k] = sk ? '0' : '1';
    return 0;
}

const vec11 table = {{nullptr, nullptr}, sweep};

}  // namespace

const vec11* services() { return &table; }

}  // namespace rt::sweep
