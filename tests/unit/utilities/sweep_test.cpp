// The runtime's sweep of packed symmetric matrices.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/support/hostfixture.h"
#include "proc/framework/hostsvc_util.h"

namespace {

size_t at(int i, int j) {
    int M = i > j ? i : j, m = i > j ? j : i;
    return static_cast<size_t>(M) * (M + 1) / 2 + m;
}

std::vector<double> pack(const std::vector<std::vector<double>>& a) {
    int n = static_cast<int>(a.size());
    std::vector<double> p(static_cast<size_t>(n) * (n + 1) / 2);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) p[at(i, j)] = a[i][j];
    return p;
}

}  // namespace

using Sweep = HostTest;

TEST_F(Sweep, SweepingEveryPivotGivesTheKnownInverse) {
    // The second-difference matrix: its inverse is (1/4) [[3,2,1],[2,4,2],[1,2,3]].
    std::vector<double> a = pack({{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}});
    std::string status = "000";
    std::vector<double> work(3);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(zsweep(a.data(), k, 3, status.data(), work.data(), 1e-12), 0);
    EXPECT_EQ(status, "111");
    const double inv[3][3] = {{0.75, 0.5, 0.25}, {0.5, 1.0, 0.5}, {0.25, 0.5, 0.75}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j) EXPECT_NEAR(a[at(i, j)], inv[i][j], 1e-15) << i << "," << j;
}

TEST_F(Sweep, BorderRowAndCornerOfARegression) {
    // [[X'X, X'y], [y'X, y'y]] for a random design; checked against A * A^-1 = I, the
    // coefficients solving the normal equations and the residual sum of squares.
    const int p = 4, nobs = 30;
    std::mt19937 rng(3);
    std::normal_distribution<double> z;
    std::vector<std::vector<double>> X(nobs, std::vector<double>(p));
    std::vector<double> y(nobs);
    for (int r = 0; r < nobs; ++r) {
        for (int c = 0; c < p; ++c) X[r][c] = c == 0 ? 1.0 : z(rng);
        y[r] = 1 + 2 * X[r][1] - X[r][2] + 0.5 * z(rng);
    }
    std::vector<std::vector<double>> A(p + 1, std::vector<double>(p + 1, 0.0));
    for (int r = 0; r < nobs; ++r) {
        for (int i = 0; i < p; ++i) {
            for (int j = 0; j < p; ++j) A[i][j] += X[r][i] * X[r][j];
            A[p][i] += X[r][i] * y[r];
            A[i][p] += X[r][i] * y[r];
        }
        A[p][p] += y[r] * y[r];
    }
    std::vector<double> s = pack(A);
    std::string status(p + 1, '0');
    std::vector<double> work(p + 1);
    for (int k = 0; k < p; ++k) zsweep(s.data(), k, p + 1, status.data(), work.data(), 1e-9);
    // Block: the inverse of X'X.
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) {
            double sum = 0;
            for (int k = 0; k < p; ++k) sum += A[i][k] * s[at(k, j)];
            EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12);
        }
    // Border: the coefficients b with X'X b = X'y.
    for (int i = 0; i < p; ++i) {
        double sum = 0;
        for (int k = 0; k < p; ++k) sum += A[i][k] * s[at(p, k)];
        EXPECT_NEAR(sum, A[i][p], 1e-10);
    }
    // Corner: the residual sum of squares.
    double rss = 0;
    for (int r = 0; r < nobs; ++r) {
        double fit = 0;
        for (int k = 0; k < p; ++k) fit += X[r][k] * s[at(p, k)];
        rss += (y[r] - fit) * (y[r] - fit);
    }
    EXPECT_NEAR(s[at(p, p)], rss, 1e-9 * rss);
}

TEST_F(Sweep, SingularPivotIsLeftAloneAndSweepsUndo) {
    std::vector<double> a = pack({{4, 2, 2}, {2, 1, 1}, {2, 1, 3}});
    const std::vector<double> orig = a;
    std::string status = "000";
    std::vector<double> work(3);
    zsweep(a.data(), 0, 3, status.data(), work.data(), 1e-9);
    EXPECT_EQ(status[0], '1');
    // Pivot 1 has become 1 - 2*2/4 = 0: singular, nothing changes.
    const std::vector<double> swept = a;
    zsweep(a.data(), 1, 3, status.data(), work.data(), 1e-9);
    EXPECT_EQ(status[1], '0');
    EXPECT_EQ(a, swept);
    // A non-positive diagonal is not swept either.
    std::vector<double> neg = pack({{-1, 0}, {0, 1}});
    std::string st2 = "00";
    zsweep(neg.data(), 0, 2, st2.data(), work.data(), 0.0);
    EXPECT_EQ(st2, "00");
    // Sweeping pivot 0 again gives the matrix back.
    zsweep(a.data(), 0, 3, status.data(), work.data(), 1e-9);
    EXPECT_EQ(status[0], '0');
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], orig[i], 1e-14);
}
