// Plain dense computations that the packed routines are checked against.
#pragma once
#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace numtest {

using matrix = std::vector<std::vector<double>>;

inline matrix randsym(int n, std::mt19937& rng, bool posdef) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    matrix a(n, std::vector<double>(n));
    if (posdef) {
        matrix b(n, std::vector<double>(n));
        for (auto& r : b)
            for (auto& v : r) v = u(rng);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double s = i == j ? 0.5 : 0.0;
                for (int k = 0; k < n; ++k) s += b[i][k] * b[j][k];
                a[i][j] = s;
            }
    } else {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j) a[i][j] = a[j][i] = u(rng);
    }
    return a;
}

inline std::vector<double> pack(const matrix& a) {
    std::vector<double> p;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j <= i; ++j) p.push_back(a[i][j]);
    return p;
}

inline std::vector<double> matvec(const matrix& a, const std::vector<double>& x) {
    std::vector<double> y(a.size(), 0.0);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < x.size(); ++j) y[i] += a[i][j] * x[j];
    return y;
}

// Gaussian elimination with partial pivoting in long double.
inline std::vector<double> solve(matrix a, std::vector<double> b) {
    const int n = static_cast<int>(b.size());
    std::vector<std::vector<long double>> m(n, std::vector<long double>(n + 1));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) m[i][j] = a[i][j];
        m[i][n] = b[i];
    }
    for (int c = 0; c < n; ++c) {
        int piv = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[piv][c])) piv = r;
        std::swap(m[c], m[piv]);
        for (int r = c + 1; r < n; ++r) {
            const long double f = m[r][c] / m[c][c];
            for (int j = c; j <= n; ++j) m[r][j] -= f * m[c][j];
        }
    }
    std::vector<double> x(n);
    for (int i = n - 1; i >= 0; --i) {
        long double s = m[i][n];
        for (int j = i + 1; j < n; ++j) s -= m[i][j] * x[j];
        x[i] = static_cast<double>(s / m[i][i]);
    }
    return x;
}

inline double maxdiff(const std::vector<double>& a, const std::vector<double>& b) {
    double m = 0.0;
    for (size_t i = 0; i < a.size(); ++i) m = std::fmax(m, std::fabs(a[i] - b[i]));
    return m;
}

}  // namespace numtest
