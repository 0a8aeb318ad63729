// Packed symmetric matrices and the small dense solvers built on them.
//
// A symmetric n x n matrix is kept as its lower triangle row by row, n(n+1)/2 doubles:
// element (i, j) sits at zisub(i, j). Row i of the triangle is contiguous; so is column j
// of the upper triangle, which is the same storage read the other way. Cholesky factors
// L (A = L L') and the UDU' factor use the same layout.
#pragma once
#include <cstdint>

// Packed index of element (i, j), symmetric in i and j: M(M+1)/2 + m, M = max, m = min.
inline int zisub(int i, int j) {
    const int big = i > j ? i : j;
    const int small = i > j ? j : i;
    return big * (big + 1) / 2 + small;
}

// Row i of the packed Cholesky factor, in place, from rows 0..i-1 already factored.
// Returns the pivot (the diagonal before the square root). A pivot not above tol (and not
// a NaN) leaves 0 on the diagonal; later rows then get 0 in that column. i < 0 does nothing
// and returns 0.
double zchol(int i, double* a, double tol);

// Forward substitution L y = b in place over the first n rows; a zero diagonal gives 0.
void zchol2(int n, const double* l, double* b);

// Back substitution L' x = b in place from row n-1 down; a zero diagonal gives 0.
void zbaksub(int n, const double* l, double* b);

// Symmetric indefinite factorisation A = U D U' (diagonal pivoting with 1x1 and 2x2 blocks)
// of the packed matrix ap, in place. kpvt[k] for a 1x1 block at k is the 0-based index
// interchanged with k; for a 2x2 block at k-1, k both entries hold -(1 + interchanged
// index). A block whose largest magnitude is not above tol is left alone and counted as
// singular (a 2x2 block counts 2); the result is the count, 0 meaning success.
// When info is not null it receives 5 doubles: the determinant as mantissa (1 <= |m| < 10)
// and power of ten, then the numbers of positive, negative and zero pivots; mantissa and
// power are 0 after any singular block.
int zududec(int n, double tol, double* info, double* ap, int32_t* kpvt);

// Solves A x = b with the factor of zududec (which must have returned 0) for nrhs
// right-hand sides in place; element i of right-hand side j is b[i*ldb + j].
void zudusol(int n, int nrhs, int ldb, const double* ap, double* b, const int32_t* kpvt);

// Modified Gram-Schmidt of the n columns (length m) of the row-major m x n matrix a into q
// (same layout) and the packed triangle r: column k of a = sum over j <= k of r(k,j) q_j.
// Returns the number of columns found dependent (their q columns are 0).
int zgsorth(int m, int n, const double* a, double* q, double* r);

// Householder reflection p built from components p..n-1 of the strided column x (stride
// s): stores the n-p values of u (u points at this reflection's own storage) and *beta,
// and replaces the column by its reflection. Returns 1 with *beta = 0 (the identity) when
// those components are all 0 or there are none, else 0.
int zhh1(double* x, double* u, double* beta, int p, int s, int n);

// Applies reflection p (vector u of n-p values, scalar beta) to components p..n-1 of the
// strided vector y: y <- y - u (u'y)/beta. beta = 0 leaves y unchanged and returns 1.
int zhh2(double* y, const double* u, int p, double beta, int s, int n);

// Unpacks the packed symmetric ap into the full row-major n x n square sq.
void zmmovsr(const double* ap, double* sq, int n);

// Packs the lower triangle of the trailing block of the square sq (leading dimension ld),
// from row and column k-1 (k is 1-based) through row e-1, into ap. ap may be sq.
void zmmovrs(const double* sq, double* ap, int k, int e, int ld);
