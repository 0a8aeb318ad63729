// Cholesky factorisation of packed symmetric matrices, row by row, and the two triangular
// solves; packing and unpacking between packed and square storage.
//
// Algorithm: the textbook Cholesky factorisation in its row-by-row form and the triangular
// solves.
#include <cmath>
#include <cstddef>
#include "proc/numeric/linalg.h"

namespace {
inline std::ptrdiff_t rowstart(int i) { return static_cast<std::ptrdiff_t>(i) * (i + 1) / 2; }
}  // namespace

double zchol(int i, double* a, double tol) {
    if (i < 0) return 0.0;
    double* row = a + rowstart(i);
    for (int j = 0; j < i; ++j) {
        const double* rj = a + rowstart(j);
        double s = row[j];
        for (int k = 0; k < j; ++k) s -= row[k] * rj[k];
        const double ljj = rj[j];
        row[j] = ljj == 0.0 ? 0.0 : s / ljj;
    }
    double pivot = row[i];
    for (int k = 0; k < i; ++k) pivot -= row[k] * row[k];
    // A NaN pivot passes: the factor carries it on rather than hiding it as a zero.
    row[i] = (pivot > tol || std::isnan(pivot)) ? std::sqrt(pivot) : 0.0;
    return pivot;
}

void zchol2(int n, const double* l, double* b) {
    for (int j = 0; j < n; ++j) {
        const double* rj = l + rowstart(j);
        double s = b[j];
        for (int k = 0; k < j; ++k) s -= rj[k] * b[k];
        b[j] = rj[j] == 0.0 ? 0.0 : s / rj[j];
    }
}

void zbaksub(int n, const double* l, double* b) {
    // Column-oriented: once x_i is known, remove its share from the earlier components;
    // row i of the packed factor is contiguous, so this walks memory forwards.
    for (int i = n - 1; i >= 0; --i) {
        const double* ri = l + rowstart(i);
        const double xi = ri[i] == 0.0 ? 0.0 : b[i] / ri[i];
        b[i] = xi;
        if (xi != 0.0)
            for (int k = 0; k < i; ++k) b[k] -= ri[k] * xi;
    }
}

void zmmovsr(const double* ap, double* sq, int n) {
    for (int i = 0; i < n; ++i) {
        const double* ri = ap + rowstart(i);
        for (int j = 0; j <= i; ++j) {
            sq[static_cast<std::ptrdiff_t>(i) * n + j] = ri[j];
            sq[static_cast<std::ptrdiff_t>(j) * n + i] = ri[j];
        }
    }
}

void zmmovrs(const double* sq, double* ap, int k, int e, int ld) {
    // Reading runs ahead of writing, so the copy may work in place.
    std::ptrdiff_t out = 0;
    for (int i = k - 1; i < e; ++i)
        for (int j = k - 1; j <= i; ++j) ap[out++] = sq[static_cast<std::ptrdiff_t>(i) * ld + j];
}
