// Vector 11: the sweep of packed symmetric matrices.
#pragma once
#include <cstdint>

// Packed storage: element (i, j) of a symmetric matrix of order n sits at index
// M(M+1)/2 + m, M = max(i, j), m = min(i, j).
//
// zsweep(a, k, n, status, work, tol) sweeps pivot k in place. status holds one byte per
// pivot: '1' swept, anything else not swept. A pivot that is not swept is swept when its
// diagonal is above tol (its byte becomes '1'), else the matrix and the byte stay as they
// are. Sweeping a swept pivot again undoes it (its byte becomes '0'). Sweeping every pivot
// of a positive definite block A of [[A, b], [b', c]] leaves A^-1 in the block, A^-1 b in
// the border row and c - b'A^-1 b in the corner. work holds n doubles. Returns 0.
struct vec11 {
    void* reserved[2];
    int (*zsweep)(double* a, int k, int n, char* status, double* work, double tol);   // slot 2
};
