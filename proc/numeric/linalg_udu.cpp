// Symmetric indefinite factorisation A = U D U' of a packed matrix by diagonal pivoting
// (Bunch-Kaufman: 1x1 and 2x2 pivot blocks, columns from the last to the first), and the
// solve with that factor. The packed lower triangle by rows is the upper triangle by
// columns, so column k above the diagonal, elements (0..k, k), is contiguous.
//
// Algorithm: J. R. Bunch and L. Kaufman (1977), Some stable methods for calculating inertia
// and solving symmetric linear systems, Math. Comp. 31, 163-179 (partial pivoting).
#include <cmath>
#include <cstddef>
#include <utility>
#include "proc/numeric/linalg.h"

namespace {

inline std::ptrdiff_t colstart(int k) { return static_cast<std::ptrdiff_t>(k) * (k + 1) / 2; }
// Element (i, j) with i <= j.
inline double& el(double* ap, int i, int j) { return ap[colstart(j) + i]; }

// Exchanges rows and columns r < c of the leading block of order top + 1 (c <= top).
// Only elements (i, j), i <= j <= top, are touched; element (r, c) keeps its place.
void swapsym(double* ap, int r, int c, int top) {
    for (int i = 0; i < r; ++i) std::swap(el(ap, i, r), el(ap, i, c));
    for (int j = r + 1; j < c; ++j) std::swap(el(ap, r, j), el(ap, j, c));
    std::swap(el(ap, r, r), el(ap, c, c));
    for (int j = c + 1; j <= top; ++j) std::swap(el(ap, r, j), el(ap, c, j));
}

// Determinant (mantissa and power of ten, kept normalised) and inertia of the factor.
struct detacc {
    double mant = 1.0, pow10 = 0.0;
    double npos = 0, nneg = 0, nzero = 0;
    bool singular = false;
    void mul(double v) {
        if (singular) return;
        mant *= v;
        if (mant == 0.0 || !std::isfinite(mant)) return;
        while (std::fabs(mant) < 1.0) { mant *= 10.0; pow10 -= 1.0; }
        while (std::fabs(mant) >= 10.0) { mant /= 10.0; pow10 += 1.0; }
    }
    void pivot(double v) { (v > 0 ? npos : v < 0 ? nneg : nzero) += 1; mul(v); }
    void block(double p, double q, double r) {
        const double det = p * r - q * q;
        if (det < 0) { npos += 1; nneg += 1; }
        else if (det > 0) { (p + r > 0 ? npos : nneg) += 2; }
        else { nzero += 1; (p + r > 0 ? npos : p + r < 0 ? nneg : nzero) += 1; }
        mul(det);
    }
    void zero(int count) { nzero += count; singular = true; mant = 0.0; pow10 = 0.0; }
};

}  // namespace

