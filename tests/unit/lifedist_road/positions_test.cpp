// Plotting positions, stress transforms, the parameter exchange and the row sorts: small
// routines checked against closed forms and against independent computations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "host/hostdefs.h"
#include "proc/lifedist/lifedist_internal.h"

TEST(PlottingPositions, EdgeValuesOfEveryMethod) {
    double carry = 1;
    EXPECT_DOUBLE_EQ(vyxmrnk(1, 1, 1, &carry, 1), 0.7 / 1.4);   // MEDRANK, one of one

    // KM at the last time (all at risk fail): carry 0 and the position 1; MKM there stops
    // halfway between the previous survival and 0.
    carry = 0.4;
    EXPECT_DOUBLE_EQ(vyxkm(3, 0, 0, &carry, 3), 1.0);
    EXPECT_DOUBLE_EQ(carry, 0.0);
    carry = 0.4;
    EXPECT_DOUBLE_EQ(vyxmkm(3, 0, 0, &carry, 3), 1 - 0.4 * 0.5);
    EXPECT_DOUBLE_EQ(carry, 0.0);

    // EXPRANK: the carry shrinks by a / (a + d) and never reaches 0.
    carry = 1;
    double p = 0;
    for (double a = 10; a >= 1; a -= 1) p = vyxxrnk(a, 0, 0, &carry, 1);
    EXPECT_LT(p, 1.0);
    EXPECT_NEAR(carry, 1.0 / 11.0, 1e-15);   // product of a / (a + 1) over a = 1..10

    carry = 0;
    EXPECT_DOUBLE_EQ(vyxna(1, 1, 1, &carry, 1), 1 - std::exp(-1.0));   // NA: one failure among one

    // MEDRANK1 is the median of beta(i, n - i + 1); for i = 1 that is 1 - 0.5^(1/n).
    for (double n : {1.0, 2.0, 7.0, 50.0}) EXPECT_NEAR(vyxmrk1(0, 1, n, &carry, 0), 1 - std::pow(0.5, 1 / n), 1e-10) << n;
    // FREQ totals of 1e9 and more, and a tiny first weight, where the beta quantile's iteration
    // fails: still the median, in [0, 1] (for i = n it is 0.5^(1/n)).
    for (double n : {1e9, 1e12, 2e15}) {
        const double first = -std::expm1(-std::log(2.0) / n);
        EXPECT_NEAR(vyxmrk1(0, 1, n, &carry, 0) / first, 1.0, 1e-9) << n;
        EXPECT_NEAR(vyxmrk1(0, n, n, &carry, 0), 1 - first, 1e-15) << n;
        EXPECT_NEAR(vyxmrk1(0, n / 2, n, &carry, 0), 0.5, 1e-9) << n;
    }
    const double tiny = vyxmrk1(0, 1e-7, 10, &carry, 0);
    EXPECT_TRUE(tiny >= 0 && tiny < 1e-300) << tiny;
}

TEST(StressTransforms, ValuesAndTheirDomains) {
    EXPECT_TRUE(ismissing(vyxsarr(-273.15)));
    EXPECT_DOUBLE_EQ(vyxsarr(0), 1000 / 273.15);
    EXPECT_DOUBLE_EQ(vyxsarr2(100), 11605 / 373.15);
    EXPECT_TRUE(ismissing(vyxsarr2(-273.15)));
    EXPECT_DOUBLE_EQ(vyxslin(-5), -5);
    EXPECT_DOUBLE_EQ(vyxspow(std::exp(2.0)), 2.0);
    EXPECT_TRUE(ismissing(vyxspow(0)));
    EXPECT_TRUE(ismissing(vyxspow(hostmissing())));
    EXPECT_DOUBLE_EQ(vyxslgt(0.5), 0.0);
    EXPECT_TRUE(ismissing(vyxslgt(1.0)));
    EXPECT_TRUE(ismissing(vyxslgt(0.0)));
}

