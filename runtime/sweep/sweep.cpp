// Vector 11 of the runtime: Goodnight's sweep of a packed symmetric matrix.
#include "runtime/sweep/sweep.h"

#include <cstddef>

// Goodnight's sweep, kept on the packed lower triangle. After some pivots are swept the full
// matrix G is no longer symmetric: G(j, i) = -G(i, j) when exactly one of i and j is swept.
// The packed element (j, i), i <= j, holds G(i, j); the status bytes give the signs of the
// other half. Sweeping a pivot twice gives the matrix back.
namespace rt::sweep {
namespace {

inline size_t row(int i) { return static_cast<size_t>(i) * (static_cast<size_t>(i) + 1) / 2; }

// rj[i] -= w[i] * wj for i < len: the whole cost of sweeping a large matrix. Clones for wider
// vectors halve it on a matrix of a thousand pivots; the file is compiled without
// multiply-add fusing, so every clone gives the plain loop's digits. (Not under the thread
// sanitizer: the clones' resolver runs before the sanitizer is set up.)
#if defined(__SANITIZE_THREAD__)
#define VX_CLONES
#else
#define VX_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
VX_CLONES
void rowupdate(double* rj, const double* w, double wj, int len) {
    for (int i = 0; i < len; ++i) rj[i] -= w[i] * wj;
}

int sweep(double* a, int k, int n, char* status, double* work, double tol) {
    if (!a || !status || !work || k < 0 || k >= n) return 1;
    const bool sk = status[k] == '1';
    const size_t rk = row(k);
    const double d = a[rk + k];
    if (!sk && !(d > tol)) return 0;          // singular: not swept
    if (sk && !(d != 0.0)) return 0;          // cannot be undone
    // work[i] = G(i, k), the pivot column of the full matrix; the pivot row is the column
    // with the sign flipped where exactly one of i and k is swept.
    auto flip = [&](int j) { return (status[j] == '1') != sk; };
    for (int j = 0; j < k; ++j) work[j] = a[rk + j];
    for (int j = k + 1; j < n; ++j) work[j] = flip(j) ? -a[row(j) + k] : a[row(j) + k];
    work[k] = 0.0;
    const double inv = 1.0 / d;
    for (int j = 0; j < n; ++j) {
        if (j == k) continue;
        // G(k, j) / d; the update of row j, G(j, i) -= G(j, k) G(k, i) / d, is written on the
        // packed element (j, i), i <= j, which holds G(i, j): G(i, k) G(k, j) / d.
        const double wj = (flip(j) ? -work[j] : work[j]) * inv;
        rowupdate(a + row(j), work, wj, j + 1);
    }
    for (int j = 0; j < k; ++j) a[rk + j] = -work[j] * inv;
    for (int j = k + 1; j < n; ++j) a[row(j) + k] = (flip(j) ? -work[j] : work[j]) * inv;
    a[rk + k] = inv;
    status[k] = sk ? '0' : '1';
    return 0;
}

const vec11 table = {{nullptr, nullptr}, sweep};

}  // namespace

const vec11* services() { return &table; }

}  // namespace rt::sweep
