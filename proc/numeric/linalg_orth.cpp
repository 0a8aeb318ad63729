// Orthogonalisation: modified Gram-Schmidt and Householder reflections.
//
// Algorithm: the textbook modified Gram-Schmidt and Householder reflections.
#include <cmath>
#include <cstddef>
#include "proc/numeric/linalg.h"
#include "proc/numeric/vecops.h"

namespace {
// Columns whose norm is at or below this (the square root of the smallest normal double,
// rounded) are taken as zero.
constexpr double kTinyNorm = 1.491668147e-154;
// A column whose residual after orthogonalisation is at most this, relative to its
// original norm, is dependent on the earlier ones.
constexpr double kDependent = 1000.0 * 1.1102230246251565e-16;
}  // namespace

int zgsorth(int m, int n, const double* a, double* q, double* r) {
    const std::ptrdiff_t nn = n;
    for (std::ptrdiff_t i = 0; i < nn * (nn + 1) / 2; ++i) r[i] = 0.0;
    for (int j = 0; j < n; ++j) {
        const double nu = zvenorm(m, n, a + j);
        if (std::isnan(nu) || nu <= kTinyNorm) {
            for (int i = 0; i < m; ++i) q[i * nn + j] = 0.0;
        } else {
            r[zisub(j, j)] = nu;
            for (int i = 0; i < m; ++i) q[i * nn + j] = a[i * nn + j] / nu;
        }
    }
    int dependent = 0;
    for (int j = 0; j < n; ++j) {
        const double sigma = zvenorm(m, n, q + j);
        if (!(sigma > kDependent)) {
            ++dependent;
            for (int k = j; k < n; ++k) r[zisub(k, j)] = 0.0;
            for (int i = 0; i < m; ++i) q[i * nn + j] = 0.0;
            continue;
        }
        r[zisub(j, j)] *= sigma;
        for (int i = 0; i < m; ++i) q[i * nn + j] /= sigma;
        for (int k = j + 1; k < n; ++k) {
            double t = 0.0;
            for (int i = 0; i < m; ++i) t += q[i * nn + j] * q[i * nn + k];
            r[zisub(k, j)] = t * r[zisub(k, k)];
            for (int i = 0; i < m; ++i) q[i * nn + k] -= t * q[i * nn + j];
        }
    }
    return dependent;
}

int zhh1(double* x, double* u, double* beta, int p, int s, int n) {
    const int len = n - p;
    double* xp = x + static_cast<std::ptrdiff_t>(p) * s;
    const double m = len < 1 ? 0.0 : zvamxj(xp, s, len);
    if (m == 0.0) {
        *beta = 0.0;
        return 1;
    }
    for (int i = 0; i < len; ++i) u[i] = xp[static_cast<std::ptrdiff_t>(i) * s] / m;
    const double sigma = zvenorm(len, 1, u);
    for (int i = 0; i < len; ++i) xp[static_cast<std::ptrdiff_t>(i) * s] = 0.0;
    const double sg = u[0] > 0.0 ? sigma : -sigma;
    u[0] += sg;
    *beta = sg * u[0];
    xp[0] = -m * sg;
    return 0;
}

int zhh2(double* y, const double* u, int p, double beta, int s, int n) {
    if (beta == 0.0) return 1;
    const int len = n - p;
    double* yp = y + static_cast<std::ptrdiff_t>(p) * s;
    double dot = 0.0;
    for (int i = 0; i < len; ++i) dot += yp[static_cast<std::ptrdiff_t>(i) * s] * u[i];
    const double t = -dot / beta;
    for (int i = 0; i < len; ++i) yp[static_cast<std::ptrdiff_t>(i) * s] += t * u[i];
    return 0;
}
