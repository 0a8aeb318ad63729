// Vector kernels: dot products, scaled additions, maxima, the scaled Euclidean norm and
// the rank-one update of a packed symmetric matrix.
//
// Algorithm: the project's own.
#include <cmath>
#include <cstddef>
#include "proc/numeric/vecops.h"

namespace {
inline std::ptrdiff_t at(int i, int s) { return static_cast<std::ptrdiff_t>(i) * s; }
// Running maximum that keeps a NaN once it has seen one.
inline void maxabs(double& m, double v) {
    const double a = std::fabs(v);
    if (!(a <= m) && m == m) m = a;
}
}  // namespace

double zinner(const double* x, const double* y, int n) {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += x[i] * y[i];
    return s;
}

double zvdotj1(const double* x, int s, const double* y, int n) {
    double r = 0.0;
    for (int i = 0; i < n; ++i) r += x[at(i, s)] * y[i];
    return r;
}

double zvsum(const double* x, int n) {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += x[i];
    return s;
}

void zvaxpy(double* out, const double* y, const double* x, int n, double a) {
    if (a == 0.0) {
        if (out != y)
            for (int i = 0; i < n; ++i) out[i] = y[i];
        return;
    }
    for (int i = 0; i < n; ++i) out[i] = a * x[i] + y[i];
}

void zvz111(double* out, const double* x0, const double* d, int n, double a) {
    if (a == 0.0) {
        if (out != x0)
            for (int i = 0; i < n; ++i) out[i] = x0[i];
        return;
    }
    for (int i = 0; i < n; ++i) out[i] = x0[i] + a * d[i];
}

void zvxayj1(double* y, int s, const double* x, int n, double a) {
    if (a == 0.0) return;
    for (int i = 0; i < n; ++i) y[at(i, s)] += a * x[i];
}

void zvxay1j(double* y, const double* x, int s, int n, double a) {
    if (a == 0.0) return;
    for (int i = 0; i < n; ++i) y[i] += a * x[at(i, s)];
}

void zvscl11(double* out, const double* in, int n, double c) {
    for (int i = 0; i < n; ++i) out[i] = c * in[i];
}

double zvamx(const double* x, int n) {
    double m = 0.0;
    for (int i = 0; i < n; ++i) maxabs(m, x[i]);
    return m;
}

double zvamxj(const double* x, int s, int n) {
    if (n < 1) return 0.0;
    double m = std::fabs(x[0]);
    for (int i = 1; i < n; ++i) maxabs(m, x[at(i, s)]);
    return m;
}

double zvenorm(int n, int s, const double* x) {
    const double m = s == 1 ? zvamx(x, n) : zvamxj(x, s, n);
    if (m == 0.0) return 0.0;
    const double c = m <= 1.0 ? m : std::sqrt(m);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double xi = x[at(i, s)];
        if (std::fabs(xi) + c == c) continue;
        const double t = xi / m;
        if (1.0 + t == 1.0) continue;
        sum += t * t;
    }
    return m * std::sqrt(sum);
}

int zscp(const double* x, int n, double w, double* ap) {
    if (std::isnan(w) || w == 0.0) return 0;
    for (int i = 0; i < n; ++i)
        if (std::isnan(x[i])) return 0;
    double* row = ap;
    for (int i = 0; i < n; ++i) {
        if (x[i] != 0.0) {
            const double wx = w * x[i];
            for (int j = 0; j <= i; ++j) row[j] += wx * x[j];
        }
        row += i + 1;
    }
    return 1;
}