int zududec(int n, double tol, double* info, double* ap, int32_t* kpvt) {
    const double alpha = (1.0 + std::sqrt(17.0)) / 8.0;
    int nsing = 0;
    detacc det;
    int k = n - 1;
    while (k >= 0) {
        if (k == 0) {
            kpvt[0] = 0;
            const double a00 = ap[0];
            if (std::fabs(a00) <= tol) { ++nsing; det.zero(1); }
            else det.pivot(a00);
            break;
        }
        const double absakk = std::fabs(el(ap, k, k));
        int imax = 0;
        double colmax = std::fabs(el(ap, 0, k));
        for (int i = 1; i < k; ++i) {
            const double v = std::fabs(el(ap, i, k));
            if (v > colmax) { colmax = v; imax = i; }
        }
        int kstep = 1;
        bool swap = false;
        if (absakk >= alpha * colmax) {
            kstep = 1;
        } else {
            double rowmax = 0.0;
            for (int j = imax + 1; j <= k; ++j) rowmax = std::fmax(rowmax, std::fabs(el(ap, imax, j)));
            for (int j = 0; j < imax; ++j) rowmax = std::fmax(rowmax, std::fabs(el(ap, j, imax)));
            if (std::fabs(el(ap, imax, imax)) >= alpha * rowmax) {
                swap = true;
            } else if (absakk >= alpha * colmax * (colmax / rowmax)) {
                swap = false;
            } else {
                kstep = 2;
                swap = imax != k - 1;
            }
        }
        if (std::fmax(absakk, colmax) <= tol) {
            // Singular block: its columns keep their own indices and are left alone.
            kpvt[k] = k;
            if (kstep == 2) kpvt[k - 1] = k - 1;
            nsing += kstep;
            det.zero(kstep);
            k -= kstep;
            continue;
        }
        double* colk = ap + colstart(k);
        if (kstep == 1) {
            if (swap) swapsym(ap, imax, k, k);
            const double akk = colk[k];
            // Eliminate column k from the leading block; column k keeps the negated
            // multipliers, which the solve adds back.
            for (int j = k - 1; j >= 0; --j) {
                const double mulk = -colk[j] / akk;
                double* colj = ap + colstart(j);
                for (int i = 0; i <= j; ++i) colj[i] += mulk * colk[i];
                colk[j] = mulk;
            }
            kpvt[k] = swap ? imax : k;
            det.pivot(akk);
        } else {
            if (swap) swapsym(ap, imax, k - 1, k);
            double* colkm1 = ap + colstart(k - 1);
            const double q = colk[k - 1];
            const double ak = colk[k] / q;
            const double akm1 = colkm1[k - 1] / q;
            const double denom = 1.0 - ak * akm1;
            for (int j = k - 2; j >= 0; --j) {
                const double bk = colk[j] / q;
                const double bkm1 = colkm1[j] / q;
                const double mulk = (akm1 * bk - bkm1) / denom;
                const double mulkm1 = (ak * bkm1 - bk) / denom;
                double* colj = ap + colstart(j);
                for (int i = 0; i <= j; ++i) colj[i] += mulk * colk[i] + mulkm1 * colkm1[i];
                colk[j] = mulk;
                colkm1[j] = mulkm1;
            }
            kpvt[k] = kpvt[k - 1] = -(imax + 1);
            det.block(colkm1[k - 1], q, colk[k]);
        }
        k -= kstep;
    }
    if (info) {
        info[0] = det.singular ? 0.0 : det.mant;
        info[1] = det.singular ? 0.0 : det.pow10;
        info[2] = det.npos;
        info[3] = det.nneg;
        info[4] = det.nzero;
    }
    return nsing;
}

void zudusol(int n, int nrhs, int ldb, const double* ap, double* b, const int32_t* kpvt) {
    for (int rhs = 0; rhs < nrhs; ++rhs) {
        double* x = b + rhs;
        auto at = [&](int i) -> double& { return x[static_cast<std::ptrdiff_t>(i) * ldb]; };
        // Backward: interchanges, multipliers and the inverse of D, block by block.
        int k = n - 1;
        while (k >= 0) {
            const double* colk = ap + colstart(k);
            if (kpvt[k] >= 0) {
                if (k > 0) {
                    const int kp = kpvt[k];
                    if (kp != k) std::swap(at(k), at(kp));
                    const double bk = at(k);
                    for (int i = 0; i < k; ++i) at(i) += bk * colk[i];
                }
                at(k) /= colk[k];
                k -= 1;
            } else {
                const double* colkm1 = ap + colstart(k - 1);
                if (k > 1) {
                    const int kp = -kpvt[k] - 1;
                    if (kp != k - 1) std::swap(at(k - 1), at(kp));
                    const double bk = at(k), bkm1 = at(k - 1);
                    for (int i = 0; i < k - 1; ++i) at(i) += bk * colk[i] + bkm1 * colkm1[i];
                }
                const double q = colk[k - 1];
                const double ak = colk[k] / q;
                const double akm1 = colkm1[k - 1] / q;
                const double bk = at(k) / q;
                const double bkm1 = at(k - 1) / q;
                const double denom = ak * akm1 - 1.0;
                at(k) = (akm1 * bk - bkm1) / denom;
                at(k - 1) = (ak * bkm1 - bk) / denom;
                k -= 2;
            }
        }
        // Forward: transposed multipliers, then undo the interchanges.
        k = 0;
        while (k < n) {
            const double* colk = ap + colstart(k);
            if (kpvt[k] >= 0) {
                if (k > 0) {
                    double s = 0.0;
                    for (int i = 0; i < k; ++i) s += colk[i] * at(i);
                    at(k) += s;
                    const int kp = kpvt[k];
                    if (kp != k) std::swap(at(k), at(kp));
                }
                k += 1;
            } else {
                if (k > 0) {
                    const double* colk1 = ap + colstart(k + 1);
                    double s0 = 0.0, s1 = 0.0;
                    for (int i = 0; i < k; ++i) { s0 += colk[i] * at(i); s1 += colk1[i] * at(i); }
                    at(k) += s0;
                    at(k + 1) += s1;
                    const int kp = -kpvt[k] - 1;
                    if (kp != k) std::swap(at(k), at(kp));
                }
                k += 2;
            }
        }
    }
}
