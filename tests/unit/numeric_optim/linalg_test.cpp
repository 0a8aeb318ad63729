// Packed Cholesky, triangular solves, UDU' factorisation, Gram-Schmidt, Householder
// reflections and packing, checked against plain dense computations.
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <vector>
#include "dense.h"
#include "proc/numeric/linalg.h"

using namespace numtest;

TEST(PackedIndex, LowerTriangleByRows) {
    EXPECT_EQ(zisub(2, 5), 17);
    EXPECT_EQ(zisub(5, 2), 17);
    EXPECT_EQ(zisub(0, 0), 0);
    int expect = 0;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j <= i; ++j) EXPECT_EQ(zisub(i, j), expect++);
}

TEST(Cholesky, FactorAndSolveMatchDense) {
    std::mt19937 rng(7);
    for (int n : {1, 2, 5, 12}) {
        const matrix a = randsym(n, rng, true);
        std::vector<double> l = pack(a);
        for (int i = 0; i < n; ++i) EXPECT_GT(zchol(i, l.data(), 1e-12), 0.0);
        // L L' reproduces A.
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j) {
                double s = 0.0;
                for (int k = 0; k <= j; ++k) s += l[zisub(i, k)] * l[zisub(j, k)];
                EXPECT_NEAR(s, a[i][j], 1e-13);
            }
        std::vector<double> b(n);
        for (int i = 0; i < n; ++i) b[i] = std::sin(i + 1.0);
        const std::vector<double> want = solve(a, b);
        zchol2(n, l.data(), b.data());
        zbaksub(n, l.data(), b.data());
        EXPECT_LT(maxdiff(b, want), 1e-11) << "n=" << n;
    }
}

TEST(Cholesky, PivotAtToleranceIsZeroedAndLaterRowsSkipIt) {
    // A = [[4, 2, 2], [2, 1, 1], [2, 1, 3]]: the pivot of row 1 is exactly 0.
    std::vector<double> l = {4, 2, 1, 2, 1, 3};
    EXPECT_EQ(zchol(0, l.data(), 0.0), 4.0);
    EXPECT_EQ(zchol(1, l.data(), 0.0), 0.0);  // the pivot, equal to tol
    EXPECT_EQ(l[zisub(1, 1)], 0.0);
    EXPECT_EQ(zchol(2, l.data(), 0.0), 2.0);  // 3 - 1^2, column 1 contributes nothing
    EXPECT_EQ(l[zisub(2, 1)], 0.0);
    EXPECT_DOUBLE_EQ(l[zisub(2, 2)], std::sqrt(2.0));
    // The solves give 0 for the zeroed component and solve the others.
    std::vector<double> b = {2, 5, 1};
    zchol2(3, l.data(), b.data());
    EXPECT_EQ(b[1], 0.0);
    EXPECT_DOUBLE_EQ(b[0], 1.0);
    zbaksub(3, l.data(), b.data());
    EXPECT_EQ(b[1], 0.0);
    EXPECT_TRUE(std::isfinite(b[0]) && std::isfinite(b[2]));
    // A pivot just above tol is kept; i < 0 does nothing.
    std::vector<double> one = {1e-9};
    EXPECT_EQ(zchol(0, one.data(), 1e-10), 1e-9);
    EXPECT_GT(one[0], 0.0);
    EXPECT_EQ(zchol(-1, one.data(), 0.0), 0.0);
}

TEST(Cholesky, NanPivotPasses) {
    std::vector<double> l = {std::nan("")};
    EXPECT_TRUE(std::isnan(zchol(0, l.data(), 1.0)));
    EXPECT_TRUE(std::isnan(l[0]));
}

TEST(UduFactor, SolvesIndefiniteSystemsLikeDense) {
    std::mt19937 rng(11);
    for (int n : {1, 2, 3, 6, 15}) {
        for (int rep = 0; rep < 20; ++rep) {
            const matrix a = randsym(n, rng, false);
            std::vector<double> ap = pack(a);
            std::vector<int32_t> kpvt(n);
            ASSERT_EQ(zududec(n, 0.0, nullptr, ap.data(), kpvt.data()), 0);
            std::vector<double> b(n);
            for (int i = 0; i < n; ++i) b[i] = std::cos(3.0 * i + rep);
            const std::vector<double> want = solve(a, b);
            double scale = 1.0;
            for (double v : want) scale = std::fmax(scale, std::fabs(v));
            zudusol(n, 1, 1, ap.data(), b.data(), kpvt.data());
            EXPECT_LT(maxdiff(b, want), 1e-9 * scale) << "n=" << n << " rep=" << rep;
        }
    }
}

