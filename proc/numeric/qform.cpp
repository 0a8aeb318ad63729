// Quadratic forms X'AX of a packed symmetric matrix.
//
// Algorithm: the project's own.
#include "proc/numeric/quantiles.h"
#include "proc/numeric/vecops.h"

namespace {

// Sum of x[i] y[i], unrolled by five.
double dot(const double* x, const double* y, int n) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
    int i = 0;
    for (; i + 5 <= n; i += 5) {
        s0 += x[i] * y[i];
        s1 += x[i + 1] * y[i + 1];
        s2 += x[i + 2] * y[i + 2];
        s3 += x[i + 3] * y[i + 3];
        s4 += x[i + 4] * y[i + 4];
    }
    for (; i < n; ++i) s0 += x[i] * y[i];
    return (s0 + s1) + (s2 + s3) + s4;
}

// work = A x for the full symmetric A held as its packed lower triangle.
void symprod(const double* A, int n, const double* x, double* work) {
    for (int i = 0; i < n; ++i) work[i] = 0.0;
    for (int i = 0; i < n; ++i) {
        const double* row = A + static_cast<long>(i) * (i + 1) / 2;
        work[i] += dot(row, x, i) + row[i] * x[i];
        const double xi = x[i];
        for (int j = 0; j < i; ++j) work[j] += row[j] * xi;
    }
}

}  // namespace

int zqform(const double* A, int n, const double* X, int k, double* out, double* work, int add) {
    if (k < 1) return 0;
    if (k == 1) {
        double s = 0.0;
        for (int i = 0; i < n; ++i) {
            const double* row = A + static_cast<long>(i) * (i + 1) / 2;
            s += X[i] * (2.0 * dot(row, X, i) + row[i] * X[i]);
        }
        out[0] = add ? out[0] + s : s;
        return 0;
    }
    long pos = 0;
    for (int j = 0; j < k; ++j) {
        symprod(A, n, X + static_cast<long>(j) * n, work);
        for (int l = 0; l <= j; ++l, ++pos) {
            const double v = zinner(work, X + static_cast<long>(l) * n, n);
            out[pos] = add ? out[pos] + v : v;
        }
    }
    return 0;
}
