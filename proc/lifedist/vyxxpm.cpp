// Moving the free parameters (status '1') to the front of a parameter vector and of its
// packed symmetric matrix, and back: the same status string undoes the exchange.
#include <utility>

#include "proc/lifedist/lifedist_internal.h"

namespace {
// Element (r, c) of a packed lower triangle stored by rows.
inline int packed(int r, int c) { return r >= c ? r * (r + 1) / 2 + c : c * (c + 1) / 2 + r; }
}  // namespace

void xchg(double* m, int i, int j, int n) {
    if (i == j) return;
    const int a = i < j ? i : j, b = i < j ? j : i;
    std::swap(m[packed(a, a)], m[packed(b, b)]);
    for (int k = 0; k < n; ++k) {
        if (k == a || k == b) continue;
        std::swap(m[packed(a, k)], m[packed(b, k)]);
    }
}

void vyxxpm(double* v, const char* flags, int n, double* m) {
    int lo = 0, hi = n - 1;
    while (lo < hi) {
        if (flags[lo] == '1') {
            ++lo;
        } else if (flags[hi] == '1') {
            std::swap(v[lo], v[hi]);
            if (m) xchg(m, lo, hi, n);
            ++lo;
            --hi;
        } else {
            --hi;
        }
    }
}