TEST(UduFactor, TwoByTwoPivotsAndSeveralRightHandSides) {
    // Zero diagonal forces 2x2 blocks; three right-hand sides side by side (ldb 3).
    const matrix a = {{0, 1, 2, 0}, {1, 0, 0, 3}, {2, 0, 0, 1}, {0, 3, 1, 0}};
    std::vector<double> ap = pack(a);
    std::vector<int32_t> kpvt(4);
    ASSERT_EQ(zududec(4, 0.0, nullptr, ap.data(), kpvt.data()), 0);
    EXPECT_LT(kpvt[3], 0);
    EXPECT_EQ(kpvt[3], kpvt[2]);
    std::vector<double> b(12);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) b[i * 3 + j] = i + 10.0 * j + 1;
    std::vector<double> rhs0 = {1, 2, 3, 4}, rhs2 = {21, 22, 23, 24};
    zudusol(4, 3, 3, ap.data(), b.data(), kpvt.data());
    const auto w0 = solve(a, rhs0), w2 = solve(a, rhs2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(b[i * 3 + 0], w0[i], 1e-12);
        EXPECT_NEAR(b[i * 3 + 2], w2[i], 1e-12);
    }
}

TEST(UduFactor, SingularBlocksAreCounted) {
    std::vector<double> zero(10, 0.0);
    std::vector<int32_t> kpvt(4, -7);
    EXPECT_EQ(zududec(4, 0.0, nullptr, zero.data(), kpvt.data()), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(kpvt[i], i);
    // Rank one: one good pivot, the rest at or below the tolerance.
    const matrix r1 = {{1, 2, 3}, {2, 4, 6}, {3, 6, 9}};
    std::vector<double> ap = pack(r1);
    std::vector<int32_t> kp(3);
    EXPECT_EQ(zududec(3, 1e-10, nullptr, ap.data(), kp.data()), 2);
}

TEST(UduFactor, DeterminantAndInertia) {
    const matrix a = {{2, 1, 0}, {1, -3, 1}, {0, 1, 4}};  // det = 2(-13) - 1(4) = -30
    std::vector<double> ap = pack(a);
    std::vector<int32_t> kpvt(3);
    double info[5];
    ASSERT_EQ(zududec(3, 0.0, info, ap.data(), kpvt.data()), 0);
    EXPECT_NEAR(info[0] * std::pow(10.0, info[1]), -30.0, 1e-12);
    EXPECT_GE(std::fabs(info[0]), 1.0);
    EXPECT_LT(std::fabs(info[0]), 10.0);
    EXPECT_EQ(info[2], 2.0);
    EXPECT_EQ(info[3], 1.0);
    EXPECT_EQ(info[4], 0.0);
    std::vector<double> zero(3, 0.0);
    std::vector<int32_t> kp(2);
    EXPECT_EQ(zududec(2, 0.0, info, zero.data(), kp.data()), 2);
    EXPECT_EQ(info[0], 0.0);
    EXPECT_EQ(info[1], 0.0);
    EXPECT_EQ(info[4], 2.0);
}

TEST(GramSchmidt, ReconstructsColumnsAndFindsDependence) {
    // 4 x 3, row-major; the third column is the sum of the first two.
    const std::vector<double> a = {1, 2, 3, 0, 1, 1, 2, 0, 2, 1, 1, 2};
    std::vector<double> q(12), r(6);
    EXPECT_EQ(zgsorth(4, 3, a.data(), q.data(), r.data()), 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(q[i * 3 + 2], 0.0);
    EXPECT_EQ(r[zisub(2, 2)], 0.0);
    // Columns 0 and 1 are orthonormal and a_k = sum_j r(k, j) q_j.
    double d01 = 0, n0 = 0, n1 = 0;
    for (int i = 0; i < 4; ++i) {
        d01 += q[i * 3] * q[i * 3 + 1];
        n0 += q[i * 3] * q[i * 3];
        n1 += q[i * 3 + 1] * q[i * 3 + 1];
    }
    EXPECT_NEAR(d01, 0.0, 1e-15);
    EXPECT_NEAR(n0, 1.0, 1e-15);
    EXPECT_NEAR(n1, 1.0, 1e-15);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 4; ++i) {
            double s = 0.0;
            for (int j = 0; j <= k; ++j) s += r[zisub(k, j)] * q[i * 3 + j];
            EXPECT_NEAR(s, a[i * 3 + k], 1e-14);
        }
}

TEST(GramSchmidt, EqualColumnsAndZeroColumn) {
    const std::vector<double> two = {1, 1, -2, -2, 5, 5};  // 3 x 2, equal columns
    std::vector<double> q2(6, 9.0), r2(3, 9.0);
    EXPECT_EQ(zgsorth(3, 2, two.data(), q2.data(), r2.data()), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(q2[i * 2 + 1], 0.0);
    EXPECT_NEAR(r2[zisub(1, 0)], std::sqrt(30.0), 1e-14);  // a_1 = r(1,0) q_0

    const std::vector<double> a = {1, 1, 0, 2, 2, 0, 3, 3, 0};  // 3 x 3
    std::vector<double> q(9, 9.0), r(6, 9.0);
    EXPECT_EQ(zgsorth(3, 3, a.data(), q.data(), r.data()), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(q[i * 3 + 1], 0.0);
        EXPECT_EQ(q[i * 3 + 2], 0.0);
    }
    EXPECT_NEAR(r[zisub(0, 0)], std::sqrt(14.0), 1e-14);
    EXPECT_EQ(r[zisub(1, 1)], 0.0);
    EXPECT_EQ(r[zisub(2, 2)], 0.0);
}

TEST(Householder, ReflectionZeroesBelowPivotAndKeepsNorm) {
    // Column 1 of a 3 x 4 row-major matrix (stride 4), reflection p = 1 of n = 3.
    std::vector<double> m = {9, 5, 9, 9, 9, -3, 9, 9, 9, 4, 9, 9};
    std::vector<double> u(2);
    double beta = 0.0;
    EXPECT_EQ(zhh1(m.data() + 1, u.data(), &beta, 1, 4, 3), 0);
    EXPECT_EQ(m[1], 5.0);  // component 0 untouched
    EXPECT_NEAR(std::fabs(m[5]), 5.0, 1e-15);
    EXPECT_EQ(m[9], 0.0);
    // The same reflection maps (-3, 4) onto the new column and is its own inverse.
    std::vector<double> y = {7, -3, 4};
    EXPECT_EQ(zhh2(y.data(), u.data(), 1, beta, 1, 3), 0);
    EXPECT_EQ(y[0], 7.0);
    EXPECT_NEAR(y[1], m[5], 1e-15);
    EXPECT_NEAR(y[2], 0.0, 1e-15);
    zhh2(y.data(), u.data(), 1, beta, 1, 3);
    EXPECT_NEAR(y[1], -3.0, 1e-14);
    EXPECT_NEAR(y[2], 4.0, 1e-14);
}

TEST(Householder, AllZeroColumnIsTheIdentity) {
    std::vector<double> x = {3, 0, 0, 0};
    std::vector<double> u(3, 5.0);
    double beta = 8.0;
    EXPECT_EQ(zhh1(x.data(), u.data(), &beta, 1, 1, 4), 1);
    EXPECT_EQ(beta, 0.0);
    EXPECT_EQ(x, (std::vector<double>{3, 0, 0, 0}));
    std::vector<double> y = {1, 2, 3, 4};
    EXPECT_EQ(zhh2(y.data(), u.data(), 1, beta, 1, 4), 1);
    EXPECT_EQ(y, (std::vector<double>{1, 2, 3, 4}));
    // No components at all (p = n) is the identity too, and reads nothing.
    EXPECT_EQ(zhh1(x.data(), u.data(), &beta, 4, 1, 4), 1);
}

TEST(Packing, SquareRoundTripAndTrailingBlockInPlace) {
    const std::vector<double> ap = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // order 4
    std::vector<double> sq(16);
    zmmovsr(ap.data(), sq.data(), 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(sq[i * 4 + j], ap[zisub(i, j)]);
    // The trailing block from row/column 1 (k = 2, 1-based), packed in place.
    zmmovrs(sq.data(), sq.data(), 2, 4, 4);
    const std::vector<double> want = {ap[zisub(1, 1)], ap[zisub(2, 1)], ap[zisub(2, 2)],
                                      ap[zisub(3, 1)], ap[zisub(3, 2)], ap[zisub(3, 3)]};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(sq[i], want[i]);
    std::vector<double> back(10);
    zmmovsr(ap.data(), sq.data(), 4);
    zmmovrs(sq.data(), back.data(), 1, 4, 4);
    EXPECT_EQ(back, ap);
}