namespace {
// A dense symmetric matrix from its packed lower triangle, and back.
std::vector<std::vector<double>> dense(const std::vector<double>& p, int n) {
    std::vector<std::vector<double>> d(n, std::vector<double>(n));
    for (int r = 0; r < n; ++r)
        for (int c = 0; c <= r; ++c) d[r][c] = d[c][r] = p[r * (r + 1) / 2 + c];
    return d;
}
}  // namespace

TEST(ParameterExchange, FreeParametersFirstAndBackAgain) {
    double v[4] = {1, 2, 3, 4};
    vyxxpm(v, "0101", 4, nullptr);
    EXPECT_EQ(std::vector<double>(v, v + 4), (std::vector<double>{4, 2, 3, 1}));
    vyxxpm(v, "0101", 4, nullptr);
    EXPECT_EQ(std::vector<double>(v, v + 4), (std::vector<double>{1, 2, 3, 4}));
    for (const char* st : {"1111", "0000", "CC**"}) {
        double w[4] = {1, 2, 3, 4};
        vyxxpm(w, st, 4, nullptr);
        EXPECT_EQ(std::vector<double>(w, w + 4), (std::vector<double>{1, 2, 3, 4})) << st;
    }

    // 3 x 3, rows and columns 0 and 2 exchanged: the diagonals trade places, (2, 0) stays,
    // (1, 0) trades with (2, 1).
    double m[6] = {10, 21, 11, 31, 32, 12};   // (0,0) (1,0) (1,1) (2,0) (2,1) (2,2)
    xchg(m, 0, 2, 3);
    EXPECT_EQ(std::vector<double>(m, m + 6), (std::vector<double>{12, 32, 11, 31, 21, 10}));

    // Any status string: the packed matrix follows the vector as P A P' would.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-1, 1);
    const int n = 6;
    std::vector<double> a(n * (n + 1) / 2);
    for (double& x : a) x = u(rng);
    std::vector<double> idx(n);
    for (int i = 0; i < n; ++i) idx[i] = i;
    std::vector<double> b = a;
    vyxxpm(idx.data(), "C1*11C", n, b.data());
    auto da = dense(a, n), db = dense(b, n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) EXPECT_EQ(db[r][c], da[static_cast<int>(idx[r])][static_cast<int>(idx[c])]);
    EXPECT_EQ(idx[0], 4);   // the free ones lead: 4, 1, 3, then the others
    EXPECT_EQ(idx[1], 1);
    EXPECT_EQ(idx[2], 3);
}

TEST(RowSorts, TimeOrderWithFailuresBeforeCensoredTimes) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> t(0, 20), c(0, 1);
    const int n = 257, m = 3;
    std::vector<double> rows(n * m), tmp(m);
    for (int i = 0; i < n; ++i) {
        rows[i * m] = t(rng);
        rows[i * m + 1] = -c(rng);
        rows[i * m + 2] = i;   // identity of the row
    }
    auto keyed = rows;
    sort1(rows.data(), n, m, tmp.data());
    // Expected: time ascending, then the code descending (0 exact before -1 censored); the
    // rows are the same rows.
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) {
        ids.push_back(static_cast<int>(rows[i * m + 2]));
        if (i == 0) continue;
        const double* a = &rows[(i - 1) * m];
        const double* b = &rows[i * m];
        EXPECT_TRUE(a[0] < b[0] || (a[0] == b[0] && a[1] >= b[1])) << i;
    }
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < n; ++i) ASSERT_EQ(ids[i], i);

    sort(keyed.data(), n, m, tmp.data());
    for (int i = 1; i < n; ++i) EXPECT_LE(keyed[(i - 1) * m], keyed[i * m]);

    double one[3] = {5, 0, 0};
    sort1(one, 1, 3, tmp.data());   // a group of one row is left as it is
    sort(one, 0, 3, tmp.data());
    EXPECT_EQ(one[0], 5);
}
